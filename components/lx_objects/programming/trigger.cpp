#include "components/lx_objects/programming/trigger.h"

#include "components/archive/fields.h"
#include "components/lx_objects/programming/parameter_defaults.h"

#include <initializer_list>
#include <iterator>

namespace {

// ---- the stream rows ----

using ParameterRows::at;
using ParameterRows::value;

// Type 16: the DALI command at 4 selects the bytes that follow.
bool daliCommandHasByte6(const quint8* block) { return block[4] <= 4; }
bool daliCommandHasByte7(const quint8* block) { return block[4] == 0 || block[4] == 3; }

// Type 30: the command word at 0 selects the words that follow.
quint16 commandWord(const quint8* block) { return quint16(block[0] | (block[1] << 8)); }
bool commandHasTwoWords(const quint8* block) { return commandWord(block) >= 0x4000 && commandWord(block) <= 0x4005; }
bool commandHasThreeWords(const quint8* block) { return commandWord(block) == 0x4000; }

std::vector<ParameterRow> makeTriggerRows()
{
    using K = ParameterKind;
    ParameterItem wideAddress = at(K::UInt64, 0);
    wideAddress.since = 120;
    wideAddress.olderForm = readShortDaliAddress;
    const ParameterRow twoWords = {at(K::UInt32, 0), at(K::UInt32, 4)};
    const ParameterRow eventWithValue = {at(K::ByteInWord, 0), at(K::Int16, 4)};
    const ParameterRow keyOnly = {value(K::RemoteDevice)};
    const ParameterRow serialOnly = {value(K::Serial)};
    const ParameterRow oneWord = {at(K::UInt32, 0)};
    return {
        {},                                                                                                 // 0
        {},                                                                                                 // 1
        twoWords,                                                                                           // 2
        twoWords,                                                                                           // 3
        twoWords,                                                                                           // 4
        twoWords,                                                                                           // 5
        {value(K::Mask)},                                                                                   // 6
        eventWithValue,                                                                                     // 7
        eventWithValue,                                                                                     // 8
        {value(K::RemoteDevice), at(K::UInt8, 0), at(K::ByteInWord, 4)},                                    // 9
        {value(K::RemoteDevice), at(K::UInt8, 0), at(K::UInt8, 1), at(K::UInt8, 2), at(K::ByteInWord, 4)},  // 10
        {value(K::RemoteDevice), at(K::ByteInWord, 0), value(K::Serial)},                                   // 11
        {at(K::ByteInWord, 0), value(K::Serial), at(K::UInt16, 4)},                                         // 12
        {at(K::UInt16, 0), at(K::UInt8, 2), at(K::UInt8, 3), at(K::ByteInWord, 4)},                         // 13
        {value(K::RemoteDevice), value(K::Midi)},                                                           // 14
        {value(K::RemoteDevice), at(K::UInt8, 0), at(K::UInt8, 1), at(K::Bool, 2), at(K::UInt8, 3), at(K::UInt8, 4),
         at(K::ByteInWord, 8)},  // 15
        {at(K::UInt32, 0), at(K::UInt8, 4), at(K::UInt8, 5), at(K::UInt8, 6, daliCommandHasByte6),
         at(K::UInt8, 7, daliCommandHasByte7)},                                          // 16
        {at(K::UInt32, 0), at(K::UInt8, 4)},                                             // 17
        {wideAddress, at(K::UInt8, 8), at(K::Bool, 9)},                                  // 18
        keyOnly,                                                                         // 19
        keyOnly,                                                                         // 20
        {value(K::RemoteDevice), at(K::UInt8, 0), at(K::ByteInWord, 4)},                 // 21
        {value(K::Serial), at(K::ByteInWord, 0)},                                        // 22
        serialOnly,                                                                      // 23
        serialOnly,                                                                      // 24
        {value(K::Serial), at(K::Bool, 0)},                                              // 25
        {value(K::Serial), value(K::Text)},                                              // 26
        {at(K::ByteInWord, 0), at(K::Int16, 4), at(K::Int16, 6), at(K::ByteInWord, 8)},  // 27
        {at(K::Bool, 0)},                                                                // 28
        {},                                                                              // 29
        {at(K::UInt16, 0), at(K::UInt32, 4, commandHasTwoWords), at(K::UInt32, 8, commandHasTwoWords),
         at(K::UInt32, 12, commandHasThreeWords)},  // 30
        oneWord,                                    // 31
        oneWord,                                    // 32
        {value(K::IoModule)},                       // 33
        {at(K::ByteInWord, 0)},                     // 34
    };
}

// ---- type changes ----

bool relatedTriggerTypes(int oldType, int newType)
{
    for (const auto& group : {std::initializer_list<int> {2, 3, 4, 5}, {11, 12}, {31, 32}}) {
        if (oneOfTypes(oldType, group) && oneOfTypes(newType, group))
            return true;
    }
    return false;
}

// The key that a type's controller selection follows.
void applyTriggerKeyRule(RDKey& key, int type)
{
    const auto keepOr = [&key](std::initializer_list<int> kept, quint8 otherType) {
        if (!oneOfTypes(key.type, kept))
            key = RDKey {otherType, 0};
    };
    switch (type) {
    case 9:
    case 10:
        keepOr({100, 101, 102}, 100);
        break;
    case 11:
        keepOr({100, 101, 102, 103}, 100);
        break;
    case 14:
        keepOr({100, 105}, 100);
        key.index = 0;
        break;
    case 15:
        keepOr({105}, 105);
        break;
    case 21:
        keepOr({104, 107}, 104);
        break;
    default:
        break;
    }
}

// The selection a type fixes with the given key; 0 when it fixes none.
qint32 triggerFixedSelection(int type, const RDKey& key)
{
    if ((oneOfTypes(type, {9, 10, 11, 14}) && key.type != RDKey::kLocalDevice) || oneOfTypes(type, {15, 19, 20, 21}))
        return RemoteDeviceControllerSelection;
    if (oneOfTypes(type, {16, 17, 18}))
        return DaliControllerSelection;
    if (oneOfTypes(type, {6, 7, 8, 12, 30}))
        return FixedControllerSelection;
    return 0;
}

void writeDefaults(TriggerData& body, int oldType, int type)
{
    auto& p = body.parameters;
    const bool keepFirst = relatedTriggerTypes(oldType, type);
    switch (type) {
    case 2:
    case 3:
    case 4:
    case 5:
        if (!keepFirst)
            p.set<quint32>(0, 0xFFFFFFFF);
        if (type == 4)
            p.set<quint32>(4, 0xFFFFFFFF);
        break;
    case 6:
        body.mask.setTime(-1, 0, 0);
        body.mask.setDate(-1, -1, -1);
        body.mask.setWeekdays(7, true, false);
        break;
    case 7:
    case 8:
        p.set<quint32>(0, 0);
        p.set<qint16>(4, 0);
        break;
    case 9:
        p.set<quint8>(0, 255);
        p.set<quint32>(4, 0);
        break;
    case 10:
        p.set<quint8>(0, 255);
        p.set<quint8>(1, 0);
        p.set<quint8>(2, 100);
        p.set<quint32>(4, 0);
        break;
    case 11:
        if (!keepFirst)
            p.set<quint32>(0, 0);
        break;
    case 12:
        if (!keepFirst)
            p.set<quint32>(0, 0);
        p.set<quint16>(4, 0xFFFF);
        break;
    case 13:
        p.set<quint16>(0, 0);
        p.set<quint8>(2, 0);
        p.set<quint8>(3, 255);
        p.set<quint32>(4, 0);
        break;
    case 15:
        p.set<quint8>(0, 0);
        p.set<quint8>(1, 2);
        p.set<quint8>(2, 0);
        p.set<quint8>(3, 0);
        p.set<quint8>(4, 255);
        p.set<quint32>(8, 0);
        break;
    case 16:
        p.set<quint32>(0, onlyDaliInterfaceId());
        p.set<quint8>(4, 0x00);
        p.set<quint8>(5, 0xC0);
        p.set<quint8>(6, 0x00);
        p.set<quint8>(7, 0xFE);
        break;
    case 17:
        p.set<quint32>(0, onlyDaliInterfaceId());
        p.set<quint8>(4, 0);
        break;
    case 18:
        // A broadcast address whose low byte names the DALI interface.
        p.set<quint64>(0, 0xFFFFFFFFFFC0FF00ull | (onlyDaliInterfaceId() & 0xFFu));
        p.set<quint8>(8, 0);
        p.set<quint8>(9, 1);
        break;
    case 21:
        p.set<quint8>(0, 0);
        p.set<quint32>(4, 0);
        break;
    case 22:
        p.set<quint32>(0, 4);
        break;
    case 25:
        p.set<quint8>(0, 1);
        break;
    case 27:
        p.set<quint32>(0, 0);
        p.set<qint16>(4, 0);
        p.set<qint16>(6, 100);
        p.set<quint32>(8, 1);
        break;
    case 28:
        p.set<quint8>(0, 0);
        break;
    case 30:
        p.set<quint16>(0, 0x4000);
        p.set<quint32>(4, 0);
        p.set<quint32>(8, 0);
        p.set<quint32>(12, 0);
        break;
    case 31:
    case 32:
        if (!keepFirst)
            p.set<quint32>(0, 0xFFFFFFFF);
        break;
    case 34:
        p.set<quint32>(0, 0);
        break;
    default:
        break;
    }
    applyTriggerKeyRule(body.remoteDevice, type);
}

}  // namespace

const ParameterRow& triggerParameterRow(int type)
{
    static const std::vector<ParameterRow> rows = makeTriggerRows();
    return parameterRowOf(rows, type);
}

// ---- TriggerData ----

template <class F, class Self>
void TriggerData::fields(F& f, Self& s)
{
    f.since(100, typeByte(s));
    f(Archive::storedAs<quint32>(s.controllerSelection));
    f.since(140, Archive::storedAs<quint32>(s.secondControllerSelection));
    bodyParameterFields(f, s, triggerParameterRow(s.m_type));
}

void TriggerData::read(InStream& in)
{
    Archive::readFields(in, *this);
    if (oneOfTypes(m_type, {16, 17, 18}))
        controllerSelection = DaliControllerSelection;
    if (m_type == kIoModuleType && in.version() < 142)
        controllerSelection = IoModuleControllerSelection;
}

void TriggerData::write(OutStream& out) const { Archive::writeFields(out, *this); }

void setTriggerType(TriggerData& body, int type)
{
    const int oldType = body.type();
    const RDKey oldKey = body.remoteDevice;
    body.setType(type);
    if (type != oldType) {
        const std::initializer_list<int> serialTypes = {11, 12, 22, 23, 24, 26};
        if (oneOfTypes(oldType, serialTypes) && !oneOfTypes(type, serialTypes))
            body.serialString.clear();
        if (oldType == 14)
            body.midiMessages.clear();
        body.text = QString();
    }
    writeDefaults(body, oldType, type);

    if (const qint32 selection = triggerFixedSelection(type, body.remoteDevice))
        body.controllerSelection = selection;
    else if (type == TriggerData::kIoModuleType)
        body.controllerSelection = IoModuleControllerSelection;
    else if (triggerFixedSelection(oldType, oldKey) != 0)
        body.controllerSelection = DefaultControllerSelection;
}

// ---- Trigger ----

namespace {

int insertId(std::list<int>& ids, int id, int position)
{
    if (position < 0 || std::size_t(position) >= ids.size()) {
        ids.push_back(id);
        return int(ids.size() - 1);
    }
    ids.insert(std::next(ids.begin(), position), id);
    return position;
}

}  // namespace

template <class F, class Self>
void Trigger::fields(F& f, Self& s)
{
    // Older data has the body's type first; newer data has it in the body.
    f.onlyBefore(100, typeByte(s.m_body));
    f(s.m_name, s.m_text2, s.m_sortValue, s.m_option, s.m_flagA, s.m_flagC);
    f.since(150, s.m_flagB);
    f(idList(s.m_conditions), idList(s.m_actions), Archive::inlineFields(s.m_body));
}

void Trigger::afterRead(InStream& in)
{
    // Those versions stored the flag inverted.
    if (in.version() >= 150 && in.version() < 155)
        m_flagB = !m_flagB;
}

void Trigger::setData(const TriggerData& data) { m_body = data; }

int Trigger::insertCondition(int id, int position) { return insertId(m_conditions, id, position); }

int Trigger::insertAction(int id, int position) { return insertId(m_actions, id, position); }

template class Archive::Object<Trigger>;
