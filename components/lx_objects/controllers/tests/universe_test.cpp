#include "components/lx_objects/controllers/universe.h"
#include "components/lx_objects/tests/stream_bytes.h"

#include <gtest/gtest.h>

using StreamCheck::kNewest;

static const UniverseKey kSacn4 {UniverseKey::Sacn, 4, 0};

TEST(Universe, StreamForms)
{
    const std::tuple<UniverseKey, const char*> keys[] = {
        {{UniverseKey::Kinet, 0xAAAAAAAA, 0x1BBBB}, "00be 00000008 aaaaaaaa bbbb"},
        {{UniverseKey::DsxDmx, 0xAAAAAAAA, 9}, "00be 00000040 aaaaaaaa"},
        {{UniverseKey::Dmx, 0x1AAAA, 9}, "00be 00000001 aaaa"},
    };
    for (const auto& [key, bytes] : keys)
        EXPECT_EQ(blockBytes(key).toHex(), hex(bytes).toHex());

    Universe sacn(7, kSacn4);
    EXPECT_EQ(writtenBytes(sacn).toHex(),
              (hex("00000007 00be 00000010 0004 64 0022 00000200") + QByteArray(512, char(0xFF)) + hex("0009 00000000"))
                  .toHex());
    Universe artNet(7, UniverseKey {UniverseKey::ArtNet, 2, 0});
    artNet.artNetFlag = true;
    artNet.patchRecords = {GzePatchRecord {5, 256, 3, 1}};
    EXPECT_EQ(writtenBytes(artNet).toHex(),
              hex("00000007 00be 00000004 0002 01 0009 00000001 00fc 00000005 00000100 0003 0001").toHex());
    for (const Universe& universe : {sacn, artNet}) {
        EXPECT_TRUE(StreamCheck::stableRoundTrip(universe, kProjectStreamVersion));
        EXPECT_EQ(*std::unique_ptr<Universe>(static_cast<Universe*>(universe.clone())), universe);
        EXPECT_TRUE(everyStrictPrefixFails(universe));
    }

    // Only an sACN universe takes a priority.
    Universe before = artNet;
    artNet.setSacnPriority(7);
    EXPECT_EQ(artNet, before);
    sacn.setSacnPriority(7);
    EXPECT_EQ(sacn.sacnPriority(), 7);

    // Keys that store alike are one universe; the controller comes first.
    const UniverseKeyLess less;
    const auto same = [&](const UniverseKey& x, const UniverseKey& y) {
        return !less({1, x}, {1, y}) && !less({1, y}, {1, x});
    };
    EXPECT_TRUE(same({UniverseKey::Dmx, 0x10005, 0}, {UniverseKey::Dmx, 5, 7}));
    EXPECT_FALSE(same({UniverseKey::Kinet, 5, 1}, {UniverseKey::Kinet, 5, 2}));
    EXPECT_FALSE(same({UniverseKey::DsxDmx, 0x10005, 0}, {UniverseKey::DsxDmx, 5, 0}));
    EXPECT_TRUE(less({1, {UniverseKey::DsxDmx, 9, 0}}, {2, {UniverseKey::Dmx, 1, 0}}));

    // The kind and both counts each select what follows.
    const auto read = [](InStream& in) { Universe().read(in); };
    const QByteArray dmx = writtenBytes(Universe(7, UniverseKey {UniverseKey::Dmx, 2, 0}));
    EXPECT_TRUE(StreamCheck::damagedReadFails(dmx, 6, "00000010", kProjectStreamVersion,
                                              "Tag mismatch when trying to read opening tag array", read));
    for (const auto& [bytes, at] : {std::pair(dmx, 14), std::pair(writtenBytes(sacn), 15)})
        EXPECT_TRUE(StreamCheck::damagedReadFails(
            bytes, at, "7fffffff", kProjectStreamVersion,
            "Error reading from file, count 2147483647 exceeds the data remaining", read));
}

TEST(Universe, VersionGatesAndChannelCounts)
{
    const std::vector<StreamCheck::Chunk> layout = {
        {0, kNewest, "00000007 00be 00000010 0004 2a"},
        {25, kNewest, "0022 00000002 0102"},
        {0, 28, ""},  // older channel bytes are all 255
        {62, kNewest,
         "0009 00000003 00fc 00000005 00000100 0003 0001 00fc 00000005 00000100 0003 0009 "
         "00fc 00000000 00000001 0000 0002"},
        {0, 72, ""},  // targets counted from 1
    };
    StreamCheck::expectGateReads<Universe>(layout, kProjectStreamVersion, [](quint16 v) {
        Universe universe(7, kSacn4);
        universe.setSacnPriority(0x2A);
        if (v >= 28)
            universe.channelBytes[0] = 1, universe.channelBytes[1] = 2;
        const quint32 shift = v < 72 ? 1 : 0;
        if (v >= 62)
            universe.patchRecords = {{5 - shift, 256, 3, 1}, {0 - shift, 1, 0, 2}};
        return universe;
    });

    // Whatever count the channel bytes carry, 512 are kept and the rest read.
    for (const auto& [count, stored] : {std::pair(600, "00000258"), std::pair(100, "00000064")}) {
        Universe universe, expected(7, kSacn4);
        QByteArray bytes = hex("00000007 00be 00000010 0004 64 0022") + hex(stored);
        for (int i = 0; i < count; ++i)
            bytes += char(i % 251);
        for (int i = 0; i < std::min(count, 512); ++i)
            expected.channelBytes[std::size_t(i)] = quint8(i % 251);
        ASSERT_EQ(readBytes(universe, bytes + hex("0009 00000000")), 0) << count;
        EXPECT_EQ(universe, expected) << count;
    }
}
