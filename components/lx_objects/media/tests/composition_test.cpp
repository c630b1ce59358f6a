#include "components/lx_objects/media/composition.h"
#include "components/lx_objects/tests/stream_bytes.h"

#include <gtest/gtest.h>

using StreamCheck::Chunk;
using StreamCheck::kNewest;

namespace {

Composition sample()
{
    Composition c;
    c.setName(QStringLiteral("c")), c.setSettingA(1), c.setSettingB(2);
    ContentTarget& target = c.targets()[3];
    target.size = QSize(10, 20), target.angle = 90, target.position = QPointF(1.5, -2);
    target.flagA = true;
    target.instances[2] = ContentTargetInstance {QPointF(0, 0.25), 7};
    return c;
}

}  // namespace

TEST(Composition, StreamFormAndOlderLayouts)
{
    const Composition composition = sample();
    const std::vector<Chunk> layout = {
        {0, kNewest, "00000002 0063 00000001 00000002"},
        {62, kNewest,
         "0008 00000001 03 00fd"
         "0000000a 00000014 0000005a 3ff8000000000000 c000000000000000"},
        {120, kNewest, "01 00"},
        {62, kNewest, "0008 00000001 02 0101 0000000000000000 3fd0000000000000 07"},
    };
    EXPECT_EQ(writtenBytes(composition).toHex(), StreamCheck::bytesAt(kProjectStreamVersion, layout).toHex());
    std::vector<quint16> versions = StreamCheck::gateVersions(layout, kProjectStreamVersion);
    versions.insert(versions.end(), {149, 150});
    for (const quint16 version : versions) {
        Composition read;
        read.targets()[9] = ContentTarget();
        ASSERT_EQ(readBytes(read, StreamCheck::bytesAt(version, layout), version), 0);
        Composition expected = composition;
        ContentTarget& target = expected.targets()[3];
        target.flagA = version >= 120;
        target.angle = version < 150 ? 90 * 360 : 90;  // turns before 150
        if (version < 62)
            expected.targets().clear();
        EXPECT_EQ(writtenBytes(read).toHex(), writtenBytes(expected).toHex()) << version;
    }
    EXPECT_TRUE(StreamCheck::stableRoundTrip(composition, kProjectStreamVersion));
    EXPECT_TRUE(everyStrictPrefixFails(composition));
    EXPECT_EQ(writtenBytes(Composition()).toHex(), hex("ffffffff 00000000 ffffffff 0008 00000000").toHex());

    // A damaged angle from before 150 keeps the low 32 bits of its degrees.
    ContentTarget target;
    target.angle = 0x7FFFFFFF;
    EXPECT_EQ(readBytes(target, writtenBytes(target), 149), 0);
    EXPECT_EQ(target.angle, -360);

    // A key met twice is one entry, read from its last block; counts beyond
    // the data are refused.
    Composition twice;
    const QByteArray head = hex("ffffffff 00000000 00000000 0008 00000002");
    const QByteArray block =
        hex("00fd ffffffff ffffffff 00000000 0000000000000000 0000000000000000 0000 0008 00000000");
    QByteArray second = block;
    second[13] = 5;  // angle 5
    EXPECT_EQ(readBytes(twice, head + hex("04") + block + hex("04") + second), 0);
    ASSERT_EQ(twice.targets().size(), 1u);
    EXPECT_EQ(twice.targets().at(4).angle, 5);
    EXPECT_THROW(readBytes(twice, hex("ffffffff 00000000 00000000 0008 7fffffff 04")), std::runtime_error);
}
