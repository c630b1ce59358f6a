#include "components/lx_objects/controllers/kinet_power_supply.h"
#include "components/lx_objects/tests/stream_bytes.h"

#include <gtest/gtest.h>

using StreamCheck::kNewest;

TEST(KinetPowerSupply, StreamFormOlderLayoutAndTheSideTable)
{
    KinetPowerSupply supply;
    supply.typeName = QStringLiteral("T"), supply.portCount = 16, supply.protocolVersion = 2;
    supply.chromasic = true, supply.ipAddress = 0x0A000001, supply.supplyNumber = 3;
    supply.name = QStringLiteral("n"), supply.comment = QStringLiteral("c");
    const std::vector<StreamCheck::Chunk> layout = {
        {100, kNewest, "00000002 0054 00000010 02 01"},
        {0, 100, "00000042"},  // an old type number, parked
        {0, kNewest, "0a000001 00000003 00000002 006e 00000002 0063"},
    };
    EXPECT_EQ(writtenBytes(supply).toHex(), StreamCheck::bytesAt(kProjectStreamVersion, layout).toHex());
    kinetPowerSupplySideTable().clear();
    StreamCheck::expectGateReads<KinetPowerSupply>(
        layout, kProjectStreamVersion,
        [&](quint16 v) {
            KinetPowerSupply expected = supply;
            if (v < 100)
                expected.typeName.clear(), expected.portCount = 0, expected.protocolVersion = 0,
                                           expected.chromasic = false;
            return expected;
        },
        [](KinetPowerSupply& read, InStream& in) {
            in.setContextValue(InStream::ObjectIdContext, 8);
            read.read(in);
        });
    EXPECT_EQ(kinetPowerSupplySideTable().find(8), 0x42u);
    EXPECT_TRUE(StreamCheck::stableRoundTrip(supply, kProjectStreamVersion));
    EXPECT_TRUE(everyStrictPrefixFails(supply));
}
