#include "components/lx_objects/controllers/controller.h"

#include "components/archive/in_stream.h"
#include "components/archive/out_stream.h"

namespace {

// Sets of controller types, bit n standing for type n.
constexpr quint32 typeBit(int type) { return 1u << type; }
constexpr quint32 kType1 = typeBit(1);
constexpr quint32 kType2 = typeBit(2);
constexpr quint32 kType3 = typeBit(3);
constexpr quint32 kTypes1And3 = typeBit(1) | typeBit(3);
constexpr quint32 kTypes1To3 = typeBit(1) | typeBit(2) | typeBit(3);
constexpr quint32 kTypes1To5 = kTypes1To3 | typeBit(4) | typeBit(5);
constexpr quint32 kTypes2And4And5 = typeBit(2) | typeBit(4) | typeBit(5);
constexpr quint32 kTypes3And6 = typeBit(3) | typeBit(6);
constexpr quint32 kTypes4And5 = typeBit(4) | typeBit(5);

bool typeIn(quint8 type, quint32 typeMask) { return type < 32 && ((typeMask >> type) & 1u) != 0; }

// A word that some versions carried in the middle of the address settings.
void skipDroppedWord(InStream& in)
{
    const quint16 version = in.version();
    if (version < 112 || (version >= 120 && version < 125)) {
        quint32 unused = 0;
        in >> unused;
    }
}

// Enumerations held in 32 bits travel as their low byte.
quint32 readByte(InStream& in)
{
    quint8 byte = 0;
    in >> byte;
    return byte;
}

void writeByte(OutStream& out, quint32 value) { out << static_cast<quint8>(value & 0xFFu); }

void readTouch(InStream& in, ControllerTouchSettings& touch)
{
    in >> touch.option8D >> touch.option8E >> touch.secondIpAddress >> touch.secondSubnetMask >> touch.option8C
        >> touch.option8F;
}

void writeTouch(OutStream& out, const ControllerTouchSettings& touch)
{
    out << touch.option8D << touch.option8E << touch.secondIpAddress << touch.secondSubnetMask << touch.option8C
        << touch.option8F;
}

}  // namespace

bool Controller::hasSetting(quint32 typeMask) const { return typeIn(m_type, typeMask); }

void Controller::read(InStream& in)
{
    const quint16 version = in.version();
    in >> m_type >> channelCapacity;
    if (version >= 135)
        in >> referenceId;
    in >> number >> m_name;
    if (version >= 138) {
        // Keys travel as uint32.
        StreamDetail::readContainer(in, StreamCode::Map, m_texts, [&] {
            quint32 key = 0;
            in >> key;
            in >> m_texts[static_cast<qint32>(key)];
        });
    } else {
        QString text;
        in >> text;
        m_texts.clear();
        m_texts[0] = text;
    }
    m_texts.emplace(0, QString());  // only when key 0 is missing
    if (version >= 81)
        in >> generalOption;
    in >> serialBaudRate >> serialDataBits >> serialStopBits;
    serialParity = readByte(in);
    in >> auxiliaryValue;
    for (ControllerInput& input : m_inputs)
        in >> input.inputType >> input.data1 >> input.data2;
    readSettings(in);
    in >> flagA;
    if (version >= 78)
        in >> flagB >> flagC;
}

void Controller::readSettings(InStream& in)
{
    const quint16 version = in.version();
    m_settings = ControllerSettings();
    contentMasks.clear();
    ControllerSettings& s = m_settings;
    switch (m_type) {
    case QmbType:
        in >> s.dmxRefresh >> s.timeSource;
        if (version >= 104)
            in >> s.sharedWordB >> s.sharedWordC;
        in >> s.option8A;
        s.sharedFlagE = true;
        if (version >= 126)
            in >> s.sharedFlagE;
        in >> s.option8B >> s.ipAddress >> s.subnetMask;
        skipDroppedWord(in);
        if (version >= 153)
            in >> s.sharedWordA;
        in >> s.proxyControllerId >> s.dmxInSource2 >> s.dmxInSource2Value >> s.dmxInSource3 >> s.dmxInSource3Value
            >> s.dmxInValue4 >> s.dmxInSource >> s.dmxInSourceValue;
        s.serialMode = readByte(in);
        break;
    case QmbZType:
        in >> s.dmxRefresh;
        s.option8G = true;
        if (version >= 56 && version != 62)
            in >> s.option8G;
        in >> s.serial2BaudRate >> s.serial2DataBits >> s.serial2StopBits;
        s.serial2Parity = readByte(in);
        in >> s.ipAddress >> s.subnetMask;
        skipDroppedWord(in);
        in >> s.autoAddress >> s.option32A >> s.option32B >> s.option32C >> s.option16;
        if (version >= 134)
            in >> s.option8H;
        in >> s.dmxInSource >> s.dmxInSourceValue;
        if (version >= 69)
            in >> s.videoOption >> s.videoWidth >> s.videoHeight;
        break;
    case KnvType:
        in >> s.dmxRefresh >> s.option8B >> s.ipAddress >> s.subnetMask;
        skipDroppedWord(in);
        if (version >= 153)
            in >> s.sharedWordA;
        in >> s.dmxInSource >> s.dmxInSourceValue;
        if (version >= 10)
            in >> s.dmxInSource2 >> s.dmxInSource2Value >> s.dmxInValue4;
        readTouch(in, s.touch);
        in >> s.hasDaliInterface >> s.daliInterfaceId;
        if (version >= 104)
            in >> s.sharedWordB >> s.sharedWordC;
        in >> s.option8A;
        s.sharedFlagE = true;
        if (version >= 129)
            in >> s.sharedFlagE;
        in >> s.option32E;
        break;
    case GzeType:
    case GzePlusType:
        if (version >= 66) {
            in >> s.dmxRefresh >> s.ipAddress >> s.subnetMask;
            skipDroppedWord(in);
            in >> s.autoAddress;
        } else {
            skipDroppedWord(in);
        }
        if (version >= 124)
            in >> s.option8I >> s.option32B >> s.option32C >> s.option16 >> s.option8J;
        if (version >= 66)
            in >> s.dmxInSource >> s.dmxInSourceValue;
        in >> s.option32A;
        if (version >= 62)
            in >> contentMasks;
        break;
    case NqaType:
        readTouch(in, s.touch);
        in >> s.option32E;
        break;
    default:
        break;
    }
}

void Controller::write(OutStream& out) const
{
    out << m_type << channelCapacity << referenceId << number << m_name;
    StreamDetail::writeContainer(out, StreamCode::Map, m_texts, [&](const auto& entry) {
        out << static_cast<quint32>(entry.first) << entry.second;
    });
    out << generalOption << serialBaudRate << serialDataBits << serialStopBits;
    writeByte(out, serialParity);
    out << auxiliaryValue;
    for (const ControllerInput& input : m_inputs)
        out << input.inputType << input.data1 << input.data2;
    writeSettings(out);
    out << flagA << flagB << flagC;
}

void Controller::writeSettings(OutStream& out) const
{
    const ControllerSettings& s = m_settings;
    switch (m_type) {
    case QmbType:
        out << s.dmxRefresh << s.timeSource << s.sharedWordB << s.sharedWordC << s.option8A << s.sharedFlagE
            << s.option8B << s.ipAddress << s.subnetMask << s.sharedWordA << s.proxyControllerId << s.dmxInSource2
            << s.dmxInSource2Value << s.dmxInSource3 << s.dmxInSource3Value << s.dmxInValue4 << s.dmxInSource
            << s.dmxInSourceValue;
        writeByte(out, s.serialMode);
        break;
    case QmbZType:
        out << s.dmxRefresh << s.option8G << s.serial2BaudRate << s.serial2DataBits << s.serial2StopBits;
        writeByte(out, s.serial2Parity);
        out << s.ipAddress << s.subnetMask << s.autoAddress << s.option32A << s.option32B << s.option32C
            << s.option16 << s.option8H << s.dmxInSource << s.dmxInSourceValue << s.videoOption << s.videoWidth
            << s.videoHeight;
        break;
    case KnvType:
        out << s.dmxRefresh << s.option8B << s.ipAddress << s.subnetMask << s.sharedWordA << s.dmxInSource
            << s.dmxInSourceValue << s.dmxInSource2 << s.dmxInSource2Value << s.dmxInValue4;
        writeTouch(out, s.touch);
        out << s.hasDaliInterface << s.daliInterfaceId << s.sharedWordB << s.sharedWordC << s.option8A
            << s.sharedFlagE << s.option32E;
        break;
    case GzeType:
    case GzePlusType:
        out << s.dmxRefresh << s.ipAddress << s.subnetMask << s.autoAddress << s.option8I << s.option32B
            << s.option32C << s.option16 << s.option8J << s.dmxInSource << s.dmxInSourceValue << s.option32A
            << contentMasks;
        break;
    case NqaType:
        writeTouch(out, s.touch);
        out << s.option32E;
        break;
    default:
        break;
    }
}

void Controller::setType(quint8 type)
{
    const quint8 oldType = m_type;
    if (type == oldType)
        return;
    m_type = type;
    if (typeIn(oldType, kTypes4And5) && typeIn(type, kTypes4And5))
        return;

    // What the new type's settings take over from the old type's.
    const ControllerSettings old = m_settings;
    const bool from1Or3 = typeIn(oldType, kTypes1And3);
    const bool fixedAddressOf2 = oldType == QmbZType && !old.autoAddress;
    const quint16 carriedA = from1Or3 ? old.sharedWordA : 0;
    const quint16 carriedB = from1Or3 ? old.sharedWordB : 0;
    const quint16 carriedC = from1Or3 ? old.sharedWordC : 0;
    const bool carriedE = from1Or3 && old.sharedFlagE;
    const bool carriedI = from1Or3 && old.option8A;
    const bool fixedAddress = from1Or3 ? old.option8B : fixedAddressOf2;
    const bool addressKept = from1Or3 || fixedAddressOf2;
    const quint32 carriedIp = addressKept ? old.ipAddress : 0;
    const quint32 carriedMask = addressKept ? old.subnetMask : 0;
    const bool sourceKept = typeIn(oldType, kTypes1To3);
    const quint8 carriedSource = sourceKept ? old.dmxInSource : 0;
    const quint16 carriedSourceValue = sourceKept ? old.dmxInSourceValue : 65535;
    const bool touchKept = typeIn(oldType, kTypes3And6);
    const ControllerTouchSettings carriedTouch = touchKept ? old.touch : ControllerTouchSettings();
    const quint32 carriedOption32E = touchKept ? old.option32E : 0xFFFFFFFFu;

    if (!from1Or3)
        m_inputs.fill(ControllerInput());

    m_settings = ControllerSettings();
    ControllerSettings& s = m_settings;
    // Types 1 and 3 share the address block, its flags and the shared words.
    const auto carryAddressBlock = [&] {
        s.sharedWordA = carriedA;
        s.sharedWordB = carriedB;
        s.sharedWordC = carriedC;
        s.option8A = carriedI;
        s.sharedFlagE = carriedE;
        s.option8B = fixedAddress;
        s.ipAddress = carriedIp;
        s.subnetMask = carriedMask;
    };
    switch (type) {
    case QmbType:
        carryAddressBlock();
        s.dmxInSource = carriedSource;
        s.dmxInSourceValue = carriedSourceValue;
        channelCapacity = 1024;
        break;
    case QmbZType:
    case GzeType:
    case GzePlusType:
        s.ipAddress = fixedAddress ? carriedIp : 0;
        s.subnetMask = fixedAddress ? carriedMask : 0;
        s.autoAddress = !fixedAddress;
        s.dmxInSource = carriedSource;
        s.dmxInSourceValue = carriedSourceValue;
        if (type == QmbZType)
            channelCapacity = 10240;
        break;
    case KnvType:
        carryAddressBlock();
        // A touch-panel controller has no DMX input of source 1.
        s.dmxInSource = carriedSource == 1 ? 0 : carriedSource;
        s.dmxInSourceValue = carriedSource == 1 ? 65535 : carriedSourceValue;
        s.touch = carriedTouch;
        s.option32E = carriedOption32E;
        channelCapacity = 512;
        break;
    case NqaType:
        s.touch = carriedTouch;
        s.option32E = carriedOption32E;
        channelCapacity = 0;
        break;
    default:
        break;
    }
}

void Controller::setName(const QString& name)
{
    m_name = name;
    m_name.replace(QLatin1Char('\n'), QLatin1Char(' '));
}

void Controller::setText(const QString& text, qint32 key) { m_texts[key] = text; }

ControllerInput Controller::input(int index) const
{
    if (index < 0 || index >= kInputCount)
        return ControllerInput();
    return m_inputs[static_cast<std::size_t>(index)];
}

void Controller::setInputType(int index, quint8 value)
{
    if (index >= 0 && index < kInputCount)
        m_inputs[static_cast<std::size_t>(index)].inputType = value;
}

void Controller::setInputData1(int index, quint8 value)
{
    if (index >= 0 && index < kInputCount)
        m_inputs[static_cast<std::size_t>(index)].data1 = value;
}

void Controller::setInputData2(int index, quint8 value)
{
    if (index >= 0 && index < kInputCount)
        m_inputs[static_cast<std::size_t>(index)].data2 = value;
}

quint32 Controller::ipAddress() const { return hasSetting(kTypes1To5) ? m_settings.ipAddress : 0; }

quint32 Controller::subnetMask() const { return hasSetting(kTypes1To5) ? m_settings.subnetMask : 0; }

quint32 Controller::daliInterfaceId() const { return hasSetting(kType3) ? m_settings.daliInterfaceId : 0xFFFFFFFFu; }

bool Controller::hasDaliInterface() const { return hasSetting(kType3) && m_settings.hasDaliInterface; }

// One line per setting: the types that have it, then the field.
#define CONTROLLER_SETTER(setter, Arg, types, field, expr) \
    void Controller::setter(Arg value)                     \
    {                                                      \
        if (hasSetting(types))                             \
            m_settings.field = expr;                       \
    }

CONTROLLER_SETTER(setDmxRefresh, quint8, kTypes1To5, dmxRefresh, value)
CONTROLLER_SETTER(setTimeSource, quint8, kType1, timeSource, value)
CONTROLLER_SETTER(setOption8A, quint8, kTypes1And3, option8A, value != 0)
CONTROLLER_SETTER(setOption8B, quint8, kTypes1And3, option8B, value != 0)
CONTROLLER_SETTER(setIpAddress, qint32, kTypes1To5, ipAddress, static_cast<quint32>(value))
CONTROLLER_SETTER(setSubnetMask, qint32, kTypes1To5, subnetMask, static_cast<quint32>(value))
CONTROLLER_SETTER(setPanelOption96, quint8, kTypes2And4And5, autoAddress, value != 0)
CONTROLLER_SETTER(setDmxInSource, quint8, kTypes1To5, dmxInSource, value)
CONTROLLER_SETTER(setDmxInSourceValue, quint16, kTypes1To5, dmxInSourceValue, value)
CONTROLLER_SETTER(setDmxInSource2, quint8, kTypes1And3, dmxInSource2, value)
CONTROLLER_SETTER(setDmxInSource2Value, quint16, kTypes1And3, dmxInSource2Value, value)
CONTROLLER_SETTER(setDmxInSource3, quint8, kType1, dmxInSource3, value)
CONTROLLER_SETTER(setDmxInSource3Value, quint16, kType1, dmxInSource3Value, value)
CONTROLLER_SETTER(setDmxInValue4, quint16, kTypes1And3, dmxInValue4, value)
CONTROLLER_SETTER(setOption16, quint16, kTypes2And4And5, option16, value)
CONTROLLER_SETTER(setOption32A, quint32, kType2, option32A, value)
CONTROLLER_SETTER(setOption32B, qint32, kTypes2And4And5, option32B, value)
CONTROLLER_SETTER(setOption32C, qint32, kTypes2And4And5, option32C, value)
CONTROLLER_SETTER(setOption32D, quint32, kType1, proxyControllerId, value)
CONTROLLER_SETTER(setSerial2BaudRate, quint32, kType2, serial2BaudRate, value)
CONTROLLER_SETTER(setSerial2DataBits, quint8, kType2, serial2DataBits, value)
CONTROLLER_SETTER(setSerial2StopBits, quint8, kType2, serial2StopBits, value)
CONTROLLER_SETTER(setSerial2Parity, quint32, kType2, serial2Parity, value)
CONTROLLER_SETTER(setSerial2Mode, quint32, kType1, serialMode, value)
CONTROLLER_SETTER(setHasDaliInterface, quint8, kType3, hasDaliInterface, value != 0)
CONTROLLER_SETTER(setDaliInterfaceId, quint32, kType3, daliInterfaceId, value)
CONTROLLER_SETTER(setOption8C, quint8, kTypes3And6, touch.option8C, value != 0)
CONTROLLER_SETTER(setOption8D, quint8, kTypes3And6, touch.option8D, value)
CONTROLLER_SETTER(setOption8E, quint8, kTypes3And6, touch.option8E, value)
CONTROLLER_SETTER(setOption8F, quint8, kTypes3And6, touch.option8F, value != 0)
CONTROLLER_SETTER(setSecondIpAddress, qint32, kTypes3And6, touch.secondIpAddress, static_cast<quint32>(value))
CONTROLLER_SETTER(setSecondSubnetMask, qint32, kTypes3And6, touch.secondSubnetMask, static_cast<quint32>(value))
CONTROLLER_SETTER(setOption32E, qint32, kTypes3And6, option32E, static_cast<quint32>(value))

#undef CONTROLLER_SETTER
