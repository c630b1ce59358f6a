#include "components/lx_objects/frame_array.h"
#include "components/lx_objects/tests/stream_bytes.h"

#include <gtest/gtest.h>

#include <memory>

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

QByteArray uuidBytes(const QUuid& uuid) { return uuid.toRfc4122(); }

}  // namespace

TEST(FrameArray, StreamForm)
{
    FrameArray fresh;
    EXPECT_FALSE(fresh.uuid.isNull());
    EXPECT_NE(fresh.uuid, FrameArray().uuid);
    EXPECT_EQ(fresh.index, -1);
    EXPECT_EQ(fresh.getId(), Archive::kNoObjectId);
    EXPECT_EQ(fresh.typeCode(), 167u);

    const FrameArray array = sample();
    const QByteArray expected = QByteArray::fromHex("0022"        // fixed array
                                                    "00000029"    // 41 identities
                                                    "11111111222243338444555555555555")
        + QByteArray::fromHex("a0000000000040008000000000000001")
        + QByteArray(38 * 16, '\0') + QByteArray::fromHex("a0000000000040008000000000000040")
        + QByteArray::fromHex("00000005");
    EXPECT_EQ(writtenBytes(array).toHex(), expected.toHex());

    FrameArray read;
    EXPECT_EQ(readBytes(read, expected), 0);
    EXPECT_EQ(read.uuid, kOwn);
    EXPECT_EQ(read.frames, array.frames);
    EXPECT_EQ(read.index, 5);
    EXPECT_EQ(read.getFrame(0), kFirst);
    EXPECT_EQ(read.getFrame(39), kLast);
    EXPECT_TRUE(read.getFrame(40).isNull());
    EXPECT_TRUE(read.getFrame(-1).isNull());

    FrameArray withId = sample();
    withId.setId(42);
    std::unique_ptr<FrameArray> copy(withId.clone());
    EXPECT_EQ(copy->getId(), Archive::kNoObjectId);
    EXPECT_EQ(withId.getId(), 42u);
    EXPECT_EQ(writtenBytes(*copy), expected);
}

TEST(FrameArray, OlderLayouts)
{
    const QByteArray index = QByteArray::fromHex("00000007");
    const QByteArray word = QByteArray::fromHex("0000abcd");
    const QByteArray oldTable = QByteArray::fromHex("0008"
                                                    "00000001"
                                                    "0000000100000002");

    // From 150: the count may differ from 41; extra identities are dropped,
    // missing frames stay null.
    auto identities = [](const QList<QUuid>& uuids) {
        QByteArray bytes = QByteArray::fromHex("0022") + QByteArray::fromHex("000000")
            + QByteArray(1, char(uuids.size()));
        for (const QUuid& uuid : uuids)
            bytes += uuidBytes(uuid);
        return bytes;
    };
    {
        QList<QUuid> many{kOwn};
        for (int i = 0; i < 42; ++i)
            many.append(i == 0 ? kFirst : QUuid::createUuid());
        FrameArray read = sample();
        EXPECT_EQ(readBytes(read, identities(many) + index, 150), 0);
        EXPECT_EQ(read.getFrame(0), kFirst);
        EXPECT_EQ(read.getFrame(39), many.at(40));
        EXPECT_EQ(read.index, 7);

        FrameArray few = sample();
        EXPECT_EQ(readBytes(few, identities({kOwn, kFirst}) + index, 157), 0);
        EXPECT_EQ(few.getFrame(0), kFirst);
        EXPECT_TRUE(few.getFrame(1).isNull());
        EXPECT_TRUE(few.getFrame(39).isNull());
    }
    // 125 to 149 and 112 to 119: the own identity only, behind a dropped word.
    for (const quint16 version : {quint16(112), quint16(119), quint16(125), quint16(130), quint16(149)}) {
        FrameArray read = sample();
        EXPECT_EQ(readBytes(read, word + uuidBytes(kOwn) + index, version), 0) << version;
        EXPECT_EQ(read.uuid, kOwn) << version;
        EXPECT_TRUE(read.getFrame(0).isNull()) << version;
        EXPECT_EQ(read.index, 7) << version;
    }
    // Older and 120 to 124: a table that is dropped; a fresh identity.
    for (const quint16 version : {quint16(32), quint16(33), quint16(100), quint16(120), quint16(124)}) {
        FrameArray read = sample();
        const QByteArray bytes = (version >= 33 ? word : QByteArray()) + oldTable;
        EXPECT_EQ(readBytes(read, bytes, version), 0) << version;
        EXPECT_FALSE(read.uuid.isNull()) << version;
        EXPECT_NE(read.uuid, kOwn) << version;
        EXPECT_TRUE(read.getFrame(39).isNull()) << version;
        EXPECT_EQ(read.index, -1) << version;
    }
    // A hostile count is refused before anything is allocated.
    FrameArray hostile;
    EXPECT_THROW(readBytes(hostile, QByteArray::fromHex("0022ffffffff") + uuidBytes(kOwn)), std::runtime_error);
}
