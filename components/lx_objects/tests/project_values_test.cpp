#include "components/archive/text_stream.h"
#include "components/lx_objects/object_types.h"
#include "components/lx_objects/project_creator_info.h"
#include "components/lx_objects/project_database.h"
#include "components/lx_objects/resource_keys.h"
#include "components/lx_objects/tests/stream_bytes.h"

#include <gtest/gtest.h>

#include <QDataStream>
#include <QTemporaryDir>

TEST(ProjectValues, ResourceKeysReadsWhatItWritesAndTheOlderForm)
{
    ResourceKeys keys;
    keys.keys = {{1, QStringLiteral("a")}, {7, QString()}};
    const QByteArray map = QByteArray::fromHex("0008"
                                               "00000002"
                                               "00000001"
                                               "00000002"
                                               "0061"
                                               "00000007"
                                               "ffffffff");
    EXPECT_EQ(writtenBytes(keys), map);

    ResourceKeys read;
    read.keys = {{9, QStringLiteral("old")}};
    EXPECT_EQ(readBytes(read, map), 0);
    EXPECT_EQ(read.keys, keys.keys);

    // The form with one uint32 in front of the map.
    ResourceKeys older;
    EXPECT_EQ(readBytes(older, QByteArray::fromHex("0000002a") + map), 0);
    EXPECT_EQ(older.keys, keys.keys);

    std::unique_ptr<ResourceKeys> copy(keys.clone());
    EXPECT_EQ(copy->keys, keys.keys);
    EXPECT_EQ(copy->typeCode(), 211u);
}

TEST(ProjectValues, ResourceKeysInTheTextForm)
{
    registerObjectTypes();
    QTemporaryDir folder;
    ResourceKeys keys;
    keys.keys = {{3, QStringLiteral("x <y>")}};
    for (const bool older : {false, true}) {
        const QString path = folder.path() + (older ? QStringLiteral("/older.tarvt") : QStringLiteral("/keys.tarvt"));
        {
            TextOutStream out(kProjectStreamVersion);
            out.open(path);
            if (older)
                out << quint32(42);
            keys.write(out);
            out.close();
        }
        TextInStream in;
        in.open(path, kProjectStreamVersion);
        ResourceKeys read;
        read.read(in);
        EXPECT_EQ(read.keys, keys.keys) << older;
    }
}

TEST(ProjectValues, CreatorRecordBytes)
{
    ProjectCreatorInfo info;
    info.programVersion = Version(2, 5, 3, 0x82);
    EXPECT_TRUE(info.text.isNull());
    EXPECT_EQ(info.toByteArray().toHex(), QByteArray("00000001"
                                                     "00000004"
                                                     "02050382"
                                                     "ffffffff"));
    info.text = QStringLiteral("x");
    QByteArray bytes;
    QDataStream stream(&bytes, QIODevice::WriteOnly);
    stream << info;
    EXPECT_EQ(bytes.toHex(), QByteArray("00000001000000040205038200000002"
                                        "0078"));
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
