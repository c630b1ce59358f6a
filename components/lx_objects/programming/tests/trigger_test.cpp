#include "components/archive/archive_directory.h"
#include "components/lx_objects/controllers/controller.h"
#include "components/lx_objects/programming/trigger.h"
#include "components/lx_objects/project/directories.h"
#include "components/lx_objects/tests/stream_bytes.h"

#include <gtest/gtest.h>

#include <QTemporaryDir>

#include <cstring>
#include <initializer_list>
#include <limits>
#include <new>
#include <random>
#include <tuple>
#include <utility>

namespace {

// A body of the type with its defaults, then the given parameter bytes.
TriggerData bodyOfType(int type, std::initializer_list<std::pair<std::size_t, quint8>> bytes = {})
{
    TriggerData body;
    setTriggerType(body, type);
    for (const auto& [offset, byte] : bytes)
        body.parameters.bytes[offset] = byte;
    return body;
}

// Every value a body can stream, with random parameter bytes.
TriggerData filledBody(int type, std::mt19937& random)
{
    TriggerData body = bodyOfType(type);
    for (quint8& byte : body.parameters.bytes)
        byte = quint8(random());
    body.secondControllerSelection = 4, body.remoteDevice.index = 3, body.text = QStringLiteral("text");
    body.mask.setDate(2030, 0, 17), body.serialString.bytes = {1, 2, 3}, body.serialString.wildcards.resize(1);
    body.midiMessages = {MidiMessage {0xB0, 0, {7}}};
    if (body.ioModuleData)
        *body.ioModuleData = IoMTriggerData {0, 11, {{QStringLiteral("var"), QVariant::fromValue(IoMVariable {1, 2})}}};
    return body;
}

}  // namespace

TEST(Trigger, NewTriggerBodiesAndSelectors)
{
    EXPECT_EQ(
        objectPointerBytes(Trigger()).toHex(),
        hex("006b ffffffff ffffffff 00000000 00 01 01 01 0007 00000000 0007 00000000 23 fffffffe fffffffa").toHex());
    DateTimeMask everyHour;
    everyHour.hours.set(), everyHour.minutes.set(0), everyHour.seconds.set(0), everyHour.weekdays.set();
    everyHour.days.set(), everyHour.months.set(), everyHour.years.set();
    EXPECT_TRUE(bodyOfType(6).mask == everyHour && bodyOfType(6).controllerSelection == FixedControllerSelection);

    // Without a DALI interface the DALI types name none. A selector picks the
    // parameters that follow it: type 16 the DALI command at byte 4, type 30
    // the command word at 0. Messages are a vector behind the local device.
    TriggerData midi = bodyOfType(14);
    midi.midiMessages = {MidiMessage {0x90, 0x40, {1, 2}}, MidiMessage()};
    const std::pair<TriggerData, const char*> bodies[] = {
        {bodyOfType(18), "12 fffffffb fffffffa ffffffffffc0ffff 00 01"},
        {bodyOfType(16, {{4, 3}}), "10 fffffffb fffffffa ffffffff 03 c0 00 fe"},
        {bodyOfType(16, {{4, 4}}), "10 fffffffb fffffffa ffffffff 04 c0 00"},
        {bodyOfType(16, {{4, 5}}), "10 fffffffb fffffffa ffffffff 05 c0"},
        {bodyOfType(30, {{0, 0xFF}, {1, 0x3F}}), "1e fffffffc fffffffa 3fff"},
        {bodyOfType(30), "1e fffffffc fffffffa 4000 00000000 00000000 00000000"},
        {bodyOfType(30, {{0, 5}}), "1e fffffffc fffffffa 4005 00000000 00000000"},
        {bodyOfType(30, {{0, 6}}), "1e fffffffc fffffffa 4006"},
        {midi,
         "0e fffffffe fffffffa 00a2 64 00 0006 00000002 00a3 90 40 0006 00000002 01 02 00a3 00 00 0006 00000000"}};
    for (const auto& [body, bytes] : bodies)
        EXPECT_EQ(StreamCheck::hexOf(writtenBytes(body)), StreamCheck::hexOf(hex(bytes)));

    // They name the only committed DALI interface.
    QTemporaryDir folder;
    ScratchDatabase database(folder.filePath(QStringLiteral("archive.tarv")));
    {
        Archive::EditContext context(database.id());
        Archive::ObjectPtr interface(new Controller);  // stands in for a DALI interface
        Archive::ObjectId id = 5;
        Archive::addObject(12, id, interface, database.id());
        EXPECT_EQ(bodyOfType(16).parameters.get<quint32>(0), 0xFFFFFFFFu);  // not committed yet
        context.commit();
    }
    EXPECT_EQ(writtenBytes(bodyOfType(18)).toHex(), hex("12 fffffffb fffffffa ffffffffffc0ff05 00 01").toHex());
    EXPECT_EQ(writtenBytes(bodyOfType(16)).toHex(), hex("10 fffffffb fffffffa 00000005 00 c0 00 fe").toHex());
    EXPECT_EQ(writtenBytes(bodyOfType(17)).toHex(), hex("11 fffffffb fffffffa 00000005 00").toHex());
}

TEST(Trigger, TypeChangesAndInserts)
{
    TriggerData b = bodyOfType(2);
    auto& p = b.parameters;
    p.set<quint32>(0, 5), setTriggerType(b, 3);
    EXPECT_EQ(p.get<quint32>(0), 5u);
    b = bodyOfType(6), p.set<quint32>(0, 5), setTriggerType(b, 2);
    EXPECT_EQ(p.get<quint32>(0), 0xFFFFFFFFu);
    b = bodyOfType(2), p.set<quint64>(0, 5), setTriggerType(b, 4);
    EXPECT_EQ(p.get<quint64>(0), 0xFFFFFFFF00000005ull);
    b = bodyOfType(31), p.set<quint32>(0, 5), setTriggerType(b, 32);
    EXPECT_EQ(p.get<quint32>(0), 5u);
    setTriggerType(b, 2);
    EXPECT_EQ(p.get<quint32>(0), 0xFFFFFFFFu);
    b = bodyOfType(13), setTriggerType(b, 28);  // bytes the new type does not set stay
    EXPECT_TRUE(p.get<quint8>(3) == 255 && p.get<quint8>(0) == 0);
    b = bodyOfType(27), p.set<quint64>(8, 0), setTriggerType(b, 30);
    EXPECT_TRUE(p.get<quint16>(0) == 0x4000 && b.controllerSelection == FixedControllerSelection);

    // The serial string, the messages and the text.
    b = bodyOfType(11), b.serialString.bytes = {1}, setTriggerType(b, 22);
    EXPECT_TRUE(b.serialString.bytes.size() == 1 && p.get<quint32>(0) == 4);
    b = bodyOfType(11), b.serialString.bytes = {1}, setTriggerType(b, 25);
    EXPECT_TRUE(b.serialString.isEmpty());
    b = bodyOfType(11), b.serialString.wildcards.resize(1), setTriggerType(b, 2);
    EXPECT_TRUE(b.serialString.isEmpty());
    b = bodyOfType(25), b.serialString.bytes = {1}, setTriggerType(b, 2);
    EXPECT_FALSE(b.serialString.isEmpty());
    b = bodyOfType(14), b.midiMessages.resize(2), b.text = QStringLiteral("t"), setTriggerType(b, 9);
    EXPECT_TRUE(b.midiMessages.empty() && b.text.isNull());
    b = bodyOfType(26), b.text = QStringLiteral("t"), b.serialString.bytes = {1}, setTriggerType(b, 26);
    EXPECT_TRUE(b.text == QStringLiteral("t") && !b.serialString.isEmpty());

    // The device and the controller selection; a new body gets the local device.
    const auto key = [](quint8 type, quint8 index) { return RDKey {type, index}; };
    b = TriggerData(), setTriggerType(b, 10);
    EXPECT_TRUE(b.remoteDevice == key(100, 0) && b.controllerSelection == DefaultControllerSelection);
    b = TriggerData(), b.remoteDevice = key(100, 0), setTriggerType(b, 9);
    EXPECT_EQ(b.controllerSelection, DefaultControllerSelection);
    b = TriggerData(), b.remoteDevice = key(101, 3), setTriggerType(b, 9);
    EXPECT_TRUE(b.controllerSelection == RemoteDeviceControllerSelection && b.remoteDevice == key(101, 3)
                && p.get<quint8>(0) == 255);
    setTriggerType(b, 2);
    EXPECT_EQ(b.controllerSelection, DefaultControllerSelection);
    b = bodyOfType(2), b.controllerSelection = 7, setTriggerType(b, 3);
    EXPECT_EQ(b.controllerSelection, 7);
    b = TriggerData(), b.remoteDevice = key(105, 7), setTriggerType(b, 14);
    EXPECT_TRUE(b.remoteDevice == key(105, 0) && b.controllerSelection == RemoteDeviceControllerSelection);
    b = TriggerData(), b.remoteDevice = key(101, 1), setTriggerType(b, 15);
    EXPECT_TRUE(b.remoteDevice == key(105, 0) && p.get<quint8>(1) == 2);
    b = TriggerData(), b.remoteDevice = key(107, 2), setTriggerType(b, 21);
    EXPECT_TRUE(b.remoteDevice == key(107, 2));
    b = bodyOfType(33);
    EXPECT_TRUE(b.ioModuleData && b.controllerSelection == IoModuleControllerSelection);
    setTriggerType(b, 34);
    EXPECT_TRUE(!b.ioModuleData && b.text.isNull());

    // Each insert answers the position it used.
    Trigger trigger;
    for (const auto& [id, position, used] :
         {std::tuple(1, -1, 0), std::tuple(2, -1, 1), std::tuple(3, -1, 2), std::tuple(5, -1, 3), std::tuple(6, 0, 0),
          std::tuple(7, 2, 2), std::tuple(8, 6, 6)})
        EXPECT_EQ(trigger.insertCondition(id, position), used) << id;
    EXPECT_EQ(trigger.conditions(), (std::list<int> {6, 1, 7, 2, 3, 5, 8}));
    EXPECT_EQ(trigger.insertAction(4, 9), 0);
    EXPECT_EQ(trigger.actions(), (std::list<int> {4}));
}

TEST(Trigger, Gates)
{
    // A DALI address trigger as each version held it: the DALI selection is
    // fixed whatever was stored, and the flag stored from 150 on was inverted
    // until 155.
    const auto dali = StreamCheck::chunks(R"(
        -100: 12;  -: ffffffff 'a' 0000000a 07 01 00;  150-: 00;  150-155:
        -: 0007 00000002 00000004 00000006 0007 00000000;  100-: 12;  -: 00000007;  140-: 00000003
        -120: 12345678;  120-: 0000001212345678;  -: 00 01
    )");
    StreamCheck::expectGateReads<Trigger>(dali, kProjectStreamVersion, [](quint16 v) {
        Trigger trigger;
        trigger.setText2(QStringLiteral("a")), trigger.setSortValue(10), trigger.setOption(7);
        trigger.setFlagB(v < 155), trigger.setFlagC(false);
        trigger.insertCondition(4, -1), trigger.insertCondition(6, -1);
        TriggerData body = bodyOfType(18);
        // Before 120 a 32-bit address: its top byte fills bytes 4 to 7.
        body.parameters.set<quint64>(0, 0x0000001212345678), body.parameters.set<quint8>(9, 1);
        body.secondControllerSelection = v >= 140 ? 3 : NoSecondControllerSelection;
        trigger.setData(body);
        return trigger;
    });

    // The IO-module type took its fixed selection before version 142.
    const auto ioModule = StreamCheck::chunks(R"(
        -100: 21;  -: 00000000 00000000 00000000 00 01 01;  150-: 01;  150-155:;  -: 0007 00000000 0007 00000000
        100-: 21;  -: 00000009;  -142:;  140-: fffffffa;  -: 0002 00000004 0008 00000000
    )");
    StreamCheck::expectGateReads<Trigger>(ioModule, kProjectStreamVersion, [](quint16 v) {
        Trigger trigger;
        trigger.setFlagB(v < 150 || v >= 155);
        TriggerData body = bodyOfType(TriggerData::kIoModuleType);
        body.controllerSelection = v < 142 ? IoModuleControllerSelection : 9;
        body.ioModuleData->typeIndex = 2, body.ioModuleData->moduleId = 4;
        trigger.setData(body);
        return trigger;
    });

    // Data older than 87 has no extra word in a serial wildcard.
    StreamCheck::expectGateReads<TriggerWildcard>(StreamCheck::chunks("-: 03 0001 0002;  87-: 00000009;  -: 0004"),
                                                  kProjectStreamVersion, [](quint16 v) {
                                                      return TriggerWildcard {3, 1, 2, v >= 87 ? 9u : 0u, 4};
                                                  });
}

TEST(Trigger, DamagedCountAndType)
{
    Trigger trigger;
    trigger.setData(bodyOfType(2)), trigger.insertCondition(3, -1);
    const QByteArray bytes = writtenBytes(trigger);
    const auto read = [](InStream& in) { Trigger().read(in); };
    EXPECT_TRUE(StreamCheck::damagedReadFails(bytes, bytes.indexOf(hex("0007 00000001")) + 2, "7fffffff",
                                              kProjectStreamVersion, StreamCheck::kCountTooLarge, read));
    // Type 2 as type 14: its parameter words do not make a device key.
    EXPECT_TRUE(StreamCheck::damagedReadFails(bytes, bytes.indexOf(hex("02 fffffffe")), "0e", kProjectStreamVersion,
                                              "Tag mismatch when trying to read opening tag RDKey", read));

    // Reading an id list appends.
    std::list<int> ids {1};
    readBinary(hex("0007 00000002 00000005 ffffffff"), kProjectStreamVersion, [&](InStream& in) { in >> idList(ids); });
    EXPECT_EQ(ids, (std::list<int> {1, 5, -1}));
}

TEST(Trigger, EveryTypeRoundTripsAndReadsOverAnother)
{
    std::mt19937 random(15);
    Trigger previous;
    for (int type = 0; type <= 36; ++type) {
        const int stored = type == 36 ? 200 : type;  // a type byte no version knows is kept
        SCOPED_TRACE(stored);
        Trigger trigger;
        trigger.setName(QStringLiteral("name")), trigger.setText2(QStringLiteral("t"));
        trigger.setSortValue(9), trigger.setOption(2), trigger.setFlagA(false), trigger.setFlagB(type % 2);
        trigger.setFlagC(false), trigger.setId(4);
        trigger.insertCondition(3, -1), trigger.insertAction(4, -1), trigger.insertAction(-1, -1);
        trigger.setData(filledBody(stored, random));
        EXPECT_TRUE(StreamCheck::stableRoundTrip(trigger, kProjectStreamVersion));
        EXPECT_TRUE(everyStrictPrefixFails(trigger));
        // Over the trigger of the type before: no doubled ids, no IO-module
        // data left over. Copies own their IO-module data.
        Trigger fresh;
        const QByteArray bytes = writtenBytes(trigger);
        EXPECT_TRUE(readBytes(fresh, bytes) == 0 && readBytes(previous, bytes) == 0 && previous == fresh);
        const std::unique_ptr<Trigger> copy(static_cast<Trigger*>(trigger.clone()));
        EXPECT_TRUE(*copy == trigger && copy->getId() == Archive::kNoObjectId);
        EXPECT_TRUE(!trigger.data().ioModuleData
                    || copy->data().ioModuleData.get() != trigger.data().ioModuleData.get());
    }
}

TEST(Trigger, DirectorySavesAndReloads)
{
    QTemporaryDir folder;
    const QString path = folder.filePath(QStringLiteral("archive.tarv"));
    std::vector<Trigger> originals(2);
    originals[0].setName(QStringLiteral("first")), originals[0].setData(bodyOfType(6));
    originals[1].setData(bodyOfType(14)), originals[1].insertCondition(12, -1);
    std::map<decimal, Archive::ObjectId> numbers;
    {
        ScratchDatabase database(path);
        auto* directory = new TriggerDirectory;
        {
            Archive::EditContext context(database.id());
            for (const Trigger& trigger : originals) {
                Archive::ObjectId id = Archive::kNoObjectId;
                directory->addObject(std::numeric_limits<decimal>::infinity(), new Trigger(trigger), &id,
                                     database.id());
                numbers[decimal(numbers.size() + 1)] = id;
            }
            context.commit();
        }
        database.add(0, directory, 7);
        Archive::saveDatabase(database.id(), 0);
    }
    ScratchDatabase database(path, true);
    const auto triggers = database.committed<TriggerDirectory>(0, 7);
    EXPECT_TRUE(triggers && triggers->numberToId() == numbers);
    for (std::size_t i = 0; i < originals.size(); ++i) {
        const auto trigger = database.committed<Trigger>(Trigger::kArrayId, numbers.at(decimal(i + 1)));
        EXPECT_TRUE(trigger && *trigger == originals[i]);
    }
}

TEST(TriggerValues, IoModuleData)
{
    // Equal variables built in storage holding different bytes (padding
    // included) compare equal inside QVariants and inside two triggers.
    alignas(IoMVariable) unsigned char storage[2][sizeof(IoMVariable)];
    std::memset(storage[0], 0x00, sizeof storage[0]), std::memset(storage[1], 0xA5, sizeof storage[1]);
    const IoMVariable* a = new (storage[0]) IoMVariable {200, 0x8001};
    const IoMVariable* b = new (storage[1]) IoMVariable {200, 0x8001};
    EXPECT_EQ(QVariant::fromValue(*a), QVariant::fromValue(*b));
    TriggerData bodyA = bodyOfType(TriggerData::kIoModuleType), bodyB = bodyA;
    bodyA.ioModuleData->properties[QStringLiteral("v")] = QVariant::fromValue(*a);
    bodyB.ioModuleData->properties[QStringLiteral("v")] = QVariant::fromValue(*b);
    Trigger triggerA, triggerB;
    triggerA.setData(bodyA), triggerB.setData(bodyB);
    EXPECT_EQ(triggerA, triggerB);
}
