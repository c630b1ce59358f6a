#include "components/lx_objects/media/composition.h"
#include "components/lx_objects/tests/stream_bytes.h"

#include <gtest/gtest.h>

using StreamCheck::Chunk;
using StreamCheck::kNewest;

TEST(Composition, StreamFormAndOlderLayouts)
{
    Composition composition;
    composition.setName(QStringLiteral("c")), composition.setSettingA(1), composition.setSettingB(2);
    ContentTarget& sample = composition.targets()[3];
    sample.size = QSize(10, 20), sample.angle = 90, sample.position = QPointF(1.5, -2), sample.flagA = true;
    sample.instances[2] = ContentTargetInstance {QPointF(0, 0.25), 7};
    const std::vector<Chunk> layout = {
        {0, kNewest, "00000002 0063 00000001 00000002"},
        {62, kNewest, "0008 00000001 03 00fd 0000000a 00000014 0000005a 3ff8000000000000 c000000000000000"},
        {0, 150, ""},  // the angle in turns
        {120, kNewest, "01 00"},
        {62, kNewest, "0008 00000001 02 0101 0000000000000000 3fd0000000000000 07"},
    };
    const QByteArray bytes = StreamCheck::bytesAt(kProjectStreamVersion, layout);
    EXPECT_EQ(writtenBytes(composition).toHex(), bytes.toHex());
    StreamCheck::expectGateReads<Composition>(layout, kProjectStreamVersion, [&](quint16 v) {
        Composition expected = composition;
        ContentTarget& target = expected.targets()[3];
        target.flagA = v >= 120;
        target.angle = v < 150 ? 90 * 360 : 90;
        if (v < 62)
            expected.targets().clear();
        return expected;
    });
    EXPECT_TRUE(StreamCheck::stableRoundTrip(composition, kProjectStreamVersion));
    EXPECT_TRUE(everyStrictPrefixFails(composition));
    EXPECT_EQ(writtenBytes(Composition()).toHex(), hex("ffffffff 00000000 ffffffff 0008 00000000").toHex());
    // The targets' count and a target's instance count, damaged.
    for (const char* count : {"0008 00000001 03", "0008 00000001 02"})
        EXPECT_TRUE(
            StreamCheck::damagedReadFails(bytes, bytes.indexOf(hex(count)) + 2, "7fffffff", kProjectStreamVersion,
                                          "Error reading from file, count 2147483647 exceeds the data remaining",
                                          [](InStream& in) { Composition().read(in); }))
            << count;

    // A damaged angle from before 150 keeps the low 32 bits of its degrees.
    ContentTarget target;
    target.angle = 0x7FFFFFFF;
    EXPECT_EQ(readBytes(target, writtenBytes(target), 149), 0);
    EXPECT_EQ(target.angle, -360);

    // A key met twice is one entry, read from its last block.
    Composition twice;
    const QByteArray head = hex("ffffffff 00000000 00000000 0008 00000002");
    const QByteArray block =
        hex("00fd ffffffff ffffffff 00000000 0000000000000000 0000000000000000 0000 0008 00000000");
    QByteArray second = block;
    second[13] = 5;  // angle 5
    EXPECT_EQ(readBytes(twice, head + hex("04") + block + hex("04") + second), 0);
    ASSERT_EQ(twice.targets().size(), 1u);
    EXPECT_EQ(twice.targets().at(4).angle, 5);
}
