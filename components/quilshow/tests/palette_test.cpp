#include "components/quilshow/show/palette.h"
#include "components/quilshow/tests/show_load_fixture.h"

#include <tuple>

using namespace Quil;

namespace {

typedef ShowLoadFixture PaletteTest;

// A value record from version 26: value2, function, valueA, B0, kindBits and
// B6, `middle` (the kind's own words), e, B29, B12 and the two times; below
// 96 with the three words that were dropped.
ShowWriter valueRecord(quint16 version, quint16 function, quint16 kindBits, const std::vector<quint16>& middle)
{
    ShowWriter w(version);
    w.u16(0x010E);
    if (version < 96)
        w.u16(0).u16(0).u16(0x0102).u16(0);
    else
        w.u16(0x0102);
    w.u16(function).u16(0x1234).u16(0xFFC1).u16(kindBits).u16(0x0042);
    for (quint16 word : middle)
        w.u16(word);
    w.u16(2).u16(5).u16(0x0019).u16(0x2001).u16(200).u16(0x010F);
    return w;
}

TEST_F(PaletteTest, ValueFormsAndNumbers)
{
    // General form at 302: byte, B16, number2, number1; e = 2.
    for (const auto& c : {std::make_pair(0x008, 300u), std::make_pair(0x001, 30000u)}) {
        PaletteValue value;
        value.stream(open(valueRecord(302, 9, quint16(c.first), {0x01AB, 7, 12, 300})));
        EXPECT_EQ(0u, in.bytesLeft());
        EXPECT_EQ(std::make_tuple(c.second, 1200u, 700u, 0x102, 9, 0x1234u),
                  std::make_tuple(value.getNumber1(), value.getNumber2(), value.getNumber3(), int(value.value2),
                                  int(value.function), value.valueA()));
        // Narrow fields keep the low bits of their word.
        EXPECT_EQ(std::make_tuple(1u, 2u, 9u, 5u, 0xABu, 8200u, 200u),
                  std::make_tuple(value.fieldB0(), value.fieldB6(), value.fieldB12(), value.fieldB29(),
                                  value.byteValue(), value.getTimeA(), value.getTimeB()));
    }

    // Kind 0x402 (masked from 0xF402) from 238: B16 and two halves.
    PaletteValue halves;
    halves.stream(open(valueRecord(302, 0, 0xF402, {40, 0x5678, 0x9ABC})));
    EXPECT_EQ(std::make_tuple(0x402u, 4000u, 0u, 0x9ABC5678u),
              std::make_tuple(halves.kind(), halves.getNumber1(), halves.getNumber2(), halves.wordC));

    // Kind 0x100: B16 then the low bytes of four words.
    PaletteValue packed;
    packed.stream(open(valueRecord(302, 0, 0x100, {3, 0x1101, 0x1102, 0x1103, 0x1104})));
    EXPECT_EQ(std::make_tuple(0x04030201u, 300u, 0u),
              std::make_tuple(packed.wordC, packed.getNumber1(), packed.getNumber2()));
}

TEST_F(PaletteTest, ValueFunctionsFollowTheFunctionTable)
{
    // Function 31 at 200 moves to 35 like the table's own function 31.
    const std::tuple<quint16, quint32, quint16, quint8> cases[] = {
        {200, 128, 31, 35}, {200, 128, 32, 36}, {200, 23, 25, 34},  {66, 128, 22, 32},
        {67, 128, 23, 32},  {110, 23, 23, 32},  {302, 128, 31, 31}, {302, 128, 0x1F0, 0xF0}};
    for (const auto& [version, threshold, stored, current] : cases) {
        setFunctionRenumberThreshold(threshold);
        PaletteValue value;
        value.stream(open(valueRecord(version, stored, 1, {0, 0, 0, 0})));
        EXPECT_EQ(0u, in.bytesLeft());
        EXPECT_EQ(current, value.function) << version << " " << stored;
        EXPECT_EQ(current, renumberFunction(stored & 0xFF, version) & 0xFF);
    }
    // 0xFF is no function, and so is one that would pass 255: it would wrap onto Pan.
    const std::tuple<quint16, quint32, quint16> none[] = {
        {302, 128, 0xFF}, {200, 23, 0xFF}, {200, 23, 253}, {66, 128, 250}};
    for (const auto& [version, threshold, stored] : none) {
        setFunctionRenumberThreshold(threshold);
        PaletteValue value;
        value.stream(open(valueRecord(version, stored, 1, {0, 0, 0, 0})));
        EXPECT_EQ(kNoFunctionId, value.function) << version << " " << stored;
    }
    setFunctionRenumberThreshold(kDefaultFunctionRenumberThreshold);
}

TEST_F(PaletteTest, ColourRecordAndPalette)
{
    EXPECT_EQ(34495090u, PaletteColourRecord().getTime());
    EXPECT_EQ(200u, Palette().colourRecord.getTime());

    // A repeated skew key keeps the later vector; values read before are dropped.
    PaletteColourRecord record;
    record.values.resize(3);
    record.stream(
        open(26, rowsOf("1001 #0 b520 0300 0400 #2 #2 05000000 #1 01000000 05000000 #2 02000000 03000000 #0 1101")));
    EXPECT_EQ(0u, in.bytesLeft());
    EXPECT_EQ(std::make_tuple(true, 10000u, 4),
              std::make_tuple(record.values.empty(), record.getTime(), int(record.skewDirection)));
    EXPECT_EQ((std::vector<std::map<quint32, std::vector<quint32>>> {{{5, {2, 3}}}, {}}), record.skewGroups);
    PaletteColourRecord timed;
    timed.setTime(3600000);
    EXPECT_EQ(0x874F, timed.time);

    // Counts that the file cannot hold fail before anything is sized.
    for (const auto& counts : {std::make_pair(0x10000000u, 0u), std::make_pair(0u, 0x10000000u)}) {
        ShowWriter w(454);
        w.u16(0x0110).count(counts.first);
        if (!counts.first)
            w.u16(0).u16(0).u16(0).count(counts.second);
        PaletteColourRecord record;
        EXPECT_EQ("Error reading/writing from file", errorOf([&] { record.stream(open(w)); }));
    }
}

}  // namespace
