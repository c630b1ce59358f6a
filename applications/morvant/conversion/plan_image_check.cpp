#include "applications/morvant/conversion/plan_image_check.h"

#include <QAtomicInt>
#include <QAtomicPointer>
#include <QBuffer>
#include <QFile>
#include <QImage>
#include <QImageReader>
#include <QThread>

#include <algorithm>
#include <array>
#include <atomic>
#include <cstdlib>
#include <cstring>
#include <limits>

namespace {

quint32 bigEndian32(const uchar* at)
{
    return quint32(at[0]) << 24 | quint32(at[1]) << 16 | quint32(at[2]) << 8 | at[3];
}
int bigEndian16(const uchar* at) { return at[0] << 8 | at[1]; }
quint32 littleEndian32(const uchar* at)
{
    return quint32(at[3]) << 24 | quint32(at[2]) << 16 | quint32(at[1]) << 8 | at[0];
}
int littleEndian16(const uchar* at) { return at[1] << 8 | at[0]; }

qint64 ceilDiv(qint64 value, qint64 divisor) { return (value + divisor - 1) / divisor; }

// What a format's walk found.
struct Walk
{
    QSize size;              // what the image decodes to; invalid until its header was read
    qint64 besideImage = 0;  // bytes the decoder holds beside the image
    bool whole = false;      // the data reaches its format's end
};

// A JPEG ends with its end-of-image marker: segments are walked by their
// lengths, and each scan's data up to the next marker that is neither a
// restart nor a stuffed 0xFF. Only one frame of a process libjpeg decodes is
// taken (Huffman baseline, extended or progressive; arithmetic sequential or
// progressive). A progressive JPEG, or one whose first scan holds fewer than
// all components, is decoded with every coefficient kept: 2 bytes each, 64 a
// block, whole blocks of each component's sampling.
//
// A sequential scan is decoded whole whatever its spectral and approximation
// fields say, and libjpeg only warns of them; but it tells its first warning
// only, so that one would hide a warning of damage after it. The decoder's
// copy has them as libjpeg reads them.
void walkJpeg(const QByteArray& data, Walk* walk, QByteArray* decoderCopy)
{
    const auto* bytes = reinterpret_cast<const uchar*>(data.constData());
    const qint64 size = data.size();
    std::array<std::pair<int, int>, 4> sampling {};
    int components = 0, maxH = 1, maxV = 1;
    bool progressive = false, scanned = false;
    qint64 at = 2;  // past the start-of-image marker
    for (;;) {
        if (at >= size || bytes[at] != 0xFF)
            return;
        while (at < size && bytes[at] == 0xFF)  // fill bytes
            ++at;
        if (at >= size)
            return;
        const uchar marker = bytes[at++];
        if (marker == 0xD9) {
            walk->whole = scanned;
            return;
        }
        if (marker == 0x01 || (marker >= 0xD0 && marker <= 0xD7))
            continue;
        if (size - at < 2)
            return;
        const qint64 length = bigEndian16(bytes + at);
        if (length < 2 || length > size - at)
            return;
        const uchar* segment = bytes + at + 2;
        const qint64 segmentLength = length - 2;
        if (marker >= 0xC0 && marker <= 0xCF && marker != 0xC4 && marker != 0xC8 && marker != 0xCC) {
            const bool decodable = marker <= 0xC2 || marker == 0xC9 || marker == 0xCA;
            if (components != 0 || !decodable || segmentLength < 6)
                return;
            const int height = bigEndian16(segment + 1), width = bigEndian16(segment + 3), count = segment[5];
            if (width == 0 || height == 0 || count < 1 || count > 4 || segmentLength < 6 + 3 * count)
                return;
            for (int i = 0; i < count; ++i) {
                const int h = segment[7 + 3 * i] >> 4, v = segment[7 + 3 * i] & 15;
                if (h < 1 || h > 4 || v < 1 || v > 4)
                    return;
                sampling[i] = {h, v};
                maxH = std::max(maxH, h), maxV = std::max(maxV, v);
            }
            components = count;
            progressive = marker == 0xC2 || marker == 0xCA;
            walk->size = QSize(width, height);
        } else if (marker == 0xDA) {
            const int inScan = segmentLength < 1 ? 0 : segment[0];
            if (components == 0 || inScan < 1 || inScan > 4 || segmentLength < 4 + 2 * inScan)
                return;
            if (!scanned && (progressive || inScan < components)) {
                for (int i = 0; i < components; ++i) {
                    const auto [h, v] = sampling[i];
                    const qint64 wide = ceilDiv(ceilDiv(qint64(walk->size.width()) * h, maxH * 8), h) * h;
                    const qint64 high = ceilDiv(ceilDiv(qint64(walk->size.height()) * v, maxV * 8), v) * v;
                    walk->besideImage += wide * high * 64 * 2;
                }
            }
            scanned = true;
            const qint64 fields = at + 3 + 2 * inScan;
            if (!progressive && (bytes[fields] != 0 || bytes[fields + 1] != 63 || bytes[fields + 2] != 0)) {
                char* copy = decoderCopy->data();
                copy[fields] = 0, copy[fields + 1] = 63, copy[fields + 2] = 0;
            }
        }
        at += length;
        if (marker != 0xDA)
            continue;
        for (;; ++at) {
            at = data.indexOf(char(0xFF), int(at));
            if (at < 0 || at + 1 >= size)
                return;
            const uchar next = bytes[at + 1];
            if (next != 0 && (next < 0xD0 || next > 0xD7))
                break;
        }
    }
}

// A PNG opens with its header chunk and ends with its IEND chunk: chunks are
// walked by their lengths. libpng fails on damaged or missing pixel data.
void walkPng(const QByteArray& data, Walk* walk)
{
    const auto* bytes = reinterpret_cast<const uchar*>(data.constData());
    const qint64 size = data.size();
    if (size < 33 || bigEndian32(bytes + 8) != 13 || std::memcmp(bytes + 12, "IHDR", 4) != 0)
        return;
    const quint32 width = bigEndian32(bytes + 16), height = bigEndian32(bytes + 20);
    constexpr quint32 most = std::numeric_limits<int>::max();
    if (width == 0 || height == 0 || width > most || height > most)
        return;
    walk->size = QSize(int(width), int(height));
    for (qint64 at = 8; size - at >= 12;) {
        const qint64 length = bigEndian32(bytes + at);
        if (length > size - at - 12)
            return;
        if (std::memcmp(bytes + at + 4, "IEND", 4) == 0) {
            walk->whole = true;
            return;
        }
        at += 12 + length;
    }
}

// The pixels a GIF image's LZW codes give, read from its sub-blocks at `at`
// up to its end code (the sub-blocks after it are passed over); -1 when a
// code names no entry of the table or the sub-blocks run past the data. `at`
// is left past the terminating empty sub-block.
qint64 lzwPixels(const uchar* bytes, qint64 size, qint64* at, int codeSize)
{
    const int clear = 1 << codeSize, end = clear + 1;
    std::array<quint16, 4096> length;  // of each entry's string
    std::fill(length.begin(), length.begin() + clear, quint16(1));
    int width = codeSize + 1, next = clear + 2, previous = -1;
    quint32 bits = 0;
    int bitCount = 0;
    qint64 pixels = 0;
    bool ended = false;
    for (;;) {
        if (*at >= size)
            return -1;
        const qint64 block = bytes[(*at)++];
        if (block == 0)
            return pixels;
        if (block > size - *at)
            return -1;
        for (qint64 i = *at; i < *at + block && !ended; ++i) {
            bits |= quint32(bytes[i]) << bitCount;
            bitCount += 8;
            while (bitCount >= width) {
                const int code = int(bits & ((1u << width) - 1));
                bits >>= width, bitCount -= width;
                if (code == clear) {
                    width = codeSize + 1, next = clear + 2, previous = -1;
                    continue;
                }
                if (code == end) {
                    ended = true;
                    break;
                }
                if (code > next || (code == next && previous < 0))
                    return -1;
                pixels += code == next ? length[previous] + 1 : length[code];
                if (previous >= 0 && next < 4096) {
                    length[next] = quint16(length[previous] + 1);
                    if (++next == 1 << width && width < 12)
                        ++width;
                }
                previous = code;
            }
        }
        *at += block;
    }
}

// A GIF ends with its trailer: blocks are walked through their colour tables
// and sub-blocks, and each image's codes must give all of its pixels. Qt
// decodes the first image onto the logical screen at 4 bytes a pixel (onto
// the image's extent where the screen gives no size), and keeps a copy of the
// first image beside it when its disposal restores what was under it.
void walkGif(const QByteArray& data, Walk* walk)
{
    const auto* bytes = reinterpret_cast<const uchar*>(data.constData());
    const qint64 size = data.size();
    const auto colourTable = [](uchar flags) { return flags & 0x80 ? qint64(3) << ((flags & 7) + 1) : 0; };
    if (size < 13)
        return;
    const int screenWidth = littleEndian16(bytes + 6), screenHeight = littleEndian16(bytes + 8);
    qint64 at = 13 + colourTable(bytes[10]);
    int disposal = 0;
    bool framed = false;
    while (at < size) {
        const uchar block = bytes[at++];
        if (block == 0x3B) {
            walk->whole = framed;
            return;
        }
        if (block == 0x21) {  // an extension: its label, then its sub-blocks
            if (at >= size)
                return;
            if (bytes[at++] == 0xF9 && !framed && size - at >= 2 && bytes[at] >= 1)  // graphic control
                disposal = (bytes[at + 1] >> 2) & 7;
            while (at < size && bytes[at] != 0)
                at += 1 + bytes[at];
            if (at++ >= size)
                return;
        } else if (block == 0x2C) {  // an image: its descriptor, colour table, code size and sub-blocks
            if (size - at < 9)
                return;
            const int left = littleEndian16(bytes + at), top = littleEndian16(bytes + at + 2);
            const int width = littleEndian16(bytes + at + 4), height = littleEndian16(bytes + at + 6);
            at += 9 + colourTable(bytes[at + 8]);
            if (!framed) {
                walk->size =
                    QSize(screenWidth ? screenWidth : left + width, screenHeight ? screenHeight : top + height);
                if (disposal == 3)
                    walk->besideImage =
                        qint64(std::min(width, walk->size.width())) * std::min(height, walk->size.height()) * 4;
                framed = true;
            }
            if (at >= size)
                return;
            const int codeSize = bytes[at++];
            if (codeSize < 2 || codeSize > 11 || lzwPixels(bytes, size, &at, codeSize) < qint64(width) * height)
                return;
        } else {
            return;
        }
    }
}

// Whether RLE8 or RLE4 codes from `at` reach the end-of-bitmap code within
// the data: runs, ends of lines, moves and literal pixels padded to 16 bits.
bool rleEndsWhole(const uchar* bytes, qint64 size, qint64 at, bool fourBits)
{
    while (size - at >= 2) {
        const uchar count = bytes[at], value = bytes[at + 1];
        at += 2;
        if (count != 0 || value == 0)  // a run, an end of line
            continue;
        if (value == 1)
            return true;
        if (value == 2)  // a move: its two offsets
            at += 2;
        else
            at += ((fourBits ? (value + 1) / 2 : value) + 1) / 2 * 2;
    }
    return false;
}

// A BMP holds the pixel data its header places: rows of whole 32-bit words
// (from the bottom, or from the top when its height is negative), or RLE
// codes up to their end-of-bitmap code, whatever size the header states.
void walkBmp(const QByteArray& data, Walk* walk)
{
    const auto* bytes = reinterpret_cast<const uchar*>(data.constData());
    const qint64 size = data.size();
    if (size < 26)
        return;
    const qint64 offset = littleEndian32(bytes + 10);
    const quint32 header = littleEndian32(bytes + 14);
    qint64 width = 0, height = 0, depth = 0, compression = 0;
    if (header == 12) {
        width = littleEndian16(bytes + 18), height = littleEndian16(bytes + 20), depth = littleEndian16(bytes + 24);
    } else if (header >= 40 && size >= 54) {
        width = qint32(littleEndian32(bytes + 18)), height = qint32(littleEndian32(bytes + 22));
        depth = littleEndian16(bytes + 28), compression = littleEndian32(bytes + 30);
    }
    const qint64 rows = std::abs(height);
    if (width <= 0 || rows == 0 || rows > std::numeric_limits<int>::max() || depth == 0 || depth > 32)
        return;
    walk->size = QSize(int(width), int(rows));
    if (offset > size)
        return;
    if (compression == 0 || compression == 3)  // rows, of pixels or of bit fields
        walk->whole = (width * depth + 31) / 32 * 4 <= (size - offset) / rows;
    else if (compression == 1 || compression == 2)
        walk->whole = rleEndsWhole(bytes, size, offset, compression == 2);
}

// The format of the four packed, by what the data opens with.
QByteArray packedFormat(const QByteArray& data)
{
    if (data.startsWith("\xFF\xD8\xFF"))
        return "jpeg";
    if (data.startsWith("\x89PNG\r\n\x1A\n"))
        return "png";
    if (data.startsWith("GIF87a") || data.startsWith("GIF89a"))
        return "gif";
    if (data.startsWith("BM"))
        return "bmp";
    return QByteArray();
}

// Another image format, as Qt's readers tell it by content, or by what the
// data opens with where Qt has no reader for it.
QByteArray otherFormat(const QByteArray& data)
{
    QByteArray copy = data;
    QBuffer buffer(&copy);
    buffer.open(QIODevice::ReadOnly);
    const QByteArray named = QImageReader::imageFormat(&buffer);
    if (named == "jpeg" || named == "png" || named == "gif" || named == "bmp")  // not opening as these do
        return QByteArray();
    if (!named.isEmpty())
        return named;
    const auto opens = [&data](int at, const char* bytes, int length) {
        return data.size() >= at + length && std::memcmp(data.constData() + at, bytes, size_t(length)) == 0;
    };
    if (opens(0, "II*\0", 4) || opens(0, "MM\0*", 4))
        return "tiff";
    if (opens(0, "RIFF", 4) && opens(8, "WEBP", 4))
        return "webp";
    // A reserved word, the kind, and at least one image.
    if ((opens(0, "\0\0\1\0", 4) || opens(0, "\0\0\2\0", 4)) && data.size() >= 6 && (data[4] || data[5]))
        return data[2] == 1 ? "ico" : "cur";
    if (opens(0, "8BPS", 4))
        return "psd";
    if (opens(4, "ftypheic", 8) || opens(4, "ftypheix", 8) || opens(4, "ftypmif1", 8))
        return "heif";
    if (opens(4, "ftypavif", 8))
        return "avif";
    if (opens(0, "\0\0\0\x0CjP  \r\n\x87\n", 12))
        return "jp2";
    return QByteArray();
}

// The bytes an image of that size decodes to in the pixel format the reader
// names before decoding; where it names none, at 4 bytes a pixel, as Qt
// decodes a GIF. A reader that failed on the header may answer anything (Qt's
// JPEG reader an uninitialised value): it is read as a number, and one that
// is no format counts as none.
qint64 decodedBytes(const QSize& size, QImageReader& reader)
{
    const int named = reader.imageFormat();
    const qint64 depth = named > QImage::Format_Invalid && named < QImage::NImageFormats
        ? QImage::toPixelFormat(QImage::Format(named)).bitsPerPixel()
        : 32;
    const qint64 line = (size.width() * depth + 31) / 32 * 4;
    return size.height() > std::numeric_limits<qint64>::max() / line ? std::numeric_limits<qint64>::max()
                                                                     : line * size.height();
}

// While it lives, warnings of the thread that made it are caught instead of
// printed: libjpeg tells of data it decoded over (a damaged or missing part,
// filled with grey) only by a warning, which Qt passes to qWarning. Messages
// of other threads go on to the handler that was installed. One at a time.
class DecoderWarnings
{
public:
    DecoderWarnings()
    {
        s_thread.storeRelease(QThread::currentThread());
        s_damage.storeRelaxed(0);
        s_previous.store(qInstallMessageHandler(&DecoderWarnings::handle));
    }
    ~DecoderWarnings()
    {
        qInstallMessageHandler(s_previous.load());
        s_thread.storeRelease(nullptr);
    }
    DecoderWarnings(const DecoderWarnings&) = delete;
    DecoderWarnings& operator=(const DecoderWarnings&) = delete;

    // Whether libjpeg told of data missing or damaged: the file ending early,
    // a data segment cut short, a marker or a code where data should be. Its
    // other warnings are of parameters that decode whole.
    bool damage() const { return s_damage.loadRelaxed() > 0; }

private:
    static void handle(QtMsgType type, const QMessageLogContext& context, const QString& text)
    {
        if (QThread::currentThread() == s_thread.loadAcquire()) {
            if (text.startsWith(QLatin1String("Premature end of JPEG file"))
                || text.startsWith(QLatin1String("Corrupt JPEG data")))
                s_damage.ref();
        } else if (const QtMessageHandler previous = s_previous.load()) {
            previous(type, context, text);
        }
    }

    static QAtomicPointer<QThread> s_thread;
    static QAtomicInt s_damage;
    static std::atomic<QtMessageHandler> s_previous;
};

QAtomicPointer<QThread> DecoderWarnings::s_thread;
QAtomicInt DecoderWarnings::s_damage;
std::atomic<QtMessageHandler> DecoderWarnings::s_previous {nullptr};

}  // namespace

PlanImageCheck PlanImageCheck::ofFile(const QString& path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return PlanImageCheck();
    const QByteArray data = file.read(kPlanImageMaxBytes + 1);
    return ofData(data, file.size());
}

PlanImageCheck PlanImageCheck::ofData(const QByteArray& data, qint64 fileBytes)
{
    PlanImageCheck check;
    check.m_fileBytes = std::max<qint64>(fileBytes, data.size());
    check.m_format = packedFormat(data);
    if (check.m_format.isEmpty()) {
        check.m_format = otherFormat(data);
        check.m_verdict = !check.m_format.isEmpty()  ? FormatNotPacked
            : check.m_fileBytes > kPlanImageMaxBytes ? TooLarge
                                                     : NotImage;
        return check;
    }
    if (check.m_fileBytes > kPlanImageMaxBytes) {
        check.m_verdict = TooLarge;
        return check;
    }
    Walk walk;
    QByteArray decoderCopy = data;
    if (check.m_format == "jpeg")
        walkJpeg(data, &walk, &decoderCopy);
    else if (check.m_format == "png")
        walkPng(data, &walk);
    else if (check.m_format == "gif")
        walkGif(data, &walk);
    else
        walkBmp(data, &walk);
    if (!walk.size.isValid() || walk.size.isEmpty())
        return check;
    check.m_size = walk.size;

    // Warnings of reading the header count too: libjpeg tells its first only.
    const DecoderWarnings warnings;
    QBuffer buffer(&decoderCopy);
    buffer.open(QIODevice::ReadOnly);
    QImageReader reader(&buffer, check.m_format);
    reader.setAutoDetectImageFormat(false);
    // What the header claims, checked before anything of that size is made.
    const qint64 imageBytes = decodedBytes(walk.size, reader);
    check.m_decodingBytes =
        std::min(imageBytes, std::numeric_limits<qint64>::max() - walk.besideImage) + walk.besideImage;
    if (check.m_decodingBytes > kPlanImageMaxDecodedBytes) {
        check.m_verdict = TooLarge;
        return check;
    }
    // A header claiming more than the data could fill is over data cut
    // short, or hostile: nothing of its size is made.
    if (imageBytes / kPlanImageMaxExpansion > data.size() || !walk.whole)
        return check;
    const bool decodedWhole = !reader.read().isNull();
    // Only libjpeg's warnings tell of damage: libpng fails on damaged pixel
    // data and warns of chunks beside it (a colour profile, a text), and the
    // other readers do not warn.
    if (decodedWhole && !(check.m_format == "jpeg" && warnings.damage()))
        check.m_verdict = Image;
    return check;
}
