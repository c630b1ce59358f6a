#include "components/lx_objects/dali/dali_test_schedule.h"

#include "components/archive/fields.h"

template <class F, class Self>
void DaliTestSchedule::fields(F& f, Self& s)
{
    using Archive::storedAs;
    auto& p = s.payload;
    f(s.byteA, s.byteB, s.kind);
    switch (s.kind) {
    case 0:
        f(p.interval);
        break;
    case 1:
        f(storedAs<quint8>(p.interval), p.weekdays);
        break;
    case 2:
        f(storedAs<quint8>(p.interval), p.dayMode);
        if (p.dayMode == 0)
            f(p.monthWeek, p.weekday);
        else if (p.dayMode == 1)
            f(p.days);
        break;
    case 3:
        f(storedAs<quint8>(p.interval), p.months, p.dayMode);
        if (p.dayMode == 0)
            f(p.dayOfMonth);
        else if (p.dayMode == 1)
            f(p.monthWeek, p.weekday);
        break;
    default:
        break;
    }
}

void DaliTestSchedule::read(InStream& in) { Archive::readFields(in, *this); }

void DaliTestSchedule::write(OutStream& out) const { Archive::writeFields(out, *this); }

void DaliTestSchedule::setKind0(quint16 interval)
{
    kind = 0;
    payload.interval = interval;
}

void DaliTestSchedule::setKind1(const DaliSchedulePayload& from)
{
    kind = 1;
    payload.interval = from.interval;
    payload.weekdays = from.weekdays;
}

void DaliTestSchedule::setKind2(const DaliSchedulePayload& from)
{
    kind = 2;
    payload = from;
}

void DaliTestSchedule::setKind3(const DaliSchedulePayload& from)
{
    kind = 3;
    payload = from;
}

DaliSchedulePayload makeScheduleWeekdayMask(std::bitset<7> weekdays)
{
    return {.interval = 1, .weekdays = quint8(weekdays.to_ulong())};
}

DaliSchedulePayload makeSchedulePair(quint8 monthWeek, quint8 weekday)
{
    return {.interval = 1, .dayMode = 0, .monthWeek = monthWeek, .weekday = weekday};
}

DaliSchedulePayload makeScheduleDayMask(std::bitset<31> days)
{
    return {.interval = 1, .dayMode = 1, .days = quint32(days.to_ulong())};
}

DaliSchedulePayload makeScheduleMonthMask(quint8 dayOfMonth, std::bitset<12> months)
{
    return {.interval = 1, .dayMode = 0, .months = quint16(months.to_ulong()), .dayOfMonth = dayOfMonth};
}

DaliSchedulePayload makeScheduleMonthMaskPair(quint8 monthWeek, quint8 weekday, std::bitset<12> months)
{
    return {
        .interval = 1, .dayMode = 1, .monthWeek = monthWeek, .weekday = weekday, .months = quint16(months.to_ulong())};
}

template <class F, class Self>
void DaliTestSettings::fields(F& f, Self& s)
{
    f(s.testFlag1, s.testFlag2, s.schedule1, s.schedule2);
}

void DaliTestSettings::read(InStream& in) { Archive::readFields(in, *this); }

void DaliTestSettings::write(OutStream& out) const { Archive::writeFields(out, *this); }
