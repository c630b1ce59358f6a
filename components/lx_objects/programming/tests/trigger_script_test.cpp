#include "components/lx_objects/programming/trigger_script.h"
#include "components/lx_objects/tests/stream_bytes.h"

#include <gtest/gtest.h>

TEST(TriggerScript, StreamFormAndOlderLayout)
{
    TriggerScript script;
    script.setName(QStringLiteral("a\r\nb\nc\rd"));
    EXPECT_EQ(script.name(), QStringLiteral("a b c d"));
    script.setName(QStringLiteral("a\r\nb"));
    EXPECT_EQ(script.name(), QStringLiteral("a b"));
    script.number = 3, script.source = QStringLiteral("x");
    const std::vector<StreamCheck::Chunk> layout = {
        {0, StreamCheck::kNewest, "00000006 00610020 0062 00000003 00000002 0078"},
        {0, 70, "00000002 abcd"},  // dropped
    };
    EXPECT_EQ(writtenBytes(script).toHex(), StreamCheck::bytesAt(kProjectStreamVersion, layout).toHex());
    StreamCheck::expectGateReads<TriggerScript>(layout, kProjectStreamVersion, [&](quint16) { return script; });
    EXPECT_TRUE(StreamCheck::stableRoundTrip(script, kProjectStreamVersion));
    EXPECT_TRUE(everyStrictPrefixFails(script));
}
