#include "components/archive/type_registry.h"
#include "components/lx_objects/dali/dali_project_properties.h"
#include "components/lx_objects/dali/dali_test_schedule.h"
#include "components/lx_objects/tests/stream_bytes.h"

#include <gtest/gtest.h>

namespace {

template <std::size_t N>
std::bitset<N> bitsOf(std::initializer_list<int> set)
{
    std::bitset<N> bits;
    for (const int bit : set)
        bits.set(std::size_t(bit));
    return bits;
}

DaliTestSchedule scheduleOf(quint8 byteA, quint8 byteB)
{
    DaliTestSchedule schedule;
    schedule.byteA = byteA, schedule.byteB = byteB;
    return schedule;
}

}  // namespace

TEST(DaliTestSchedule, StoredFormOfEachKind)
{
    EXPECT_EQ(writtenBytes(DaliTestSchedule()).toHex(), hex("00 00 02 01 00 01 00").toHex());
    EXPECT_EQ(*ObjectRegistry::createValue<DaliTestSchedule>(188), DaliTestSchedule());
    EXPECT_EQ(makeScheduleDayMask(bitsOf<31>({0, 30})).days, 0x40000001u);

    DaliTestSchedule kind0 = scheduleOf(7, 8), kind1 = kind0, pair = kind0, days = kind0, month = kind0;
    DaliTestSchedule monthPair = kind0, noDay = kind0, noKind = kind0;
    kind0.setKind0(0x1234);
    kind1.setKind1(makeScheduleWeekdayMask(bitsOf<7>({0, 6})));
    pair.setKind2(makeSchedulePair(3, 4));
    days.setKind2(makeScheduleDayMask(bitsOf<31>({1, 30})));
    month.setKind3(makeScheduleMonthMask(15, bitsOf<12>({0, 11})));
    monthPair.setKind3(makeScheduleMonthMaskPair(5, 6, bitsOf<12>({1})));
    noDay.payload.dayMode = 3, noKind.kind = 4;
    const std::pair<DaliTestSchedule, const char*> rows[] = {
        {kind0, "07 08 00 1234"},
        {kind1, "07 08 01 01 41"},
        {pair, "07 08 02 01 00 03 04"},
        {days, "07 08 02 01 01 40000002"},
        {noDay, "07 08 02 01 03"},
        {month, "07 08 03 01 0801 00 0f"},
        {monthPair, "07 08 03 01 0002 01 05 06"},
        {noKind, "07 08 04"},
    };
    for (const auto& [schedule, bytes] : rows) {
        EXPECT_EQ(writtenBytes(schedule).toHex(), hex(bytes).toHex()) << bytes;
        EXPECT_TRUE(StreamCheck::stableRoundTrip(schedule, kProjectStreamVersion)) << bytes;
    }
}

TEST(DaliTestSchedule, KindSettersCopyTheirPayloadOnly)
{
    DaliSchedulePayload weekdays = makeScheduleWeekdayMask(bitsOf<7>({2}));
    weekdays.interval = 3, weekdays.monthWeek = 9;  // not part of a kind-1 payload
    DaliTestSchedule schedule = scheduleOf(7, 8), expected = schedule;
    schedule.setKind1(weekdays);
    expected.kind = 1, expected.payload.interval = 3, expected.payload.weekdays = 4;
    EXPECT_EQ(schedule, expected);
    schedule.setKind3(weekdays);
    EXPECT_EQ(schedule.payload, weekdays);
}

TEST(DaliProjectProperties, SettingsAndSchedules)
{
    const QByteArray body = hex("00ce 00 00 00bc 00000201000100 00bc 00000201000100");
    DaliProjectProperties properties;
    EXPECT_EQ(writtenBytes(properties).toHex(), body.toHex());

    properties.settings.testFlag2 = true;
    properties.setTestSchedule(1, scheduleOf(1, 2));
    const DaliProjectProperties before = properties;
    properties.setTestSchedule(2, scheduleOf(3, 4));
    properties.setTestSchedule(-1, scheduleOf(3, 4));
    EXPECT_EQ(properties, before);
    properties.setTestSchedule(0, scheduleOf(5, 6));
    EXPECT_EQ(writtenBytes(properties).toHex(), hex("00ce 00 01 00bc 05060201000100 00bc 01020201000100").toHex());
    EXPECT_TRUE(StreamCheck::stableRoundTrip(properties, kProjectStreamVersion));
    EXPECT_TRUE(everyStrictPrefixFails(properties));
    EXPECT_EQ(*std::unique_ptr<DaliProjectProperties>(static_cast<DaliProjectProperties*>(properties.clone())),
              properties);

    // A damaged kind takes the wrong payload and meets the next schedule's
    // block where it did not expect it.
    EXPECT_TRUE(StreamCheck::damagedReadFails(body, 8, "03", kProjectStreamVersion,
                                              "Tag mismatch when trying to read opening tag DaliTestSchedule",
                                              [](InStream& in) { DaliProjectProperties().read(in); }));
}
