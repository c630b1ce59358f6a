// BitmapFont is a font rendered ahead for the controllers: per character code
// a Glyph (its advance, three further metrics, one bit per pixel of its
// width x height cell, column by column, and one grey value per set pixel),
// with the font's height and two more header numbers. Fonts older than
// version 137 stored one bitmap for all glyphs with LegacyBitmapFontMetrics;
// the reader converts them.
//
// Plain values; FontData holds the font of a dynamic-text font. One thread
// uses a value at a time.
#ifndef LX_OBJECTS_MEDIA_BITMAP_FONT_H
#define LX_OBJECTS_MEDIA_BITMAP_FONT_H

#include "components/archive/object.h"
#include "components/archive/stream_fwd.h"
#include "seltrane_components/os/bit_vector.h"

#include <QtGlobal>

#include <array>
#include <map>
#include <vector>

struct Glyph
{
    static constexpr quint32 kTypeCode = 335;

    quint32 typeCode() const { return kTypeCode; }
    void read(InStream& in);
    void write(OutStream& out) const;

    bool operator==(const Glyph&) const = default;

    qint32 width = 0;  // the advance
    qint32 metric1 = 0;
    qint32 metric2 = 0;
    qint32 metric3 = 0;
    BitVector pixels;           // width x height bits, 1 where not blank
    std::vector<quint8> alpha;  // one per set bit, in bit order

private:
    friend class Archive::FieldAccess;
    template <class F, class Self>
    static void fields(F& f, Self& s);
};

// The metrics of the old single-bitmap form, character codes 32 to 255.
struct LegacyBitmapFontMetrics
{
    static constexpr quint32 kTypeCode = 205;
    static constexpr int kFirstCode = 32;
    static constexpr std::size_t kGlyphCount = 224;

    // Per glyph: offset of its columns in the bitmap (in cell columns), its
    // width in columns, then three metrics the glyph keeps.
    using Record = std::array<qint32, 5>;

    quint32 typeCode() const { return kTypeCode; }
    void read(InStream& in);
    void write(OutStream& out) const;

    bool operator==(const LegacyBitmapFontMetrics&) const = default;

    qint32 height = 0;
    qint32 header2 = 0;
    std::array<Record, kGlyphCount> records {};

private:
    friend class Archive::FieldAccess;
    template <class F, class Self>
    static void fields(F& f, Self& s);
};

class BitmapFont : public Archive::Value<BitmapFont>
{
public:
    static constexpr quint32 kTypeCode = 204;

    BitmapFont() = default;
    BitmapFont(const BitmapFont&) = default;
    BitmapFont& operator=(const BitmapFont&) = default;
    // A move takes the glyphs and leaves the source's glyph map empty.
    BitmapFont(BitmapFont&& other) noexcept;
    BitmapFont& operator=(BitmapFont&& other) noexcept;

    bool operator==(const BitmapFont&) const = default;

    qint32 header0 = 0;
    qint32 height = 0;
    qint32 header2 = 0;
    std::map<quint16, Glyph> glyphs;  // by character code

private:
    friend class Archive::FieldAccess;
    template <class F, class Self>
    static void fields(F& f, Self& s);
};
extern template class Archive::Value<BitmapFont>;

#endif  // LX_OBJECTS_MEDIA_BITMAP_FONT_H
