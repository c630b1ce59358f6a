#include "components/project/tarvel_base_project.h"
#include "components/project/tests/project_test_support.h"
#include "tests/support/corruption.h"

#include <gtest/gtest.h>

#include <QBuffer>
#include <QTemporaryDir>

namespace {

const QUuid kUuid(QStringLiteral("{00112233-4455-6677-8899-aabbccddeeff}"));

int readFrom(TarvelBaseProject& project, QByteArray bytes, QString* error)
{
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::ReadOnly);
    return project.readHeader(&buffer, error);
}

}  // namespace

TEST(ProjectHeader, GoldenBytesVersionGatesAndBounds)
{
    TarvelBaseProject project(false, 6);
    project.setHeader(ProjectFileHeader {kUuid, 5, 258});
    QByteArray written;
    QBuffer buffer(&written);
    buffer.open(QIODevice::WriteOnly);
    EXPECT_TRUE(project.writeHeader(&buffer));
    RefusingDevice refusing;
    EXPECT_FALSE(project.writeHeader(&refusing));
    EXPECT_EQ(written.toHex(), hex("546172760002 00112233445566778899aabbccddeeff 0500000102").toHex());

    // Each version holds the fields up to its own; the later ones keep what
    // the reader held. A header cut anywhere takes nothing over (-2).
    const std::vector<StreamCheck::Chunk> layout = {{0, StreamCheck::kNewest, "54617276"},
                                                    {0, 1, "0000"},
                                                    {1, 2, "0001"},
                                                    {2, StreamCheck::kNewest, "0002"},
                                                    {0, StreamCheck::kNewest, "00112233445566778899aabbccddeeff"},
                                                    {1, StreamCheck::kNewest, "05"},
                                                    {2, StreamCheck::kNewest, "00000102"}};
    const ProjectFileHeader held {QUuid(), 7, 9};
    for (const quint16 version : StreamCheck::gateVersions(layout, ProjectFileHeader::kVersion)) {
        const QByteArray bytes = StreamCheck::bytesAt(version, layout);
        TarvelBaseProject reader(false, 6);
        reader.setHeader(held);
        QString error;
        for (int cut = 0; cut < bytes.size(); ++cut)
            EXPECT_EQ(readFrom(reader, bytes.left(cut), &error), -2) << version << " cut at " << cut;
        EXPECT_EQ(reader.header(), held);
        EXPECT_EQ(readFrom(reader, bytes, &error), bytes.size()) << version;
        EXPECT_EQ(reader.header(), (ProjectFileHeader {kUuid, qint8(version >= 1 ? 5 : 7), version >= 2 ? 258 : 9}))
            << version;
        EXPECT_TRUE(error.isEmpty()) << error.toStdString();
    }

    // The version at and beyond both of its bounds, the magic one off.
    const std::pair<const char*, const char*> refused[] = {{"546172760003", "File format is too new"},
                                                           {"54617276ffff", "Unrecognised file format"},
                                                           {"546172770002", "Unrecognised file format"},
                                                           {"546172750002", "Unrecognised file format"}};
    for (const auto& [start, message] : refused) {
        TarvelBaseProject reader(false, 6);
        QString error;
        EXPECT_EQ(readFrom(reader, hex(start) + written.mid(6), &error), -1) << start;
        EXPECT_EQ(error, QString::fromLatin1(message));
        EXPECT_EQ(reader.header(), ProjectFileHeader());
    }
    QString error;
    EXPECT_EQ(project.readHeader(nullptr, &error), -1);
    EXPECT_EQ(error, QStringLiteral("Error parsing file header"));

    // Damaged headers give one of those results and never throw.
    Corruption::forEachDamage(written + hex("1f8b0800"), 50, 300, 1, [&](const Corruption::Damaged& d) {
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
