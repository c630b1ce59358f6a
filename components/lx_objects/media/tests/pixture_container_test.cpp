#include "components/lx_objects/media/pixture_container.h"
#include "components/lx_objects/tests/stream_bytes.h"

#include <gtest/gtest.h>

using StreamCheck::kNewest;

namespace {

const std::vector<StreamCheck::Chunk> kLayout = {
    {72, kNewest, "00000005 0006 00000001 0100 00000009 fffffffe 00000003 0004 1234 0018 00000003 05"},
    // The old fixed table, then its free numbers, dropped.
    {0, 72, "0022 00000001 0100"},
    {68, 72, "00000009"},
    {0, 72, "fffffffe 00000003 0004 1234 00fe 0018 00000004 0e 00000000 00000001 00000004"},
    {68, kNewest, "00000007"},
};

const Pixture kRecord {9, -2, 3, 4, 0x1234};

}  // namespace

TEST(PixtureContainer, StreamFormAndOlderLayouts)
{
    PixtureContainer container;
    container.word0 = 5, container.pixtures = {kRecord}, container.word1 = 7;
    container.bits = BitVector(3, 0);
    container.bits.setBit(2);
    EXPECT_EQ(writtenBytes(container).toHex(), StreamCheck::bytesAt(kProjectStreamVersion, kLayout).toHex());
    EXPECT_TRUE(StreamCheck::stableRoundTrip(container, kProjectStreamVersion));
    EXPECT_TRUE(everyStrictPrefixFails(container));
    EXPECT_EQ(*std::unique_ptr<PixtureContainer>(static_cast<PixtureContainer*>(container.clone())), container);
    EXPECT_EQ(Pixture().half4, 65535);

    StreamCheck::expectGateReads<PixtureContainer>(kLayout, kProjectStreamVersion, [&](quint16 v) {
        PixtureContainer expected;
        if (v >= 72)
            expected = container;
        else if (v >= 68)
            expected.word1 = 7;
        return expected;
    });

    // The old table goes to the side table under the container's id; records
    // before 68 have no first word.
    pixtureSideTable().clear();
    for (const quint16 version : {70, 67}) {
        ASSERT_EQ(readBinary(StreamCheck::bytesAt(version, kLayout), version,
                             [&](InStream& in) {
                                 in.setContextValue(InStream::ObjectIdContext, version);
                                 PixtureContainer().read(in);
                             }),
                  0);
        Pixture expected = kRecord;
        expected.word0 = version >= 68 ? 9 : 0;
        EXPECT_EQ(pixtureSideTable().find(version), std::vector<Pixture> {expected}) << version;
    }
}

TEST(PixtureContainer, RecordCountsRefused)
{
    const auto read = [](InStream& in) { PixtureContainer().read(in); };
    const QByteArray old = StreamCheck::bytesAt(70, kLayout);
    EXPECT_TRUE(
        StreamCheck::damagedReadFails(old, 2, "0003e801", 70, StreamCheck::countAboveLimit(256001, 256000), read));
    EXPECT_TRUE(StreamCheck::damagedReadFails(
        old, 2, "0003e800", 70, "Error reading from file, count 256000 exceeds the data remaining", read));
    const QByteArray current = StreamCheck::bytesAt(kProjectStreamVersion, kLayout);
    EXPECT_TRUE(StreamCheck::damagedReadFails(current, 6, "10000000", kProjectStreamVersion,
                                              StreamCheck::countAboveLimit(0x10000000, 0x0FFFFFFF), read));
    EXPECT_TRUE(StreamCheck::damagedReadFails(current, 6, "0fffffff", kProjectStreamVersion,
                                              "Error reading from file, count 268435455 exceeds the data remaining",
                                              read));

    // Short streams of other data (27 bytes, the size of a project file's header) fail the way the stream
    // documents, whatever count they seem to hold.
    for (const char* other : {"00000005 0006 ffffffff", "00000005 0006 10000000", "ff", "00"}) {
        QByteArray bytes = hex(other);
        bytes += QByteArray(27 - bytes.size(), bytes.back());
        EXPECT_THROW(readBinary(bytes, kProjectStreamVersion, read), std::runtime_error) << other;
    }
}
