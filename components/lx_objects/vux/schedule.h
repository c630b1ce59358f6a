// The sibling product's schedules (namespace Vux): when a schedule starts,
// how long it spans and how it repeats. Its stream form depends on its own
// kind fields. Read, copied and written back unchanged; the numbered fields
// and the rule's kinds carry no meaning here.
//
// Owned by the database like every archive object (the rule is a plain
// value); one thread edits a copy.
#ifndef LX_OBJECTS_VUX_SCHEDULE_H
#define LX_OBJECTS_VUX_SCHEDULE_H

#include "components/archive/object.h"

#include <QDate>
#include <QDateTime>
#include <QTime>

#include <set>

namespace Vux {

// A repeat rule: its kind selects the fields stored after it (0 amount;
// 1 and 3 byteA; 2 byteA and byteB; any other kind none).
struct ScheduleRule
{
    static constexpr quint32 kTypeCode = 364;
    // A rule of this kind repeats on no dates: a schedule with it stores
    // neither its end date nor its dates.
    static constexpr quint8 kNoRepeat = 5;

    quint8 kind = kNoRepeat;
    quint16 amount = 0;
    quint8 byteA = 0;
    quint8 byteB = 0;

    quint32 typeCode() const { return kTypeCode; }
    void read(InStream& in);
    void write(OutStream& out) const;

    bool operator==(const ScheduleRule&) const = default;

private:
    friend class Archive::FieldAccess;
    template <class F, class Self>
    static void fields(F& f, Self& s);
};

class Schedule final : public Archive::Object<Schedule>
{
public:
    static constexpr quint32 kTypeCode = 354;
    // A timeKind of this value means the schedule starts at `time`; any other
    // value names a kind of moment and an offset from it.
    static constexpr quint8 kFixedTime = 6;

    QDate date;
    QTime time;
    quint8 timeKind = kFixedTime;
    qint32 timeOffset = 0;
    // Selects what is stored of the span: 0 spanValue, 1 spanDateTime,
    // 2 spanEventKind and spanOffset, any other value nothing.
    quint8 spanKind = 0;
    QDateTime spanDateTime;
    quint32 spanValue = 3600;
    quint8 spanEventKind = 0;
    qint32 spanOffset = 0;
    QDate untilDate;
    std::set<QDate> dates;
    ScheduleRule rule;
    quint32 valueZ = 0xFFFFFFFF;

    bool operator==(const Schedule&) const = default;

private:
    friend class Archive::FieldAccess;
    template <class F, class Self>
    static void fields(F& f, Self& s);
    // Data whose rule repeats on no dates stores neither untilDate nor
    // dates: a read of it leaves both as they were.
    void resetForRead();
};

}  // namespace Vux

extern template class Archive::Object<Vux::Schedule>;

#endif  // LX_OBJECTS_VUX_SCHEDULE_H
