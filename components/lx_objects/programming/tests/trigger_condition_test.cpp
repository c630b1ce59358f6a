#include "components/lx_objects/programming/trigger_condition.h"
#include "components/lx_objects/tests/stream_bytes.h"

#include <gtest/gtest.h>

#include <random>
#include <set>
#include <string>
#include <utility>

namespace {

TriggerConditionData conditionOfType(int type)
{
    TriggerConditionData body;
    setTriggerConditionType(body, type);
    return body;
}

std::string bodyHex(const TriggerConditionData& body) { return writtenBytes(body).toHex().toStdString(); }
std::string hexOf(const char* text) { return hex(text).toHex().toStdString(); }

}  // namespace

TEST(TriggerCondition, NewConditionAndTheDefaultsOfEveryType)
{
    EXPECT_EQ(objectPointerBytes(TriggerCondition()).toHex(), hex("006c ffffffff 00 13").toHex());
    // Each type's body, its type byte first. No timeline, scene or DALI
    // interface: their ids are -1.
    std::set<int> types;
    for (const QByteArray& bytes : StreamCheck::hexRows(R"(
        00 ffffffff;  01 ffffffff;  03 00 01 0000 0000;  04 00 02;  05 ffffffff;  06 00a2 64 01 ff 00
        02 00a1 0100000000000000 0100000000000000 001000 7f ffffff7f ff0f ffffffffffffffffffffffff0f 01
        07 00a2 64 01 00 ff ff;  08 00a2 64 01 ff 00 64;  09 00a2 ff 00 0000 00 ff;  0a 00a2 ff 00
        0b 00a2 68 00 00 00;  0c 00;  0d ffffffff 02;  0e ffffffffffc0ffff ffff 00 01;  0f ffffffff
        10 ffff ffffffff 0008 00000000;  11;  12 0001
    )")) {
        types.insert(bytes[0]);
        EXPECT_EQ(writtenBytes(conditionOfType(bytes[0])).toHex(), bytes.toHex());
    }
    EXPECT_TRUE(types.size() == 19 && *types.rbegin() == 18);
}

TEST(TriggerCondition, TypeChangesAndSelectors)
{
    const auto key = [](quint8 type, quint8 index) { return RDKey {type, index}; };
    TriggerConditionData b;
    auto& p = b.parameters;
    for (const auto& [type, from, to] :
         {std::tuple(7, key(105, 4), key(100, 1)), std::tuple(7, key(101, 4), key(101, 4)),
          std::tuple(9, key(101, 4), key(101, 0)), std::tuple(11, key(101, 3), key(104, 0)),
          std::tuple(11, key(107, 3), key(107, 3)), std::tuple(6, key(102, 4), key(102, 4)),
          std::tuple(8, key(103, 2), key(100, 1)), std::tuple(10, key(103, 2), key(103, 2))}) {
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
    const auto layout = StreamCheck::chunks(R"(
        -: 00000005;  -100: 0e;  -: 01;  100-: 0e;  136-140: deadbeef;  -120: 12345678;  120-: 0000001212345678
        -: 0001 02 01
    )");
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
                                              StreamCheck::countExceeds(3), readOneObject));
}
