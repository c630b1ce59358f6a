#include "components/lx_objects/programming/colour_gradient.h"
#include "components/lx_objects/tests/stream_bytes.h"

#include <gtest/gtest.h>

#include <initializer_list>
#include <stdexcept>
#include <tuple>
#include <utility>

namespace {

ColourGradient gradient(std::initializer_list<std::pair<quint16, RGBData>> stops)
{
    ColourGradient g;
    for (const auto& [position, colour] : stops)
        g.addPoint(position, colour);
    return g;
}

}  // namespace

TEST(RGBData, ConstructorsSettersAndScale)
{
    EXPECT_EQ(RGBData(), rgb(0, 0, 0, 255, 128, 0x18));
    // Taken as unsigned: 256 and -1 both become 255.
    EXPECT_EQ(RGBData(256, -1, 7, 255), rgb(255, 255, 7, 255, 128, 31));
    for (const auto& e : {std::make_pair(300, 255), std::make_pair(-1, 255), std::make_pair(200, 200)}) {
        RGBData c = rgb(1, 2, 3, 4, 5, 0x03);
        c.setExtra(e.first);
        EXPECT_EQ(c, rgb(1, 2, 3, 4, e.second, 0x13)) << e.first;
    }

    const std::tuple<quint8, quint32, RGBData> scales[] = {
        {7, 0x8000, rgb(128, 64, 1, 9, 9, 7)},          // halved, rounded
        {0x1F, 0x10000, rgb(255, 128, 1, 9, 9, 0x1F)},  // 1.0 keeps the colour
        {7, 0x20000, rgb(255, 255, 2, 9, 9, 7)},        // doubled, held at 255
        {3, 0x8000, rgb(255, 128, 1, 9, 9, 3)}          // not all three low bits: unchanged
    };
    for (const auto& [kind, factor, expected] : scales) {
        RGBData c = rgb(255, 128, 1, 9, 9, kind);
        c.scale(factor);
        EXPECT_EQ(c, expected) << int(kind) << " " << factor;
    }

    EXPECT_EQ(rgb(255, 0, 0, 0, 0, 0).level(), 65536u);
    EXPECT_EQ(rgb(0, 0, 0, 7, 8, 9).normalised(), rgb(0, 0, 0, 7, 8, 9));
    for (int c = 1; c < 256; ++c)
        EXPECT_EQ(rgb(c, c / 2, 0, 0, 0, 0).normalised().red, 255) << c;
}

TEST(ColourGradient, Lookup)
{
    EXPECT_EQ(ColourGradient().lookup(32768, true), RGBData());

    const RGBData black(0, 0, 0, 255), white(255, 255, 255, 255);
    // t = 0.50000763: trunc(255 t) = 127, trunc(-255 t) + 255 = 128.
    EXPECT_EQ(gradient({{0, black}, {65535, white}}).lookup(32768), rgb(127, 127, 127, 255, 128, 31));
    EXPECT_EQ(gradient({{0, white}, {65535, black}}).lookup(32768), rgb(128, 128, 128, 255, 128, 31));

    // Outside the stops and at a stop the stored colour comes back whole;
    // between two, alpha is 255 and extra interpolated.
    const ColourGradient inner = gradient(
        {{1000, rgb(10, 20, 30, 40, 50, 31)}, {3000, rgb(90, 80, 70, 60, 150, 31)}, {2000, rgb(1, 2, 3, 4, 5, 31)}});
    EXPECT_EQ(inner.lookup(0), rgb(10, 20, 30, 40, 50, 31));
    EXPECT_EQ(inner.lookup(2000), rgb(1, 2, 3, 4, 5, 31));
    EXPECT_EQ(inner.lookup(65535), rgb(90, 80, 70, 60, 150, 31));
    EXPECT_EQ(inner.lookup(2250), rgb(23, 21, 19, 255, 41, 31));

    const ColourGradient single = gradient({{500, rgb(100, 50, 0, 255, 128, 31)}});
    quint32 level = 0;
    EXPECT_EQ(single.lookup(7, true, &level), rgb(255, 127, 0, 255, 128, 31));
    EXPECT_EQ(level, 25700u);
    EXPECT_EQ(single.lookup(7), rgb(100, 50, 0, 255, 128, 31));

    // Normalised between two stops: the ends are normalised, the level
    // interpolated from theirs; a black end keeps its raw channels.
    EXPECT_EQ(gradient({{0, black}, {100, RGBData(100, 50, 0, 255)}}).lookup(50, true, &level),
              rgb(127, 63, 0, 255, 128, 31));
    EXPECT_EQ(level, 12850u);
}

TEST(ColourGradient, AddPoint)
{
    ColourGradient g;
    // The first stop of an empty gradient: id 0, white when not explicit.
    EXPECT_EQ(g.addPoint(100, RGBData()), 0);
    EXPECT_EQ(g.lookup(100), rgb(255, 255, 255, 255, 128, 31));
    EXPECT_EQ(g.stops().at(100).aux, 0x8000);
    EXPECT_EQ(g.addPoint(300, RGBData(1, 2, 3, 4)), 1);
    // Not explicit: the colour of the stop after it, beyond the last the last's.
    EXPECT_EQ(g.addPoint(200, RGBData()), 2);
    EXPECT_EQ(g.stops().at(200).colour, RGBData(1, 2, 3, 4));
    EXPECT_EQ(g.addPoint(400, rgb(9, 9, 9, 9, 9, 0x18)), 3);
    EXPECT_EQ(g.stops().at(400).colour, RGBData(1, 2, 3, 4));
    // An occupied position: the id stays; only an explicit colour replaces.
    EXPECT_EQ(g.addPoint(300, rgb(7, 7, 7, 7, 7, 0x18)), 1);
    EXPECT_EQ(g.stops().at(300).colour, RGBData(1, 2, 3, 4));
    EXPECT_EQ(g.addPoint(300, rgb(7, 7, 7, 7, 7, 0xFF)), 1);
    EXPECT_EQ(g.stops().at(300).colour, rgb(7, 7, 7, 7, 7, 0xFF));
    EXPECT_EQ(g.ids(), (std::map<int, quint16> {{0, 100}, {1, 300}, {2, 200}, {3, 400}}));

    // The highest id present plus one, whatever order the ids came in.
    ColourGradient read;
    EXPECT_EQ(readBytes(read, hex("0002 0005 0009 010203040506 0001 0001 0002 010203040506 0002")), 0);
    EXPECT_EQ(read.addPoint(3, RGBData()), 10);

    // A stream counts stops in 16 bits: the 65536th is refused.
    ColourGradient full;
    for (int position = 0; position < 65535; ++position)
        full.addPoint(quint16(position), RGBData());
    try {
        full.addPoint(65535, RGBData());
        ADD_FAILURE() << "the 65536th stop was added";
    } catch (const std::length_error& e) {
        EXPECT_STREQ(e.what(), "Too many gradient stops");
    }
    EXPECT_EQ(full.stops().size(), 65535u);
    EXPECT_EQ(full.addPoint(7, RGBData(1, 1, 1, 1)), 7);  // an occupied position is still fine
}

TEST(ColourGradient, ReadsAndOldKinds)
{
    // Ids are 16 bits read back zero-extended, and a
    // position met twice is one stop named by its last id.
    ColourGradient read;
    EXPECT_EQ(readBytes(read, hex("0001 0007 ffff 000000ff801f 1234")), 0);
    EXPECT_EQ(read.ids(), (std::map<int, quint16> {{0xFFFF, 7}}));
    EXPECT_EQ(read.stops().at(7).aux, 0x1234);
    EXPECT_EQ(readBytes(read, hex("0002 0007 0001 000000ff801f 0000 0007 0002 000000ff801f 0000")), 0);
    EXPECT_EQ(read.ids(), (std::map<int, quint16> {{2, 7}}));

    // Below 103 the kind byte meant explicit (1) or not.
    const std::tuple<const char*, int, int> kinds[] = {
        {"0a0b0c0d0e01", 1, 31}, {"0a0b0c0d0e05", 5, 0}, {"0a0b0c0d0e1f", 31, 0}};
    for (const auto& [bytes, stored, old] : kinds)
        StreamCheck::expectGateReads<RGBData>(
            StreamCheck::chunks("-: " + std::string(bytes) + ";  -103:"), kProjectStreamVersion,
            [old = old, stored = stored](quint16 v) { return rgb(10, 11, 12, 13, 14, v < 103 ? old : stored); });
}
