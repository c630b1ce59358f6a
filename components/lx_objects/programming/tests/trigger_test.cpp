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
    body.secondControllerSelection = 4;
    body.mask.setDate(2030, 0, 17);
    body.serialString.bytes = {1, 2, 3};
    body.serialString.wildcards.resize(1);
    body.text = QStringLiteral("text");
    MidiMessage message;
    message.byte1 = 0xB0, message.data = {7};
    body.midiMessages = {message};
    body.remoteDevice.index = 3;
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
    registerObjectTypes();
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

TEST(Trigger, HeaderFieldsRoundTrip)
{
    registerObjectTypes();
    Trigger trigger;
    trigger.setName(QStringLiteral("n")), trigger.setText2(QStringLiteral("t")), trigger.setSortValue(9);
    trigger.setFlagA(false), trigger.setFlagC(false);
    Trigger read;
    ASSERT_EQ(readBytes(read, writtenBytes(trigger)), 0);
    EXPECT_TRUE(read.name() == QStringLiteral("n") && read.text2() == QStringLiteral("t"));
    EXPECT_TRUE(read.sortValue() == 9u && !read.flagA() && !read.flagC());
}

TEST(Trigger, TypeChanges)
{
    using Case = std::tuple<const char*, std::function<void(TriggerData&)>, std::function<bool(const TriggerData&)>>;
    const Case cases[] = {
        {"2 to 3 keeps the first word",
         [](TriggerData& b) { setTriggerType(b, 2), b.parameters.set<quint32>(0, 5), setTriggerType(b, 3); },
         [](const TriggerData& b) { return b.parameters.get<quint32>(0) == 5; }},
        {"6 to 2 sets it",
         [](TriggerData& b) { setTriggerType(b, 6), b.parameters.set<quint32>(0, 5), setTriggerType(b, 2); },
         [](const TriggerData& b) { return b.parameters.get<quint32>(0) == 0xFFFFFFFF; }},
        {"2 to 4 keeps the first, sets the second",
         [](TriggerData& b) { setTriggerType(b, 2), b.parameters.set<quint64>(0, 5), setTriggerType(b, 4); },
         [](const TriggerData& b) { return b.parameters.get<quint64>(0) == 0xFFFFFFFF00000005ull; }},
        {"31 to 32 keeps, 32 to 2 sets",
         [](TriggerData& b) {
             setTriggerType(b, 31), b.parameters.set<quint32>(0, 5), setTriggerType(b, 32);
             b.parameters.set<quint32>(4, b.parameters.get<quint32>(0)), setTriggerType(b, 2);
         },
         [](const TriggerData& b) {
             return b.parameters.get<quint32>(4) == 5 && b.parameters.get<quint32>(0) == 0xFFFFFFFF;
         }},
        {"11 to 22 keeps the serial string",
         [](TriggerData& b) { setTriggerType(b, 11), b.serialString.bytes = {1}, setTriggerType(b, 22); },
         [](const TriggerData& b) { return b.serialString.bytes.size() == 1 && b.parameters.get<quint32>(0) == 4; }},
        {"11 to 25 empties it",
         [](TriggerData& b) { setTriggerType(b, 11), b.serialString.bytes = {1}, setTriggerType(b, 25); },
         [](const TriggerData& b) { return b.serialString.isEmpty(); }},
        {"11 to 2 empties it",
         [](TriggerData& b) { setTriggerType(b, 11), b.serialString.wildcards.resize(1), setTriggerType(b, 2); },
         [](const TriggerData& b) { return b.serialString.isEmpty(); }},
        {"25 to 2 keeps it",
         [](TriggerData& b) { setTriggerType(b, 25), b.serialString.bytes = {1}, setTriggerType(b, 2); },
         [](const TriggerData& b) { return !b.serialString.isEmpty(); }},
        {"14 to 9 empties the messages and the text",
         [](TriggerData& b) {
             setTriggerType(b, 14), b.midiMessages.resize(2), b.text = QStringLiteral("t"), setTriggerType(b, 9);
         },
         [](const TriggerData& b) { return b.midiMessages.empty() && b.text.isNull(); }},
        {"the same type keeps the text and writes its defaults again",
         [](TriggerData& b) {
             setTriggerType(b, 26), b.text = QStringLiteral("t"), b.serialString.bytes = {1};
             setTriggerType(b, 26);
         },
         [](const TriggerData& b) { return b.text == QStringLiteral("t") && !b.serialString.isEmpty(); }},
        {"9 with the local device does not follow it",
         [](TriggerData& b) {
             b.remoteDevice = {100, 0}, setTriggerType(b, 9);
         },
         [](const TriggerData& b) { return b.controllerSelection == DefaultControllerSelection; }},
        {"9 with a remote device follows it",
         [](TriggerData& b) {
             b.remoteDevice = {101, 3}, setTriggerType(b, 9);
         },
         [](const TriggerData& b) {
             return b.controllerSelection == RemoteDeviceControllerSelection && b.remoteDevice == RDKey {101, 3}
             && b.parameters.get<quint8>(0) == 255;
         }},
        {"9 to 2 gives the default back",
         [](TriggerData& b) {
             b.remoteDevice = {101, 3}, setTriggerType(b, 9), setTriggerType(b, 2);
         },
         [](const TriggerData& b) { return b.controllerSelection == DefaultControllerSelection; }},
        {"2 to 3 keeps a chosen controller",
         [](TriggerData& b) { setTriggerType(b, 2), b.controllerSelection = 7, setTriggerType(b, 3); },
         [](const TriggerData& b) { return b.controllerSelection == 7; }},
        {"a new body without a device gets the local one", [](TriggerData& b) { setTriggerType(b, 10); },
         [](const TriggerData& b) {
             return b.remoteDevice == RDKey {100, 0} && b.controllerSelection == DefaultControllerSelection;
         }},
        {"14 keeps an audio unit at index 0",
         [](TriggerData& b) {
             b.remoteDevice = {105, 7}, setTriggerType(b, 14);
         },
         [](const TriggerData& b) {
             return b.remoteDevice == RDKey {105, 0} && b.controllerSelection == RemoteDeviceControllerSelection;
         }},
        {"15 takes an audio unit",
         [](TriggerData& b) {
             b.remoteDevice = {101, 1}, setTriggerType(b, 15);
         },
         [](const TriggerData& b) {
             return b.remoteDevice == RDKey {105, 0} && b.parameters.get<quint8>(1) == 2;
         }},
        {"21 keeps a button panel",
         [](TriggerData& b) {
             b.remoteDevice = {107, 2}, setTriggerType(b, 21);
         },
         [](const TriggerData& b) {
             return b.remoteDevice == RDKey {107, 2};
         }},
        {"bytes the new type does not set stay", [](TriggerData& b) { setTriggerType(b, 13), setTriggerType(b, 28); },
         [](const TriggerData& b) { return b.parameters.get<quint8>(3) == 255 && b.parameters.get<quint8>(0) == 0; }},
        {"30 and 27",
         [](TriggerData& b) { setTriggerType(b, 27), b.parameters.set<quint64>(8, 0), setTriggerType(b, 30); },
         [](const TriggerData& b) {
             return b.parameters.get<quint16>(0) == 0x4000 && b.controllerSelection == FixedControllerSelection;
         }},
        {"into and out of the IO-module type",
         [](TriggerData& b) {
             setTriggerType(b, 33);
             if (!b.ioModuleData || b.controllerSelection != IoModuleControllerSelection)
                 b.text = QStringLiteral("wrong");
             setTriggerType(b, 34);
         },
         [](const TriggerData& b) { return !b.ioModuleData && b.text.isNull(); }},
    };
    for (const auto& [what, steps, expect] : cases) {
        SCOPED_TRACE(what);
        TriggerData body;
        steps(body);
        EXPECT_TRUE(expect(body));
    }

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
    registerObjectTypes();
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
        const TriggerData& body = trigger.data();
        EXPECT_EQ(body.type(), 18);
        EXPECT_EQ(body.controllerSelection, DaliControllerSelection);
        EXPECT_EQ(body.secondControllerSelection, v >= 140 ? 3 : NoSecondControllerSelection);
        EXPECT_EQ(body.parameters.get<quint64>(0), 0x0000001212345678ull);
        EXPECT_EQ(trigger.text2(), QStringLiteral("a"));
        // Versions 150 to 154 stored the flag inverted; before 150 it keeps true.
        EXPECT_EQ(trigger.flagB(), v < 155);
        EXPECT_EQ(trigger.conditions(), (std::list<int> {4, 6}));
        if (v == 119) {
            EXPECT_EQ(writtenBytes(body).toHex(), hex("12 fffffffb fffffffa 0000001212345678 00 01").toHex());
        }
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
        SCOPED_TRACE(v);
        Trigger trigger;
        ASSERT_EQ(readBytes(trigger, StreamCheck::bytesAt(v, ioModule), v), 0);
        EXPECT_EQ(trigger.data().controllerSelection, v < 142 ? IoModuleControllerSelection : 9);
        ASSERT_TRUE(trigger.data().ioModuleData);
        EXPECT_EQ(trigger.data().ioModuleData->moduleId, 4u);
    }
}

TEST(Trigger, EveryTypeRoundTrips)
{
    registerObjectTypes();
    std::mt19937 random(15);
    for (int type = 0; type <= 36; ++type) {
        const int stored = type == 36 ? 200 : type;  // a type byte no version knows is kept
        SCOPED_TRACE(stored);
        Trigger trigger;
        trigger.setName(QStringLiteral("name"));
        trigger.setSortValue(9), trigger.setOption(2), trigger.setFlagB(false);
        trigger.insertCondition(3, -1), trigger.insertAction(4, -1), trigger.insertAction(-1, -1);
        trigger.setData(filledBody(stored, random));
        EXPECT_TRUE(StreamCheck::stableRoundTrip(trigger, kProjectStreamVersion));
        EXPECT_TRUE(everyStrictPrefixFails(trigger));
    }
}

TEST(Trigger, ReadReplacesAndCopiesOwnTheirData)
{
    registerObjectTypes();
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
    EXPECT_EQ(used.conditions(), (std::list<int> {1}));

    std::unique_ptr<Trigger> copy(trigger.clone());
    EXPECT_EQ(copy->getId(), Archive::kNoObjectId);
    EXPECT_TRUE(*copy == trigger);
    EXPECT_NE(copy->data().ioModuleData, trigger.data().ioModuleData);
}

TEST(Trigger, DirectorySavesAndReloads)
{
    registerObjectTypes();
    QTemporaryDir folder;
    const QString path = folder.filePath(QStringLiteral("archive.tarv"));
    std::vector<Trigger> originals(2);
    originals[0].setName(QStringLiteral("first"));
    originals[0].setData(bodyOfType(6));
    originals[1].setData(bodyOfType(14));
    originals[1].insertCondition(12, -1);
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
