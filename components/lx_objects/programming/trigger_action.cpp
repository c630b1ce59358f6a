#include "components/lx_objects/programming/trigger_action.h"

#include "components/archive/fields.h"
#include "components/lx_objects/programming/parameter_defaults.h"

#include <initializer_list>

namespace {

using namespace ParameterRows;
using namespace ParameterDefaults;
using K = ParameterKind;

constexpr std::initializer_list<int> kDaliAddressTypes = {24, 25, 26, 27, 28, 40};

// ---- the stream rows ----

quint16 wordAt(const quint8* block, int offset) { return quint16(block[offset] | (block[offset + 1] << 8)); }

// Types 44 and 48: a selector word chooses the values that follow it.
bool selectorAt8IsOne(const quint8* block) { return wordAt(block, 8) == 1; }
bool selectorAt8IsTwoOrThree(const quint8* block) { return wordAt(block, 8) == 2 || wordAt(block, 8) == 3; }
bool selectorAt4IsOne(const quint8* block) { return wordAt(block, 4) == 1; }
bool selectorAt4IsTwoOrThree(const quint8* block) { return wordAt(block, 4) == 2 || wordAt(block, 4) == 3; }

// Type 34 stores its first word in these versions; the others hold an older
// value in its place: a serial string, later a word.
bool pageWordStored(quint16 v) { return (v >= 59 && v <= 61) || v >= 64; }

void dropOldPageValue(InStream& in, quint8*)
{
    if (in.version() < 5) {
        SerialString dropped;
        in >> dropped;
    } else {
        quint32 dropped = 0;
        in >> dropped;
    }
}

// Types 44 and 45 before version 85 held a word in place of the first u16.
void dropOldWord(InStream& in, quint8*)
{
    quint32 dropped = 0;
    in >> dropped;
}

// Type 44 from 65 to 99 held two more u16 behind the selected values.
bool oldPairStored(quint16 v) { return v >= 65 && v <= 99; }

ParameterItem withOlderForm(ParameterItem item, void (*olderForm)(InStream&, quint8*))
{
    item.olderForm = olderForm;
    return item;
}

std::vector<ParameterRow> makeActionRows()
{
    const ParameterRow timeline = {at(K::UInt32, 0), at(K::UInt16, 4)};
    const ParameterRow timelineAndWord = {at(K::UInt32, 0), at(K::UInt16, 4), at(K::UInt32, 8)};
    const ParameterRow timelineAndTwoWords = {at(K::UInt32, 0), at(K::UInt16, 4), at(K::UInt32, 8), at(K::UInt16, 12)};
    const ParameterRow twoTimes = {at(K::UInt8, 0),   at(K::UInt32, 4),  at(K::UInt16, 8),
                                   at(K::UInt8, 10),  at(K::UInt16, 12), at(K::Int32, 16),
                                   at(K::UInt16, 20), at(K::Int32, 24),  at(K::UInt16, 28)};
    const ParameterRow oneTimeAndFiveBits = {at(K::UInt8, 0),
                                             at(K::UInt32, 4),
                                             at(K::UInt16, 8),
                                             at(K::Int32, 12),
                                             at(K::UInt16, 16),
                                             since(16, at(K::UInt16, 18)),
                                             at(K::UInt8, 21),
                                             at(K::UInt8, 22),
                                             at(K::UInt8, 23),
                                             at(K::UInt16, 28),
                                             at(K::UInt16, 30),
                                             at(K::UInt16, 32),
                                             since(9, at(K::UInt8, 20)),
                                             since(9, at(K::UInt16, 26), 0xFFFF),
                                             since(100, at(K::UInt8, 24)),
                                             since(100, at(K::UInt16, 34), 0xFFFF),
                                             at(K::LowFiveBits, 36)};
    const ParameterRow daliAddress = {withOlderForm(since(120, at(K::UInt64, 0)), readShortDaliAddress),
                                      at(K::UInt16, 8), at(K::UInt16, 10)};
    const ParameterRow serialWithWord = {value(K::Serial), value(K::Text), at(K::UInt16, 0)};
    const ParameterRow oneBool = {at(K::Bool, 0)};
    const ParameterRow scene = {at(K::UInt32, 0), at(K::UInt16, 4), at(K::UInt32, 8)};
    const ParameterItem oldWordFirst = withOlderForm(since(85, at(K::UInt16, 0)), dropOldWord);
    const ParameterItem oldPair = storedWhen(oldPairStored, value(K::DroppedUInt16));
    return {
        timeline,                                                                                   // 0
        timelineAndWord,                                                                            // 1
        timelineAndWord,                                                                            // 2
        {at(K::UInt32, 0), since(9, at(K::UInt8, 4), 1), since(11, at(K::UInt32, 8), 0xFFFFFFFF)},  // 3
        timeline,                                                                                   // 4
        timeline,                                                                                   // 5
        {},                                                                                         // 6
        {},                                                                                         // 7
        timelineAndTwoWords,                                                                        // 8
        timelineAndTwoWords,                                                                        // 9
        {at(K::UInt16, 0), at(K::UInt16, 2), at(K::Bool, 4)},                                       // 10
        {at(K::UInt32, 0)},                                                                         // 11
        {},                                                                                         // 12
        twoTimes,                                                                                   // 13
        twoTimes,                                                                                   // 14
        twoTimes,                                                                                   // 15
        oneTimeAndFiveBits,                                                                         // 16
        oneTimeAndFiveBits,                                                                         // 17
        {value(K::Serial), at(K::UInt16, 0), at(K::UInt16, 2), value(K::Text)},                     // 18
        {at(K::ByteInWord, 0), at(K::ByteInWord, 4), at(K::Int32, 8)},                              // 19
        {value(K::RemoteDevice), at(K::ByteInWord, 0), value(K::Serial)},                           // 20
        {at(K::ByteInWord, 0), value(K::Serial), at(K::UInt32, 4), since(20, value(K::Text)), at(K::UInt16, 8),
         at(K::UInt16, 10), at(K::UInt16, 12), at(K::ByteInWord, 16), at(K::UInt8, 20)},  // 21
        {value(K::RemoteDevice), value(K::Midi)},                                         // 22
        {value(K::RemoteDevice), at(K::UInt8, 2), at(K::Bool, 6), since(157, at(K::UInt16, 0), 0xFFFF),
         since(157, at(K::UInt16, 4), 0xFFFF), since(157, at(K::UInt16, 8), 0xFFFF)},  // 23
        daliAddress,                                                                   // 24
        daliAddress,                                                                   // 25
        daliAddress,                                                                   // 26
        daliAddress,                                                                   // 27
        daliAddress,                                                                   // 28
        {value(K::KeyIndex), at(K::Bool, 0)},                                          // 29
        {value(K::RemoteDevice), at(K::UInt16, 0), at(K::UInt8, 2), at(K::UInt16, 4), at(K::UInt8, 6), at(K::UInt16, 8),
         at(K::ByteInWord, 12), at(K::UInt8, 16), at(K::Bool, 17)},  // 30
        {value(K::Serial), at(K::UInt8, 0), at(K::UInt16, 2), at(K::Int32, 4), at(K::UInt16, 8),
         since(52, at(K::Bool, 10))},  // 31
        serialWithWord,                // 32
        serialWithWord,                // 33
        {withOlderForm(storedWhen(pageWordStored, at(K::UInt16, 0)), dropOldPageValue), since(5, at(K::UInt16, 2)),
         since(150, at(K::ByteInWord, 4), 2)},  // 34
        oneBool,                                // 35
        {at(K::UInt8, 0), at(K::UInt16, 2)},    // 36
        oneBool,                                // 37
        {at(K::Bool, 0), at(K::UInt8, 1)},      // 38
        {at(K::UInt16, 0), at(K::UInt32, 4), at(K::UInt16, 8), at(K::UInt32, 12), at(K::UInt16, 16), at(K::UInt8, 18),
         at(K::UInt16, 20), at(K::UInt32, 24), at(K::UInt16, 28)},  // 39
        daliAddress,                                                // 40
        scene,                                                      // 41
        scene,                                                      // 42
        scene,                                                      // 43
        {oldWordFirst, at(K::UInt16, 2), at(K::UInt8, 4), at(K::UInt16, 8), at(K::Int32, 12, selectorAt8IsOne),
         at(K::UInt16, 16, selectorAt8IsOne), at(K::Int16, 12, selectorAt8IsTwoOrThree),
         at(K::UInt16, 14, selectorAt8IsTwoOrThree), oldPair, oldPair, since(71, at(K::UInt16, 20)),
         since(71, at(K::UInt16, 22)), at(K::Int32, 24), at(K::UInt16, 28), at(K::Int32, 32), at(K::UInt16, 36),
         at(K::Bool, 38)},  // 44
        {oldWordFirst, at(K::UInt16, 2), at(K::UInt8, 4), at(K::UInt16, 8), at(K::UInt16, 10), at(K::Int32, 12),
         at(K::UInt16, 16), at(K::Int32, 20), at(K::UInt16, 24)},  // 45
        {value(K::IoModule)},                                      // 46
        {at(K::UInt16, 0), at(K::Bool, 2)},                        // 47
        {at(K::UInt8, 0), at(K::UInt16, 2), at(K::UInt16, 4), at(K::Int32, 8, selectorAt4IsOne),
         at(K::UInt16, 12, selectorAt4IsOne), at(K::Int16, 8, selectorAt4IsTwoOrThree),
         at(K::UInt16, 10, selectorAt4IsTwoOrThree), at(K::UInt16, 16), at(K::UInt16, 18), at(K::Int32, 20),
         at(K::UInt16, 24), at(K::Int32, 28), at(K::UInt16, 32), at(K::Bool, 34)},  // 48
    };
}

// ---- the defaults ----

std::vector<DefaultRow> makeActionDefaults()
{
    const DefaultRow timeline = unlessRelated({idOf(DefaultSource::Timeline, K::UInt32, 0), to(K::UInt16, 4, 0xFFFF)});
    const auto twoTimes = [](quint64 at10, quint64 altAt10, quint64 altAt12) {
        return unlessRelated({to(K::UInt8, 0, 3), to(K::UInt32, 4, 0xFFFFFFFF), to(K::UInt16, 8, 0xFFFF),
                              alt(K::UInt8, 10, at10, altAt10), alt(K::UInt16, 12, 0xFFFF, altAt12),
                              to(K::Int32, 16, 0), to(K::UInt16, 20, 0xFFFF), to(K::Int32, 24, 0),
                              to(K::UInt16, 28, 0xFFFF)});
    };
    const DefaultRow oneTimeHead =
        unlessRelated({to(K::UInt8, 0, 3), to(K::UInt32, 4, 0xFFFFFFFF), to(K::UInt16, 8, 0xFFFF), to(K::Int32, 12, 0),
                       to(K::UInt16, 16, 0xFFFF)});
    const DefaultRow scene = unlessRelated({idOf(DefaultSource::Scene, K::UInt32, 0), to(K::UInt16, 4, 0xFFFF)});
    const ParameterDefault sceneTime = to(K::UInt32, 8, 200);
    const DefaultRow leadingThree =
        unlessRelated({to(K::UInt16, 0, 0), to(K::UInt16, 2, 0xFFFF), to(K::UInt8, 4, 255)});
    const DefaultRow serialWithWord = {to(K::UInt16, 0, 0xFFFF)};
    return {
        timeline,                                                                      // 0
        timeline + DefaultRow {unlessOldType(2, to(K::UInt32, 8, 200))},               // 1
        timeline + DefaultRow {unlessOldType(1, to(K::UInt32, 8, 200))},               // 2
        {to(K::UInt32, 0, 200), to(K::UInt8, 4, 3), to(K::UInt32, 8, 0xFFFFFFFF)},     // 3
        timeline,                                                                      // 4
        timeline,                                                                      // 5
        {},                                                                            // 6
        {},                                                                            // 7
        timeline + DefaultRow {to(K::UInt32, 8, 0x10000), to(K::UInt16, 12, 0xFFFF)},  // 8
        timeline + DefaultRow {to(K::UInt32, 8, 0), to(K::UInt16, 12, 0xFFFF)},        // 9
        {to(K::UInt16, 0, 1), to(K::UInt16, 2, 0xFFFF), to(K::Bool, 4, 0)},            // 10
        {to(K::UInt32, 0, 0xFFFFFFFF)},                                                // 11
        {},                                                                            // 12
        twoTimes(100, 255, 0),                                                         // 13
        twoTimes(10, 10, 0xFFFF),                                                      // 14
        twoTimes(10, 10, 0xFFFF),                                                      // 15
        oneTimeHead
            + DefaultRow {to(K::UInt16, 18, 0), to(K::UInt8, 20, 255), to(K::UInt8, 21, 0), to(K::UInt8, 22, 0),
                          to(K::UInt8, 23, 0), to(K::UInt8, 24, 128), to(K::UInt16, 26, 0xFFFF),
                          alt(K::UInt16, 28, 0xFFFF, 0), alt(K::UInt16, 30, 0xFFFF, 1), alt(K::UInt16, 32, 0xFFFF, 2),
                          to(K::UInt16, 34, 0xFFFF), to(K::LowFiveBits, 36, 15)},  // 16
        oneTimeHead
            + DefaultRow {to(K::UInt16, 26, 0xFFFF), to(K::UInt16, 28, 0xFFFF), to(K::UInt16, 30, 0xFFFF),
                          to(K::UInt16, 32, 0xFFFF), to(K::UInt16, 34, 0xFFFF)},   // 17
        {alt(K::UInt16, 0, 0xFFFF, 0), to(K::UInt16, 2, 0xFFFF)},                  // 18
        {to(K::ByteInWord, 0, 112), to(K::ByteInWord, 4, 4), to(K::Int32, 8, 0)},  // 19
        unlessRelated({to(K::ByteInWord, 0, 0), to(K::UInt32, 10, 0xFFFFFFFF)}),   // 20
        DefaultRow {unlessRelated(to(K::ByteInWord, 0, 0)), to(K::UInt32, 4, 0), to(K::UInt16, 8, 0),
                    alt(K::UInt16, 10, 0xFFFF, 0), alt(K::UInt16, 12, 0xFFFF, 1), to(K::ByteInWord, 16, 0),
                    to(K::UInt8, 20, 255)},  // 21
        {},                                  // 22
        {alt(K::UInt8, 2, 0, 255), alt(K::UInt16, 0, 0xFFFF, 0), alt(K::UInt16, 4, 0xFFFF, 1),
         alt(K::UInt16, 8, 0xFFFF, 2), to(K::Bool, 6, 0)},  // 23
        {},                                                 // 24: the address word rules
        {},                                                 // 25
        {},                                                 // 26
        {},                                                 // 27
        {},                                                 // 28
        {to(K::Bool, 0, 0)},                                // 29
        {alt(K::UInt16, 0, 0xFFFF, 0), alt(K::UInt8, 2, 1, 0), alt(K::UInt16, 4, 0xFFFF, 1), to(K::UInt8, 6, 255),
         to(K::UInt16, 8, 0xFFFF), to(K::ByteInWord, 12, 1), to(K::UInt8, 16, 255), to(K::Bool, 17, 0)},  // 30
        {to(K::UInt8, 0, 0), to(K::UInt16, 2, 0xFFFF), alt(K::Int32, 4, 0, 0x7FFFFFFF), alt(K::UInt16, 8, 0xFFFF, 0),
         to(K::Bool, 10, 0)},                                                          // 31
        serialWithWord,                                                                // 32
        serialWithWord,                                                                // 33
        {to(K::UInt16, 0, 0), alt(K::UInt16, 2, 0xFFFF, 0), to(K::ByteInWord, 4, 0)},  // 34
        {to(K::Bool, 0, 0)},                                                           // 35
        {alt(K::UInt8, 0, 100, 255), alt(K::UInt16, 2, 0xFFFF, 0)},                    // 36
        {to(K::Bool, 0, 1)},                                                           // 37
        {to(K::Bool, 0, 1), to(K::UInt8, 1, 0)},                                       // 38
        {to(K::UInt16, 0, 0x8000), to(K::UInt32, 4, 0), to(K::UInt32, 12, 0), to(K::UInt32, 24, 0), to(K::UInt8, 18, 0),
         alt(K::UInt16, 8, 0xFFFF, 0), alt(K::UInt16, 16, 0xFFFF, 1), alt(K::UInt16, 20, 0xFFFF, 2),
         alt(K::UInt16, 28, 0xFFFF, 3)},                    // 39
        {},                                                 // 40: the address word rules
        scene + DefaultRow {unlessRelated(sceneTime)},      // 41
        scene + DefaultRow {unlessOldType(43, sceneTime)},  // 42
        scene + DefaultRow {unlessOldType(42, sceneTime)},  // 43
        leadingThree
            + DefaultRow {to(K::UInt16, 8, 0), to(K::UInt16, 20, 1), to(K::UInt16, 22, 0xFFFF), to(K::Int32, 24, 0),
                          to(K::UInt16, 28, 0xFFFF), to(K::Int32, 32, 0), to(K::UInt16, 36, 0xFFFF),
                          to(K::Bool, 38, 0)},  // 44
        leadingThree
            + DefaultRow {to(K::UInt16, 8, 0), to(K::UInt16, 10, 0xFFFF), to(K::Int32, 12, 0),
                          to(K::UInt16, 16, 0xFFFF), to(K::Int32, 20, 0), to(K::UInt16, 24, 0xFFFF)},  // 45
        {},                                                                                            // 46
        {to(K::UInt16, 0, 0), to(K::Bool, 2, 0)},                                                      // 47
        {to(K::UInt8, 0, 0), to(K::UInt16, 2, 0xFFFF), to(K::UInt16, 4, 0), to(K::UInt16, 16, 1),
         to(K::UInt16, 18, 0xFFFF), to(K::Int32, 20, 0), to(K::UInt16, 24, 0xFFFF), to(K::Int32, 28, 0),
         to(K::UInt16, 32, 0xFFFF), to(K::Bool, 34, 0)},  // 48
    };
}

const DefaultRow& actionDefaultRow(int type)
{
    static const std::vector<DefaultRow> rows = makeActionDefaults();
    static const DefaultRow none;
    return type >= 0 && std::size_t(type) < rows.size() ? rows[std::size_t(type)] : none;
}

bool relatedActionTypes(int oldType, int newType)
{
    return inOneGroup(
        oldType, newType,
        {{0, 1, 2, 4, 5, 8, 9}, {13, 14, 15}, {16, 17}, {20, 21}, kDaliAddressTypes, {41, 42, 43}, {44, 45}});
}

// The address word of the DALI types: bits 8 to 10 a kind, 11 to 15 a second
// field, 22 and 23 a mode, 32 to 63 an upper word. A body coming from
// another family starts from a broadcast address on the only DALI interface.
void writeDaliAddress(TriggerActionData& body, int oldType, int type, bool altDefaults)
{
    auto& p = body.parameters;
    const bool fromRelated = oneOfTypes(oldType, kDaliAddressTypes);
    const bool fromShortForm = oneOfTypes(oldType, {24, 25});
    quint64 word = p.get<quint64>(0);
    if (!fromRelated) {
        word = defaultValue(idOf(DefaultSource::DaliBroadcast, K::UInt64, 0, 0xFFFFFFFFFFC0FF00ull), altDefaults);
        p.set<quint16>(8, 0xFFFF);
    }
    const auto setKind = [&word](quint64 kind) { word = (word & ~quint64(0x0700)) | (kind << 8); };
    const auto setUpper = [&word](quint64 upper) { word = (word & 0xFFFFFFFFull) | (upper << 32); };
    const auto clearSecondField = [&word] { word &= ~quint64(0xF800); };
    // A mode of 2 goes back to 3, and the value it carried at 8 with it.
    const auto leaveModeTwo = [&] {
        if (((word >> 22) & 3) == 2) {
            word = (word & ~quint64(0xFF0000)) | 0xC00000;
            p.set<quint16>(8, 0xFFFF);
        }
    };
    switch (type) {
    case 24:
        word &= fromShortForm ? ~quint64(0x0700) : ~quint64(0xFF00);
        setUpper(254);
        break;
    case 25:
        if (!fromShortForm)
            word &= ~quint64(0xFF00);
        setKind(1);
        setUpper(0);
        break;
    case 26:
        if (!fromRelated)
            clearSecondField();
        setKind(2);
        setUpper(0);
        break;
    case 27:
    case 28:
        if (fromRelated)
            leaveModeTwo();
        else
            clearSecondField();
        setKind(type == 27 ? 5 : 6);
        if (type == 27)
            setUpper(0);
        break;
    case 40:
        if (fromRelated)
            leaveModeTwo();
        else
            clearSecondField();
        break;
    default:
        break;
    }
    p.set<quint64>(0, word);
    p.set<quint16>(10, altDefaults ? 0 : 0xFFFF);
}

void applyActionKeyRule(RDKey& key, int type, bool altDefaults)
{
    const auto keepOr = [&key](std::initializer_list<int> kept, quint8 otherType, quint8 otherIndex) {
        if (!oneOfTypes(key.type, kept))
            key = RDKey {otherType, otherIndex};
    };
    switch (type) {
    case 20:
        keepOr({100, 101, 102, 103}, 100, 0);
        break;
    case 22:
        keepOr({100, 105}, 100, 1);
        key.index = 1;
        break;
    case 23:
        keepOr({102, 103}, RDKey::kNoDevice, altDefaults ? 0 : 1);
        break;
    case 29:
        keepOr({105}, 105, 0);
        break;
    case 30:
        keepOr({104, 107}, 104, altDefaults ? 0 : 1);
        break;
    default:
        break;
    }
}

// The selection a type fixes with the given key; 0 when it fixes none.
qint32 actionFixedSelection(int type, const RDKey& key)
{
    if ((oneOfTypes(type, {20, 22}) && key.type != RDKey::kLocalDevice) || oneOfTypes(type, {23, 29, 30}))
        return RemoteDeviceControllerSelection;
    if (oneOfTypes(type, kDaliAddressTypes))
        return DaliControllerSelection;
    if (oneOfTypes(type, {21, 39}))
        return FixedControllerSelection;
    return 0;
}

bool takesDefaultSelection(int type)
{
    return (type >= 0 && type <= 9) || type == 11 || (type >= 13 && type <= 19) || (type >= 41 && type <= 44)
        || type == 48;
}

}  // namespace

const ParameterRow& actionParameterRow(int type)
{
    static const std::vector<ParameterRow> rows = makeActionRows();
    return parameterRowOf(rows, type);
}

// ---- TriggerActionData ----

void TriggerActionData::setController(qint32 selection)
{
    if (selection == controllerSelection)
        return;
    if (m_type >= 13 && m_type <= 15) {
        parameters.set<quint8>(0, controllerSelection == DefaultControllerSelection ? 4 : 3);
        parameters.set<quint32>(4, 0xFFFFFFFF);
        parameters.set<quint16>(8, 0xFFFF);
    }
    controllerSelection = selection;
}

template <class F, class Self>
void TriggerActionData::fields(F& f, Self& s)
{
    f(typeByte(s), Archive::storedAs<quint32>(s.controllerSelection));
    bodyParameterFields(f, s, actionParameterRow(s.m_type));
}

void TriggerActionData::read(InStream& in)
{
    Archive::readFields(in, *this);
    const quint16 version = in.version();
    if (m_type == 3 && version >= 9 && version <= 130) {
        // Those versions stored bits 2 and 3 without the bits 0 and 1 they imply.
        const quint8 mode = parameters.get<quint8>(4);
        if (mode & 0x0C)
            parameters.set<quint8>(4, quint8(mode | 0x03));
    }
    if (m_type == 23 && version < 157 && remoteDevice.index == 0)
        remoteDevice.index = 1;
    if (oneOfTypes(m_type, kDaliAddressTypes))
        controllerSelection = DaliControllerSelection;
    if (m_type == 29)
        remoteDevice.type = 105;
    if (m_type >= 41 && m_type <= 43 && version < 61)
        controllerSelection = DefaultControllerSelection;
    if (m_type == kIoModuleType && version < 142)
        controllerSelection = IoModuleControllerSelection;
}

void TriggerActionData::write(OutStream& out) const { Archive::writeFields(out, *this); }

void setTriggerActionType(TriggerActionData& body, int type, bool altDefaults)
{
    const int oldType = body.type();
    const RDKey oldKey = body.remoteDevice;
    body.setType(type);
    if (type != oldType) {
        const std::initializer_list<int> serialTypes = {20, 21, 31, 32, 33};
        if (oneOfTypes(oldType, serialTypes) && !oneOfTypes(type, serialTypes))
            body.serialString.clear();
        if (oldType == 22)
            body.midiMessages.clear();
        body.text = QString();
    }
    writeParameterDefaults(body.parameters, actionDefaultRow(type), oldType, relatedActionTypes(oldType, type),
                           altDefaults);
    if (oneOfTypes(type, kDaliAddressTypes))
        writeDaliAddress(body, oldType, type, altDefaults);
    applyActionKeyRule(body.remoteDevice, type, altDefaults);

    qint32 selection = actionFixedSelection(type, body.remoteDevice);
    if (selection == 0 && type == TriggerActionData::kIoModuleType)
        selection = IoModuleControllerSelection;
    if (selection == 0 && (actionFixedSelection(oldType, oldKey) != 0 || takesDefaultSelection(type)))
        selection = DefaultControllerSelection;
    if (selection != 0)
        body.setController(selection);
}

// ---- TriggerAction ----

template <class F, class Self>
void TriggerAction::fields(F& f, Self& s)
{
    f(Archive::storedAs<quint32>(s.m_ownerId), Archive::inlineFields(s.m_body));
}

template class Archive::Object<TriggerAction>;
