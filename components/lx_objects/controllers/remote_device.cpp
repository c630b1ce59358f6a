#include "components/lx_objects/controllers/remote_device.h"

#include "components/archive/fields.h"

namespace {

constexpr RemoteDevicePort kContactPort {2, 0, 50};
constexpr RemoteDevicePort kOutputPort {1, 0, 0};

DsxIoSettings dsxIoDefaults(quint8 type)
{
    DsxIoSettings g;
    g.serialMode = 1;
    // Not 38400 (0x9600): the stored default has always been this value.
    g.serialBaudRate = 0x00960000;
    g.serialDataBits = 8;
    g.serialStopBits = 1;
    for (std::size_t i = 0; i < g.ports.size(); ++i) {
        const bool outputs = type == RemoteDevice::Dsx08Type || (type == RemoteDevice::Dsx44Type && i >= 4);
        g.ports[i] = outputs ? kOutputPort : kContactPort;
    }
    return g;
}

ButtonPanelSettings buttonPanelDefaults()
{
    ButtonPanelSettings g;
    g.settingA = 500;
    g.settingB = 200;
    g.leds.fill(ButtonLed {0, 255});
    return g;
}

DsxAudioSettings dsxAudioDefaults()
{
    DsxAudioSettings g;
    g.mode = 1, g.param1 = 5, g.param2 = 255, g.param3 = 5, g.param4 = 1;
    return g;
}

std::size_t ledCount(quint8 type) { return type == RemoteDevice::CvoType ? 16 : 8; }

// The group a list reads into: the held one, or a zeroed one that replaces
// whatever else is held.
template <class G>
G& groupOf(RemoteDeviceSettings& settings)
{
    if (!std::holds_alternative<G>(settings))
        settings.emplace<G>();
    return std::get<G>(settings);
}

// The group a list writes: the held one, or a zeroed one when another is
// held, so the stream stays in step all the same.
template <class G>
const G& groupOf(const RemoteDeviceSettings& settings)
{
    static const G zeroed {};
    const G* held = std::get_if<G>(&settings);
    return held ? *held : zeroed;
}

}  // namespace

RemoteDevice::RemoteDevice(const RDKey& key) : m_key(key)
{
    switch (key.type) {
    case Dsx80Type:
    case Dsx44Type:
    case Dsx08Type:
        m_settings = dsxIoDefaults(key.type);
        break;
    case JwuType:
    case CvoType:
        m_settings = buttonPanelDefaults();
        break;
    case DsxAType:
        m_settings = dsxAudioDefaults();
        break;
    case DsxDType:
        m_settings = DsxDSettings {-1};
        break;
    default:
        break;
    }
}

template <class F, class Self>
void RemoteDevice::fields(F& f, Self& s)
{
    f(s.m_key, s.controllerId);
    // Older data has one text, the name.
    f.since(138, s.m_texts).orRead([](InStream& in, auto& texts) {
        texts.clear();
        in >> texts[0];
    });
    switch (s.m_key.type) {
    case Dsx80Type:
    case Dsx44Type:
    case Dsx08Type: {
        auto& g = groupOf<DsxIoSettings>(s.m_settings);
        f(g.serialMode, g.serialBaudRate, g.serialDataBits, g.serialStopBits, g.serialParity);
        for (auto& port : g.ports)
            f(port.type, port.data1, port.data2);
        if (s.m_key.type != Dsx08Type) {
            f.since(104, g.wordA).orSet(0);
            f.since(104, g.wordB).orSet(0);
            f.since(93, g.flagA).orSet(true);
        }
        f(g.flagB);
        f.since(126, g.flagC).orSet(true);
        f.since(126, g.flagD).orSet(true);
        break;
    }
    case JwuType:
    case CvoType: {
        auto& g = groupOf<ButtonPanelSettings>(s.m_settings);
        f(g.option, g.settingA, g.settingB);
        for (std::size_t i = 0; i < ledCount(s.m_key.type); ++i)
            f(g.leds[i].effect, g.leds[i].level);
        break;
    }
    case DsxAType: {
        auto& g = groupOf<DsxAudioSettings>(s.m_settings);
        f(g.mode);
        switch (g.mode) {
        case 1:
            f(g.timeSourceA, g.param1, g.param2, g.param3, g.param4, g.timeSourceB);
            break;
        case 2:
            f(g.param1, g.timeSourceA, g.timeSourceB);
            break;
        default:
            f(g.timeSourceB);
            break;
        }
        break;
    }
    case DsxDType:
        f(groupOf<DsxDSettings>(s.m_settings).value);
        break;
    default:
        break;
    }
}

void RemoteDevice::resetForRead()
{
    RemoteDeviceSettings kept = std::move(m_settings);
    *this = RemoteDevice();
    m_settings = std::move(kept);
}

void RemoteDevice::afterRead(InStream&)
{
    m_texts.emplace(0, QString());  // only when key 0 is missing
}

void RemoteDevice::setName(const QString& text, quint32 key) { m_texts[key] = text; }

template class Archive::Object<RemoteDevice>;
