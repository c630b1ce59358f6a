#include "components/project/tarvel_base_project.h"
#include "components/project/tests/project_test_support.h"
#include "tests/support/corruption.h"

#include <gtest/gtest.h>

#include <QBuffer>
#include <QTemporaryDir>

#include <tuple>

namespace {

const QUuid kUuid(QStringLiteral("{00112233-4455-6677-8899-aabbccddeeff}"));

int readFrom(TarvelBaseProject& project, QByteArray bytes, QString* error)
{
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::ReadOnly);
    return project.readHeader(&buffer, error);
}

}  // namespace

TEST(ProjectHeader, GoldenBytesAndReadResults)
{
    TarvelBaseProject project(false, 6);
    project.setHeader(ProjectFileHeader {kUuid, 5, 258});
    QByteArray written;
    QBuffer buffer(&written);
    buffer.open(QIODevice::WriteOnly);
    EXPECT_TRUE(project.writeHeader(&buffer));
    EXPECT_EQ(written.toHex(), hex("546172760002 00112233445566778899aabbccddeeff 0500000102").toHex());

    // Older versions stop early and leave the later fields as they were;
    // data ending inside the header takes nothing over (-2); bad headers
    // give -1 and a message.
    const std::tuple<const char*, int, int, int, const char*> cases[] = {
        {"546172760000", 22, 22, 5, ""},
        {"546172760001", 23, 23, 7, ""},
        {"546172760002", 0, -2, 7, ""},
        {"546172760002", 26, -2, 7, ""},
        {"546172760001", 22, -2, 7, ""},
        {"546172760003", 27, -1, 7, "File format is too new"},
        {"546172770002", 27, -1, 7, "Unrecognised file format"},
        {"54617276ffff", 27, -1, 7, "Unrecognised file format"},
    };
    TarvelBaseProject reader(false, 6);
    QString error;
    EXPECT_EQ(readFrom(reader, written, &error), 27);
    for (const auto& [magicAndVersion, length, result, flag, message] : cases) {
        error.clear();
        const QByteArray bytes = hex(magicAndVersion) + kUuid.toRfc4122() + hex("07000000ff");
        EXPECT_EQ(readFrom(reader, bytes.left(length), &error), result) << magicAndVersion << " " << length;
        EXPECT_EQ(reader.header().flag, flag) << magicAndVersion << " " << length;
        EXPECT_EQ(error, QString::fromLatin1(message));
    }
    EXPECT_TRUE(reader.projectUuid() == kUuid && reader.header().value == 258);
    EXPECT_EQ(reader.readHeader(nullptr, &error), -1);
    EXPECT_EQ(error, QStringLiteral("Error parsing file header"));

    // Damaged headers give one of those results and never throw.
    Corruption::forEachDamage(written + hex("1f8b0800"), 50, 1000, 1, [&](const Corruption::Damaged& d) {
        TarvelBaseProject fresh(false, 6);
        QString message;
        int result = 0;
        EXPECT_NO_THROW(result = readFrom(fresh, d.bytes, &message)) << d.what;
        const bool whole = result == 22 || result == 23 || result == 27;
        EXPECT_TRUE(whole || result == -2 || (result == -1 && !message.isEmpty())) << d.what << " gave " << result;
    });
}

TEST(ProjectHeader, UpgradeRenamesThePaletteArray)
{
    QTemporaryDir folder;
    TarvelBaseProject project(false, 6);
    writeFile(folder.filePath("archive.tarv/palette.tarv"));
    EXPECT_TRUE(project.upgradeFolder(folder.path()));
    EXPECT_EQ(QDir(folder.filePath("archive.tarv")).entryList(QDir::Files), QStringList {"scene.tarv"});
}
