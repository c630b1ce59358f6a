#include "applications/morvant/conversion/layout_conversion.h"

#include "applications/morvant/conversion/conversion_report.h"
#include "components/archive/resource_registry.h"
#include "components/quilshow/show/show_settings.h"

#include <QAtomicInt>
#include <QAtomicPointer>
#include <QBuffer>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QImage>
#include <QImageReader>
#include <QThread>

#include <algorithm>
#include <atomic>
#include <cstdlib>
#include <cstring>
#include <limits>

namespace {

// The plan's size is held as a signed number.
int planExtent(quint32 stored) { return int(std::min<quint32>(stored, std::numeric_limits<int>::max())); }

enum class ImageCheck { Image, NotImage, TooLarge };

quint32 bigEndian32(const uchar* at)
{
    return quint32(at[0]) << 24 | quint32(at[1]) << 16 | quint32(at[2]) << 8 | at[3];
}
quint32 littleEndian32(const uchar* at)
{
    return quint32(at[3]) << 24 | quint32(at[2]) << 16 | quint32(at[1]) << 8 | at[0];
}
quint16 littleEndian16(const uchar* at) { return quint16(at[1] << 8 | at[0]); }

// A JPEG ends with its end-of-image marker: segments are walked by their
// lengths, and each scan's data up to the next marker that is neither a
// restart nor a stuffed 0xFF.
bool jpegEndsWhole(const QByteArray& data)
{
    const auto* bytes = reinterpret_cast<const uchar*>(data.constData());
    const qint64 size = data.size();
    qint64 at = 2;  // past the start-of-image marker
    for (;;) {
        if (at >= size || bytes[at] != 0xFF)
            return false;
        while (at < size && bytes[at] == 0xFF)  // fill bytes
            ++at;
        if (at >= size)
            return false;
        const uchar marker = bytes[at++];
        if (marker == 0xD9)
            return true;
        if (marker == 0x01 || (marker >= 0xD0 && marker <= 0xD7))
            continue;
        if (size - at < 2)
            return false;
        const qint64 length = bytes[at] << 8 | bytes[at + 1];
        if (length < 2 || length > size - at)
            return false;
        at += length;
        if (marker != 0xDA)
            continue;
        for (;; ++at) {
            at = data.indexOf(char(0xFF), int(at));
            if (at < 0 || at + 1 >= size)
                return false;
            const uchar next = bytes[at + 1];
            if (next != 0 && (next < 0xD0 || next > 0xD7))
                break;
        }
    }
}

// A PNG ends with its IEND chunk: chunks are walked by their lengths.
bool pngEndsWhole(const QByteArray& data)
{
    const auto* bytes = reinterpret_cast<const uchar*>(data.constData());
    const qint64 size = data.size();
    for (qint64 at = 8; size - at >= 12;) {
        const qint64 length = bigEndian32(bytes + at);
        if (length > size - at - 12)
            return false;
        if (std::memcmp(bytes + at + 4, "IEND", 4) == 0)
            return true;
        at += 12 + length;
    }
    return false;
}

// A GIF ends with its trailer: blocks are walked through their colour tables
// and sub-blocks.
bool gifEndsWhole(const QByteArray& data)
{
    const auto* bytes = reinterpret_cast<const uchar*>(data.constData());
    const qint64 size = data.size();
    const auto colourTable = [](uchar flags) { return flags & 0x80 ? qint64(3) << ((flags & 7) + 1) : 0; };
    // Sub-blocks, each led by its size, up to the empty one.
    const auto skipSubBlocks = [&](qint64 at) {
        while (at < size && bytes[at] != 0)
            at += 1 + bytes[at];
        return at + 1;
    };
    if (size < 13)
        return false;
    qint64 at = 13 + colourTable(bytes[10]);
    while (at < size) {
        const uchar block = bytes[at++];
        if (block == 0x3B)
            return true;
        if (block == 0x21) {  // an extension: its label, then its sub-blocks
            at = skipSubBlocks(at + 1);
        } else if (block == 0x2C) {  // an image: its descriptor, colour table, code size and sub-blocks
            if (size - at < 9)
                return false;
            at = skipSubBlocks(at + 9 + colourTable(bytes[at + 8]) + 1);
        } else {
            return false;
        }
    }
    return false;
}

// A BMP holds the pixel data its header places and sizes: rows of whole
// 32-bit words, or the stated size of compressed data.
bool bmpEndsWhole(const QByteArray& data)
{
    const auto* bytes = reinterpret_cast<const uchar*>(data.constData());
    const qint64 size = data.size();
    if (size < 26)
        return false;
    const qint64 offset = littleEndian32(bytes + 10);
    const quint32 header = littleEndian32(bytes + 14);
    qint64 width = 0, height = 0, depth = 0, compression = 0, compressedSize = 0;
    if (header == 12) {
        width = littleEndian16(bytes + 18), height = littleEndian16(bytes + 20), depth = littleEndian16(bytes + 24);
    } else {
        if (size < 38)
            return false;
        width = qint32(littleEndian32(bytes + 18)), height = qint32(littleEndian32(bytes + 22));
        depth = littleEndian16(bytes + 28), compression = littleEndian32(bytes + 30);
        compressedSize = littleEndian32(bytes + 34);
    }
    // Beyond these no image is within the decoding bound.
    if (width == 0 || height == 0 || depth == 0 || depth > 64 || std::abs(width) > (1 << 28)
        || std::abs(height) > (1 << 28))
        return false;
    // Plain rows (BI_RGB, BI_BITFIELDS, BI_ALPHABITFIELDS); other kinds by their stated size.
    const bool rows = compression == 0 || compression == 3 || compression == 6;
    const qint64 pixels = rows ? (std::abs(width) * depth + 31) / 32 * 4 * std::abs(height) : compressedSize;
    return offset <= size && pixels <= size - offset;
}

// Whether the data holds its format's own end. Qt's readers take data that
// ends early for the rest of the image (grey for a JPEG, the rows read so far
// for a BMP, the pixels so far for a GIF) and say so at most in a warning;
// these four are checked by their structure. Other formats are left to their
// decoders.
bool endsWhole(const QByteArray& format, const QByteArray& data)
{
    if (format == "jpeg")
        return jpegEndsWhole(data);
    if (format == "png")
        return pngEndsWhole(data);
    if (format == "gif")
        return gifEndsWhole(data);
    if (format == "bmp")
        return bmpEndsWhole(data);
    return true;
}

// The bytes an image of that size decodes to in that format; a format not
// told before decoding is taken at the widest, 8 bytes a pixel.
qint64 decodedBytes(const QSize& size, QImage::Format format)
{
    const qint64 depth = format == QImage::Format_Invalid ? 64 : QImage::toPixelFormat(format).bitsPerPixel();
    const qint64 line = (size.width() * depth + 31) / 32 * 4;
    return size.height() > std::numeric_limits<qint64>::max() / line ? std::numeric_limits<qint64>::max()
                                                                     : line * size.height();
}

// While it lives, warnings of the thread that made it are counted instead of
// printed: libjpeg tells of data it decoded over (a damaged or missing part,
// filled with grey) only by a warning, which Qt passes to qWarning. Messages
// of other threads go on to the handler that was installed. One at a time,
// as plan images are checked on the GUI thread.
class DecoderWarnings
{
public:
    DecoderWarnings()
    {
        s_thread.storeRelease(QThread::currentThread());
        s_count.storeRelaxed(0);
        s_previous.store(qInstallMessageHandler(&DecoderWarnings::handle));
    }
    ~DecoderWarnings()
    {
        qInstallMessageHandler(s_previous.load());
        s_thread.storeRelease(nullptr);
    }
    DecoderWarnings(const DecoderWarnings&) = delete;
    DecoderWarnings& operator=(const DecoderWarnings&) = delete;

    bool any() const { return s_count.loadRelaxed() > 0; }

private:
    static void handle(QtMsgType type, const QMessageLogContext& context, const QString& text)
    {
        if (QThread::currentThread() == s_thread.loadAcquire()) {
            if (type != QtDebugMsg && type != QtInfoMsg)
                s_count.ref();
        } else if (const QtMessageHandler previous = s_previous.load()) {
            previous(type, context, text);
        }
    }

    static QAtomicPointer<QThread> s_thread;
    static QAtomicInt s_count;
    static std::atomic<QtMessageHandler> s_previous;
};

QAtomicPointer<QThread> DecoderWarnings::s_thread;
QAtomicInt DecoderWarnings::s_count;
std::atomic<QtMessageHandler> DecoderWarnings::s_previous {nullptr};

// Whether the file at path decodes whole as an image within the bounds;
// size says by how much it is beyond them when it is.
ImageCheck checkImage(const QString& path, QString* size)
{
    const auto megabytes = [](qint64 bytes) { return QString::number((bytes + 999'999) / 1'000'000); };
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return ImageCheck::NotImage;
    QByteArray data = file.read(kPlanImageMaxBytes + 1);
    if (data.size() > kPlanImageMaxBytes) {
        *size = QStringLiteral("%1 MB").arg(megabytes(std::max<qint64>(file.size(), data.size())));
        return ImageCheck::TooLarge;
    }
    QBuffer buffer(&data);
    buffer.open(QIODevice::ReadOnly);
    QImageReader reader(&buffer);
    if (!reader.canRead())
        return ImageCheck::NotImage;
    // What the header claims, checked before anything of that size is made.
    const QSize claimed = reader.size();
    if (!claimed.isValid() || claimed.isEmpty())
        return ImageCheck::NotImage;
    const qint64 decoded = decodedBytes(claimed, reader.imageFormat());
    if (decoded > kPlanImageMaxDecodedBytes) {
        *size = QStringLiteral("%1 x %2 pixels decode to %3 MB")
                    .arg(claimed.width())
                    .arg(claimed.height())
                    .arg(megabytes(decoded));
        return ImageCheck::TooLarge;
    }
    // No raster's data expands more than some 4,000-fold into the pixels its
    // reader gives (deflate's ceiling is 1032, and a 2-bit pixel widens to a
    // byte): a header claiming more is over data cut short, or hostile, and
    // nothing of its size is made. A vector image's size says nothing of its
    // data.
    const QByteArray format = reader.format();
    if (format != "svg" && format != "svgz" && decoded / kPlanImageMaxExpansion > data.size())
        return ImageCheck::NotImage;
    if (!endsWhole(format, data))
        return ImageCheck::NotImage;
    const DecoderWarnings warnings;
    const bool decodedWhole = !reader.read().isNull();
    // Only libjpeg's warnings tell of damage: libpng fails on damaged pixel
    // data and warns of chunks beside it (a colour profile, a text), and the
    // other readers do not warn.
    return decodedWhole && !(format == "jpeg" && warnings.any()) ? ImageCheck::Image : ImageCheck::NotImage;
}

// Where the show's stored image path leads.
struct ImageLocation
{
    QString file;             // the file to read; empty when the path is refused
    QString shown;            // where it was looked for, as a message names it
    QString kept;             // the path the layout keeps
    bool byFileName = false;  // an absolute Windows path, looked for beside the show
};

// "C:\plan.png", "C:plan.png", "\\server\plan.png", "\plan.png".
bool isAbsoluteWindowsPath(const QString& stored)
{
    return (stored.size() >= 2 && stored[1] == QLatin1Char(':') && stored[0].isLetter())
        || stored.startsWith(QLatin1Char('\\'));
}

bool isWithin(const QString& path, const QString& folder)
{
    return path == folder || path.startsWith(folder + QLatin1Char('/'));
}

ImageLocation locateImage(const QString& stored, const QString& showFolder, const ShowBundle& bundle)
{
    ImageLocation location;
    QString path = QString(stored).replace(QLatin1Char('\\'), QLatin1Char('/'));
    if (isAbsoluteWindowsPath(stored)) {
        location.byFileName = true;
        // "C:plan.png" lies in the drive's current folder: its name follows the colon.
        const bool drive = path.size() >= 2 && path[1] == QLatin1Char(':');
        path = QFileInfo(drive ? path.mid(2) : path).fileName();
    }
    if (QDir::isRelativePath(path) && !showFolder.isEmpty())
        path = QDir(showFolder).filePath(path);
    path = QDir::cleanPath(path);
    if (bundle.folder.isEmpty()) {
        location.file = location.kept = path;
        location.shown = QDir::toNativeSeparators(path);
        return location;
    }
    // Within the bundle, by its cleaned path and by the file its links lead to.
    const QString root = QDir::cleanPath(bundle.folder);
    const QString canonicalRoot = QFileInfo(root).canonicalFilePath();
    const QString canonical = QFileInfo(path).canonicalFilePath();
    if (!isWithin(path, root) || (!canonical.isEmpty() && !isWithin(canonical, canonicalRoot)))
        return location;
    location.file = path;
    location.kept = QDir(root).relativeFilePath(path);
    location.shown = QStringLiteral("%1 in the bundle %2").arg(location.kept, QDir::toNativeSeparators(bundle.path));
    return location;
}

}  // namespace

LayoutProperties convertLayoutProperties(const Quil::ShowSettings& settings, const QString& showFolder,
                                         ConversionReport& report, const ShowBundle& bundle)
{
    LayoutProperties properties;
    properties.size = QSize(planExtent(settings.planWidth), planExtent(settings.planHeight));
    const Quil::ShowColour& colour = settings.backgroundColour;
    properties.backgroundColour = 0xFF000000u | quint32(colour.r) << 16 | quint32(colour.g) << 8 | colour.b;
    const QString stored = QFile::decodeName(settings.storedBackgroundImagePath.c_str());
    if (!stored.isEmpty()) {
        const ImageLocation image = locateImage(stored, showFolder, bundle);
        const QString item = QStringLiteral("the plan's background image %1").arg(stored);
        const QString file = image.byFileName
            ? QStringLiteral("the file %1 (looked for by its file name beside the show)").arg(image.shown)
            : QStringLiteral("the file %1").arg(image.shown);
        const QString orSet = QStringLiteral("or set the image in the new project");
        QString size;
        if (image.file.isEmpty()) {
            report.ignore(ReportKind::PlanImages, item,
                          QStringLiteral("its path leads out of the bundle %1, so it is not taken; put the image into "
                                         "the bundle beside the show and convert the show again, %2")
                              .arg(QDir::toNativeSeparators(bundle.path), orSet),
                          Causes::kImageLeavesBundle);
        } else if (!QFileInfo(image.file).isFile()) {
            report.ignore(
                ReportKind::PlanImages, item,
                QStringLiteral("%1 was not found; put it there and convert the show again, %2").arg(file, orSet),
                Causes::kImageNotFound);
        } else if (const ImageCheck check = checkImage(image.file, &size); check == ImageCheck::NotImage) {
            report.ignore(
                ReportKind::PlanImages, item,
                QStringLiteral("%1 does not read as an image, so it is not packed into the project").arg(file),
                Causes::kNotAnImage);
        } else if (check == ImageCheck::TooLarge) {
            report.ignore(ReportKind::PlanImages, item,
                          QStringLiteral("%1 is too large to check: %2 (at most %3 MB of file, decoding to at most "
                                         "%4 MB, are read), so it is not packed into the project; make it smaller "
                                         "and convert the show again, %5")
                              .arg(file, size, QString::number(kPlanImageMaxBytes / 1'000'000),
                                   QString::number(kPlanImageMaxDecodedBytes / 1'000'000), orSet),
                          Causes::kImageTooLarge);
        } else {
            ResourceRegistry* registry = ResourceRegistry::instance();
            properties.backgroundImageId = registry->addFile(image.file);
            registry->updateUsage(properties.backgroundImageId, kPlanImageCategory, true);
            properties.backgroundImagePath = image.kept;
            report.made(ReportKind::PlanImages);
        }
    }
    properties.backgroundMode = 3;
    properties.gridVisible = settings.gridVisible;
    // A grid of no spacing would never end; stored layouts read it as 1 too.
    properties.gridSpacing = std::max<quint32>(settings.gridSpacing, 1);
    return properties;
}
