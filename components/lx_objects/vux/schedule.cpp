#include "components/lx_objects/vux/schedule.h"

#include "components/archive/fields.h"

#include <utility>

namespace Vux {

template <class F, class Self>
void ScheduleRule::fields(F& f, Self& s)
{
    f(s.kind);
    switch (s.kind) {
    case 0:
        f(s.amount);
        break;
    case 1:
    case 3:
        f(s.byteA);
        break;
    case 2:
        f(s.byteA, s.byteB);
        break;
    default:
        break;
    }
}

void ScheduleRule::read(InStream& in) { Archive::readFields(in, *this); }

void ScheduleRule::write(OutStream& out) const { Archive::writeFields(out, *this); }

template <class F, class Self>
void Schedule::fields(F& f, Self& s)
{
    f(s.date);
    bool relative = s.timeKind != kFixedTime;
    f(relative);
    if (relative) {
        f(s.timeKind, s.timeOffset);
    } else {
        f(s.time);
        // Data of a fixed time carries no kind: whatever the object held
        // before would otherwise be written back instead of the time read.
        if constexpr (F::kReading)
            s.timeKind = kFixedTime;
    }
    f(s.spanKind);
    switch (s.spanKind) {
    case 0:
        f(s.spanValue);
        break;
    case 1:
        f(s.spanDateTime);
        break;
    case 2:
        f(s.spanEventKind, s.spanOffset);
        break;
    default:
        break;
    }
    f(s.rule);
    if (s.rule.kind != ScheduleRule::kNoRepeat)
        f(s.untilDate, s.dates);
    f(s.valueZ);
}

void Schedule::resetForRead()
{
    const QDate keptUntilDate = untilDate;
    std::set<QDate> keptDates = std::move(dates);
    *this = Schedule();
    untilDate = keptUntilDate;
    dates = std::move(keptDates);
}

}  // namespace Vux

template class Archive::Object<Vux::Schedule>;
