#include "components/archive/tests/corruption.h"
#include "components/project/tarvel_base_project.h"
#include "components/project/tests/project_test_support.h"

#include <gtest/gtest.h>

#include <QBuffer>
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
    return (QByteArray::fromHex(magicAndVersion) + kUuid.toRfc4122() + QByteArray::fromHex("07000000ff")).left(length);
}

QByteArray writtenHeader()
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
    EXPECT_TRUE(project.writeHeader(&buffer));
    return bytes;
}

}  // namespace

TEST(ProjectHeader, WritesGoldenBytesAndReadsThemBack)
{
    const QByteArray bytes = writtenHeader();
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
    EXPECT_EQ(readFrom(project, headerBytes("546172760001", 23), &error), 23);
    EXPECT_EQ(project.header().flag, 7);
    EXPECT_EQ(project.header().value, 99);
    EXPECT_TRUE(error.isEmpty());

    // Data that ends inside the header; nothing is taken over from it.
    for (const auto& cut : {std::make_pair("546172760002", 0), std::make_pair("546172760002", 5),
                            std::make_pair("546172760002", 10), std::make_pair("546172760002", 26),
                            std::make_pair("546172760001", 22)}) {
        EXPECT_EQ(readFrom(project, headerBytes(cut.first, cut.second), &error), -2) << cut.second;
    }
    EXPECT_TRUE(error.isEmpty());
    EXPECT_EQ(project.header().flag, 7);

    for (const auto& bad : {std::make_pair("546172760003", "File format is too new"),
                            std::make_pair("546172770002", "Unrecognised file format"),
                            std::make_pair("54617276ffff", "Unrecognised file format")}) {
        error.clear();
        EXPECT_EQ(readFrom(project, headerBytes(bad.first, 27), &error), -1) << bad.first;
        EXPECT_EQ(error, QString::fromLatin1(bad.second));
    }
    QBuffer unopened;
    error.clear();
    EXPECT_EQ(project.readHeader(&unopened, &error), -2);
    EXPECT_EQ(project.readHeader(nullptr, &error), -1);
    EXPECT_EQ(error, QStringLiteral("Error parsing file header"));
}

// Damaged headers give one of the documented results (the length read, -2
// for data ending inside the header, -1 with a message) and never throw.
TEST(ProjectHeader, DamagedHeadersGiveADocumentedResult)
{
    const QByteArray original = writtenHeader() + QByteArray("\x1f\x8b\x08\x00", 4);  // gzip follows
    int whole = 0;
    Corruption::forEachDamage(original, 50, 2000, 1, [&](const Corruption::Damaged& d) {
        QByteArray bytes = d.bytes;
        QBuffer buffer(&bytes);
        buffer.open(QIODevice::ReadOnly);
        TarvelBaseProject reader(false, 6);
        QString error;
        int result = 0;
        EXPECT_NO_THROW(result = reader.readHeader(&buffer, &error)) << d.what;
        if (result == 22 || result == 23 || result == 27) {
            ++whole;
            EXPECT_TRUE(error.isEmpty()) << d.what;
            EXPECT_EQ(buffer.pos(), result) << d.what;
        } else {
            EXPECT_TRUE(result == -2 || (result == -1 && !error.isEmpty())) << d.what << " gave " << result;
        }
    });
    EXPECT_GT(whole, 0);
}

TEST(ProjectHeader, FoldersOfTheProject)
{
    const QString projects = QStandardPaths::writableLocation(QStandardPaths::DataLocation) + "/projects/";
    {
        TarvelBaseProject project(false, 6);
        EXPECT_EQ(project.projectsFolder(), projects);
        ASSERT_TRUE(project.create(kUuid, QString())) << project.lastError().toStdString();
        EXPECT_EQ(project.folderPath(), projects + kUuid.toString());
    }
    EXPECT_FALSE(QFileInfo::exists(projects + kUuid.toString()));

    // Upgrading renames the palette array to the scene array.
    QTemporaryDir folder;
    ASSERT_TRUE(QDir().mkpath(folder.filePath("archive.tarv")));
    TarvelBaseProject project(false, 6);
    EXPECT_TRUE(project.upgradeFolder(folder.path()));  // nothing to upgrade
    writeFile(folder.filePath("archive.tarv/palette.tarv"));
    EXPECT_TRUE(project.upgradeFolder(folder.path()));
    EXPECT_FALSE(QFileInfo::exists(folder.filePath("archive.tarv/palette.tarv")));
    EXPECT_TRUE(QFileInfo::exists(folder.filePath("archive.tarv/scene.tarv")));
}
