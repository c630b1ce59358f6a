#include "components/lx_objects/programming/date_time_mask.h"
#include "components/lx_objects/tests/stream_bytes.h"

#include <gtest/gtest.h>

#include <functional>
#include <stdexcept>
#include <tuple>

namespace {

DateTimeMask everything()
{
    DateTimeMask mask;
    mask.seconds.set(), mask.minutes.set(), mask.hours.set(), mask.weekdays.set();
    mask.days.set(), mask.months.set(), mask.years.set();
    return mask;
}

}  // namespace

TEST(DateTimeMask, StreamForm)
{
    registerObjectTypes();
    EXPECT_EQ(blockBytes(DateTimeMask()).toHex(), (hex("00a1") + QByteArray(39, '\0')).toHex());
    const QByteArray all =
        hex("00a1 ffffffffffffff0f ffffffffffffff0f ffffff 7f ffffff7f ff0f ffffffffffffffffffffffff0f");
    EXPECT_EQ(blockBytes(everything()).toHex(), all.toHex());

    // Spare high bits are ignored: a weekday byte ff is the seven weekdays.
    DateTimeMask read;
    EXPECT_EQ(
        readStream(hex("00a1") + QByteArray(39, char(0xFF)), kProjectStreamVersion, [&](InStream& in) { in >> read; }),
        0);
    EXPECT_EQ(read, everything());

    // The converters alone: flag i is byte i / 8, bit i % 8.
    std::bitset<12> months;
    months.set(0), months.set(11);
    quint8 bytes[2] = {0xAA, 0xAA};
    bitsetToBytes(months, bytes);
    EXPECT_EQ(bytes[0], 0x01);
    EXPECT_EQ(bytes[1], 0x08);
}

TEST(DateTimeMask, Setters)
{
    const auto outOfRange = [](const std::function<void(DateTimeMask&)>& change, DateTimeMask& mask) {
        try {
            change(mask);
        } catch (const std::out_of_range& e) {
            return std::string(e.what());
        }
        return std::string("no failure");
    };
    using Case = std::tuple<const char*, std::function<void(DateTimeMask&)>, std::function<bool(const DateTimeMask&)>>;
    const Case cases[] = {
        {"every weekday", [](DateTimeMask& m) { m.setWeekdays(7, true, false); },
         [](const DateTimeMask& m) { return m.weekdays.all(); }},
        {"no weekday", [](DateTimeMask& m) { m.weekdays.set(), m.setWeekdays(7, false, false); },
         [](const DateTimeMask& m) { return m.weekdays.none(); }},
        {"day 5 alone", [](DateTimeMask& m) { m.days.set(0), m.setDays(5, true, true); },
         [](const DateTimeMask& m) { return m.days.to_ulong() == 0x10u; }},
        {"day 5 added", [](DateTimeMask& m) { m.days.set(0), m.setDays(5, true, false); },
         [](const DateTimeMask& m) { return m.days.to_ulong() == 0x11u; }},
        {"day 0 is every day", [](DateTimeMask& m) { m.setDays(0, true, true); },
         [](const DateTimeMask& m) { return m.days.all(); }},
        {"month 0 clears every month", [](DateTimeMask& m) { m.months.set(), m.setMonths(0, false, true); },
         [](const DateTimeMask& m) { return m.months.none(); }},
        {"year -1 is every year", [](DateTimeMask& m) { m.setYears(-1, true, false); },
         [](const DateTimeMask& m) { return m.years.all(); }},
        {"year 2099 cleared", [](DateTimeMask& m) { m.years.set(), m.setYears(2099, false, false); },
         [](const DateTimeMask& m) { return m.years.count() == 99 && !m.years[99]; }},
        {"every date", [](DateTimeMask& m) { m.setDate(-1, -1, -1); },
         [](const DateTimeMask& m) { return m.years.all() && m.months.all() && m.days.all(); }},
        {"every date, 0 for month and day", [](DateTimeMask& m) { m.setDate(-1, 0, 0); },
         [](const DateTimeMask& m) { return m.years.all() && m.months.all() && m.days.all(); }},
        {"one date", [](DateTimeMask& m) { m.years.set(), m.setDate(2019, 3, 0); },
         [](const DateTimeMask& m) {
             return m.years.count() == 1 && m.years[19] && m.months.to_ulong() == 0x4u && m.days.all();
         }},
        {"noon", [](DateTimeMask& m) { m.seconds.set(), m.setTime(12, 0, 0); },
         [](const DateTimeMask& m) {
             return m.hours.to_ulong() == 0x1000u && m.minutes.to_ullong() == 1u && m.seconds.to_ullong() == 1u;
         }},
    };
    for (const auto& [what, change, expect] : cases) {
        SCOPED_TRACE(what);
        DateTimeMask mask;
        change(mask);
        EXPECT_TRUE(expect(mask));
    }

    // A value outside its unit fails, after an exclusive change has cleared
    // the unit; only -1 (and 0 for days and months) means the whole unit.
    const Case failures[] = {
        {"weekday 8", [](DateTimeMask& m) { m.setWeekdays(8, true, false); },
         [](const DateTimeMask& m) { return m.weekdays.all(); }},
        {"year 1999", [](DateTimeMask& m) { m.setYears(1999, true, false); },
         [](const DateTimeMask& m) { return m.years.all(); }},
        {"year 1999 exclusive", [](DateTimeMask& m) { m.setYears(1999, true, true); },
         [](const DateTimeMask& m) { return m.years.none(); }},
        {"year 2100", [](DateTimeMask& m) { m.setYears(2100, true, true); },
         [](const DateTimeMask& m) { return m.years.none(); }},
        {"date in 1999", [](DateTimeMask& m) { m.setDate(1999, 3, 4); },
         [](const DateTimeMask& m) { return m.years.none() && m.months.all(); }},
        {"month 13", [](DateTimeMask& m) { m.setDate(2020, 13, 4); },
         [](const DateTimeMask& m) { return m.years.count() == 1 && m.months.none() && m.days.all(); }},
        {"day -2", [](DateTimeMask& m) { m.setDays(-2, true, false); },
         [](const DateTimeMask& m) { return m.days.all(); }},
        {"hour 24", [](DateTimeMask& m) { m.setTime(24, 0, 0); },
         [](const DateTimeMask& m) { return m.hours.none() && m.minutes.all(); }},
        {"second 60", [](DateTimeMask& m) { m.setTime(1, 2, 60); },
         [](const DateTimeMask& m) { return m.hours.count() == 1 && m.minutes.count() == 1 && m.seconds.none(); }},
    };
    for (const auto& [what, change, left] : failures) {
        SCOPED_TRACE(what);
        DateTimeMask mask = everything();
        EXPECT_EQ(outOfRange(change, mask), "invalid bitset<N> position");
        EXPECT_TRUE(left(mask));
    }
}
