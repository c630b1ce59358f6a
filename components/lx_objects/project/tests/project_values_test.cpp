#include "components/lx_objects/project/object_types.h"
#include "components/lx_objects/project/project_creator_info.h"
#include "components/lx_objects/project/resource_keys.h"
#include "components/lx_objects/tests/stream_bytes.h"

#include <gtest/gtest.h>

#include <QDataStream>
#include <QTemporaryDir>

TEST(ProjectValues, ResourceKeysAndCreatorRecord)
{
    // The older form has a uint32 in front of the map, through either
    // encoding; reading replaces what was there.
    ResourceKeys keys;
    keys.keys = {{1, QStringLiteral("a")}, {7, QString()}};
    const QByteArray older = hex("0000002a") + writtenBytes(keys);
    ResourceKeys read;
    read.keys = {{9, QStringLiteral("old")}};
    EXPECT_EQ(readBytes(read, older), 0);
    EXPECT_EQ(read, keys);
    QTemporaryDir folder;
    const QString path = folder.filePath(QStringLiteral("keys.tarvt"));
    {
        TextOutStream out(kProjectStreamVersion);
        out.open(path);
        out << quint32(42), keys.write(out);
        out.close();
    }
    TextInStream in;
    in.open(path, kProjectStreamVersion);
    ResourceKeys text;
    text.read(in);
    EXPECT_EQ(text, keys);
    EXPECT_TRUE(StreamCheck::damagedReadFails(older, 6, "7fffffff", kProjectStreamVersion,
                                              "Error reading from file, count 2147483647 exceeds the data remaining",
                                              [](InStream& in) { ResourceKeys().read(in); }));

    ProjectCreatorInfo info;
    info.programVersion = Version(2, 5, 3, 0x82);
    EXPECT_EQ(info.toByteArray().toHex(), hex("00000001 00000004 02050382 ffffffff").toHex());
    info.text = QStringLiteral("x");
    QByteArray bytes;
    QDataStream stream(&bytes, QIODevice::WriteOnly);
    stream << info;
    EXPECT_EQ(bytes.toHex(), QByteArray("000000010000000402050382000000020078"));
}
