#include "components/lx_objects/programming/date_time_mask.h"
#include "components/lx_objects/tests/stream_bytes.h"

#include <gtest/gtest.h>

#include <functional>
#include <stdexcept>

namespace {

DateTimeMask everything()
{
    DateTimeMask mask;
    mask.seconds.set(), mask.minutes.set(), mask.hours.set(), mask.weekdays.set();
    mask.days.set(), mask.months.set(), mask.years.set();
    return mask;
}

}  // namespace

TEST(DateTimeMask, SettersSpareBitsAndConverters)
{
    // Spare high bits are ignored: a weekday byte ff is the seven weekdays.
    DateTimeMask m;
    EXPECT_EQ(readBytes(m, QByteArray(39, char(0xFF))), 0);
    EXPECT_EQ(m, everything());
    // The converters alone: flag i is byte i / 8, bit i % 8.
    quint8 bytes[2] = {0xAA, 0xAA};
    bitsetToBytes(std::bitset<12>(0x801), bytes);
    EXPECT_TRUE(bytes[0] == 0x01 && bytes[1] == 0x08);

    m = DateTimeMask();
    m.setWeekdays(7, true, false);
    EXPECT_TRUE(m.weekdays.all());
    m.setWeekdays(7, false, false), m.setYears(-1, true, false);
    EXPECT_TRUE(m.weekdays.none() && m.years.all());
    m.days.set(0), m.setDays(5, true, false);
    EXPECT_EQ(m.days.to_ulong(), 0x11u);
    m.setDays(5, true, true);
    EXPECT_EQ(m.days.to_ulong(), 0x10u);
    m.setDays(0, true, true);  // 0 is every day, or month
    EXPECT_TRUE(m.days.all());
    m.months.set(), m.setMonths(0, false, true);
    EXPECT_TRUE(m.months.none());
    m.setYears(2099, false, false);
    EXPECT_TRUE(m.years.count() == 99 && !m.years[99]);
    for (const int day : {-1, 0}) {
        m = DateTimeMask(), m.setDate(-1, day, day);
        EXPECT_TRUE(m.years.all() && m.months.all() && m.days.all()) << day;
    }
    m.setDate(2019, 3, 0);
    EXPECT_TRUE(m.years.count() == 1 && m.years[19] && m.months.to_ulong() == 0x4u && m.days.all());
    m.seconds.set(), m.setTime(12, 0, 0);
    EXPECT_TRUE(m.hours.to_ulong() == 0x1000u && m.minutes.to_ullong() == 1u && m.seconds.to_ullong() == 1u);

    // A value outside its unit fails, after an exclusive change has cleared
    // the unit; only -1 (and 0 for days and months) means the whole unit.
    const auto fails = [&m](const std::function<void()>& change) {
        m = everything();
        try {
            change();
        } catch (const std::out_of_range& e) {
            return std::string(e.what()) == "invalid bitset<N> position";
        }
        return false;
    };
    EXPECT_TRUE(fails([&] { m.setWeekdays(8, true, false); }) && m.weekdays.all());
    EXPECT_TRUE(fails([&] { m.setYears(1999, true, false); }) && m.years.all());
    EXPECT_TRUE(fails([&] { m.setYears(1999, true, true); }) && m.years.none());
    EXPECT_TRUE(fails([&] { m.setYears(2100, true, true); }) && m.years.none());
    EXPECT_TRUE(fails([&] { m.setDate(1999, 3, 4); }) && m.years.none() && m.months.all());
    EXPECT_TRUE(fails([&] { m.setDate(2020, 13, 4); }) && m.years.count() == 1 && m.months.none() && m.days.all());
    EXPECT_TRUE(fails([&] { m.setDays(-2, true, false); }) && m.days.all());
    EXPECT_TRUE(fails([&] { m.setTime(24, 0, 0); }) && m.hours.none() && m.minutes.all());
    EXPECT_TRUE(fails([&] { m.setTime(1, 2, 60); }) && m.hours.count() == 1 && m.minutes.count() == 1
                && m.seconds.none());
}
