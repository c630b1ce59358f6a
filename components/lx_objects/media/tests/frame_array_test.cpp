#include "components/lx_objects/media/frame_array.h"
#include "components/lx_objects/tests/stream_bytes.h"

#include <gtest/gtest.h>

TEST(FrameArray, StreamFormAndOlderLayouts)
{
    const QUuid own(QStringLiteral("{11111111-2222-4333-8444-555555555555}"));
    const QUuid first(QStringLiteral("{a0000000-0000-4000-8000-000000000001}"));
    FrameArray array;
    array.uuid = own;
    array.frames[0] = first;
    array.index = 5;
    const QByteArray expected =
        hex("0022 00000029") + own.toRfc4122() + first.toRfc4122() + QByteArray(39 * 16, '\0') + hex("00000005");
    EXPECT_EQ(writtenBytes(array).toHex(), expected.toHex());
    FrameArray read;
    EXPECT_EQ(readBytes(read, expected), 0);
    EXPECT_EQ(writtenBytes(read), expected);
    EXPECT_TRUE(read.getFrame(40).isNull() && read.getFrame(-1).isNull());

    // From 150 the count may differ from 41: extras dropped, missing frames null.
    const QByteArray index = hex("00000007");
    QByteArray longer = hex("002200000030") + own.toRfc4122();
    for (int i = 0; i < 47; ++i)
        longer += QUuid::createUuid().toRfc4122();
    EXPECT_EQ(readBytes(read, longer + index, 150), 0);
    EXPECT_EQ(read.getFrame(39), QUuid::fromRfc4122(longer.mid(6 + 40 * 16, 16)));
    EXPECT_EQ(readBytes(read, hex("002200000002") + own.toRfc4122() + first.toRfc4122() + index, 157), 0);
    EXPECT_TRUE(read.getFrame(0) == first && read.getFrame(39).isNull() && read.index == 7);

    // 125 to 149 and 112 to 119: the own identity only, behind a dropped
    // word; older and 120 to 124: a table that is dropped, a fresh identity.
    for (const quint16 version : {32, 33, 112, 119, 120, 124, 125, 149}) {
        SCOPED_TRACE(version);
        const bool ownOnly = (version >= 112 && version < 120) || version >= 125;
        const QByteArray word = version >= 33 ? hex("0000abcd") : QByteArray();
        FrameArray older = array;
        const QByteArray rest = ownOnly ? own.toRfc4122() + index : hex("0008000000010000000100000002");
        EXPECT_EQ(readBytes(older, word + rest, version), 0);
        EXPECT_EQ(older.uuid == own, ownOnly);
        EXPECT_FALSE(older.uuid.isNull());
        EXPECT_TRUE(older.getFrame(0).isNull());
        EXPECT_EQ(older.index, ownOnly ? 7 : -1);
    }
    EXPECT_THROW(readBytes(read, hex("0022ffffffff") + own.toRfc4122()), std::runtime_error);  // hostile count
}
