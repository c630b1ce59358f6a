#include "components/lx_objects/programming/io_meta_types.h"
#include "components/lx_objects/programming/trigger.h"
#include "components/lx_objects/programming/trigger_values.h"
#include "components/lx_objects/tests/stream_bytes.h"

#include <gtest/gtest.h>

#include <cstring>
#include <list>
#include <new>
#include <tuple>
#include <vector>

namespace {

SerialString sampleSerial()
{
    SerialString serial;
    serial.bytes = {0x41, 0x0D};
    TriggerWildcard wildcard;
    wildcard.kind = 2, wildcard.value1 = 1, wildcard.value2 = 0x203, wildcard.extra = 7, wildcard.value3 = 0xFFFF;
    serial.wildcards = {wildcard, TriggerWildcard()};
    return serial;
}

// The bytes with the count field at `at` claiming far more than follows.
QByteArray withHugeCount(QByteArray bytes, int at) { return bytes.replace(at, 4, hex("7fffffff")); }

}  // namespace

TEST(TriggerValues, StreamForms)
{
    EXPECT_EQ(blockBytes(RDKey()).toHex(), hex("00a2 ff 00").toHex());
    EXPECT_EQ(blockBytes(SerialString()).toHex(), hex("00a4 0006 00000000 0006 00000000").toHex());
    const QByteArray serial = hex("00a4 0006 00000002 41 0d"
                                  "0006 00000002 00a8 02 0001 0203 00000007 ffff 00a8 00 0000 0000 00000000 0000");
    EXPECT_EQ(blockBytes(sampleSerial()).toHex(), serial.toHex());
    MidiMessage note;
    note.byte1 = 0x90, note.byte2 = 0x40, note.data = {1, 2};
    const QByteArray midi = hex("0006 00000002 00a3 90 40 0006 00000002 01 02 00a3 00 00 0006 00000000");
    EXPECT_EQ(blockBytes(std::vector<MidiMessage> {note, MidiMessage()}).toHex(), midi.toHex());
    const std::list<int> written {5, -1};
    EXPECT_EQ(blockBytes(idList(written)).toHex(), hex("0007 00000002 00000005 ffffffff").toHex());

    // Reading replaces vectors; an id list appends.
    SerialString used;
    used.bytes = {9, 9, 9};
    readBinary(serial, kProjectStreamVersion, [&](InStream& in) { in >> used; });
    EXPECT_EQ(used, sampleSerial());
    std::list<int> ids {1};
    readBinary(hex("0007 00000002 00000005 ffffffff"), kProjectStreamVersion, [&](InStream& in) { in >> idList(ids); });
    EXPECT_EQ(ids, (std::list<int> {1, 5, -1}));

    // A count beyond the data fails before anything is allocated.
    const std::pair<QByteArray, std::function<void(InStream&)>> hostile[] = {
        {withHugeCount(serial, 4), readValue<SerialString>},
        {withHugeCount(serial, 12), readValue<SerialString>},
        {withHugeCount(midi, 2), readValue<std::vector<MidiMessage>>},
        {withHugeCount(midi, 12), readValue<std::vector<MidiMessage>>},
        {hex("0007 7fffffff 00000005"),
         [](InStream& in) {
             std::list<int> ids;
             in >> idList(ids);
         }},
    };
    for (const auto& [bytes, read] : hostile)
        EXPECT_THROW(readBinary(bytes, kProjectStreamVersion, read), std::runtime_error) << bytes.toHex().constData();
}

TEST(TriggerValues, WildcardGate)
{
    const std::vector<StreamCheck::Chunk> layout = {
        {0, StreamCheck::kNewest, "03 0001 0002"},
        {87, StreamCheck::kNewest, "00000009"},
        {0, StreamCheck::kNewest, "0004"},
    };
    for (const quint16 v : StreamCheck::gateVersions(layout, kProjectStreamVersion)) {
        TriggerWildcard wildcard;
        wildcard.extra = 5;  // a read replaces it
        EXPECT_EQ(readBytes(wildcard, StreamCheck::bytesAt(v, layout), v), 0);
        // Written again it has the newest form, the word 0 when older data lacked it.
        const char* const newest = v >= 87 ? "03 0001 0002 00000009 0004" : "03 0001 0002 00000000 0004";
        EXPECT_EQ(writtenBytes(wildcard).toHex(), hex(newest).toHex()) << v;
    }
}

TEST(TriggerValues, IoModuleData)
{
    EXPECT_EQ(writtenBytes(IoMTriggerData()).toHex(), hex("ffff ffffffff 0008 00000000").toHex());

    IoMTriggerData data;
    data.typeIndex = 2, data.moduleId = 9;
    IoMVariable variable;
    variable.type = 200, variable.index = 0x8001;
    data.properties = {{QStringLiteral("v"), QVariant::fromValue(variable)}, {QStringLiteral("n"), 5}};
    EXPECT_TRUE(StreamCheck::stableRoundTrip(data, kProjectStreamVersion));
    IoMTriggerData read;
    read.properties[QStringLiteral("old")] = 1;
    EXPECT_EQ(readBytes(read, writtenBytes(data)), 0);
    EXPECT_TRUE(read == data);
    EXPECT_EQ(read.properties.value(QStringLiteral("v")).value<IoMVariable>(), variable);

    QByteArray raw;
    QDataStream stream(&raw, QIODevice::WriteOnly);
    stream << variable;
    EXPECT_EQ(raw.toHex(), hex("c8 8001").toHex());

    // A value of a type no one registered fails the read.
    QByteArray unknown = writtenBytes(data);
    unknown.replace("IoMVariable", "IoMVariablX");
    EXPECT_THROW(readBytes(read, unknown), std::runtime_error);

    // Equal variables built in storage holding different bytes (padding
    // included) compare equal inside QVariants and inside two triggers.
    alignas(IoMVariable) unsigned char storageA[sizeof(IoMVariable)];
    alignas(IoMVariable) unsigned char storageB[sizeof(IoMVariable)];
    std::memset(storageA, 0x00, sizeof storageA);
    std::memset(storageB, 0xA5, sizeof storageB);
    const IoMVariable* a = new (storageA) IoMVariable(variable);
    const IoMVariable* b = new (storageB) IoMVariable(variable);
    EXPECT_EQ(QVariant::fromValue(*a), QVariant::fromValue(*b));
    TriggerData bodyA, bodyB;
    setTriggerType(bodyA, TriggerData::kIoModuleType), setTriggerType(bodyB, TriggerData::kIoModuleType);
    bodyA.ioModuleData->properties[QStringLiteral("v")] = QVariant::fromValue(*a);
    bodyB.ioModuleData->properties[QStringLiteral("v")] = QVariant::fromValue(*b);
    Trigger triggerA, triggerB;
    triggerA.setData(bodyA), triggerB.setData(bodyB);
    EXPECT_EQ(triggerA, triggerB);
}
