// RemoteDevice is one device that a controller drives over the network or a
// bus (array 20): a DSX input/output unit, a button panel, an audio unit, a
// DMX unit or the controller's own local inputs. Its RDKey names it (device
// type and the number among devices of that type); it belongs to one
// controller, keeps its texts by key (the name under key 0) and holds at most
// one settings group, the one its type uses:
//
//   101 DSX 80, 102 DSX 44, 103 DSX 08   DsxIoSettings
//   104 JWU (8 buttons), 107 CVO (16)    ButtonPanelSettings
//   105 DSX A                            DsxAudioSettings
//   106 DSX D                            DsxDSettings
//   100 local, 108 ZOQ, 255 none, other  no settings
//
// The typed constructor gives the type's group its defaults; the registry's
// default constructor holds none until a read. A read keeps the group it
// finds when the stored type uses the same one, so fields that the stored
// layout leaves out keep their values; a read of a type whose group is not
// held starts from that group with every field 0.
//
// Owned by the database like every archive object; one thread edits a copy.
#ifndef LX_OBJECTS_CONTROLLERS_REMOTE_DEVICE_H
#define LX_OBJECTS_CONTROLLERS_REMOTE_DEVICE_H

#include "components/archive/object.h"
#include "components/lx_objects/programming/trigger_values.h"

#include <QString>

#include <array>
#include <map>
#include <variant>

// One port of a DSX input/output unit; type 0, 1 or 2.
struct RemoteDevicePort
{
    quint8 type = 0;
    quint8 data1 = 0;
    quint8 data2 = 0;

    bool operator==(const RemoteDevicePort&) const = default;
};

// Types 101 to 103; type 103 stores neither wordA, wordB nor flagA.
struct DsxIoSettings
{
    static constexpr std::size_t kPortCount = 8;

    quint8 serialMode = 0;  // 0-3
    quint32 serialBaudRate = 0;
    quint8 serialDataBits = 0;
    quint8 serialStopBits = 0;
    quint8 serialParity = 0;  // 0-3
    std::array<RemoteDevicePort, kPortCount> ports {};
    quint16 wordA = 0;
    quint16 wordB = 0;
    bool flagA = false;
    bool flagB = false;
    bool flagC = false;
    bool flagD = false;

    bool operator==(const DsxIoSettings&) const = default;
};

struct ButtonLed
{
    quint8 effect = 0;  // 0-9
    quint8 level = 0;

    bool operator==(const ButtonLed&) const = default;
};

// Types 104 and 107: a JWU uses the first 8 LEDs, a CVO all 16.
struct ButtonPanelSettings
{
    static constexpr std::size_t kMaxLeds = 16;

    quint8 option = 0;
    quint16 settingA = 0;
    quint16 settingB = 0;
    std::array<ButtonLed, kMaxLeds> leds {};

    bool operator==(const ButtonPanelSettings&) const = default;
};

// Type 105; the mode (0-2) decides which of the values are stored.
struct DsxAudioSettings
{
    quint8 mode = 0;
    quint8 param1 = 0;
    quint8 param2 = 0;
    quint8 param3 = 0;
    quint8 param4 = 0;
    quint8 timeSourceB = 0;
    quint8 timeSourceA = 0;

    bool operator==(const DsxAudioSettings&) const = default;
};

// Type 106.
struct DsxDSettings
{
    qint32 value = 0;  // -1 none

    bool operator==(const DsxDSettings&) const = default;
};

using RemoteDeviceSettings =
    std::variant<std::monostate, DsxIoSettings, ButtonPanelSettings, DsxAudioSettings, DsxDSettings>;

class RemoteDevice : public Archive::Object<RemoteDevice>
{
public:
    static constexpr quint32 kTypeCode = 166;
    static constexpr Archive::ArrayId kArrayId = 20;

    enum DeviceType : quint8 {
        LocalType = 100,
        Dsx80Type = 101,
        Dsx44Type = 102,
        Dsx08Type = 103,
        JwuType = 104,
        DsxAType = 105,
        DsxDType = 106,
        CvoType = 107,
        ZoqType = 108,
        NoType = RDKey::kNoDevice,
    };

    // For the registry: key {255, 0}, no settings.
    RemoteDevice() = default;
    // A device of the key's type with that type's default settings.
    explicit RemoteDevice(const RDKey& key);

    const RDKey& key() const { return m_key; }

    // Key 0 is the name and is present after every read.
    const std::map<quint32, QString>& texts() const { return m_texts; }
    // Stores text under key, replacing an earlier one.
    void setName(const QString& text, quint32 key);

    // The group the device holds, or null when it holds another or none.
    const RemoteDeviceSettings& settings() const { return m_settings; }
    DsxIoSettings* dsxIo() { return std::get_if<DsxIoSettings>(&m_settings); }
    const DsxIoSettings* dsxIo() const { return std::get_if<DsxIoSettings>(&m_settings); }
    ButtonPanelSettings* buttonPanel() { return std::get_if<ButtonPanelSettings>(&m_settings); }
    const ButtonPanelSettings* buttonPanel() const { return std::get_if<ButtonPanelSettings>(&m_settings); }
    DsxAudioSettings* dsxAudio() { return std::get_if<DsxAudioSettings>(&m_settings); }
    const DsxAudioSettings* dsxAudio() const { return std::get_if<DsxAudioSettings>(&m_settings); }
    DsxDSettings* dsxD() { return std::get_if<DsxDSettings>(&m_settings); }
    const DsxDSettings* dsxD() const { return std::get_if<DsxDSettings>(&m_settings); }

    quint32 controllerId = 0xFFFFFFFF;  // object id of the owning Controller, -1 none

    bool operator==(const RemoteDevice&) const = default;

private:
    friend class Archive::FieldAccess;
    template <class F, class Self>
    static void fields(F& f, Self& s);
    void afterRead(InStream& in);
    // The settings survive: a stored layout that leaves fields out keeps them.
    void resetForRead();

    RDKey m_key;
    std::map<quint32, QString> m_texts;
    RemoteDeviceSettings m_settings;
};
extern template class Archive::Object<RemoteDevice>;

#endif  // LX_OBJECTS_CONTROLLERS_REMOTE_DEVICE_H
