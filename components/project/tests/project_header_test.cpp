#include "components/project/tarvel_base_project.h"

#include <gtest/gtest.h>

#include <QBuffer>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QStandardPaths>
#include <QTemporaryDir>

namespace {

const QUuid kUuid(QStringLiteral("{00112233-4455-6677-8899-aabbccddeeff}"));

int readFrom(TarvelBaseProject& project, QByteArray bytes, QString* error)
{
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::ReadOnly);
    return project.readHeader(&buffer, error);
}

QByteArray headerBytes(const char* magicAndVersion, int length)
{
    QByteArray bytes = QByteArray::fromHex(magicAndVersion) + kUuid.toRfc4122() + QByteArray::fromHex("07000000ff");
    return bytes.left(length);
}

}  // namespace

TEST(ProjectHeader, WritesGoldenBytesAndReadsThemBack)
{
    TarvelBaseProject project(false, 6);
    ProjectFileHeader header;
    header.projectId = kUuid;
    header.flag = 5;
    header.value = 258;
    project.setHeader(header);

    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    ASSERT_TRUE(project.writeHeader(&buffer));
    EXPECT_EQ(bytes.toHex(), QByteArray("546172760002"
                                        "00112233445566778899aabbccddeeff"
                                        "0500000102"));
    ASSERT_EQ(bytes.size(), ProjectFileHeader::kSize);

    TarvelBaseProject reader(false, 6);
    QString error;
    EXPECT_EQ(readFrom(reader, bytes, &error), 27);
    EXPECT_TRUE(error.isEmpty());
    EXPECT_EQ(reader.projectUuid(), kUuid);
    EXPECT_EQ(reader.header().flag, 5);
    EXPECT_EQ(reader.header().value, 258);
}

TEST(ProjectHeader, ReadResults)
{
    TarvelBaseProject project(false, 6);
    ProjectFileHeader before;
    before.flag = 9;
    before.value = 99;
    project.setHeader(before);
    QString error;

    // Older versions stop early and leave the later fields as they were.
    EXPECT_EQ(readFrom(project, headerBytes("546172760000", 22), &error), 22);
    EXPECT_EQ(project.projectUuid(), kUuid);
    EXPECT_EQ(project.header().flag, 9);
    EXPECT_EQ(project.header().value, 99);
    EXPECT_EQ(readFrom(project, headerBytes("546172760001", 23), &error), 23);
    EXPECT_EQ(project.header().flag, 7);
    EXPECT_EQ(project.header().value, 99);
    EXPECT_TRUE(error.isEmpty());

    // Data that ends inside the header.
    EXPECT_EQ(readFrom(project, QByteArray(), &error), -2);
    EXPECT_EQ(readFrom(project, headerBytes("546172760002", 10), &error), -2);
    EXPECT_EQ(readFrom(project, headerBytes("546172760002", 5), &error), -2);
    EXPECT_EQ(readFrom(project, headerBytes("546172760002", 26), &error), -2);
    EXPECT_EQ(readFrom(project, headerBytes("546172760001", 22), &error), -2);
    EXPECT_TRUE(error.isEmpty());
    EXPECT_EQ(project.header().flag, 7);  // nothing taken over from a cut header

    EXPECT_EQ(readFrom(project, headerBytes("546172760003", 27), &error), -1);
    EXPECT_EQ(error, QStringLiteral("File format is too new"));
    error.clear();
    EXPECT_EQ(readFrom(project, headerBytes("546172770002", 27), &error), -1);
    EXPECT_EQ(error, QStringLiteral("Unrecognised file format"));
    error.clear();
    EXPECT_EQ(readFrom(project, headerBytes("54617276ffff", 27), &error), -1);
    EXPECT_EQ(error, QStringLiteral("Unrecognised file format"));

    QBuffer unopened;
    error.clear();
    EXPECT_EQ(project.readHeader(&unopened, &error), -2);
    EXPECT_EQ(project.readHeader(nullptr, &error), -1);
    EXPECT_EQ(error, QStringLiteral("Error parsing file header"));
}

TEST(ProjectHeader, FoldersOfTheProject)
{
    const QString data = QStandardPaths::writableLocation(QStandardPaths::DataLocation);
    ASSERT_FALSE(data.isEmpty());
    {
        TarvelBaseProject project(false, 6);
        EXPECT_EQ(project.projectsFolder(), data + QStringLiteral("/projects/"));
        ASSERT_TRUE(project.create(kUuid, QString())) << project.lastError().toStdString();
        EXPECT_EQ(project.projectUuid(), kUuid);
        EXPECT_EQ(project.folderPath(), data + QStringLiteral("/projects/") + kUuid.toString());
    }
    EXPECT_FALSE(QFileInfo::exists(data + QStringLiteral("/projects/") + kUuid.toString()));

    QTemporaryDir folder;
    ASSERT_TRUE(QDir().mkpath(folder.path() + QStringLiteral("/archive.tarv")));
    TarvelBaseProject project(false, 6);
    EXPECT_TRUE(project.upgradeFolder(folder.path()));  // nothing to upgrade
    QFile palette(folder.path() + QStringLiteral("/archive.tarv/palette.tarv"));
    ASSERT_TRUE(palette.open(QIODevice::WriteOnly));
    palette.close();
    EXPECT_TRUE(project.upgradeFolder(folder.path()));
    EXPECT_FALSE(QFileInfo::exists(palette.fileName()));
    EXPECT_TRUE(QFileInfo::exists(folder.path() + QStringLiteral("/archive.tarv/scene.tarv")));
}
