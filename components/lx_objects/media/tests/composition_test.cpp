#include "components/lx_objects/media/composition.h"
#include "components/lx_objects/tests/stream_bytes.h"

#include <gtest/gtest.h>

TEST(Composition, StreamFormAndOlderLayouts)
{
    Composition composition;
    composition.setName(QStringLiteral("c")), composition.setSettingA(1), composition.setSettingB(2);
    ContentTarget& sample = composition.targets()[3];
    sample.size = QSize(10, 20), sample.angle = 90, sample.position = QPointF(1.5, -2), sample.flagA = true;
    sample.instances[2] = ContentTargetInstance {QPointF(0, 0.25), 7};
    // Before 150 the angle was in turns.
    const auto layout = StreamCheck::chunks(R"(
        -: 'c' 00000001 00000002;  62-: 0008 00000001 03 00fd 0000000a 00000014 0000005a 3ff8000000000000 c000000000000000
        -150:;  120-: 01 00;  62-: 0008 00000001 02 0101 0000000000000000 3fd0000000000000 07
    )");
    StreamCheck::expectGateReads<Composition>(layout, kProjectStreamVersion, [&](quint16 v) {
        Composition expected = composition;
        ContentTarget& target = expected.targets()[3];
        target.flagA = v >= 120;
        target.angle = v < 150 ? 90 * 360 : 90;
        if (v < 62)
            expected.targets().clear();
        return expected;
    });
    // The targets' count and a target's instance count, damaged.
    expectForms<Composition>(
        {{composition, "00fa" + StreamCheck::hexOf(StreamCheck::bytesAt(kProjectStreamVersion, layout))},
         {Composition(), "00fa ffffffff 00000000 ffffffff 0008 00000000"}},
        {{0, 2, "7fffffff", StreamCheck::kCountTooLarge, "0008 00000001 03"},
         {0, 2, "7fffffff", StreamCheck::kCountTooLarge, "0008 00000001 02"}});

    // A damaged angle from before 150 keeps the low 32 bits of its degrees.
    ContentTarget target;
    target.angle = 0x7FFFFFFF;
    EXPECT_EQ(readBytes(target, writtenBytes(target), 149), 0);
    EXPECT_EQ(target.angle, -360);

    // A key met twice is one entry, read from its last block.
    Composition twice;
    EXPECT_EQ(readBytes(twice,
                        hex("ffffffff 00000000 00000000 0008 00000002 "
                            "04 00fd ffffffff ffffffff 00000000 00*16 0000 0008 00000000 "
                            "04 00fd ffffffff ffffffff 00000005 00*16 0000 0008 00000000")),
              0);
    ASSERT_EQ(twice.targets().size(), 1u);
    EXPECT_EQ(twice.targets().at(4).angle, 5);
}
