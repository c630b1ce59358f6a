#include "components/lx_objects/media/frame_array.h"
#include "components/lx_objects/tests/stream_bytes.h"

#include <gtest/gtest.h>

TEST(FrameArray, StreamFormAndOlderLayouts)
{
    const QUuid own(QStringLiteral("{11111111-2222-4333-8444-555555555555}"));
    FrameArray array;
    array.uuid = own, array.frames[0] = QUuid(QStringLiteral("{a0000000-0000-4000-8000-000000000001}"));
    array.index = 5;
    // From 150 the whole table; 125 to 149 and 112 to 119 the own identity
    // only; older and 120 to 124 a table that is dropped.
    const auto layout = StreamCheck::chunks(R"(
        33-150: 0000abcd
        150-: 0022 00000029 11111111222243338444555555555555 a0000000000040008000000000000001 00*624 00000005
        112-120: 11111111222243338444555555555555 00000007;  125-150: 11111111222243338444555555555555 00000007
        -112: 0008 00000001 00000001 00000002;  120-125: 0008 00000001 00000001 00000002
    )");
    expectForms<FrameArray>({{array, "00a7" + StreamCheck::hexOf(StreamCheck::bytesAt(kProjectStreamVersion, layout))}},
                            {{0, 2, "7fffffff", StreamCheck::kCountTooLarge, "0022"}});
    // Where the data has no identity a fresh one is made: read as `fresh`.
    const QUuid fresh(QStringLiteral("{f0000000-0000-4000-8000-000000000000}"));
    StreamCheck::expectGateReads<FrameArray>(
        layout, kProjectStreamVersion,
        [&](quint16 v) {
            FrameArray expected = array;
            if (v < 150)
                expected.frames = {}, expected.index = 7;
            if (v < 112 || (v >= 120 && v < 125))
                expected.uuid = fresh, expected.index = -1;
            return expected;
        },
        [&](FrameArray& read, InStream& in) {
            read.read(in);
            if (!read.uuid.isNull() && read.uuid != own)
                read.uuid = fresh;
        });
    EXPECT_TRUE(array.getFrame(0) == array.frames[0] && array.getFrame(40).isNull() && array.getFrame(-1).isNull());

    // From 150 the count may differ from 41: extras dropped, missing frames null.
    QByteArray longer = hex("002200000030") + own.toRfc4122();
    for (int i = 0; i < 47; ++i)
        longer += QUuid::createUuid().toRfc4122();
    FrameArray read;
    EXPECT_EQ(readBytes(read, longer + hex("00000007"), 150), 0);
    EXPECT_EQ(read.getFrame(39), QUuid::fromRfc4122(longer.mid(6 + 40 * 16, 16)));
    FrameArray shorter = array;
    shorter.index = 7;
    EXPECT_EQ(readBytes(read,
                        hex("0022 00000002 11111111222243338444555555555555 a0000000000040008000000000000001 00000007"),
                        157),
              0);
    EXPECT_EQ(read, shorter);
}
