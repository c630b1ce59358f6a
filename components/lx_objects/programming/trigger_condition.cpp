#include "components/lx_objects/programming/trigger_condition.h"

#include "components/archive/fields.h"
#include "components/lx_objects/programming/parameter_defaults.h"

namespace {

using namespace ParameterRows;
using namespace ParameterDefaults;
using K = ParameterKind;

// ---- the stream rows ----

// Type 3: each event byte chooses the form of its value; event 2 has two
// bytes, the others a signed word.
bool firstEventIsTwo(const quint8* block) { return block[0] == 2; }
bool firstEventIsOther(const quint8* block) { return block[0] != 2; }
bool secondEventIsTwo(const quint8* block) { return block[4] == 2; }
bool secondEventIsOther(const quint8* block) { return block[4] != 2; }

std::vector<ParameterRow> makeConditionRows()
{
    ParameterItem wideAddress = since(120, at(K::UInt64, 0));
    wideAddress.olderForm = readShortDaliAddress;
    const ParameterRow oneWord = {at(K::UInt32, 0)};
    const ParameterRow input = {value(K::RemoteDevice), at(K::UInt8, 0), at(K::ByteInWord, 4)};
    const ParameterRow threeBytes = {value(K::RemoteDevice), at(K::UInt8, 0), at(K::UInt8, 1), at(K::UInt8, 2)};
    return {
        oneWord,                                 // 0
        oneWord,                                 // 1
        {value(K::Mask), at(K::ByteInWord, 0)},  // 2
        {at(K::ByteInWord, 0), at(K::ByteInWord, 4), at(K::UInt8, 8, firstEventIsTwo), at(K::UInt8, 9, firstEventIsTwo),
         at(K::Int16, 8, firstEventIsOther), at(K::UInt8, 10, secondEventIsTwo), at(K::UInt8, 11, secondEventIsTwo),
         at(K::Int16, 10, secondEventIsOther)},                                        // 3
        {at(K::ByteInWord, 0), at(K::ByteInWord, 4)},                                  // 4
        oneWord,                                                                       // 5
        input,                                                                         // 6
        threeBytes,                                                                    // 7
        threeBytes,                                                                    // 8
        {value(K::RemoteDevice), at(K::UInt16, 0), at(K::UInt8, 2), at(K::UInt8, 3)},  // 9
        {value(K::RemoteDevice)},                                                      // 10
        input,                                                                         // 11
        {at(K::UInt8, 0)},                                                             // 12
        {at(K::UInt32, 0), at(K::UInt8, 4)},                                           // 13
        {wideAddress, at(K::UInt16, 8), at(K::UInt8, 10), at(K::Bool, 11)},            // 14
        oneWord,                                                                       // 15
        {value(K::IoModule)},                                                          // 16
        {},                                                                            // 17
        {at(K::UInt16, 0)},                                                            // 18
    };
}

// ---- the defaults ----

std::vector<DefaultRow> makeConditionDefaults()
{
    return {
        {unlessRelated(idOf(DefaultSource::Timeline, K::UInt32, 0))},             // 0
        {unlessRelated(idOf(DefaultSource::Timeline, K::UInt32, 0))},             // 1
        {to(K::ByteInWord, 0, 1)},                                                // 2, and the mask
        {to(K::ByteInWord, 0, 0), to(K::ByteInWord, 4, 1), to(K::UInt32, 8, 0)},  // 3
        {to(K::ByteInWord, 0, 0), to(K::ByteInWord, 4, 2)},                       // 4
        {to(K::UInt32, 0, 0xFFFFFFFF)},                                           // 5
        {to(K::UInt8, 0, 255), to(K::ByteInWord, 4, 0)},                          // 6
        {to(K::UInt8, 0, 0), to(K::UInt8, 1, 255), to(K::UInt8, 2, 255)},         // 7
        {to(K::UInt8, 0, 255), to(K::UInt8, 1, 0), to(K::UInt8, 2, 100)},         // 8
        {to(K::UInt16, 0, 0), to(K::UInt8, 2, 0), to(K::UInt8, 3, 255)},          // 9
        {},                                                                       // 10
        {to(K::UInt8, 0, 0), to(K::ByteInWord, 4, 0)},                            // 11
        {to(K::UInt8, 0, 0)},                                                     // 12
        {idOf(DefaultSource::DaliInterface, K::UInt32, 0), to(K::UInt8, 4, 2)},   // 13
        {idOf(DefaultSource::DaliBroadcast, K::UInt64, 0, 0xFFFFFFFFFFC0FF00ull), to(K::UInt16, 8, 0xFFFF),
         to(K::UInt8, 10, 0), to(K::Bool, 11, 1)},   // 14
        {idOf(DefaultSource::Scene, K::UInt32, 0)},  // 15
        {},                                          // 16
        {},                                          // 17
        {to(K::UInt16, 0, 1)},                       // 18
    };
}

const DefaultRow& conditionDefaultRow(int type)
{
    static const std::vector<DefaultRow> rows = makeConditionDefaults();
    static const DefaultRow none;
    return type >= 0 && std::size_t(type) < rows.size() ? rows[std::size_t(type)] : none;
}

void applyConditionKeyRule(RDKey& key, int type)
{
    switch (type) {
    case 6:
    case 7:
    case 8:
        if (!oneOfTypes(key.type, {100, 101, 102}))
            key = RDKey {RDKey::kLocalDevice, 1};
        break;
    case 9:
        key.index = 0;
        break;
    case 11:
        if (!oneOfTypes(key.type, {104, 107}))
            key = RDKey {104, 0};
        break;
    default:
        break;
    }
}

}  // namespace

const ParameterRow& conditionParameterRow(int type)
{
    static const std::vector<ParameterRow> rows = makeConditionRows();
    return parameterRowOf(rows, type);
}

// ---- TriggerConditionData ----

template <class F, class Self>
void TriggerConditionData::fields(F& f, Self& s)
{
    f.since(100, typeByte(s));
    f.droppedWhen([](quint16 v) { return v >= 136 && v <= 139; }, quint32());
    bodyParameterFields(f, s, conditionParameterRow(s.m_type));
}

void TriggerConditionData::read(InStream& in) { Archive::readFields(in, *this); }

void TriggerConditionData::write(OutStream& out) const { Archive::writeFields(out, *this); }

void setTriggerConditionType(TriggerConditionData& body, int type)
{
    const int oldType = body.type();
    body.setType(type);
    const bool related = inOneGroup(oldType, type, {{0, 1}});
    writeParameterDefaults(body.parameters, conditionDefaultRow(type), oldType, related, false);
    if (type == 2) {
        // Noon on every day.
        body.mask.setTime(12, 0, 0);
        body.mask.setDate(-1, -1, -1);
        body.mask.setWeekdays(7, true, false);
    }
    applyConditionKeyRule(body.remoteDevice, type);
}

// ---- TriggerCondition ----

template <class F, class Self>
void TriggerCondition::fields(F& f, Self& s)
{
    f(Archive::storedAs<quint32>(s.m_ownerId));
    // Older data has the body's type here; newer data has it in the body.
    f.onlyBefore(100, typeByte(s.m_body));
    f(s.m_flag, Archive::inlineFields(s.m_body));
}

template class Archive::Object<TriggerCondition>;
