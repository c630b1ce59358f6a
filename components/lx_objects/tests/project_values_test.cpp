#include "components/lx_objects/object_types.h"
#include "components/lx_objects/project_creator_info.h"
#include "components/lx_objects/resource_keys.h"
#include "components/lx_objects/tests/stream_bytes.h"

#include <gtest/gtest.h>

#include <QDataStream>
#include <QTemporaryDir>

TEST(ProjectValues, ResourceKeysInBothFormsAndTheOlderLayout)
{
    registerObjectTypes();
    ResourceKeys keys;
    keys.keys = {{1, QStringLiteral("a")}, {7, QString()}};
    const QByteArray map = hex("0008"
                               "00000002"
                               "0000000100000002"
                               "0061"
                               "00000007ffffffff");
    EXPECT_EQ(writtenBytes(keys), map);
    // Reading replaces what was there; the older form has one uint32 in
    // front of the map.
    for (const QByteArray& bytes : {map, hex("0000002a") + map}) {
        ResourceKeys read;
        read.keys = {{9, QStringLiteral("old")}};
        EXPECT_EQ(readBytes(read, bytes), 0);
        EXPECT_EQ(read.keys, keys.keys);
    }

    QTemporaryDir folder;
    keys.keys = {{3, QStringLiteral("x <y>")}};
    for (const bool older : {false, true}) {
        SCOPED_TRACE(older);
        const QString path = folder.filePath(QStringLiteral("keys%1.tarvt").arg(older));
        writeTextFile(path, [&](OutStream& out) {
            if (older)
                out << quint32(42);
            keys.write(out);
        });
        TextInStream in;
        in.open(path, kProjectStreamVersion);
        ResourceKeys read;
        read.read(in);
        EXPECT_EQ(read.keys, keys.keys);
    }
}

TEST(ProjectValues, CreatorRecordBytes)
{
    ProjectCreatorInfo info;
    info.programVersion = Version(2, 5, 3, 0x82);
    EXPECT_EQ(info.toByteArray().toHex(), QByteArray("00000001"
                                                     "00000004"
                                                     "02050382"
                                                     "ffffffff"));
    info.text = QStringLiteral("x");
    QByteArray bytes;
    QDataStream stream(&bytes, QIODevice::WriteOnly);
    stream << info;
    EXPECT_EQ(bytes.toHex(), QByteArray("000000010000000402050382000000020078"));
}

TEST(ProjectValues, DatabaseSettings)
{
    const Archive::DatabaseSettings settings = makeDatabaseSettings(0x7FFFFFFF, 1000);
    EXPECT_EQ(settings.name, QStringLiteral("Tarvel"));
    EXPECT_FALSE(settings.singleFile);
    EXPECT_TRUE(settings.binary);
    EXPECT_EQ(settings.binarySuffix, QStringLiteral("tarv"));
    EXPECT_EQ(settings.textSuffix, QStringLiteral("tarvt"));
    EXPECT_EQ(settings.headerName, QStringLiteral(".tarvel_project"));
    EXPECT_EQ(settings.version, 157);
    EXPECT_EQ(settings.idleDelay, 0x7FFFFFFF);
    EXPECT_EQ(settings.maxDelay, 1000);
}
