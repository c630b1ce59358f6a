#include "applications/morvant/conversion/tests/plan_image_samples.h"

#include <QBuffer>
#include <QImageWriter>

#include <stdexcept>

namespace PlanImageSamples {

namespace {

void putLittle16(QByteArray& out, int value) { out.append(char(value & 0xFF)).append(char(value >> 8 & 0xFF)); }
void putLittle32(QByteArray& out, quint32 value)
{
    putLittle16(out, int(value & 0xFFFF));
    putLittle16(out, int(value >> 16));
}

// LZW codes, least significant bit first, as a GIF decoder reads them.
class CodeWriter
{
public:
    explicit CodeWriter(int codeSize) : m_codeSize(codeSize), m_width(codeSize + 1), m_next((1 << codeSize) + 2) {}

    // Writes the code at the decoder's width, then follows the decoder: each
    // code after the first since a clear adds an entry to the table.
    void write(int code)
    {
        m_bits |= quint32(code) << m_count;
        for (m_count += m_width; m_count >= 8; m_count -= 8, m_bits >>= 8)
            m_bytes.append(char(m_bits & 0xFF));
        if (code == 1 << m_codeSize) {
            m_width = m_codeSize + 1, m_next = (1 << m_codeSize) + 2, m_first = true;
            return;
        }
        if (!m_first && m_next < 4096 && ++m_next == 1 << m_width && m_width < 12)
            ++m_width;
        m_first = false;
    }
    int next() const { return m_next; }
    QByteArray finished()
    {
        if (m_count > 0)
            m_bytes.append(char(m_bits & 0xFF));
        return m_bytes;
    }

private:
    int m_codeSize, m_width, m_next;
    bool m_first = true;
    quint32 m_bits = 0;
    int m_count = 0;
    QByteArray m_bytes;
};

}  // namespace

QByteArray encoded(const QImage& image, const char* format, bool progressive)
{
    QBuffer buffer;
    buffer.open(QIODevice::WriteOnly);
    QImageWriter writer(&buffer, format);
    writer.setProgressiveScanWrite(progressive);
    if (!writer.write(image))
        throw std::runtime_error("cannot write the image: " + writer.errorString().toStdString());
    return buffer.data();
}

QByteArray uniformGif(int screenWidth, int screenHeight, int width, int height, int subBlock)
{
    QByteArray gif("GIF89a");
    putLittle16(gif, screenWidth);
    putLittle16(gif, screenHeight);
    gif.append("\x81\0\0", 3);                                    // a table of 4 colours
    gif.append(QByteArray::fromHex("000000ffffff336699cccccc"));  // black, white, blue, grey
    gif.append(',');
    putLittle16(gif, 0), putLittle16(gif, 0), putLittle16(gif, width), putLittle16(gif, height);
    gif.append('\0').append('\2');  // no table of its own; codes of 2 bits
    // Colour 1 in runs of 1, 2, 3 ... pixels, each the entry the run before
    // added (entry e holds e - 4 pixels) and, once the table is full, its
    // longest entry over and over; the last run as long as what is left.
    CodeWriter codes(2);
    codes.write(4);
    qint64 left = qint64(width) * height, run = 0;
    while (left > 0) {
        run = std::min(left, codes.next() < 4096 ? run + 1 : 4091);
        codes.write(run == 1 ? 1 : int(run) + 4);
        left -= run;
    }
    codes.write(5);
    const QByteArray data = codes.finished();
    for (int at = 0; at < data.size(); at += subBlock) {
        const QByteArray block = data.mid(at, subBlock);
        gif.append(char(block.size())).append(block);
    }
    return gif.append('\0').append(';');
}

QByteArray rleBmp(bool fourBits, int width, int height, bool sizeStated)
{
    const int colours = 16;
    QByteArray codes;
    for (int y = 0; y < height; ++y) {
        // Three literal pixels (padded to 16 bits), then a run of the rest, then the end of the line.
        if (fourBits)
            codes.append("\0\3", 2).append(char(0x12)).append(char(0x30));
        else
            codes.append("\0\3", 2).append(char(y % 8)).append(char(y % 8 + 1)).append(char(y % 8 + 2)).append('\0');
        codes.append(char(width - 3)).append(char(fourBits ? 0x45 : 9));
        codes.append("\0\0", 2);
    }
    codes.append("\0\1", 2);
    QByteArray bmp("BM");
    const int offset = 14 + 40 + 4 * colours;
    putLittle32(bmp, quint32(offset + codes.size()));
    putLittle32(bmp, 0);
    putLittle32(bmp, quint32(offset));
    putLittle32(bmp, 40);
    putLittle32(bmp, quint32(width));
    putLittle32(bmp, quint32(height));
    putLittle16(bmp, 1);
    putLittle16(bmp, fourBits ? 4 : 8);
    putLittle32(bmp, fourBits ? 2 : 1);
    putLittle32(bmp, sizeStated ? quint32(codes.size()) : 0);
    putLittle32(bmp, 2835), putLittle32(bmp, 2835);
    putLittle32(bmp, quint32(colours)), putLittle32(bmp, 0);
    for (int i = 0; i < colours; ++i)
        putLittle32(bmp, quint32(i * 0x010101 & 0xFFFFFF));
    return bmp.append(codes);
}

void setLittle32(QByteArray& data, int at, quint32 value)
{
    for (int i = 0; i < 4; ++i)
        data[at + i] = char(value >> 8 * i & 0xFF);
}

QByteArray topDownBmp(const QImage& image)
{
    // Qt writes the rows from the bottom: the same rows turned over, under a negative height.
    QByteArray bmp = encoded(image.mirrored(false, true), "BMP");
    setLittle32(bmp, 22, quint32(-image.height()));
    return bmp;
}

QByteArray tiff()
{
    QByteArray tiff("II*\0\x08\0\0\0", 8);
    const quint16 entries[][3] = {
        {256, 3, 1},                   // width
        {257, 3, 1},                   // height
        {258, 3, 8},                   // bits a sample
        {259, 3, 1},                   // no compression
        {262, 3, 1},                   // black is zero
        {273, 4, 8 + 2 + 8 * 12 + 4},  // the strip's offset: after the directory
        {278, 3, 1},                   // rows a strip
        {279, 4, 1},                   // the strip's bytes
    };
    putLittle16(tiff, 8);
    for (const auto& entry : entries) {
        putLittle16(tiff, entry[0]), putLittle16(tiff, entry[1]);
        putLittle32(tiff, 1), putLittle32(tiff, entry[2]);
    }
    putLittle32(tiff, 0);  // no next directory
    return tiff.append(char(0x80));
}

QByteArray iconHolding(const QByteArray& png)
{
    QByteArray icon("\0\0\1\0\1\0", 6);
    icon.append("\1\1\0\0", 4);  // 1 x 1, no palette
    putLittle16(icon, 1), putLittle16(icon, 32);
    putLittle32(icon, quint32(png.size())), putLittle32(icon, 22);
    return icon.append(png);
}

}  // namespace PlanImageSamples
