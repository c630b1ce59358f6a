#include "components/lx_objects/controllers/controller.h"
#include "components/lx_objects/programming/trigger.h"
#include "components/lx_objects/programming/trigger_action.h"
#include "components/lx_objects/programming/trigger_condition.h"
#include "components/lx_objects/tests/stream_bytes.h"

#include <gtest/gtest.h>

#include <QTemporaryDir>

#include <functional>
#include <random>
#include <set>
#include <string>
#include <tuple>

namespace {

const std::string kSerial = " 00a4 0006 00000000 0006 00000000 ";  // an empty serial string

TriggerActionData actionOfType(int type, bool altDefaults)
{
    TriggerActionData body;
    setTriggerActionType(body, type, altDefaults);
    return body;
}

// A value of `width` bytes at `offset` of a block.
struct BlockValue
{
    std::size_t offset, width;
    quint64 value;
};

BlockValue at(std::size_t offset, std::size_t width, quint64 value) { return BlockValue {offset, width, value}; }

// A body as a read of `type` with `selection` makes it, with `values` in its block.
TriggerActionData readAs(int type, qint32 selection, std::initializer_list<BlockValue> values = {}, RDKey key = RDKey())
{
    TriggerActionData body;
    body.setType(type);
    body.controllerSelection = selection, body.remoteDevice = key;
    for (const BlockValue& v : values) {
        for (std::size_t i = 0; i < v.width; ++i)
            body.parameters.bytes.at(v.offset + i) = quint8(v.value >> (8 * i));
    }
    return body;
}

std::string bodyHex(const TriggerActionData& body) { return writtenBytes(body).toHex().toStdString(); }
std::string hexOf(const std::string& text) { return hex(text.c_str()).toHex().toStdString(); }
std::string typeHex(int type) { return QByteArray(1, char(type)).toHex().toStdString(); }

// Every value a body can stream, with random parameter bytes.
TriggerActionData filledAction(int type, bool altDefaults, std::mt19937& random)
{
    TriggerActionData body = actionOfType(type, altDefaults);
    for (quint8& byte : body.parameters.bytes)
        byte = quint8(random());
    body.remoteDevice.index = 3, body.text = QStringLiteral("text"), body.serialString.bytes = {1, 2};
    body.serialString.wildcards.resize(1), body.midiMessages.resize(2), body.midiMessages[1].data = {7};
    if (body.ioModuleData)
        body.ioModuleData->properties[QStringLiteral("v")] = 5, body.ioModuleData->moduleId = 11;
    return body;
}

}  // namespace

TEST(TriggerAction, NewActionAndTheDefaultsOfEveryType)
{
    EXPECT_EQ(objectPointerBytes(TriggerAction()).toHex(), hex("006d ffffffff 31 fffffffe").toHex());
    // "types: newly made | converted (when it differs)", behind the type byte;
    // S an empty serial string, T a null text; no timeline, scene or DALI
    // interface.
    const char rows[] = R"(
        0 4 5: fffffffe ffffffff ffff;  1 2 41 42 43: fffffffe ffffffff ffff 000000c8;  6 7 12: fffffffe
        3: fffffffe 000000c8 03 ffffffff;  8: fffffffe ffffffff ffff 00010000 ffff;  11: fffffffe ffffffff
        9: fffffffe ffffffff ffff 00000000 ffff;  10: fffffffe 0001 ffff 00;  19: fffffffe 70 04 00000000
        13: fffffffe 03 ffffffff ffff 64 ffff 00000000 ffff 00000000 ffff
          | fffffffe 03 ffffffff ffff ff 0000 00000000 ffff 00000000 ffff
        14 15: fffffffe 03 ffffffff ffff 0a ffff 00000000 ffff 00000000 ffff
        16: fffffffe 03 ffffffff ffff 00000000 ffff 0000 00 00 00 ffff ffff ffff ff ffff 80 ffff 0f
          | fffffffe 03 ffffffff ffff 00000000 ffff 0000 00 00 00 0000 0001 0002 ff ffff 80 ffff 0f
        17: fffffffe 03 ffffffff ffff 00000000 ffff 0000 00 00 00 ffff ffff ffff 00 ffff 00 ffff 00
        18: fffffffe S ffff ffff T | fffffffe S 0000 ffff T;  20: fffffffe 00a2 64 00 00 S
        21: fffffffc 00 S 00000000 T 0000 ffff ffff 00 ff | fffffffc 00 S 00000000 T 0000 0000 0001 00 ff
        22: fffffffe 00a2 64 01 0006 00000000;  29: fffffffd 00 00;  32 33: fffffffe S T ffff
        23: fffffffd 00a2 ff 01 00 00 ffff ffff ffff | fffffffd 00a2 ff 00 ff 00 0000 0001 0002
        24: fffffffb 000000feffc000ff ffff ffff | fffffffb 000000feffc000ff ffff 0000
        25: fffffffb 00000000ffc001ff ffff ffff | fffffffb 00000000ffc001ff ffff 0000
        26: fffffffb 00000000ffc002ff ffff ffff | fffffffb 00000000ffc002ff ffff 0000
        27: fffffffb 00000000ffc005ff ffff ffff | fffffffb 00000000ffc005ff ffff 0000
        28: fffffffb ffffffffffc006ff ffff ffff | fffffffb ffffffffffc006ff ffff 0000
        40: fffffffb ffffffffffc007ff ffff ffff | fffffffb ffffffffffc007ff ffff 0000
        30: fffffffd 00a2 68 01 ffff 01 ffff ff ffff 01 ff 00 | fffffffd 00a2 68 00 0000 00 0001 ff ffff 01 ff 00
        31: fffffffe S 00 ffff 00000000 ffff 00 | fffffffe S 00 ffff 7fffffff 0000 00
        34: fffffffe 0000 ffff 00 | fffffffe 0000 0000 00;  35: fffffffe 00;  36: fffffffe 64 ffff | fffffffe ff 0000
        37: fffffffe 01;  38: fffffffe 01 00;  46: fffffff9 ffff ffffffff 0008 00000000;  47: fffffffe 0000 00
        39: fffffffc 8000 00000000 ffff 00000000 ffff 00 ffff 00000000 ffff
          | fffffffc 8000 00000000 0000 00000000 0001 00 0002 00000000 0003
        44: fffffffe 0000 ffff ff 0000 0001 ffff 00000000 ffff 00000000 ffff 00
        45: fffffffe 0000 ffff ff 0000 ffff 00000000 ffff 00000000 ffff
        48: fffffffe 00 ffff 0000 0001 ffff 00000000 ffff 00000000 ffff 00
    )";
    std::set<int> seen;
    const QString text = QString::fromLatin1(rows).replace(QLatin1String("\n          |"), QLatin1String(" |"));
    for (QString row : text.split(QRegularExpression(QStringLiteral("[;\\n]")), Qt::SkipEmptyParts)) {
        row.replace(QLatin1Char('S'), QString::fromStdString(kSerial))
            .replace(QLatin1Char('T'), QLatin1String(" ffffffff "));
        const QStringList parts = row.split(QRegularExpression(QStringLiteral("[:|]")));
        for (const QString& number : parts[0].split(QLatin1Char(' '), Qt::SkipEmptyParts)) {
            const int type = number.toInt();
            EXPECT_TRUE(parts.size() > 1 && seen.insert(type).second) << type;
            EXPECT_EQ(bodyHex(actionOfType(type, false)), hexOf(typeHex(type) + parts.value(1).toStdString())) << type;
            EXPECT_EQ(bodyHex(actionOfType(type, true)),
                      hexOf(typeHex(type) + parts.value(parts.size() > 2 ? 2 : 1).toStdString()))
                << type;
        }
    }
    EXPECT_TRUE(seen.size() == 49 && *seen.rbegin() == 48);

    // With one timeline, scene and DALI interface their ids are the defaults.
    QTemporaryDir folder;
    ScratchDatabase database(folder.filePath(QStringLiteral("archive.tarv")));
    for (const auto& [array, id] : {std::pair(14, 3), std::pair(6, 4), std::pair(12, 5)})
        database.add(Archive::ArrayId(array), new Controller, Archive::ObjectId(id));  // stand-ins
    EXPECT_EQ(bodyHex(actionOfType(0, true)), hexOf("00 fffffffe 00000003 ffff"));
    EXPECT_EQ(bodyHex(actionOfType(41, true)), hexOf("29 fffffffe 00000004 ffff 000000c8"));
    EXPECT_EQ(bodyHex(actionOfType(28, true)), hexOf("1c fffffffb ffffffffffc00605 ffff 0000"));
    TriggerConditionData condition;
    for (const auto& [type, address] : {std::pair(1, 3ull), std::pair(13, 0x0000000200000005ull),
                                        std::pair(14, 0xFFFFFFFFFFC0FF05ull), std::pair(15, 0xFFFFFFFF00000004ull)}) {
        setTriggerConditionType(condition, type);
        EXPECT_EQ(condition.parameters.get<quint64>(0), address) << type;
    }
}

TEST(TriggerAction, TypeChanges)
{
    // The DALI address word.
    TriggerActionData b = actionOfType(24, false);
    auto& p = b.parameters;
    p.set<quint8>(1, 0xF8), setTriggerActionType(b, 25, false);
    EXPECT_EQ(p.get<quint8>(1), 0xF9);
    b = actionOfType(26, false), setTriggerActionType(b, 25, false);
    EXPECT_EQ(p.get<quint8>(1), 0x01);
    b = actionOfType(28, false), p.set<quint8>(2, 0x80), p.set<quint16>(8, 7), setTriggerActionType(b, 27, true);
    EXPECT_EQ(bodyHex(b), hexOf("1b fffffffb 00000000ffc005ff ffff 0000"));
    b = actionOfType(40, false), p.set<quint32>(4, 9), p.set<quint16>(8, 7), setTriggerActionType(b, 40, false);
    EXPECT_EQ(bodyHex(b), hexOf("28 fffffffb 00000009ffc007ff 0007 ffff"));  // mode 3: nothing but the word at 10

    // Type 16 keeps bits 5 to 31 of its 5-bit field's word.
    for (const bool altDefaults : {false, true}) {
        b = TriggerActionData(), p.set<quint32>(36, 0xFFFFFFE3), setTriggerActionType(b, 16, altDefaults);
        EXPECT_EQ(p.get<quint32>(36), 0xFFFFFFEFu);
        EXPECT_EQ(p.get<quint64>(28) & 0xFFFFFFFFFFFFull, altDefaults ? 0x000200010000ull : 0xFFFFFFFFFFFFull);
    }

    // Related types keep their leading values; a few keep one more from one type.
    b = actionOfType(2, false), p.set<quint32>(0, 5), p.set<quint32>(8, 6), setTriggerActionType(b, 1, false);
    EXPECT_TRUE(p.get<quint32>(0) == 5 && p.get<quint32>(8) == 6);
    b = actionOfType(0, false), p.set<quint32>(0, 5), p.set<quint32>(8, 6), setTriggerActionType(b, 1, false);
    EXPECT_TRUE(p.get<quint32>(0) == 5 && p.get<quint32>(8) == 200);
    b = actionOfType(43, false), p.set<quint32>(8, 6), setTriggerActionType(b, 42, false);
    EXPECT_EQ(p.get<quint32>(8), 6u);

    // Values the new type does not use are emptied.
    b = actionOfType(20, false), b.serialString.bytes = {1}, b.text = QStringLiteral("t");
    setTriggerActionType(b, 21, false);
    EXPECT_TRUE(b.serialString.bytes.size() == 1 && b.text.isNull());
    setTriggerActionType(b, 22, false), b.midiMessages.resize(1), setTriggerActionType(b, 46, false);
    EXPECT_TRUE(b.serialString.isEmpty() && b.midiMessages.empty() && b.ioModuleData);
    setTriggerActionType(b, 47, false);
    EXPECT_FALSE(b.ioModuleData);

    // The device and the controller selection.
    const auto key = [](quint8 type, quint8 index) { return RDKey {type, index}; };
    b = TriggerActionData(), b.remoteDevice = key(101, 2), setTriggerActionType(b, 20, false);
    EXPECT_TRUE(b.remoteDevice == key(101, 2) && b.controllerSelection == RemoteDeviceControllerSelection);
    setTriggerActionType(b, 0, false);
    EXPECT_EQ(b.controllerSelection, DefaultControllerSelection);
    b = actionOfType(35, false), b.controllerSelection = 7, setTriggerActionType(b, 37, false);
    EXPECT_EQ(b.controllerSelection, 7);
    b = TriggerActionData(), b.remoteDevice = key(105, 4), setTriggerActionType(b, 22, false);
    EXPECT_TRUE(b.remoteDevice == key(105, 1) && b.controllerSelection == RemoteDeviceControllerSelection);

    // A new selection on types 13 to 15 resets their target, also through a type change.
    for (const qint32 from : {qint32(DefaultControllerSelection), qint32(7)}) {
        b = actionOfType(14, false), b.controllerSelection = from, p.set<quint64>(0, 0), p.set<quint16>(8, 0);
        b.setController(RemoteDeviceControllerSelection);
        const std::string want = hexOf(from == 7 ? "0e fffffffd 03 ffffffff ffff" : "0e fffffffd 04 ffffffff ffff");
        EXPECT_EQ(bodyHex(b).substr(0, want.size()), want);
        b.setController(RemoteDeviceControllerSelection), p.set<quint8>(0, 9);  // equal: nothing
        setTriggerActionType(b, 15, false);
        EXPECT_TRUE(p.get<quint8>(0) == 3 && b.controllerSelection == DefaultControllerSelection);
    }
}

TEST(TriggerAction, KeyRulesAndSelections)
{
    // Each key rule on both sides, in both variants: type, key before, key
    // after (newly made | converted), the selection then.
    const qint32 stays = 9;
    const struct
    {
        int type;
        RDKey before, after, afterAlt;
        qint32 selection;
    } keys[] = {
        {20, {103, 2}, {103, 2}, {103, 2}, RemoteDeviceControllerSelection},
        {20, {104, 2}, {100, 0}, {100, 0}, stays},
        {22, {100, 5}, {100, 1}, {100, 1}, stays},
        {22, {105, 3}, {105, 1}, {105, 1}, RemoteDeviceControllerSelection},
        {22, {101, 3}, {100, 1}, {100, 1}, stays},
        {23, {102, 4}, {102, 4}, {102, 4}, RemoteDeviceControllerSelection},
        {23, {101, 4}, {255, 1}, {255, 0}, RemoteDeviceControllerSelection},
        {29, {105, 3}, {105, 3}, {105, 3}, RemoteDeviceControllerSelection},
        {29, {100, 3}, {105, 0}, {105, 0}, RemoteDeviceControllerSelection},
        {30, {107, 2}, {107, 2}, {107, 2}, RemoteDeviceControllerSelection},
        {30, {105, 2}, {104, 1}, {104, 0}, RemoteDeviceControllerSelection},
    };
    for (const auto& row : keys) {
        for (const bool altDefaults : {false, true}) {
            TriggerActionData b = readAs(12, stays, {}, row.before);
            setTriggerActionType(b, row.type, altDefaults);
            EXPECT_EQ(b.remoteDevice, altDefaults ? row.afterAlt : row.after) << row.type << " " << altDefaults;
            EXPECT_EQ(b.controllerSelection, row.selection) << row.type << " " << altDefaults;
        }
    }

    // A selection is fixed by the new type, reset to the default when the old
    // type fixed one or the new type takes it, and kept otherwise.
    const RDKey local {100, 0}, remote {101, 0};
    const struct
    {
        int from;
        RDKey key;
        int to;
        qint32 selection;
    } selections[] = {
        {35, remote, 24, DaliControllerSelection},
        {35, remote, 39, FixedControllerSelection},
        {35, remote, 46, IoModuleControllerSelection},
        {24, remote, 35, DefaultControllerSelection},
        {21, remote, 47, DefaultControllerSelection},
        {30, remote, 10, DefaultControllerSelection},
        {20, local, 35, stays},
        {20, remote, 35, DefaultControllerSelection},
        {46, remote, 35, stays},  // the IO-module selection is not among those that release it
        {35, remote, 10, stays},
        {35, remote, 12, stays},
        {35, remote, 11, DefaultControllerSelection},
        {35, remote, 19, DefaultControllerSelection},
        {35, remote, 44, DefaultControllerSelection},
        {35, remote, 45, stays},
        {35, remote, 48, DefaultControllerSelection},
    };
    for (const auto& row : selections) {
        TriggerActionData b = readAs(row.from, stays, {}, row.key);
        setTriggerActionType(b, row.to, false);
        EXPECT_EQ(b.controllerSelection, row.selection) << row.from << " -> " << row.to;
    }
}

TEST(TriggerAction, Gates)
{
    const auto check = [](const std::string& layout, const std::function<TriggerActionData(quint16)>& want) {
        StreamCheck::expectGateReads<TriggerActionData>(StreamCheck::chunks(layout), kProjectStreamVersion, want);
    };
    const qint32 none = DefaultControllerSelection;
    check("-: 03 fffffffe 00000005;  -9:;  9-: 04;  9-131:;  11-: 00000006", [&](quint16 v) {
        const quint64 mode = v < 9 ? 1 : v <= 130 ? 7 : 4;  // missing, then bits 2 and 3 implying 0 and 1
        return readAs(3, none, {at(0, 4, 5), at(4, 1, mode), at(8, 4, v < 11 ? ~0u : 6u)});
    });
    for (const int type : {16, 17}) {
        check("-: " + typeHex(type)
                  + " 00000002 03 00000004 0005 00000006 0007;  16-: 0008;  -: 09 0a 0b 000c 000d 000e\n"
                    "9-: 0f 0010;  100-: 11 0012;  -: ff",
              [type](quint16 v) {
                  return readAs(type, 2,
                                {at(0, 1, 3), at(4, 4, 4), at(8, 2, 5), at(12, 4, 6), at(16, 2, 7),
                                 at(18, 2, v < 16 ? 0u : 8u), at(21, 3, 0x0B0A09), at(28, 6, 0x000E000D000C),
                                 at(20, 1, v < 9 ? 0u : 15u), at(26, 2, v < 9 ? 0xFFFFu : 16u),
                                 at(24, 1, v < 100 ? 0u : 17u), at(34, 2, v < 100 ? 0xFFFFu : 18u), at(36, 4, 0x1F)});
              });
    }
    check("-: 15 fffffffc 07" + kSerial + "00000001;  20-: 'a';  -: 0002 0003 0004 05 06", [](quint16 v) {
        TriggerActionData b = readAs(21, FixedControllerSelection,
                                     {at(0, 4, 7), at(4, 4, 1), at(8, 6, 0x000400030002), at(16, 4, 5), at(20, 1, 6)});
        b.text = v >= 20 ? QStringLiteral("a") : QString();
        return b;
    });
    check("-: 17 fffffffd 00a2 66 00 05 01;  157-: 0001 0002 0003", [](quint16 v) {
        const bool old = v < 157;  // the words were missing and a key index of 0 meant 1
        return readAs(23, RemoteDeviceControllerSelection,
                      {at(2, 1, 5), at(6, 1, 1), at(0, 2, old ? 0xFFFFu : 1u), at(4, 2, old ? 0xFFFFu : 2u),
                       at(8, 2, old ? 0xFFFFu : 3u)},
                      RDKey {102, quint8(old ? 1 : 0)});
    });
    for (const int type : {24, 25, 26, 27, 28, 40}) {
        check("-: " + typeHex(type) + " 00000003;  -120: 12345678;  120-: 0000001212345678;  -: 0001 0002",
              [type](quint16) {
                  return readAs(type, DaliControllerSelection, {at(0, 8, 0x1212345678), at(8, 4, 0x20001)});
              });
    }
    check("-: 1d fffffffe 04 01", [&](quint16) { return readAs(29, none, {at(0, 1, 1)}, {105, 4}); });
    check("-: 1f fffffffe" + kSerial + "01 0002 00000003 0004;  52-: 01", [&](quint16 v) {
        return readAs(31, none, {at(0, 8, 0x300020001), at(8, 2, 4), at(10, 1, v >= 52)});
    });
    // Type 34 held a serial string, then a word, in place of its first value.
    check(R"(-: 22 fffffffe;  -5: 00a4 0006 00000002 01 02 0006 00000000;  5-59: deadbeef;  62-64: deadbeef
             59-62: 0001;  64-: 0001;  5-: 0002;  150-: 03)",
          [&](quint16 v) {
              const bool first = (v >= 59 && v <= 61) || v >= 64;
              return readAs(34, none, {at(0, 2, first), at(2, 2, v >= 5 ? 2u : 0u), at(4, 4, v >= 150 ? 3u : 2u)});
          });
    for (const int type : {41, 42, 43}) {
        check("-: " + typeHex(type) + " 00000007 00000001 0002 00000003;  -61:", [&](quint16 v) {
            return readAs(type, v < 61 ? none : 7, {at(0, 4, 1), at(4, 2, 2), at(8, 4, 3)});
        });
    }
    check(R"(-: 2c fffffffe;  -85: deadbeef;  85-: 0001;  -: 0002 03 0001 00000004 0005;  65-100: dead beef
             71-: 0006 0007;  -: 00000008 0009 0000000a 000b 01)",
          [&](quint16 v) {
              return readAs(44, none,
                            {at(0, 2, v >= 85), at(2, 2, 2), at(4, 1, 3), at(8, 2, 1), at(12, 4, 4), at(16, 2, 5),
                             at(20, 4, v >= 71 ? 0x70006u : 0u), at(24, 4, 8), at(28, 2, 9), at(32, 4, 10),
                             at(36, 2, 11), at(38, 1, 1)});
          });
    check("-: 2e 00000009 ffff 00000004 0008 00000000;  -142:", [](quint16 v) {
        TriggerActionData b = readAs(46, v < 142 ? IoModuleControllerSelection : 9);
        b.ioModuleData->moduleId = 4;
        return b;
    });

    // The 5-bit field is read into bits 0 to 4 alone.
    struct
    {
        ParameterBlock<4> parameters;
    } body;
    body.parameters.set<quint32>(0, 0xABCDEF40);
    readBinary(hex("ea"), kProjectStreamVersion, [&](InStream& in) {
        Archive::FieldReader reader(in);
        bodyParameterFields(reader, body, {ParameterRows::at(ParameterKind::LowFiveBits, 0)});
    });
    EXPECT_EQ(body.parameters.get<quint32>(0), 0xABCDEF4Au);
}

TEST(TriggerAction, EveryTypeRoundTripsAndDamageFails)
{
    std::mt19937 random(26);
    for (int type = 0; type <= 50; ++type) {
        for (const bool altDefaults : {false, true}) {
            const int stored = type == 50 ? 200 : type;  // a type byte no version knows is kept
            SCOPED_TRACE(stored);
            TriggerAction action;
            action.setOwnerId(7), action.setData(filledAction(stored, altDefaults, random));
            EXPECT_TRUE(StreamCheck::stableRoundTrip(action, kProjectStreamVersion));
            EXPECT_TRUE(everyStrictPrefixFails(action));
        }
    }

    // The type byte, the selector words of 44 and 48 and a count.
    const auto bytesOf = [](int type) {
        TriggerAction action;
        action.setData(actionOfType(type, false));
        return objectPointerBytes(action);
    };
    const std::string shortRead = "Error reading from file";
    const std::tuple<int, int, const char*, std::string> damages[] = {
        {0, 6, "27", shortRead},
        {44, 16, "0001", shortRead},
        {48, 14, "0002", shortRead},
        {20, 20, "00000009", StreamCheck::countExceeds(9)}};
    for (const auto& [type, at, patch, message] : damages)
        EXPECT_TRUE(
            StreamCheck::damagedReadFails(bytesOf(type), at, patch, kProjectStreamVersion, message, readOneObject))
            << type;
}

TEST(TriggerAction, TriggerWithConditionsAndActionsSavesAndReloads)
{
    QTemporaryDir folder;
    const QString path = folder.filePath(QStringLiteral("archive.tarv"));
    std::vector<TriggerCondition> conditions(2);
    std::vector<TriggerAction> actions(3);
    Trigger trigger;
    {
        ScratchDatabase database(path);
        for (std::size_t i = 0; i < conditions.size(); ++i) {
            TriggerConditionData body;
            setTriggerConditionType(body, i == 0 ? 2 : 16);
            conditions[i].setOwnerId(12), conditions[i].setFlag(i == 1), conditions[i].setData(body);
            trigger.insertCondition(int(database.add(TriggerCondition::kArrayId, conditions[i].clone())), -1);
        }
        for (std::size_t i = 0; i < actions.size(); ++i) {
            actions[i].setOwnerId(12), actions[i].setData(actionOfType(int(i) * 20 + 3, i == 1));
            trigger.insertAction(int(database.add(TriggerAction::kArrayId, actions[i].clone())), -1);
        }
        database.add(Trigger::kArrayId, trigger.clone(), 1);
        Archive::saveDatabase(database.id(), 0);
    }
    ScratchDatabase database(path, true);
    const auto reloaded = database.committed<Trigger>(Trigger::kArrayId, 1);
    ASSERT_TRUE(reloaded && *reloaded == trigger);
    const auto expectSame = [&](const auto& originals, const std::list<int>& ids, Archive::ArrayId array) {
        using T = std::decay_t<decltype(originals[0])>;
        auto id = ids.begin();
        for (const T& original : originals) {
            const auto object = database.committed<T>(array, Archive::ObjectId(*id++));
            EXPECT_TRUE(object && *object == original);
        }
    };
    expectSame(conditions, reloaded->conditions(), TriggerCondition::kArrayId);
    expectSame(actions, reloaded->actions(), TriggerAction::kArrayId);
}
