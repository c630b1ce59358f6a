// The value types of the project objects without version gates, one table
// for all, a block per family: each type lists its forms as their owner
// stores them with the golden bytes of the newest version, checked as
// StreamCheck::checkForms says (tests/support/stream_check.h); a type with a
// count or a type selector adds a targeted damage row. Gates and fix-ups of
// old data stay in each family's tests. One test thread.
#include "components/lx_objects/fixtures/fixture_model.h"
#include "components/lx_objects/media/composition.h"
#include "components/lx_objects/programming/contour_parameters.h"
#include "components/lx_objects/programming/custom_preset.h"
#include "components/lx_objects/programming/date_time_mask.h"
#include "components/lx_objects/programming/dynamic_text.h"
#include "components/lx_objects/programming/text_slot_values.h"
#include "components/lx_objects/programming/trigger_values.h"
#include "components/lx_objects/project/resource_keys.h"
#include "components/lx_objects/tests/stream_bytes.h"

#include <gtest/gtest.h>

#include <functional>
#include <stdexcept>
#include <vector>

namespace {

using StreamCheck::Damage;
using StreamCheck::Form;

// One type's forms and damage rows, checked by check(): the older form of a
// family's block, kept for the blocks written with it.
struct TypeRows
{
    const char* name;
    std::function<void()> check;
};

template <class T>
TypeRows rows(const char* name, std::vector<Form<T>> forms, std::vector<Damage> damages = {})
{
    return {name, [forms, damages] { expectForms(forms, damages); }};
}

[[maybe_unused]] void checkTypes(const std::vector<TypeRows>& types)
{
    for (const TypeRows& type : types) {
        SCOPED_TRACE(type.name);
        type.check();
    }
}

const std::string& kCountDamage = StreamCheck::kCountTooLarge;

}  // namespace

// The notation the tables are written in.
TEST(ValueTypes, HexAndGateRowNotation)
{
    EXPECT_EQ(hex("00*3 'ab' #01 %ff 0a0b*2"), QByteArray::fromHex("000000 00000004 00610062 01 ff 0a0b0a0b"));
    const auto rows = StreamCheck::chunks("-: 01 // all\n 62-150: 02;  7-: 03 | 04");
    ASSERT_EQ(rows.size(), 3u);
    EXPECT_TRUE(rows[0].from == 0 && rows[0].until == StreamCheck::kNewest && QByteArray(rows[0].bytes) == "01");
    EXPECT_TRUE(rows[1].from == 62 && rows[1].until == 150 && QByteArray(rows[2].before) == "04");
    EXPECT_EQ(StreamCheck::newestBytesAt(6, rows).toHex(), "0104");
}

// ---- programming ----

namespace {

DateTimeMask wholeMask()
{
    DateTimeMask mask;
    mask.seconds.set(), mask.minutes.set(), mask.hours.set(), mask.weekdays.set();
    mask.days.set(), mask.months.set(), mask.years.set();
    return mask;
}

DateTimeMask someDates()
{
    DateTimeMask mask;
    mask.setDate(2019, 3, 0), mask.setTime(12, 0, 59), mask.setWeekdays(6, true, false);
    return mask;
}

ColourGradient twoStops()
{
    ColourGradient g;
    g.addPoint(0xFFFF, rgb(1, 2, 3, 4, 5, 31));
    g.addPoint(0x10, RGBData());
    return g;
}

// Only the value of its type: the others are not stored.
CustomPresetProperty propertyOfType(quint32 type)
{
    CustomPresetProperty p;
    p.index = 0x0102;
    p.setType(CustomPresetProperty::Type(type));
    p.boolValue = type == 0;
    if (type == 1)
        p.integer = {-1, -2147483647 - 1, 2147483647, 1};
    if (type == 2)
        p.real = {0.5, -1.0, 2.0, 2};
    if (type == 3)
        p.colour = {0x10, 0x20, 0x30};
    if (p.gradient())
        *p.gradient() = twoStops();
    return p;
}

IoMTriggerData ioModuleData()
{
    IoMTriggerData data {2, 9, {}};
    data.properties[QStringLiteral("v")] = QVariant::fromValue(IoMVariable {200, 0x8001});
    data.properties[QStringLiteral("n")] = 5;
    return data;
}

DynamicText dynamicText(const char* text)
{
    DynamicText dynamic;
    dynamic.setText(QString::fromUtf8(text));
    return dynamic;
}

TextSlotValues slotValues()
{
    TextSlotValues values;
    values.setSlotText(QStringLiteral("b"), QStringLiteral("2"));
    values.setSlotText(QStringLiteral("a"), QStringLiteral("1"));
    return values;
}

}  // namespace

TEST(ValueTypes, Programming)
{
    expectForms<RDKey>({{RDKey(), "00a2 ff 00"}, {RDKey {101, 3}, "00a2 65 03"}});
    expectForms<SerialString>(
        {{SerialString(), "00a4 0006 00000000 0006 00000000"},
         {SerialString {{0x41, 0x0d}, {TriggerWildcard {2, 1, 0x203, 7, 0xffff}, TriggerWildcard()}},
          "00a4 0006 00000002 41 0d 0006 00000002 00a8 02 0001 0203 00000007 ffff 00a8 00 0000 0000 00000000 0000"}},
        {{1, 12, "7fffffff", kCountDamage}});
    expectForms<MidiMessage>({{MidiMessage(), "00a3 00 00 0006 00000000"},
                              {MidiMessage {0x90, 0x40, {1, 2}}, "00a3 90 40 0006 00000002 01 02"}},
                             {{1, 6, "7fffffff", kCountDamage}});
    // A value of a type no one registered fails the read.
    expectForms<IoMTriggerData>({{IoMTriggerData(), "ffff ffffffff 0008 00000000"},
                                 {ioModuleData(),
                                  "0002 00000009 0008 00000002 'n' 00000002 00 00000005 'v' 00000400 "
                                  "00 0000000c 496f4d5661726961626c6500 c8 8001"}},
                                {{1, 8, "7fffffff", kCountDamage}, {1, 52, "58", "Error reading from file"}});
    expectForms<DateTimeMask>(
        {{DateTimeMask(), "00a1 0000000000000000 0000000000000000 000000 00 00000000 0000 00*13"},
         {wholeMask(), "00a1 ffffffffffffff0f ffffffffffffff0f ffffff 7f ffffff7f ff0f ff*12 0f"},
         {someDates(), "00a1 0000000000000008 0100000000000000 001000 40 ffffff7f 0400 00000800000000000000000000"}});
    expectForms<RGBData>({{RGBData(), "00ba 000000ff8018"}, {rgb(1, 2, 3, 4, 5, 6), "00ba 010203040506"}});
    expectForms<ColourGradient>({{ColourGradient(), "00b9 0000"},
                                 {twoStops(), "00b9 0002 0010 0001 01020304051f 8000 ffff 0000 01020304051f 8000"}},
                                {{1, 2, "ffff", StreamCheck::countExceeds(65535)}});
    // A type no version knows is kept, without a value.
    const char* const gradient = "00b9 0002 0010 0001 01020304051f 8000 ffff 0000 01020304051f 8000";
    expectForms<CustomPresetProperty>(
        {{propertyOfType(0), "00b8 0102 0000 01"},
         {propertyOfType(1), "00b8 0102 0001 ffffffff 80000000 7fffffff 00000001"},
         {propertyOfType(2), "00b8 0102 0002 3fe0000000000000 bff0000000000000 4000000000000000 02"},
         {propertyOfType(3), "00b8 0102 0003 102030"},
         {propertyOfType(4), "00b8 0102 0004 " + std::string(gradient)},
         {propertyOfType(5), "00b8 0102 0005"},
         {propertyOfType(7), "00b8 0102 0007"}},
        {{3, 4, "0004", "Tag mismatch when trying to read opening tag ColourGradient"}});
    expectForms<CustomPresetPropertyMap>(
        {{CustomPresetPropertyMap(), "00b7 0008 00000000"},
         {CustomPresetPropertyMap {
              {{QStringLiteral("a"), propertyOfType(4)}, {QStringLiteral("b"), propertyOfType(3)}}},
          "00b7 0008 00000002 'a' 00b8 0102 0004 " + std::string(gradient) + " 'b' 00b8 0102 0003 102030"}},
        {{1, 4, "7fffffff", kCountDamage}});
    expectForms<ContourParameters>(
        {{ContourParameters(), "00c2 0000 0000 0000 00010000 0001"},
         {ContourParameters {0, 0x0102, -2, 0x12345, 4}, "00c2 0000 0102 fffe 00012345 0004"},
         {ContourParameters {6, 0x0102, -2, 0x12345, 4}, "00c2 0006 0102 fffe 00012345 0004"},
         {ContourParameters {4, 0x0102, -2, 0x2345, 4}, "00c2 0004 0102 fffe 2345 0004"},
         {ContourParameters {5, 0x0102, -2, 0x2345, 4}, "00c2 0005 0102 fffe 2345 0004"},
         {ContourParameters {7, 0, 0, 65536, 1}, "00c2 0007"}},
        {{3, 2, "0000", "Error reading from file"}});
    expectForms<TextProperties>({{TextProperties(), "00c3 ffffffff 00 00 00 00 00 00 00000000 00 0004"},
                                 {TextProperties {7, TextDirection(5), 1, TextAlignment(3), TextOrientation(2), 8, 9,
                                                  -2, TextChangeBehaviour(0xff), 0},
                                  "00c3 00000007 05 01 03 02 08 09 fffffffe ff 0000"}});
    expectForms<DynamicText>({{DynamicText(), "00c5 ffffffff 0007 00000000"},
                              {dynamicText("a<b>"), "00c5 'a<b>' 0007 00000002 00c6 01 'a' 00c6 02 'b'"}},
                             {{1, 16, "7fffffff", kCountDamage}});
    expectForms<TextSlotValues>(
        {{TextSlotValues(), "00cf 0008 00000000"}, {slotValues(), "00cf 0008 00000002 'a' '1' 'b' '2'"}},
        {{1, 4, "7fffffff", kCountDamage}});
}

// ---- each further family adds its rows below, in a block of its own like the
// one above: the builders of its values (in an anonymous namespace), then
// TEST(ValueTypes, <Family>) { expectForms<T>({...}, {...}); ... } (the older
// checkTypes({rows<T>("T", ...), ...}) checks the same) ----

// ---- controllers, fixtures, media, project ----

namespace {

HueTable hueTable()
{
    HueTable hue;
    hue.header = 1, hue.table[0] = 2, hue.table[2047] = 3;
    return hue;
}

ResourceKeys resourceKeys()
{
    ResourceKeys keys;
    keys.keys = {{1, QStringLiteral("a")}, {7, QString()}};
    return keys;
}

}  // namespace

TEST(ValueTypes, FixturesMediaProject)
{
    expectForms<ContentTargetInstance>(
        {{ContentTargetInstance {QPointF(0, 0.25), 7}, "0101 0000000000000000 3fd0000000000000 07"}});
    expectForms<FixtureModelKey>({{FixtureModelKey {5, 6, 7}, "0129 0005 0006 07"}});
    expectForms<RangeMode>({{RangeMode {0x101}, "0070 0101"}});
    expectForms<ParamRange>(
        {{ParamRange {0, 255, QStringLiteral("r"), 0x22, {0x101}}, "0071 0000 00ff 'r' 0022 0070 0101"}});
    expectForms<ConstChanInfo>({{ConstChanInfo {1, 0xAA}, "0073 0001 aa"}});
    expectForms<PatchMapEntry>({{PatchMapEntry {1, 0}, "007c 01 0000"}});
    expectForms<DuplicateChanInfo>({{DuplicateChanInfo {2, 3}, "012b 0002 0003"}});
    expectForms<HueTable>({{hueTable(), "010e 01 0022 00000800 02 00*2046 03"}});
    expectForms<ResourceKeys>({{resourceKeys(), "00d3 0008 00000002 00000001 'a' 00000007 ffffffff"}},
                              {{0, 4, "7fffffff", kCountDamage}});
}
