#include "components/lx_engine/programming/bitmap_font_cache.h"
#include "components/lx_objects/media/font_data.h"
#include "components/lx_objects/tests/stream_bytes.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <thread>

namespace {

const QString kFamily = QStringLiteral("DejaVu Sans");

quint32 inkOf(const BitmapFont& font, char character)
{
    return font.glyphs.at(quint16(character)).pixels.countSetBits();
}

}  // namespace

TEST(BitmapFontCache, RendersEachLatin1Glyph)
{
    BitmapFontCache cache;
    const BitmapFont font = cache.fontFor({kFamily, 24, FontData::kAntialiased});
    ASSERT_EQ(font.glyphs.size(), 224u);
    EXPECT_EQ(font.glyphs.begin()->first, 32);
    EXPECT_EQ(font.glyphs.rbegin()->first, 255);
    EXPECT_GT(font.height, 0);
    EXPECT_TRUE(font.header2 > 0 && font.header2 <= font.height && font.header0 == 0);
    for (const auto& [code, glyph] : font.glyphs) {
        EXPECT_EQ(glyph.pixels.size(), quint32(glyph.width * font.height)) << code;
        EXPECT_EQ(glyph.alpha.size(), glyph.pixels.countSetBits()) << code;
        EXPECT_TRUE(std::count(glyph.alpha.begin(), glyph.alpha.end(), 0) == 0) << code;
    }
    EXPECT_GT(font.glyphs.at(' ').width, 0);
    EXPECT_EQ(inkOf(font, ' '), 0u);
    EXPECT_GT(font.glyphs.at('W').width, font.glyphs.at('i').width);
    EXPECT_GT(inkOf(font, 'H'), 0u);
    const std::vector<quint8>& edges = font.glyphs.at('O').alpha;
    EXPECT_TRUE(std::any_of(edges.begin(), edges.end(), [](quint8 a) { return a != 255; }));  // anti-aliased
    EXPECT_GE(inkOf(cache.fontFor({kFamily, 24, FontData::kAntialiased | FontData::kBold}), 'H'), inkOf(font, 'H'));

    const BitmapFont plain = cache.fontFor({kFamily, 24, 0});
    for (const auto& [code, glyph] : plain.glyphs)
        EXPECT_TRUE(std::all_of(glyph.alpha.begin(), glyph.alpha.end(), [](quint8 a) { return a == 255; })) << code;

    // Once rendered, a font comes from the cache; sizes outside 1..512 are the nearest.
    const std::size_t rendered = cache.renderCount();
    EXPECT_EQ(cache.fontFor({kFamily, 24, FontData::kAntialiased | 0xF8}), font);
    EXPECT_EQ(cache.renderCount(), rendered);
    EXPECT_EQ(cache.fontFor({kFamily, 0, 0}), cache.fontFor({kFamily, 1, 0}));
    EXPECT_EQ(cache.renderCount(), rendered + 1);
    EXPECT_EQ(cache.fontFor({QStringLiteral("No Such Family"), 9, 0}).glyphs.size(), 224u);

    // Off the GUI thread Qt cannot render.
    std::thread([&] {
        try {
            cache.fontFor({kFamily, 8, 0});
            ADD_FAILURE() << "rendered off the GUI thread";
        } catch (const std::logic_error& e) {
            EXPECT_STREQ(e.what(), "Fonts can only be rendered on the GUI thread");
        }
    }).join();

    FontData data;
    data.family = kFamily, data.size = 24, data.styleFlags = FontData::kAntialiased;
    data.bitmap = bitmapFontFor(FontDescriptor::of(data));
    EXPECT_EQ(data.bitmap, font);
    EXPECT_TRUE(StreamCheck::stableRoundTrip(data, kProjectStreamVersion));
}
