#include "components/lx_objects/media/font_data.h"
#include "components/lx_objects/tests/stream_bytes.h"

#include <gtest/gtest.h>

#include <map>
#include <string>
#include <utility>

using StreamCheck::kNewest;

namespace {

// 'A' with the pixels 0, 7, 0, 200 in a cell of height 2.
Glyph sampleGlyph()
{
    Glyph glyph;
    glyph.width = 2, glyph.metric1 = 1, glyph.metric2 = 2, glyph.metric3 = 3;
    glyph.pixels = BitVector(4, 1);
    glyph.pixels.setBit(3);
    glyph.alpha = {7, 200};
    return glyph;
}

FontData sampleFont()
{
    FontData font;
    font.name = QStringLiteral("F"), font.number = 2, font.family = QStringLiteral("A"), font.size = 12;
    font.styleFlags = FontData::kBold | FontData::kAntialiased, font.option = 3;
    font.bitmap.header0 = 7, font.bitmap.height = 2, font.bitmap.header2 = 1;
    font.bitmap.glyphs[65] = sampleGlyph();
    return font;
}

// The old form's metrics: code 65 at columns 1 and 2 of the bitmap; 66 runs
// past its end, 67 starts before it, 68 overflows 32 bits; the rest are
// empty glyphs at column 0.
std::string legacyMetrics()
{
    const std::map<int, const char*> placed = {
        {65, "00000001 00000002 00000001 00000002 00000003"},
        {66, "00000001 00000005 00000000 00000000 00000000"},
        {67, "ffffffff 00000001 00000000 00000000 00000000"},
        {68, "7fffffff 7fffffff 00000000 00000000 00000000"},
    };
    std::string bytes = "00cd 00000002 00000001";
    for (int code = 32; code < 256; ++code) {
        const auto found = placed.find(code);
        bytes.append(" ").append(found != placed.end() ? found->second : "0000000000000000000000000000000000000000");
    }
    return bytes.append(" 0006 00000006 0000 0007 00c8 11111111 22222222 00000007");
}

}  // namespace

TEST(FontData, StreamFormAndTheOldSingleBitmap)
{
    const std::string legacy = legacyMetrics();
    const std::vector<StreamCheck::Chunk> layout = {
        {0, kNewest, "00000002 0046 00000002 00000002 0041 0000000c 05"},
        {137, kNewest, "03"},
        {0, kNewest, "00cc"},
        // glyphs, then header2, height, header0
        {137, kNewest,
         "0008 00000001 0041 014f 00000002 00000001 00000002 00000003 0006 00000002 07c8 0018 00000004 0a "
         "00000001 00000002 00000007"},
        {0, 137, legacy.c_str()},
    };
    const FontData font = sampleFont();
    const QByteArray bytes = StreamCheck::bytesAt(kProjectStreamVersion, layout);
    EXPECT_EQ(writtenBytes(font).toHex(), bytes.toHex());
    EXPECT_TRUE(StreamCheck::stableRoundTrip(font, kProjectStreamVersion));
    EXPECT_TRUE(everyStrictPrefixFails(font));
    StreamCheck::expectGateReads<FontData>(layout, kProjectStreamVersion, [&](quint16 v) {
        FontData expected = font;
        if (v < 137) {
            expected.option = 1;
            for (int code = 32; code < 256; ++code) {
                if (code != 65 && (code < 66 || code > 68))
                    expected.bitmap.glyphs[quint16(code)] = Glyph();
            }
        }
        return expected;
    });

    const auto read = [](InStream& in) { FontData().read(in); };
    const int glyphCount = bytes.indexOf(hex("0008 00000001")) + 2;
    const int alphaCount = bytes.indexOf(hex("0006 00000002")) + 2;
    const QByteArray old = StreamCheck::bytesAt(136, layout);
    const int bitmapCount = old.indexOf(hex("0006 00000006")) + 2;
    for (const auto& [data, at, version] :
         {std::tuple(bytes, glyphCount, kProjectStreamVersion), std::tuple(bytes, alphaCount, kProjectStreamVersion),
          std::tuple(old, bitmapCount, quint16(136))})
        EXPECT_TRUE(StreamCheck::damagedReadFails(
            data, at, "7fffffff", version, "Error reading from file, count 2147483647 exceeds the data remaining",
            read));
    const int bitCount = bytes.indexOf(hex("0018 00000004")) + 2;
    EXPECT_TRUE(StreamCheck::damagedReadFails(bytes, bitCount, "7fffffff", kProjectStreamVersion,
                                              "Error reading from file", read));
}

TEST(FontData, MovesTakeTheGlyphs)
{
    BitmapFont source = sampleFont().bitmap;
    BitmapFont target;
    target.glyphs[1] = Glyph();
    target = std::move(source);
    EXPECT_EQ(target, sampleFont().bitmap);
    EXPECT_TRUE(source.glyphs.empty());
    BitmapFont constructed(std::move(target));
    EXPECT_EQ(constructed, sampleFont().bitmap);
    EXPECT_TRUE(target.glyphs.empty());
}

TEST(FontData, OldGlyphsSharingColumnsCannotGrowPastTheirBudget)
{
    // Every glyph covers the whole 16 KiB bitmap: a real font's glyphs lie
    // side by side, so only eight bitmaps' worth (128 KiB) convert.
    std::string record;
    for (int code = 32; code < 256; ++code)
        record += " 00000000 00004000 00000000 00000000 00000000";
    const QByteArray bytes =
        hex(("00000002 0046 00000002 00000002 0041 0000000c 05 00cc 00cd 00000001 00000000" + record + " 0006 00004000")
                .c_str())
        + QByteArray(16384, '\1') + hex("11111111 22222222 00000007");
    FontData font;
    ASSERT_EQ(readBytes(font, bytes, 136), 0);
    EXPECT_EQ(font.bitmap.glyphs.size(), 8u);
    EXPECT_EQ(font.bitmap.glyphs.begin()->second.alpha.size(), 16384u);
}
