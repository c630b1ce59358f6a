// Controller is one lighting controller of a project (array 19). Every
// controller has a type, a channel capacity, a number, a name, texts, a
// first serial port, eight contact inputs and three flags; the rest of its
// settings depend on its type:
//
//   0 unknown (no settings), 1 QMB, 2 QMB Z, 3 KNV touch-panel controller,
//   4 GZE and 5 GZE+ (one layout), 6 NQA touch screen; any other value is
//   kept but has no settings.
//
// Set the type first: setType() fills the type's settings with their
// defaults, carrying over what the old type shares with the new one. The
// typed setters then change a setting only when the current type has it, so
// a caller may call them without knowing which type has what.
//
// Owned by the database like every archive object; one thread edits a copy.
#ifndef LX_OBJECTS_CONTROLLERS_CONTROLLER_H
#define LX_OBJECTS_CONTROLLERS_CONTROLLER_H

#include "components/archive/object.h"
#include "components/lx_objects/controllers/content_mask.h"

#include <QString>

#include <array>
#include <map>

// One contact input.
struct ControllerInput
{
    quint8 inputType = 2;
    quint8 data1 = 0;
    quint8 data2 = 50;

    bool operator==(const ControllerInput&) const = default;
};

// The touch-panel settings of types 3 and 6.
struct ControllerTouchSettings
{
    quint8 option8D = 50;
    quint8 option8E = 25;
    quint32 secondIpAddress = 1;
    quint32 secondSubnetMask = 3;
    bool option8C = true;
    bool option8F = true;

    bool operator==(const ControllerTouchSettings&) const = default;
};

// The settings that depend on the controller type. A field counts only for
// the types that have it; the defaults are those of a freshly set type.
struct ControllerSettings
{
    quint8 dmxRefresh = 1;                   // 1-5
    quint8 timeSource = 0;                   // 1
    quint16 sharedWordA = 0;                 // 1, 3
    quint16 sharedWordB = 0;                 // 1, 3
    quint16 sharedWordC = 0;                 // 1, 3
    bool option8A = false;                   // 1, 3
    bool sharedFlagE = false;                // 1, 3
    bool option8B = false;                   // 1, 3: the address is fixed
    quint32 ipAddress = 0;                   // 1-5
    quint32 subnetMask = 0;                  // 1-5
    quint32 proxyControllerId = 0xFFFFFFFF;  // 1: object id of a KNV proxy, -1 none
    quint8 dmxInSource2 = 0;                 // 1, 3
    quint16 dmxInSource2Value = 65535;       // 1, 3
    quint8 dmxInSource3 = 0;                 // 1
    quint16 dmxInSource3Value = 65535;       // 1
    quint16 dmxInValue4 = 0;                 // 1, 3
    quint8 dmxInSource = 0;                  // 1-5
    quint16 dmxInSourceValue = 65535;        // 1-5
    quint32 serialMode = 1;                  // 1
    bool option8G = false;                   // 2
    quint32 serial2BaudRate = 38400;         // 2
    quint8 serial2DataBits = 8;              // 2
    quint8 serial2StopBits = 1;              // 2
    quint32 serial2Parity = 0;               // 2
    bool autoAddress = true;                 // 2, 4, 5
    quint32 option32A = 0xFFFFFFFF;          // 2, 4, 5
    qint32 option32B = 0;                    // 2, 4, 5
    qint32 option32C = 0;                    // 2, 4, 5
    quint16 option16 = 1;                    // 2, 4, 5
    quint8 option8H = 0;                     // 2
    bool videoOption = false;                // 2
    quint16 videoWidth = 1920;               // 2
    quint16 videoHeight = 1080;              // 2
    ControllerTouchSettings touch {};        // 3, 6
    bool hasDaliInterface = false;           // 3
    quint32 daliInterfaceId = 0xFFFFFFFF;    // 3: object id, -1 none
    quint32 option32E = 0xFFFFFFFF;          // 3, 6
    bool option8I = false;                   // 4, 5
    quint8 option8J = 0;                     // 4, 5

    bool operator==(const ControllerSettings&) const = default;
};

class Controller : public Archive::Object<Controller>
{
public:
    static constexpr quint32 kTypeCode = 111;
    static constexpr Archive::ArrayId kArrayId = 19;
    static constexpr int kInputCount = 8;

    enum Type : quint8 {
        UnknownType = 0,
        QmbType = 1,
        QmbZType = 2,
        KnvType = 3,
        GzeType = 4,
        GzePlusType = 5,
        NqaType = 6,
    };

    Controller() = default;

    quint8 type() const { return m_type; }
    // Changes the type (see above); the same type changes nothing, and
    // between types 4 and 5 only the type changes.
    void setType(quint8 type);

    QString name() const { return m_name; }
    // Line feeds become blanks: the name is shown on one line.
    void setName(const QString& name);
    // Key 0 is present after every read.
    const std::map<qint32, QString>& texts() const { return m_texts; }
    void setText(const QString& text, qint32 key);

    // Indexes of kInputCount or more are ignored.
    ControllerInput input(int index) const;
    void setInputType(int index, quint8 value);
    void setInputData1(int index, quint8 value);
    void setInputData2(int index, quint8 value);

    // All type-dependent fields, including those the current type lacks.
    const ControllerSettings& settings() const { return m_settings; }

    // The address of types 1 to 5; 0 for the others.
    quint32 ipAddress() const;
    quint32 subnetMask() const;
    // Type 3's DALI interface; -1 and false for the other types.
    quint32 daliInterfaceId() const;
    bool hasDaliInterface() const;

    // Typed setters: each changes its setting only for the types that have it;
    // the comment names the settings() member it sets and those types.
    void setDmxRefresh(quint8 value);          // dmxRefresh (types 1-5)
    void setTimeSource(quint8 value);          // timeSource (type 1)
    void setOption8A(quint8 value);            // option8A (types 1, 3)
    void setOption8B(quint8 value);            // option8B (types 1, 3)
    void setIpAddress(qint32 value);           // ipAddress (types 1-5)
    void setSubnetMask(qint32 value);          // subnetMask (types 1-5)
    void setPanelOption96(quint8 value);       // autoAddress (types 2, 4, 5)
    void setDmxInSource(quint8 value);         // dmxInSource (types 1-5)
    void setDmxInSourceValue(quint16 value);   // dmxInSourceValue (types 1-5)
    void setDmxInSource2(quint8 value);        // dmxInSource2 (types 1, 3)
    void setDmxInSource2Value(quint16 value);  // dmxInSource2Value (types 1, 3)
    void setDmxInSource3(quint8 value);        // dmxInSource3 (type 1)
    void setDmxInSource3Value(quint16 value);  // dmxInSource3Value (type 1)
    void setDmxInValue4(quint16 value);        // dmxInValue4 (types 1, 3)
    void setOption16(quint16 value);           // option16 (types 2, 4, 5)
    void setOption32A(quint32 value);          // option32A (type 2)
    void setOption32B(qint32 value);           // option32B (types 2, 4, 5)
    void setOption32C(qint32 value);           // option32C (types 2, 4, 5)
    void setOption32D(quint32 value);          // proxyControllerId (type 1)
    void setSerial2BaudRate(quint32 value);    // serial2BaudRate (type 2)
    void setSerial2DataBits(quint8 value);     // serial2DataBits (type 2)
    void setSerial2StopBits(quint8 value);     // serial2StopBits (type 2)
    void setSerial2Parity(quint32 value);      // serial2Parity (type 2)
    void setSerial2Mode(quint32 value);        // serialMode (type 1)
    void setHasDaliInterface(quint8 value);    // hasDaliInterface (type 3)
    void setDaliInterfaceId(quint32 value);    // daliInterfaceId (type 3)
    void setOption8C(quint8 value);            // touch.option8C (types 3, 6)
    void setOption8D(quint8 value);            // touch.option8D (types 3, 6)
    void setOption8E(quint8 value);            // touch.option8E (types 3, 6)
    void setOption8F(quint8 value);            // touch.option8F (types 3, 6)
    void setSecondIpAddress(qint32 value);     // touch.secondIpAddress (types 3, 6)
    void setSecondSubnetMask(qint32 value);    // touch.secondSubnetMask (types 3, 6)
    void setOption32E(qint32 value);           // option32E (types 3, 6)

    quint32 channelCapacity = 512;
    quint32 referenceId = 0xFFFFFFFF;  // an object id, -1 none
    quint16 number = 0;
    quint32 generalOption = 2;
    quint32 serialBaudRate = 38400;
    quint8 serialDataBits = 8;
    quint8 serialStopBits = 1;
    quint32 serialParity = 0;  // 0 to 3
    quint32 auxiliaryValue = 0xFFFFFFFF;
    // Saved for types 4 and 5 only.
    std::map<quint8, ContentMask> contentMasks;
    bool flagA = false;
    bool flagB = false;
    bool flagC = false;

    bool operator==(const Controller&) const = default;

private:
    friend class Archive::FieldAccess;
    template <class F, class Self>
    static void fields(F& f, Self& s);
    void afterRead(InStream& in);
    // Whether the current type is one of typeMask (bit n for type n).
    bool hasSetting(quint32 typeMask) const;

    quint8 m_type = UnknownType;
    QString m_name;
    std::map<qint32, QString> m_texts;
    std::array<ControllerInput, kInputCount> m_inputs {};
    ControllerSettings m_settings;
};
extern template class Archive::Object<Controller>;

#endif  // LX_OBJECTS_CONTROLLERS_CONTROLLER_H
