#include "components/lx_engine/programming/bitmap_font_cache.h"

#include "components/lx_objects/media/font_data.h"

#include <QCoreApplication>
#include <QFont>
#include <QFontMetrics>
#include <QGuiApplication>
#include <QImage>
#include <QPainter>
#include <QThread>

#include <algorithm>
#include <stdexcept>
#include <tuple>

namespace {

constexpr quint8 kKnownFlags = FontData::kBold | FontData::kItalic | FontData::kAntialiased;
constexpr int kFirstCode = 32;
constexpr int kLastCode = 255;

void requireGuiThread()
{
    const QCoreApplication* application = QCoreApplication::instance();
    if (!qobject_cast<const QGuiApplication*>(application) || QThread::currentThread() != application->thread())
        throw std::logic_error("Fonts can only be rendered on the GUI thread");
}

Glyph renderGlyph(const QFont& font, const QFontMetrics& metrics, QChar character)
{
    const QString text(character);
    const int height = metrics.ascent() + metrics.descent();
    Glyph glyph;
    glyph.width = std::max(0, metrics.horizontalAdvance(text));
    glyph.pixels = BitVector(quint32(glyph.width) * quint32(std::max(0, height)));
    if (glyph.width == 0 || height <= 0)
        return glyph;

    QImage cell(glyph.width, height, QImage::Format_Grayscale8);
    cell.fill(0);
    QPainter painter(&cell);
    painter.setFont(font);
    painter.setPen(Qt::white);
    painter.drawText(0, metrics.ascent(), text);
    painter.end();

    quint32 bit = 0;
    for (int x = 0; x < cell.width(); ++x) {
        for (int y = 0; y < cell.height(); ++y, ++bit) {
            const quint8 grey = cell.constScanLine(y)[x];
            if (grey != 0) {
                glyph.pixels.setBit(bit);
                glyph.alpha.push_back(grey);
            }
        }
    }
    return glyph;
}

BitmapFont render(const FontDescriptor& descriptor)
{
    QFont font(descriptor.family);
    font.setPixelSize(int(descriptor.size));
    font.setBold(descriptor.styleFlags & FontData::kBold);
    font.setItalic(descriptor.styleFlags & FontData::kItalic);
    font.setStyleStrategy(descriptor.styleFlags & FontData::kAntialiased ? QFont::PreferAntialias : QFont::NoAntialias);
    const QFontMetrics metrics(font);
    BitmapFont result;
    result.height = metrics.ascent() + metrics.descent();
    result.header2 = metrics.ascent();
    for (int code = kFirstCode; code <= kLastCode; ++code)
        result.glyphs[quint16(code)] = renderGlyph(font, metrics, QChar::fromLatin1(char(code)));
    return result;
}

}  // namespace

FontDescriptor FontDescriptor::of(const FontData& font)
{
    return FontDescriptor {font.family, font.size, font.styleFlags};
}

FontDescriptor FontDescriptor::normalised() const
{
    return FontDescriptor {family, std::clamp(size, kMinSize, kMaxSize), quint8(styleFlags & kKnownFlags)};
}

bool FontDescriptor::operator<(const FontDescriptor& other) const
{
    return std::tie(family, size, styleFlags) < std::tie(other.family, other.size, other.styleFlags);
}

BitmapFontCache& BitmapFontCache::instance()
{
    static BitmapFontCache cache;
    return cache;
}

BitmapFont BitmapFontCache::fontFor(const FontDescriptor& descriptor)
{
    requireGuiThread();
    const FontDescriptor key = descriptor.normalised();
    auto found = m_fonts.find(key);
    if (found == m_fonts.end())
        found = m_fonts.emplace(key, render(key)).first;
    return found->second;
}

BitmapFont bitmapFontFor(const FontDescriptor& descriptor) { return BitmapFontCache::instance().fontFor(descriptor); }
