#include "components/lx_objects/media/bitmap_font.h"

#include "components/archive/fields.h"

#include <algorithm>
#include <utility>

namespace {

// The old form: metrics, one bitmap holding every glyph's columns of
// `height` bytes (one grey value a pixel), two numbers nothing uses and the
// first header number. A glyph whose numbers are negative or whose columns
// lie outside the bitmap is left out; the others convert. Glyphs may share
// columns, but a file must not make the converted glyphs many times larger
// than the bitmap it stored: past kMaxExpansion times the bitmap (or 64 KiB),
// further glyphs are left out.
constexpr qint64 kMaxExpansion = 8;
constexpr qint64 kMinBudget = 64 * 1024;

void readLegacyFont(InStream& in, std::map<quint16, Glyph>& glyphs, qint32& header2, qint32& height, qint32& header0)
{
    LegacyBitmapFontMetrics metrics;
    std::vector<quint8> bitmap;
    qint32 unused = 0;
    in >> metrics >> bitmap >> unused >> unused >> header0;
    in.checkStatus();
    height = metrics.height;
    header2 = metrics.header2;

    const qint64 cellHeight = metrics.height;
    qint64 budget = std::max(kMinBudget, kMaxExpansion * qint64(bitmap.size()));
    for (std::size_t g = 0; g < LegacyBitmapFontMetrics::kGlyphCount; ++g) {
        const LegacyBitmapFontMetrics::Record& record = metrics.records[g];
        if (cellHeight < 0 || record[0] < 0 || record[1] < 0)
            continue;
        // 64 bits: the numbers come from the file.
        const qint64 start = qint64(record[0]) * cellHeight;
        const qint64 length = qint64(record[1]) * cellHeight;
        if (start + length > qint64(bitmap.size()) || length > budget)
            continue;
        budget -= length;
        Glyph glyph;
        glyph.width = record[1];
        glyph.metric1 = record[2];
        glyph.metric2 = record[3];
        glyph.metric3 = record[4];
        glyph.pixels = BitVector(quint32(length));
        for (qint64 i = 0; i < length; ++i) {
            const quint8 grey = bitmap[std::size_t(start + i)];
            if (grey != 0) {
                glyph.pixels.setBit(quint32(i));
                glyph.alpha.push_back(grey);
            }
        }
        glyphs[quint16(LegacyBitmapFontMetrics::kFirstCode + g)] = std::move(glyph);
    }
}

}  // namespace

template <class F, class Self>
void Glyph::fields(F& f, Self& s)
{
    f(s.width, s.metric1, s.metric2, s.metric3, s.alpha, s.pixels);
}

template <class F, class Self>
void LegacyBitmapFontMetrics::fields(F& f, Self& s)
{
    f(s.height, s.header2);
    for (auto& record : s.records) {
        for (auto& value : record)
            f(value);
    }
}

BitmapFont::BitmapFont(BitmapFont&& other) noexcept
    : header0(other.header0), height(other.height), header2(other.header2), glyphs(std::move(other.glyphs))
{
    other.glyphs.clear();
}

BitmapFont& BitmapFont::operator=(BitmapFont&& other) noexcept
{
    if (this != &other) {
        glyphs.clear();
        glyphs.swap(other.glyphs);
        header0 = other.header0;
        height = other.height;
        header2 = other.header2;
    }
    return *this;
}

template <class F, class Self>
void BitmapFont::fields(F& f, Self& s)
{
    f.since(137, s.glyphs, s.header2, s.height, s.header0).orRead(readLegacyFont);
}

void Glyph::read(InStream& in) { Archive::readFields(in, *this); }

void Glyph::write(OutStream& out) const { Archive::writeFields(out, *this); }

void LegacyBitmapFontMetrics::read(InStream& in) { Archive::readFields(in, *this); }

void LegacyBitmapFontMetrics::write(OutStream& out) const { Archive::writeFields(out, *this); }

template class Archive::Value<BitmapFont>;
