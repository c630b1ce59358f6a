#include "components/quilshow/show/dali.h"
#include "components/quilshow/show/default_functions.h"
#include "components/quilshow/show/dynamic_text.h"
#include "components/quilshow/show/function.h"
#include "components/quilshow/show/hardware_types.h"
#include "components/quilshow/show/output_node.h"
#include "components/quilshow/show/show_kinds.h"
#include "components/quilshow/show/show_streamer.h"
#include "show_writer.h"

#include <QTemporaryDir>
#include <gtest/gtest.h>

#include <stdexcept>

using namespace Quil;

namespace {

TEST(HardwareTypes, Families)
{
    EXPECT_TRUE(isKelvoType(3));
    EXPECT_TRUE(isKelvoType(7));
    EXPECT_FALSE(isKelvoType(4));
    EXPECT_TRUE(isQMBType(1, 1));
    EXPECT_TRUE(isQMBType(5, 0));
    EXPECT_FALSE(isQMBType(5, 2));
    EXPECT_TRUE(isQMBType(6, 0));
    EXPECT_TRUE(isQMBType(2, 2));
    EXPECT_FALSE(isQMBType(2, 1));
    EXPECT_FALSE(isQMBType(1, 3));
    EXPECT_FALSE(isQMBType(7, 0));
    EXPECT_TRUE(isHardwareType9or10(10));
    EXPECT_FALSE(isHardwareType9or10(11));
    EXPECT_TRUE(isKNVType(14));
    EXPECT_FALSE(isKNVType(13));
    EXPECT_TRUE(isQMBZType(8));
    EXPECT_FALSE(isQMBZType(-4));
    for (int type : {-1, 0, 15, 1000, -2147483647 - 1}) {
        EXPECT_FALSE(isKelvoType(type) || isQMBType(type, 0) || isHardwareType9or10(type) || isKNVType(type) ||
                     isQMBZType(type))
            << type;
    }

    EXPECT_TRUE(areHardwareTypesCompatible(0, 0));
    EXPECT_TRUE(areHardwareTypesCompatible(13, 13));
    EXPECT_TRUE(areHardwareTypesCompatible(14, 12));
    EXPECT_TRUE(areHardwareTypesCompatible(11, 14));
    EXPECT_FALSE(areHardwareTypesCompatible(13, 14));
    for (int a = 1; a <= 4; ++a) {
        EXPECT_TRUE(areHardwareTypesCompatible(a, a + 4));
        EXPECT_TRUE(areHardwareTypesCompatible(a + 4, a));
    }
    EXPECT_TRUE(areHardwareTypesCompatible(10, 9));
    EXPECT_FALSE(areHardwareTypesCompatible(1, 2));
    EXPECT_FALSE(areHardwareTypesCompatible(5, 9));
    EXPECT_FALSE(areHardwareTypesCompatible(8, 12));
    EXPECT_FALSE(areHardwareTypesCompatible(-3, 1));
}

TEST(DefaultFunctions, TableAndRenumbering)
{
    EXPECT_EQ(0u, kDefaultFunctions[0].id);
    EXPECT_STREQ("Colour Temp Correct", kDefaultFunctions[1].name);
    EXPECT_EQ(9u, kDefaultFunctions[8].id);
    EXPECT_EQ(8u, kDefaultFunctions[9].id);
    EXPECT_EQ(11u, kDefaultFunctions[10].id);
    EXPECT_EQ(10u, kDefaultFunctions[11].id);
    EXPECT_STREQ("Gobo <> Mode 2", kDefaultFunctions[18].name);
    EXPECT_EQ(16u, kDefaultFunctions[20].categoryMask);
    EXPECT_EQ(30u, kDefaultFunctions[30].id);
    std::unique_ptr<Function> made(makeDefaultFunction(9));
    EXPECT_EQ(8, made->id());
    EXPECT_EQ("Colour Mode", made->name);

    setFunctionRenumberThreshold(kDefaultFunctionRenumberThreshold);
    EXPECT_EQ(32u, renumberFunction(22, 66));
    EXPECT_EQ(21u, renumberFunction(21, 66));
    EXPECT_EQ(22u, renumberFunction(22, 67));
    EXPECT_EQ(32u, renumberFunction(23, 67));
    EXPECT_EQ(25u, renumberFunction(25, 130));
    EXPECT_EQ(44u, renumberFunction(40, 130));
    EXPECT_EQ(30u, renumberFunction(30, 110));
    EXPECT_EQ(137u, renumberFunction(128, 110));
    EXPECT_EQ(40u, renumberFunction(40, 302));
    setFunctionRenumberThreshold(kLowFunctionRenumberThreshold);
    EXPECT_EQ(34u, renumberFunction(25, 130));
    EXPECT_EQ(40u, renumberFunction(31, 130));
    EXPECT_EQ(44u, renumberFunction(40, 130));
    EXPECT_EQ(32u, renumberFunction(23, 110));
    EXPECT_EQ(22u, renumberFunction(22, 110));
    setFunctionRenumberThreshold(kDefaultFunctionRenumberThreshold);

    EXPECT_TRUE(lowersFunctionRenumberThreshold(31, 99));
    EXPECT_FALSE(lowersFunctionRenumberThreshold(32, 126));
    EXPECT_TRUE(lowersFunctionRenumberThreshold(26, 127));
    EXPECT_FALSE(lowersFunctionRenumberThreshold(27, 301));
    EXPECT_FALSE(lowersFunctionRenumberThreshold(23, 98));
    EXPECT_FALSE(lowersFunctionRenumberThreshold(23, 302));
}

TEST(ShowKinds, MagicByKind)
{
    EXPECT_EQ(0x8484u, fileTypeMagicForKind("kvq"));
    EXPECT_EQ(0x8484u, fileTypeMagicForKind("KVX"));
    EXPECT_EQ(0x9393u, fileTypeMagicForKind("wvq"));
    EXPECT_EQ(0x9393u, fileTypeMagicForKind("wvx"));
    EXPECT_EQ(0x7575u, fileTypeMagicForKind("jvq"));
    EXPECT_EQ(0x7575u, fileTypeMagicForKind("jvx"));
    EXPECT_EQ(0u, fileTypeMagicForKind("kv2"));
    EXPECT_EQ(0u, fileTypeMagicForKind(""));
}

class StreamedItems : public ::testing::Test
{
protected:
    ShowStreamer& open(const ShowWriter& body)
    {
        ShowWriter w(body.version);
        w.header(0x8484).raw(body.data);
        EXPECT_TRUE(w.save(dir.filePath("items")));
        in.close();
        EXPECT_TRUE(in.open(dir.filePath("items").toStdString(), ShowStreamer::BINARY_IN));
        in.readVersion();
        return in;
    }

    QTemporaryDir dir;
    ShowStreamer in{0x8484};
};

TEST_F(StreamedItems, DaliTestScheduleForms)
{
    ShowWriter w(454);
    w.u8(0).u8(1).u8(2).u16(700);                          // days
    w.u8(1).u8(0).u8(0).u8(3).u8(0x41);                    // weeks
    w.u8(2).u8(0).u8(0).u8(4).u8(0).u8(2).u8(5);           // months, week and weekday
    w.u8(2).u8(0).u8(0).u8(4).u8(1).u32(0x80000001);       // months, day set
    w.u8(2).u8(0).u8(0).u8(4).u8(7);                       // months, unknown day mode
    w.u8(3).u8(0).u8(0).u8(1).u16(0x0005).u8(0).u8(28);    // years, day of month
    w.u8(3).u8(0).u8(0).u8(1).u16(0x0800).u8(1).u8(6).u8(2);  // years, week and weekday
    w.u8(4).u8(0).u8(0);
    open(w);

    DaliTestSchedule s;
    EXPECT_EQ(2, s.kind);
    EXPECT_EQ(1, s.interval);
    EXPECT_EQ(1, s.monthWeek);
    EXPECT_EQ(0, s.weekday);
    EXPECT_EQ(0, s.dayMode);

    s.stream(in);
    EXPECT_EQ(0, s.kind);
    EXPECT_EQ(1, s.leading1);
    EXPECT_EQ(2, s.leading2);
    EXPECT_EQ(700, s.interval);
    s.stream(in);
    EXPECT_EQ(3, s.interval);
    EXPECT_EQ(0x41, s.weekdays);
    s.stream(in);
    EXPECT_EQ(4, s.interval);
    EXPECT_EQ(2, s.monthWeek);
    EXPECT_EQ(5, s.weekday);
    s.stream(in);
    EXPECT_EQ(0x80000001u, s.days);
    s.stream(in);
    EXPECT_EQ(7, s.dayMode);
    s.stream(in);
    EXPECT_EQ(0x0005, s.months);
    EXPECT_EQ(28, s.dayOfMonth);
    s.stream(in);
    EXPECT_EQ(0x0800, s.months);
    EXPECT_EQ(6, s.monthWeek);
    EXPECT_EQ(2, s.weekday);
    EXPECT_EQ("Unsupported version-1 section: DALI test schedule", errorOf([&] { s.stream(in); }));
    EXPECT_EQ(3, s.kind);
}

TEST_F(StreamedItems, DaliSectionRefusesItems)
{
    DALIShowComponent dali;
    open(ShowWriter(46));
    dali.read(in);
    EXPECT_EQ(0u, in.bytesLeft());

    ShowWriter w(416);
    w.u16(0).u16(0).u16(0);
    open(w);
    dali.read(in);
    EXPECT_EQ(0u, in.bytesLeft());
    EXPECT_EQ(2, dali.testSchedules[0].kind);

    for (int which = 0; which < 3; ++which) {
        ShowWriter items(416);
        items.u16(which == 0).u16(which == 1).u16(which == 2);
        open(items);
        const char* names[] = {"Unsupported version-1 section: DALI interfaces",
                               "Unsupported version-1 section: DALI fixtures",
                               "Unsupported version-1 section: DALI scenes"};
        EXPECT_EQ(names[which], errorOf([&] { dali.read(in); }));
    }
}

TEST_F(StreamedItems, OutputNodeDetails)
{
    // A version-149 node: no markers, nothing beyond the id.
    ShowWriter old(149);
    old.u16(2).u16(7).u16(39);
    open(old);
    OutputNodeShowComponent nodes;
    nodes.read(in);
    EXPECT_EQ(2u, nodes.nodes.size());
    EXPECT_TRUE(nodes.nodes.exists(7));
    EXPECT_TRUE(nodes.nodes.exists(39));
    EXPECT_EQ(64u, nodes.nodes.find(39)->outputSettings.size());

    // Ids of 40 or more are dropped; duplicate links too.
    ShowWriter w(454);
    w.u16(2);
    for (quint16 id : {40, 1}) {
        w.u16(0x0132).u16(id).u8(0).count(0).count(0).count(0).u16(0);
        w.u16(2).u16(4).u16(9).u8(1).u16(4).u16(9).u8(2);  // second key id 4 dropped
        w.u16(0x0133);
    }
    w.u16(3).u32(1).u32(2).u32(1).u32(3).u32(5).u32(2);
    w.count(2).u16(6).u8(1).u32(10).u16(5).u8(1).u32(11);  // kinds 5 and 6 are one device
    open(w);
    OutputNodeShowComponent current;
    current.read(in);
    EXPECT_EQ(1u, current.nodes.size());
    EXPECT_EQ(1u, current.nodes.find(1)->universeKeys.size());
    EXPECT_EQ(1, current.nodes.find(1)->universeKeys.find(4)->key.number);
    EXPECT_EQ(1, current.lookupId(2));
    EXPECT_EQ(-1, current.lookupId(3));
    EXPECT_EQ(-1, current.lookupId(1));
    ASSERT_EQ(1u, current.remoteDevices.size());
    EXPECT_EQ(11u, current.remoteDevices.begin()->second);

    ShowWriter bad(454);
    bad.u16(1).u16(0x0132).u16(1).u8(0).count(0).count(0).count(0).u16(0).u16(0).u16(0x0134);
    open(bad);
    OutputNodeShowComponent failing;
    EXPECT_EQ("Magic number doesn't match 307", errorOf([&] { failing.read(in); }));
}

TEST_F(StreamedItems, OldTextPresetsTakeTheirOffsetFromTheFont)
{
    // A provider fills the font's metrics once; the offset is value A (the
    // orientation is 1) less metrics word 1.
    ShowWriter withFont(250);
    writeDynamicText(withFont, true);
    open(withFont);
    DynamicTextShowComponent text;
    int calls = 0;
    text.metricsProvider = [&calls](const FontData&, FontData::Metrics& metrics) {
        ++calls;
        metrics[1] = 10;
    };
    text.read(in);
    EXPECT_EQ(0u, in.bytesLeft());
    EXPECT_EQ(1, calls);
    EXPECT_FALSE(text.getFont(2).metricsStale);
    EXPECT_EQ(30u, text.getTextPreset(5).offset);

    // A preset naming a font the show lacks is kept, on zero metrics.
    ShowWriter w(250);
    w.u16(0).u16(0).u16(1);
    w.u16(0x0142).u16(4).u32(0).count(0).count(0).u32(9).u16(1).u8(0).u16(0).u16(0).u8(0).u8(0);
    w.u16(0).u16(0).u16(0).u16(70).u16(80).u16(0x0143);
    w.count(0).count(0);
    open(w);
    DynamicTextShowComponent missing;
    missing.read(in);
    EXPECT_EQ(0u, in.bytesLeft());
    EXPECT_EQ(80u, missing.getTextPreset(4).offset);
    EXPECT_EQ(1, missing.getTextPreset(4).direction);
    EXPECT_TRUE(missing.presetsByFont.empty());  // stored from version 221
}

TEST(TwoKeyTableTest, DropsRepeatedMembers)
{
    TwoKeyTable<quint16, quint16> table;
    EXPECT_EQ(-1, table.firstFor(10));
    EXPECT_TRUE(table.insert(3, 10));
    EXPECT_FALSE(table.insert(5, 10));
    EXPECT_FALSE(table.insert(3, 11));
    EXPECT_EQ(3, table.firstFor(10));
    EXPECT_EQ(10, table.secondFor(3));
    EXPECT_EQ(-1, table.secondFor(5));
    EXPECT_TRUE(table.insert(0xFFFF, 0xFFFF));
    EXPECT_EQ(0xFFFF, table.firstFor(0xFFFF));
}

}  // namespace
