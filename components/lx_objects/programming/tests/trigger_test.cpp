#include "components/archive/archive_directory.h"
#include "components/lx_objects/controllers/controller.h"
#include "components/lx_objects/programming/trigger.h"
#include "components/lx_objects/project/directories.h"
#include "components/lx_objects/tests/stream_bytes.h"

#include <gtest/gtest.h>

#include <QTemporaryDir>

#include <functional>
#include <limits>
#include <random>
#include <tuple>

using StreamCheck::Chunk;
using StreamCheck::kNewest;

namespace {

TriggerData bodyOfType(int type)
{
    TriggerData body;
    setTriggerType(body, type);
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
    MidiMessage message;
    message.byte1 = 0xB0, message.data = {7};
    body.midiMessages = {message};
    if (body.ioModuleData) {
        IoMVariable variable;
        variable.type = 1, variable.index = 2;
        body.ioModuleData->properties[QStringLiteral("var")] = QVariant::fromValue(variable);
        body.ioModuleData->moduleId = 11;
    }
    return body;
}

}  // namespace

TEST(Trigger, NewTriggerAndTypeDefaults)
{
    EXPECT_EQ(
        objectPointerBytes(Trigger()).toHex(),
        hex("006b ffffffff ffffffff 00000000 00 01 01 01 0007 00000000 0007 00000000 23 fffffffe fffffffa").toHex());

    const TriggerData realTime = bodyOfType(6);
    EXPECT_EQ(realTime.controllerSelection, FixedControllerSelection);
    DateTimeMask everyHour;
    everyHour.hours.set(), everyHour.minutes.set(0), everyHour.seconds.set(0), everyHour.weekdays.set();
    everyHour.days.set(), everyHour.months.set(), everyHour.years.set();
    EXPECT_EQ(realTime.mask, everyHour);

    // The DALI types name the only committed DALI interface, or none.
    EXPECT_EQ(writtenBytes(bodyOfType(18)).toHex(), hex("12 fffffffb fffffffa ffffffffffc0ffff 00 01").toHex());
    EXPECT_EQ(bodyOfType(16).parameters.get<quint32>(0), 0xFFFFFFFFu);
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

    Trigger trigger;
    for (int id : {1, 2, 3})
        trigger.insertCondition(id, -1);
    EXPECT_EQ(trigger.insertCondition(5, -1), 3);
    EXPECT_EQ(trigger.insertCondition(6, 0), 0);
    EXPECT_EQ(trigger.insertCondition(7, 2), 2);
    EXPECT_EQ(trigger.insertCondition(8, 6), 6);
    EXPECT_EQ(trigger.conditions(), (std::list<int> {6, 1, 7, 2, 3, 5, 8}));
    EXPECT_EQ(trigger.insertAction(4, 9), 0);
    EXPECT_EQ(trigger.actions(), (std::list<int> {4}));
}

TEST(Trigger, Gates)
{
    // A DALI address trigger as each version held it.
    const std::vector<Chunk> dali = {
        {0, 100, "12"},
        {0, kNewest, "ffffffff 00000002 0061 0000000a 07 01 00"},
        {150, kNewest, "00"},
        {0, kNewest, "0007 00000002 00000004 00000006 0007 00000000"},
        {100, kNewest, "12"},
        {0, kNewest, "00000007"},
        {140, kNewest, "00000003"},
        {0, 120, "12345678"},
        {120, kNewest, "0000001212345678"},
        {0, kNewest, "00 01"},
    };
    for (const quint16 v : StreamCheck::gateVersions(dali, kProjectStreamVersion)) {
        SCOPED_TRACE(v);
        Trigger trigger;
        ASSERT_EQ(readBytes(trigger, StreamCheck::bytesAt(v, dali), v), 0);
        const QByteArray second = hex(v >= 140 ? "00000003" : "fffffffa");
        EXPECT_EQ(writtenBytes(trigger.data()).toHex(),
                  (hex("12 fffffffb") + second + hex("0000001212345678 00 01")).toHex());
        EXPECT_TRUE(trigger.text2() == QStringLiteral("a") && trigger.conditions() == (std::list<int> {4, 6}));
        EXPECT_EQ(trigger.flagB(), v < 155);  // stored inverted from 150 to 154; true before
    }

    // The IO-module type took its fixed selection from version 142 on.
    const std::vector<Chunk> ioModule = {
        {0, 100, "21"},
        {0, kNewest, "00000000 00000000 00000000 00 01 01"},
        {150, kNewest, "01"},
        {0, kNewest, "0007 00000000 0007 00000000"},
        {100, kNewest, "21"},
        {0, kNewest, "00000009"},
        {140, kNewest, "fffffffa"},
        {0, kNewest, "0002 00000004 0008 00000000"},
    };
    for (const quint16 v : {quint16(141), quint16(142)}) {
        Trigger trigger;
        ASSERT_EQ(readBytes(trigger, StreamCheck::bytesAt(v, ioModule), v), 0);
        ASSERT_TRUE(trigger.data().ioModuleData);
        EXPECT_EQ(trigger.data().controllerSelection, v < 142 ? IoModuleControllerSelection : 9) << v;
        EXPECT_EQ(trigger.data().ioModuleData->moduleId, 4u);
    }
}

TEST(Trigger, EveryTypeRoundTrips)
{
    std::mt19937 random(15);
    for (int type = 0; type <= 36; ++type) {
        const int stored = type == 36 ? 200 : type;  // a type byte no version knows is kept
        SCOPED_TRACE(stored);
        Trigger trigger;
        trigger.setName(QStringLiteral("name")), trigger.setText2(QStringLiteral("t"));
        trigger.setSortValue(9), trigger.setOption(2), trigger.setFlagA(false), trigger.setFlagB(false);
        trigger.setFlagC(false);
        trigger.insertCondition(3, -1), trigger.insertAction(4, -1), trigger.insertAction(-1, -1);
        trigger.setData(filledBody(stored, random));
        EXPECT_TRUE(StreamCheck::stableRoundTrip(trigger, kProjectStreamVersion));
        EXPECT_TRUE(everyStrictPrefixFails(trigger));
    }
}

TEST(Trigger, ReadReplacesAndCopiesOwnTheirData)
{
    Trigger trigger;
    trigger.insertCondition(1, -1), trigger.insertAction(2, -1);
    TriggerData body = bodyOfType(33);
    body.ioModuleData->properties[QStringLiteral("a")] = 1;
    trigger.setData(body);
    body.ioModuleData->properties[QStringLiteral("a")] = 2;
    EXPECT_EQ(trigger.data().ioModuleData->properties.value(QStringLiteral("a")).toInt(), 1);

    // Read over a used trigger: no doubled ids, no IO-module data left over.
    trigger.setId(4);
    const QByteArray bytes = writtenBytes(trigger);
    Trigger used = trigger;
    used.setData(bodyOfType(2));
    used.insertCondition(9, -1);
    EXPECT_EQ(readBytes(used, bytes), 0);
    EXPECT_TRUE(used == trigger);

    std::unique_ptr<Trigger> copy(trigger.clone());
    EXPECT_EQ(copy->getId(), Archive::kNoObjectId);
    EXPECT_TRUE(*copy == trigger);
    EXPECT_NE(copy->data().ioModuleData.get(), trigger.data().ioModuleData.get());
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
    ASSERT_TRUE(triggers);
    EXPECT_EQ(triggers->numberToId(), numbers);
    for (std::size_t i = 0; i < originals.size(); ++i) {
        const auto trigger = database.committed<Trigger>(Trigger::kArrayId, numbers.at(decimal(i + 1)));
        ASSERT_TRUE(trigger);
        EXPECT_TRUE(*trigger == originals[i]);
    }
}
