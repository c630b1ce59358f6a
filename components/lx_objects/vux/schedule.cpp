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
    QDate untilDate = std::move(this->untilDate);
    std::set<QDate> dates = std::move(this->dates);
    *this = Schedule();
    this->untilDate = untilDate;
    this->dates = std::move(dates);
}

void Schedule::read(InStream& in) { Archive::readFields(in, *this); }

void Schedule::write(OutStream& out) const { Archive::writeFields(out, *this); }

}  // namespace Vux
