// The check a file passes before it is packed into a project as the plan's
// background image. Only a JPEG, PNG, GIF or BMP is packed, known by its
// content whatever its name; it must hold its format's end (its compressed
// data walked to the end of each frame), stay within the bounds below and
// then decode with Qt without a warning of damaged data. Anything else is
// refused before anything of the size it claims is made.
//
// One check at a time, on any one thread: a JPEG's warnings are caught
// through Qt's process-wide message handler while it decodes.
#ifndef APPLICATIONS_MORVANT_CONVERSION_PLAN_IMAGE_CHECK_H
#define APPLICATIONS_MORVANT_CONVERSION_PLAN_IMAGE_CHECK_H

#include <QByteArray>
#include <QSize>
#include <QString>

// An image is packed only once it decoded whole within these bounds: this
// much of file; this many bytes held while decoding (the image in the pixel
// format its reader gives, 4 bytes a pixel where the reader names none before
// decoding, and what the decoder keeps beside it); and its header claiming
// no more image bytes than this many times the file's size (no raster format
// packs more: LZW gives at most 4,091 pixels a 12-bit code, which Qt decodes
// to 4 bytes each).
constexpr qint64 kPlanImageMaxBytes = 64'000'000;
constexpr qint64 kPlanImageMaxDecodedBytes = 256'000'000;
constexpr qint64 kPlanImageMaxExpansion = 12'000;

// What the check found: a value, copied freely.
class PlanImageCheck
{
public:
    enum Verdict {
        Image,            // decoded whole within the bounds: it may be packed
        NotImage,         // no image, or one cut short, damaged or claiming more than its data holds
        FormatNotPacked,  // an image in a format other than the four
        TooLarge,         // more file, or more bytes to decode, than the bounds allow
    };

    // Checks the file at path, reading at most kPlanImageMaxBytes + 1 bytes
    // of it. A file that cannot be read is NotImage.
    static PlanImageCheck ofFile(const QString& path);
    // Checks an image held in memory, fileBytes long (the file it came from
    // may be longer than what was read of it).
    static PlanImageCheck ofData(const QByteArray& data, qint64 fileBytes = -1);

    Verdict verdict() const { return m_verdict; }
    // The format as Qt names it ("jpeg", "png", "gif", "bmp"; for
    // FormatNotPacked the other one, e.g. "tiff"); empty when none is known.
    QByteArray format() const { return m_format; }
    // The size the image decodes to, as its header says (a GIF's logical
    // screen); invalid when the header was not read.
    QSize size() const { return m_size; }
    // The bytes decoding takes, as counted against kPlanImageMaxDecodedBytes;
    // 0 when the header was not read.
    qint64 decodingBytes() const { return m_decodingBytes; }
    // The file's size in bytes.
    qint64 fileBytes() const { return m_fileBytes; }

private:
    Verdict m_verdict = NotImage;
    QByteArray m_format;
    QSize m_size;
    qint64 m_decodingBytes = 0;
    qint64 m_fileBytes = 0;
};

#endif  // APPLICATIONS_MORVANT_CONVERSION_PLAN_IMAGE_CHECK_H
