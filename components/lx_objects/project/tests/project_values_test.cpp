#include "components/lx_objects/project/object_types.h"
#include "components/lx_objects/project/project_creator_info.h"
#include "components/lx_objects/project/resource_keys.h"
#include "components/lx_objects/tests/stream_bytes.h"

#include <gtest/gtest.h>

#include <QDataStream>
#include <QTemporaryDir>

TEST(ProjectValues, ResourceKeysAndCreatorRecord)
{
    ResourceKeys keys;
    keys.keys = {{1, QStringLiteral("a")}, {7, QString()}};
    const QByteArray map = hex("0008 00000002 0000000100000002 0061 00000007ffffffff");
    EXPECT_EQ(writtenBytes(keys), map);
    // Reading replaces what was there; the older form has a uint32 in front.
    for (const QByteArray& bytes : {map, hex("0000002a") + map}) {
        ResourceKeys read;
        read.keys = {{9, QStringLiteral("old")}};
        EXPECT_EQ(readBytes(read, bytes), 0);
        EXPECT_EQ(read.keys, keys.keys);
    }
    // The older form through the text stream too.
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
    ResourceKeys read;
    read.read(in);
    EXPECT_EQ(read.keys, keys.keys);

    ProjectCreatorInfo info;
    info.programVersion = Version(2, 5, 3, 0x82);
    EXPECT_EQ(info.toByteArray().toHex(), hex("00000001 00000004 02050382 ffffffff").toHex());
    info.text = QStringLiteral("x");
    QByteArray bytes;
    QDataStream stream(&bytes, QIODevice::WriteOnly);
    stream << info;
    EXPECT_EQ(bytes.toHex(), QByteArray("000000010000000402050382000000020078"));
}
