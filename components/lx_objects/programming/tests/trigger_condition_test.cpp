#include "components/lx_objects/programming/trigger_condition.h"
#include "components/lx_objects/tests/stream_bytes.h"

#include <gtest/gtest.h>

#include <random>
#include <string>
#include <utility>

using StreamCheck::Chunk;
using StreamCheck::kNewest;

namespace {

TriggerConditionData conditionOfType(int type)
{
    TriggerConditionData body;
    setTriggerConditionType(body, type);
    return body;
}

std::string bodyHex(const TriggerConditionData& body) { return writtenBytes(body).toHex().toStdString(); }
std::string hexOf(const char* text) { return hex(text).toHex().toStdString(); }
Chunk chunk(quint16 from, quint16 until, const char* bytes) { return Chunk {from, until, bytes}; }

}  // namespace

TEST(TriggerCondition, NewConditionAndTheDefaultsOfEveryType)
{
    EXPECT_EQ(objectPointerBytes(TriggerCondition()).toHex(), hex("006c ffffffff 00 13").toHex());
    // No timeline, scene or DALI interface: their ids are -1.
    const std::vector<std::pair<int, const char*>> rows = {
        {0, "00 ffffffff"},
        {1, "01 ffffffff"},
        {2, "02 00a1 0100000000000000 0100000000000000 001000 7f ffffff7f ff0f ffffffffffffffffffffffff0f 01"},
        {3, "03 00 01 0000 0000"},
        {4, "04 00 02"},
        {5, "05 ffffffff"},
        {6, "06 00a2 64 01 ff 00"},
        {7, "07 00a2 64 01 00 ff ff"},
        {8, "08 00a2 64 01 ff 00 64"},
        {9, "09 00a2 ff 00 0000 00 ff"},
        {10, "0a 00a2 ff 00"},
        {11, "0b 00a2 68 00 00 00"},
        {12, "0c 00"},
        {13, "0d ffffffff 02"},
        {14, "0e ffffffffffc0ffff ffff 00 01"},
        {15, "0f ffffffff"},
        {16, "10 ffff ffffffff 0008 00000000"},
        {17, "11"},
        {18, "12 0001"}};
    ASSERT_EQ(rows.size(), 19u);
    for (const auto& [type, bytes] : rows)
        EXPECT_EQ(bodyHex(conditionOfType(type)), hexOf(bytes)) << type;
}

TEST(TriggerCondition, TypeChangesAndSelectors)
{
    const auto key = [](quint8 type, quint8 index) { return RDKey {type, index}; };
    TriggerConditionData b;
    auto& p = b.parameters;
    for (const auto& [type, from, to] :
         {std::tuple(7, key(105, 4), key(100, 1)), std::tuple(7, key(101, 4), key(101, 4)),
          std::tuple(9, key(101, 4), key(101, 0)), std::tuple(11, key(101, 3), key(104, 0)),
          std::tuple(11, key(107, 3), key(107, 3))}) {
        b = TriggerConditionData(), b.remoteDevice = from, setTriggerConditionType(b, type);
        EXPECT_EQ(b.remoteDevice, to) << type;
    }

    // Types 0 and 1 keep their object id between them.
    b = conditionOfType(1), p.set<quint32>(0, 5), setTriggerConditionType(b, 0);
    EXPECT_EQ(p.get<quint32>(0), 5u);
    b = conditionOfType(5), p.set<quint32>(0, 5), setTriggerConditionType(b, 0);
    EXPECT_EQ(p.get<quint32>(0), 0xFFFFFFFFu);
    b = conditionOfType(16), setTriggerConditionType(b, 17);
    EXPECT_FALSE(b.ioModuleData);

    // Event 2 has two bytes, the others a signed word.
    b = conditionOfType(3), p.set<quint32>(0, 0x102), p.set<quint32>(4, 2), p.set<quint64>(8, 0x78563412);
    EXPECT_EQ(bodyHex(b), hexOf("03 02 02 12 34 56 78"));
    p.set<quint32>(0, 0), p.set<quint32>(4, 0x200);
    EXPECT_EQ(bodyHex(b), hexOf("03 00 00 3412 7856"));
}

TEST(TriggerCondition, Gates)
{
    // Older data has the type before the flag, some versions a word after
    // it, and a 32-bit DALI address before 120.
    const std::vector<Chunk> layout = {chunk(0, kNewest, "00000005"),
                                       chunk(0, 100, "0e"),
                                       chunk(0, kNewest, "01"),
                                       chunk(100, kNewest, "0e"),
                                       chunk(136, 140, "deadbeef"),
                                       chunk(0, 120, "12345678"),
                                       chunk(120, kNewest, "0000001212345678"),
                                       chunk(0, kNewest, "0001 02 01")};
    StreamCheck::expectGateReads<TriggerCondition>(layout, kProjectStreamVersion, [](quint16) {
        TriggerConditionData body;
        body.setType(14);
        body.parameters.set<quint64>(0, 0x0000001212345678), body.parameters.set<quint16>(8, 1);
        body.parameters.set<quint8>(10, 2), body.parameters.set<quint8>(11, 1);
        TriggerCondition condition;
        condition.setOwnerId(5), condition.setFlag(true), condition.setData(body);
        return condition;
    });
}

TEST(TriggerCondition, EveryTypeRoundTripsAndDamageFails)
{
    std::mt19937 random(108);
    for (int type = 0; type <= 20; ++type) {
        const int stored = type == 20 ? 200 : type;  // a type byte no version knows is kept
        SCOPED_TRACE(stored);
        TriggerConditionData body = conditionOfType(stored);
        for (quint8& byte : body.parameters.bytes)
            byte = quint8(random());
        body.remoteDevice.index = 3, body.mask.setDate(2031, 2, 0);
        if (body.ioModuleData)
            body.ioModuleData->properties[QStringLiteral("v")] = 5;
        TriggerCondition condition;
        condition.setOwnerId(-9), condition.setFlag(true), condition.setData(body);
        EXPECT_TRUE(StreamCheck::stableRoundTrip(condition, kProjectStreamVersion));
        EXPECT_TRUE(everyStrictPrefixFails(condition));
    }

    // The type byte and the count of the IO-module properties.
    const auto bytesOf = [](int type) {
        TriggerCondition condition;
        condition.setData(conditionOfType(type));
        return objectPointerBytes(condition);
    };
    EXPECT_TRUE(StreamCheck::damagedReadFails(bytesOf(17), 7, "0e", kProjectStreamVersion, "Error reading from file",
                                              readOneObject));
    EXPECT_TRUE(StreamCheck::damagedReadFails(bytesOf(16), 16, "00000003", kProjectStreamVersion,
                                              "Error reading from file, count 3 exceeds the data remaining",
                                              readOneObject));
}
