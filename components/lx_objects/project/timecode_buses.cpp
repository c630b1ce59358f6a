#include "components/lx_objects/project/timecode_buses.h"

#include "components/archive/fields.h"
#include "seltrane_components/os/report_error.h"

namespace {

// The reports name the place that the design application's own reports
// give, so that the two read alike.
const char kTimecodeReportSource[] = "components/lx_objects/timecode_buses";
constexpr int kTimecodeUseReportLine = 51;
constexpr int kReleaseReportLine = 62;

}  // namespace

template <class F, class Self>
void TimecodeBusSetting::fields(F& f, Self& s)
{
    f(s.isUsed, s.value1, s.value2);
}

void TimecodeBusSetting::read(InStream& in) { Archive::readFields(in, *this); }

void TimecodeBusSetting::write(OutStream& out) const { Archive::writeFields(out, *this); }

template <class F, class Self>
void TimecodeBuses::fields(F& f, Self& s)
{
    f(s.m_settings);
}

void TimecodeBuses::afterRead(InStream&)
{
    if (m_settings.size() < std::size_t(kCount))
        m_settings.resize(kCount);
}

TimecodeBusSetting* TimecodeBuses::bus(int index)
{
    return index >= 0 && index < kCount ? &m_settings[std::size_t(index)] : nullptr;
}

bool TimecodeBuses::isUsed(int index) const
{
    return index < 0 || index >= kCount || m_settings[std::size_t(index)].isUsed;
}

void TimecodeBuses::use(int index)
{
    TimecodeBusSetting* setting = bus(index);
    if (!setting)
        return;
    if (setting->isUsed)
        reportError("Logic error: 'settings[index].isUsed' is TRUE", kTimecodeUseReportLine, kTimecodeReportSource);
    setting->isUsed = true;
}

void TimecodeBuses::release(int index)
{
    TimecodeBusSetting* setting = bus(index);
    if (!setting)
        return;
    if (!setting->isUsed)
        reportError("Logic error: 'settings[index].isUsed' is FALSE", kReleaseReportLine, kTimecodeReportSource);
    setting->isUsed = false;
}

void TimecodeBuses::setValue1(int index, quint16 value)
{
    if (TimecodeBusSetting* setting = bus(index))
        setting->value1 = value;
}

void TimecodeBuses::setValue2(int index, quint16 value)
{
    if (TimecodeBusSetting* setting = bus(index))
        setting->value2 = value;
}

template class Archive::Object<TimecodeBuses>;
