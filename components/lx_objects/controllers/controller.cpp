#include "components/lx_objects/controllers/controller.h"

#include "components/archive/fields.h"

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

template <class F, class Touch>
void touchFields(F& f, Touch& t)
{
    f(t.option8D, t.option8E, t.secondIpAddress, t.secondSubnetMask, t.option8C, t.option8F);
}

}  // namespace

bool Controller::hasSetting(quint32 typeMask) const { return typeIn(m_type, typeMask); }

template <class F, class Self>
void Controller::fields(F& f, Self& s)
{
    using Archive::storedAs;
    // A word that some versions carried in the middle of the address settings.
    const auto droppedWord = [](quint16 v) { return v < 112 || (v >= 120 && v < 125); };
    f(s.m_type, s.channelCapacity);
    f.since(135, s.referenceId);
    f(s.number, s.m_name);
    // Older data has one text, which becomes key 0.
    f.since(138, Archive::mapStoredAs<quint32>(s.m_texts)).orRead([](InStream& in, auto& texts) {
        texts.map.clear();
        in >> texts.map[0];
    });
    f.since(81, s.generalOption);
    f(s.serialBaudRate, s.serialDataBits, s.serialStopBits, storedAs<quint8>(s.serialParity), s.auxiliaryValue);
    for (auto& input : s.m_inputs)
        f(input.inputType, input.data1, input.data2);

    auto& st = s.m_settings;
    switch (s.m_type) {
    case QmbType:
        f(st.dmxRefresh, st.timeSource);
        f.since(104, st.sharedWordB, st.sharedWordC);
        f(st.option8A);
        f.since(126, st.sharedFlagE).orSet(true);
        f(st.option8B, st.ipAddress, st.subnetMask);
        f.droppedWhen(droppedWord, quint32());
        f.since(153, st.sharedWordA);
        f(st.proxyControllerId, st.dmxInSource2, st.dmxInSource2Value, st.dmxInSource3, st.dmxInSource3Value,
          st.dmxInValue4, st.dmxInSource, st.dmxInSourceValue, storedAs<quint8>(st.serialMode));
        break;
    case QmbZType:
        f(st.dmxRefresh);
        f.when([](quint16 v) { return v >= 56 && v != 62; }, st.option8G).orSet(true);
        f(st.serial2BaudRate, st.serial2DataBits, st.serial2StopBits, storedAs<quint8>(st.serial2Parity));
        f(st.ipAddress, st.subnetMask);
        f.droppedWhen(droppedWord, quint32());
        f(st.autoAddress, st.option32A, st.option32B, st.option32C, st.option16);
        f.since(134, st.option8H);
        f(st.dmxInSource, st.dmxInSourceValue);
        f.since(69, st.videoOption, st.videoWidth, st.videoHeight);
        break;
    case KnvType:
        f(st.dmxRefresh, st.option8B, st.ipAddress, st.subnetMask);
        f.droppedWhen(droppedWord, quint32());
        f.since(153, st.sharedWordA);
        f(st.dmxInSource, st.dmxInSourceValue);
        f.since(10, st.dmxInSource2, st.dmxInSource2Value, st.dmxInValue4);
        touchFields(f, st.touch);
        f(st.hasDaliInterface, st.daliInterfaceId);
        f.since(104, st.sharedWordB, st.sharedWordC);
        f(st.option8A);
        f.since(129, st.sharedFlagE).orSet(true);
        f(st.option32E);
        break;
    case GzeType:
    case GzePlusType:
        f.since(66, st.dmxRefresh, st.ipAddress, st.subnetMask);
        f.droppedWhen(droppedWord, quint32());
        f.since(66, st.autoAddress);
        f.since(124, st.option8I, st.option32B, st.option32C, st.option16, st.option8J);
        f.since(66, st.dmxInSource, st.dmxInSourceValue);
        f(st.option32A);
        f.since(62, s.contentMasks);
        break;
    case NqaType:
        touchFields(f, st.touch);
        f(st.option32E);
        break;
    default:
        break;
    }
    f(s.flagA);
    f.since(78, s.flagB, s.flagC);
}

void Controller::afterRead(InStream&)
{
    m_texts.emplace(0, QString());  // only when key 0 is missing
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
#define CONTROLLER_SETTER(setter, Arg, types, field, expr)                                                             \
    void Controller::setter(Arg value)                                                                                 \
    {                                                                                                                  \
        if (hasSetting(types))                                                                                         \
            m_settings.field = expr;                                                                                   \
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

template class Archive::Object<Controller>;
