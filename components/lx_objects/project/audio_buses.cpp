#include "components/lx_objects/project/audio_buses.h"

#include "components/archive/fields.h"
#include "seltrane_components/os/report_error.h"

namespace {

// The report names the place that the design application's own report
// gives, so that the two read alike.
const char kAudioReportSource[] = "components/lx_objects/audio_buses";
constexpr int kAudioUseReportLine = 43;

bool inTable(int index) { return index >= 0 && index < AudioBuses::kCount; }

}  // namespace

template <class F, class Self>
void AudioBuses::fields(F& f, Self& s)
{
    // The table's length is stored but fixed: read and not used.
    quint8 count = kCount;
    f(count);
    for (auto& setting : s.m_settings)
        f(setting.isUsed, setting.value);
}

void AudioBuses::setUsed(int index)
{
    if (!inTable(index))
        return;
    AudioBusSetting& setting = m_settings[std::size_t(index)];
    if (setting.isUsed)
        reportError("Logic error: 'settings[index].isUsed' is TRUE", kAudioUseReportLine, kAudioReportSource);
    setting.isUsed = true;
}

void AudioBuses::setValue(int index, quint8 value)
{
    if (inTable(index))
        m_settings[std::size_t(index)].value = value;
}

template class Archive::Object<AudioBuses>;
