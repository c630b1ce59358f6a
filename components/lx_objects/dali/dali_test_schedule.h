// When DALI emergency fittings run their tests. A DaliTestSchedule says how a
// test recurs: every `interval` days (kind 0), weeks on `weekdays` (kind 1),
// months on a week and weekday or a set of days (kind 2, by `dayMode` 0 or
// 1), or years in `months` on a day of the month or a week and weekday (kind
// 3, by `dayMode` 0 or 1). DaliTestSettings holds two test flags and two
// schedules; the project's DALI properties, every DALI interface and the DALI
// monitoring value embed one.
//
// Only the fields of the current kind (and day mode) are stored; the others
// keep what they held, so a kind setter can change the kind without losing
// them. The packers build the payloads that the kind setters take.
//
// Plain values; one thread uses a value at a time.
#ifndef LX_OBJECTS_DALI_DALI_TEST_SCHEDULE_H
#define LX_OBJECTS_DALI_DALI_TEST_SCHEDULE_H

#include "components/archive/stream_fwd.h"

#include <QtGlobal>

#include <bitset>

struct DaliSchedulePayload
{
    quint16 interval = 0;  // 16 bits in kind 0, the low 8 in the others
    quint8 weekdays = 0;   // kind 1: bit i = weekday i
    quint8 dayMode = 0;    // kinds 2 and 3
    quint8 monthWeek = 0;  // 0-6
    quint8 weekday = 0;
    quint32 days = 0;       // kind 2, day mode 1: bit i = day i of the month
    quint16 months = 0;     // kind 3: bit i = month i
    quint8 dayOfMonth = 0;  // kind 3, day mode 0

    bool operator==(const DaliSchedulePayload&) const = default;
};

struct DaliTestSchedule
{
    static constexpr quint32 kTypeCode = 188;

    quint32 typeCode() const { return kTypeCode; }
    void read(InStream& in);
    void write(OutStream& out) const;

    // Each sets the kind and takes the payload fields that the kind's stored
    // form holds: kind 0 the interval, kind 1 the interval and weekdays,
    // kinds 2 and 3 the whole payload.
    void setKind0(quint16 interval);
    void setKind1(const DaliSchedulePayload& payload);
    void setKind2(const DaliSchedulePayload& payload);
    void setKind3(const DaliSchedulePayload& payload);

    bool operator==(const DaliTestSchedule&) const = default;

    quint8 byteA = 0;
    quint8 byteB = 0;
    quint8 kind = 2;  // a kind above 3 stores no payload
    DaliSchedulePayload payload {.interval = 1, .monthWeek = 1};

private:
    friend class Archive::FieldAccess;
    template <class F, class Self>
    static void fields(F& f, Self& s);
};

// Payloads with interval 1 and every field the kind does not use 0.
DaliSchedulePayload makeScheduleWeekdayMask(std::bitset<7> weekdays);
DaliSchedulePayload makeSchedulePair(quint8 monthWeek, quint8 weekday);
DaliSchedulePayload makeScheduleDayMask(std::bitset<31> days);
DaliSchedulePayload makeScheduleMonthMask(quint8 dayOfMonth, std::bitset<12> months);
DaliSchedulePayload makeScheduleMonthMaskPair(quint8 monthWeek, quint8 weekday, std::bitset<12> months);

struct DaliTestSettings
{
    static constexpr quint32 kTypeCode = 206;

    quint32 typeCode() const { return kTypeCode; }
    void read(InStream& in);
    void write(OutStream& out) const;

    bool operator==(const DaliTestSettings&) const = default;

    bool testFlag1 = false;
    bool testFlag2 = false;
    DaliTestSchedule schedule1;
    DaliTestSchedule schedule2;

private:
    friend class Archive::FieldAccess;
    template <class F, class Self>
    static void fields(F& f, Self& s);
};

#endif  // LX_OBJECTS_DALI_DALI_TEST_SCHEDULE_H
