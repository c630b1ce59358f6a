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

#include <functional>
#include <set>

using namespace Quil;

namespace {

TEST(HardwareTypes, FamiliesAndCompatibility)
{
    std::vector<int> types{-2147483647 - 1, -1, 1000};
    for (int type = 0; type <= 16; ++type)
        types.push_back(type);
    const auto members = [&types](const std::function<bool(int)>& inFamily) {
        std::set<int> found;
        for (int type : types) {
            if (inFamily(type))
                found.insert(type);
        }
        return found;
    };
    EXPECT_EQ((std::set<int>{3, 7}), members(isKelvoType));
    EXPECT_EQ((std::set<int>{1, 2, 5, 6}), members([](int t) { return isQMBType(t, 0); }));
    EXPECT_EQ((std::set<int>{1, 5}), members([](int t) { return isQMBType(t, 1); }));
    EXPECT_EQ((std::set<int>{2, 6}), members([](int t) { return isQMBType(t, 2); }));
    EXPECT_EQ(std::set<int>{}, members([](int t) { return isQMBType(t, 3); }));
    EXPECT_EQ((std::set<int>{9, 10}), members(isHardwareType9or10));
    EXPECT_EQ((std::set<int>{11, 12, 14}), members(isKNVType));
    EXPECT_EQ((std::set<int>{4, 8}), members(isQMBZType));

    const std::set<std::pair<int, int>> pairs{{1, 5}, {2, 6}, {3, 7}, {4, 8}, {9, 10}, {11, 12}, {11, 14}, {12, 14}};
    for (int a : types) {
        for (int b : types) {
            const bool expected = a == b || pairs.count({a, b}) || pairs.count({b, a});
            EXPECT_EQ(expected, areHardwareTypesCompatible(a, b)) << a << " " << b;
        }
    }
}

TEST(DefaultFunctions, RenumberingAndThreshold)
{
    std::unique_ptr<Function> made(makeDefaultFunction(9));
    EXPECT_EQ(8, made->id());
    EXPECT_EQ("Colour Mode", made->name);

    const struct
    {
        quint32 threshold, id, version, expected;
    } cases[] = {
        {kDefaultFunctionRenumberThreshold, 22, 66, 32},  {kDefaultFunctionRenumberThreshold, 21, 66, 21},
        {kDefaultFunctionRenumberThreshold, 22, 67, 22},  {kDefaultFunctionRenumberThreshold, 23, 67, 32},
        {kDefaultFunctionRenumberThreshold, 25, 130, 25}, {kDefaultFunctionRenumberThreshold, 40, 130, 44},
        {kDefaultFunctionRenumberThreshold, 30, 110, 30}, {kDefaultFunctionRenumberThreshold, 128, 110, 137},
        {kDefaultFunctionRenumberThreshold, 40, 302, 40}, {kLowFunctionRenumberThreshold, 25, 130, 34},
        {kLowFunctionRenumberThreshold, 31, 130, 40},     {kLowFunctionRenumberThreshold, 40, 130, 44},
        {kLowFunctionRenumberThreshold, 23, 110, 32},     {kLowFunctionRenumberThreshold, 22, 110, 22},
    };
    for (const auto& c : cases) {
        setFunctionRenumberThreshold(c.threshold);
        EXPECT_EQ(c.expected, renumberFunction(c.id, c.version)) << c.threshold << " " << c.id << " " << c.version;
    }
    setFunctionRenumberThreshold(kDefaultFunctionRenumberThreshold);

    const struct
    {
        quint32 id, version;
        bool lowers;
    } lowering[] = {{31, 99, true},   {32, 126, false}, {26, 127, true},
                    {27, 301, false}, {23, 98, false},  {23, 302, false}};
    for (const auto& c : lowering)
        EXPECT_EQ(c.lowers, lowersFunctionRenumberThreshold(c.id, c.version)) << c.id << " " << c.version;
}

TEST(ShowKinds, MagicByKind)
{
    const std::pair<const char*, quint32> cases[] = {{"kvq", 0x8484}, {"KVX", 0x8484}, {"wvq", 0x9393}, {"wvx", 0x9393},
                                                     {"jvq", 0x7575}, {"jvx", 0x7575}, {"kv2", 0},      {"", 0}};
    for (const auto& c : cases)
        EXPECT_EQ(c.second, fileTypeMagicForKind(c.first)) << c.first;
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
    w.u8(0).u8(1).u8(2).u16(700);                             // days
    w.u8(1).u8(0).u8(0).u8(3).u8(0x41);                       // weeks
    w.u8(2).u8(0).u8(0).u8(4).u8(0).u8(2).u8(5);              // months, week and weekday
    w.u8(2).u8(0).u8(0).u8(4).u8(1).u32(0x80000001);          // months, day set
    w.u8(2).u8(0).u8(0).u8(4).u8(7);                          // months, unknown day mode
    w.u8(3).u8(0).u8(0).u8(1).u16(0x0005).u8(0).u8(28);       // years, day of month
    w.u8(3).u8(0).u8(0).u8(1).u16(0x0800).u8(1).u8(6).u8(2);  // years, week and weekday
    w.u8(4).u8(0).u8(0);
    open(w);

    DaliTestSchedule s;
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
    open(ShowWriter(416).u16(0).u16(0).u16(0));
    dali.read(in);
    EXPECT_EQ(0u, in.bytesLeft());
    EXPECT_EQ(2, dali.testSchedules[0].kind);

    const char* names[] = {"interfaces", "fixtures", "scenes"};
    for (int which = 0; which < 3; ++which) {
        open(ShowWriter(416).u16(which == 0).u16(which == 1).u16(which == 2));
        EXPECT_EQ(std::string("Unsupported version-1 section: DALI ") + names[which], errorOf([&] { dali.read(in); }));
    }
}

TEST_F(StreamedItems, OutputNodeDetails)
{
    // A version-149 node: no markers, nothing beyond the id.
    open(ShowWriter(149).u16(2).u16(7).u16(39));
    OutputNodeShowComponent nodes;
    nodes.read(in);
    EXPECT_EQ(2u, nodes.nodes.size());
    EXPECT_TRUE(nodes.nodes.exists(7));
    ASSERT_TRUE(nodes.nodes.exists(39));
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

    open(ShowWriter(454).u16(1).u16(0x0132).u16(1).u8(0).count(0).count(0).count(0).u16(0).u16(0).u16(0x0134));
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
    w.u16(0).u16(0).u16(0).u16(70).u16(80).u16(0x0143).count(0).count(0);
    open(w);
    DynamicTextShowComponent missing;
    missing.read(in);
    EXPECT_EQ(0u, in.bytesLeft());
    EXPECT_EQ(80u, missing.getTextPreset(4).offset);
    EXPECT_EQ(1, missing.getTextPreset(4).direction);
    EXPECT_TRUE(missing.presetsByFont.empty());  // stored from version 221
}

}  // namespace
