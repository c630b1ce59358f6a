// BitmapFontCache renders the bitmap fonts that controllers draw dynamic text
// with: for a font (family, pixel size, style flags as FontData keeps them)
// one glyph per character code 32 to 255 (Latin-1), each a cell of its
// advance x the font's height with the baseline at the ascent, its pixels
// column by column, top to bottom. A font is rendered once and kept.
//
// bitmapFontFor() uses the process-wide cache; tests make their own. Qt
// renders fonts on the GUI thread only, so every call must come from there
// (std::logic_error otherwise). The cache owns its fonts and hands out copies.
#ifndef LX_ENGINE_PROGRAMMING_BITMAP_FONT_CACHE_H
#define LX_ENGINE_PROGRAMMING_BITMAP_FONT_CACHE_H

#include "components/lx_objects/media/bitmap_font.h"

#include <QString>

#include <cstddef>
#include <map>

class FontData;

struct FontDescriptor
{
    static constexpr quint32 kMinSize = 1;
    static constexpr quint32 kMaxSize = 512;

    // FontData's family, size and style flags.
    static FontDescriptor of(const FontData& font);
    // The size taken into kMinSize..kMaxSize and only the three known flags.
    FontDescriptor normalised() const;

    bool operator<(const FontDescriptor& other) const;

    QString family;  // an unknown family renders in Qt's substitute
    quint32 size = 16;
    quint8 styleFlags = 0;  // FontData::kBold, kItalic, kAntialiased
};

class BitmapFontCache
{
public:
    static BitmapFontCache& instance();

    // The font rendered for the descriptor, rendering it on first use.
    BitmapFont fontFor(const FontDescriptor& descriptor);
    // How many fonts this cache has rendered.
    std::size_t renderCount() const { return m_fonts.size(); }

private:
    std::map<FontDescriptor, BitmapFont> m_fonts;
};

BitmapFont bitmapFontFor(const FontDescriptor& descriptor);

#endif  // LX_ENGINE_PROGRAMMING_BITMAP_FONT_CACHE_H
