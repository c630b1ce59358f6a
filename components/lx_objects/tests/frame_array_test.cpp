#include "components/lx_objects/frame_array.h"
#include "components/lx_objects/tests/stream_bytes.h"

#include <gtest/gtest.h>

namespace {

const QUuid kOwn(QStringLiteral("{11111111-2222-4333-8444-555555555555}"));
const QUuid kFirst(QStringLiteral("{a0000000-0000-4000-8000-000000000001}"));
const QUuid kLast(QStringLiteral("{a0000000-0000-4000-8000-000000000040}"));

FrameArray sample()
{
    FrameArray array;
    array.uuid = kOwn;
    array.frames[0] = kFirst;
    array.frames[39] = kLast;
    array.index = 5;
    return array;
}

}  // namespace

TEST(FrameArray, StreamForm)
{
    EXPECT_FALSE(FrameArray().uuid.isNull());
    EXPECT_NE(FrameArray().uuid, FrameArray().uuid);

    const QByteArray expected = hex("0022"      // fixed array
                                    "00000029"  // 41 identities
                                    "11111111222243338444555555555555"
                                    "a0000000000040008000000000000001")
        + QByteArray(38 * 16, '\0') + hex("a0000000000040008000000000000040"
                                          "00000005");
    EXPECT_EQ(writtenBytes(sample()).toHex(), expected.toHex());

    FrameArray read;
    EXPECT_EQ(readBytes(read, expected), 0);
    EXPECT_EQ(read.uuid, kOwn);
    EXPECT_EQ(read.frames, sample().frames);
    EXPECT_EQ(read.index, 5);
    EXPECT_EQ(read.getFrame(39), kLast);
    EXPECT_TRUE(read.getFrame(40).isNull());
    EXPECT_TRUE(read.getFrame(-1).isNull());
}

TEST(FrameArray, OlderLayouts)
{
    const QByteArray index = hex("00000007");
    const QByteArray word = hex("0000abcd");

    // From 150: the count may differ from 41; extra identities are dropped,
    // missing frames stay null.
    auto identities = [](const QList<QUuid>& uuids) {
        QByteArray bytes = hex("0022000000") + QByteArray(1, char(uuids.size()));
        for (const QUuid& uuid : uuids)
            bytes += uuid.toRfc4122();
        return bytes;
    };
    QList<QUuid> many{kOwn, kFirst};
    for (int i = 1; i < 42; ++i)
        many.append(QUuid::createUuid());
    FrameArray longer = sample();
    EXPECT_EQ(readBytes(longer, identities(many) + index, 150), 0);
    EXPECT_EQ(longer.getFrame(0), kFirst);
    EXPECT_EQ(longer.getFrame(39), many.at(40));
    EXPECT_EQ(longer.index, 7);
    FrameArray few = sample();
    EXPECT_EQ(readBytes(few, identities({kOwn, kFirst}) + index, 157), 0);
    EXPECT_EQ(few.getFrame(0), kFirst);
    EXPECT_TRUE(few.getFrame(1).isNull());
    EXPECT_TRUE(few.getFrame(39).isNull());

    // 125 to 149 and 112 to 119: the own identity only, behind a dropped word.
    for (const quint16 version : {112, 119, 125, 130, 149}) {
        SCOPED_TRACE(version);
        FrameArray read = sample();
        EXPECT_EQ(readBytes(read, word + kOwn.toRfc4122() + index, version), 0);
        EXPECT_EQ(read.uuid, kOwn);
        EXPECT_TRUE(read.getFrame(0).isNull());
        EXPECT_EQ(read.index, 7);
    }
    // Older and 120 to 124: a table that is dropped; a fresh identity.
    for (const quint16 version : {32, 33, 100, 120, 124}) {
        SCOPED_TRACE(version);
        FrameArray read = sample();
        const QByteArray bytes = (version >= 33 ? word : QByteArray()) + hex("0008000000010000000100000002");
        EXPECT_EQ(readBytes(read, bytes, version), 0);
        EXPECT_FALSE(read.uuid.isNull());
        EXPECT_NE(read.uuid, kOwn);
        EXPECT_TRUE(read.getFrame(39).isNull());
        EXPECT_EQ(read.index, -1);
    }
    // A hostile count is refused before anything is allocated.
    FrameArray hostile;
    EXPECT_THROW(readBytes(hostile, hex("0022ffffffff") + kOwn.toRfc4122()), std::runtime_error);
}
