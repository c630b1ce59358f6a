#include "components/lx_objects/interface/interface_font.h"
#include "components/lx_objects/tests/stream_bytes.h"

#include <gtest/gtest.h>

using StreamCheck::kNewest;

TEST(InterfaceFont, StreamFormAndTheVariantFrom120)
{
    InterfaceFont font;
    font.name = QStringLiteral("F"), font.number = 5, font.variant = 7;
    font.resource = QUuid("{00112233-4455-6677-8899-aabbccddeeff}"), font.fileName = QStringLiteral("f");
    const std::vector<StreamCheck::Chunk> layout = {{0, kNewest, "00000002 0046 00000005"},
                                                    {120, kNewest, "07"},
                                                    {0, kNewest, "00112233445566778899aabbccddeeff 00000002 0066"}};
    EXPECT_EQ(writtenBytes(font).toHex(), StreamCheck::bytesAt(kProjectStreamVersion, layout).toHex());
    StreamCheck::expectGateReads<InterfaceFont>(layout, kProjectStreamVersion, [&](quint16 v) {
        InterfaceFont expected = font;
        expected.variant = v >= 120 ? 7 : 0;
        return expected;
    });
    EXPECT_TRUE(StreamCheck::stableRoundTrip(font, kProjectStreamVersion));
}
