#include "components/archive/resource_registry.h"

#include "components/archive/archive_file.h"
#include "seltrane_components/os/progress_tracker.h"

#include "stream_test_types.h"

#include <QBuffer>
#include <QDir>
#include <QFileInfo>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <sys/stat.h>

namespace {

using StreamTest::writeFile;

const int kMiB = 1024 * 1024;

class ResourceRegistryTest : public ::testing::Test
{
protected:
    void SetUp() override { registry()->clear(); }
    void TearDown() override { registry()->clear(); }
    static ResourceRegistry* registry() { return ResourceRegistry::instance(); }

    QString file(const QString& name, const QByteArray& data)
    {
        const QString path = m_dir.filePath(name);
        writeFile(path, data);
        return path;
    }

    QStringList packed(const QString& folder, unsigned mask, const std::set<QUuid>& always,
                       const std::set<QUuid>& placeholders, ProgressTracker* tracker = nullptr,
                       bool expectOk = true)
    {
        QBuffer buffer;
        buffer.open(QIODevice::WriteOnly);
        ArchiveFile archive;
        EXPECT_TRUE(archive.open(ArchiveFile::WriteMode, &buffer, ArchiveFile::TarKind));
        EXPECT_EQ(registry()->addToArchive(archive, folder, mask, always, placeholders, tracker), expectOk);
        EXPECT_TRUE(archive.close());
        QStringList names;
        EXPECT_TRUE(ArchiveFile::openFile(file("packed.tar", buffer.data()), names));
        return names;
    }

    QTemporaryDir m_dir;
};

}  // namespace

TEST_F(ResourceRegistryTest, IdentifiesFilesByWholeContent)
{
    QByteArray big(kMiB + 10, 'x');
    const QUuid a = registry()->addFile(file("a.bin", big));
    EXPECT_EQ(registry()->addFile(file("copy of a.dat", big)), a);

    // Same size and same first MiB, different after it: two media files.
    QByteArray other = big;
    other[kMiB + 5] = 'y';
    EXPECT_NE(registry()->addFile(file("b.bin", other)), a);
    EXPECT_NE(registry()->addFile(file("longer.bin", big + "z")), a);

    const QUuid missing = registry()->addFile(m_dir.filePath("gone1"));
    EXPECT_EQ(registry()->addFile(m_dir.filePath("gone2")), missing);
    EXPECT_EQ(registry()->count(), 4);
}

TEST_F(ResourceRegistryTest, CountsUsePerCategory)
{
    const QUuid id = registry()->addFile(file("f.png", "png"));
    registry()->updateUsage(id, 4, true);
    registry()->updateUsage(id, 4, false);
    registry()->updateUsage(id, 4, false); // never below zero
    EXPECT_EQ(registry()->usageCount(id, 2), 0u);
    EXPECT_EQ(registry()->categoryMask(id), 0u);

    // Only the lowest bit counts, the whole value goes into the mask.
    registry()->updateUsage(id, 8 | 2, true);
    EXPECT_EQ(registry()->usageCount(id, 1), 1u);
    EXPECT_EQ(registry()->categoryMask(id), 10u);

    const quint32 mask = registry()->categoryMask(id);
    registry()->updateUsage(id, 0, true);
    registry()->updateUsage(QUuid(), 4, true);
    registry()->updateUsage(QUuid::createUuid(), 4, true);
    EXPECT_EQ(registry()->categoryMask(id), mask);
}

TEST_F(ResourceRegistryTest, CopiesUsedFilesOnceAndClearsUnkeptCopies)
{
    const QUuid archiveId = registry()->addFile(file("pack.tar.gz", "tgz"));
    const QUuid plainId = registry()->addFile(file("noext", "plain"));
    const QUuid unused = registry()->addFile(file("unused.txt", "unused"));
    registry()->updateUsage(archiveId, 4, true);
    registry()->updateUsage(plainId, 2, true);

    const QString folder = m_dir.filePath("project/resources");
    registry()->copyResourcesTo(folder, 4 | 2);
    const QString archiveCopy = folder + "/" + archiveId.toString() + ".tar.gz";
    const QString plainCopy = folder + "/" + plainId.toString();
    EXPECT_EQ(registry()->copiedPath(plainId), plainCopy);
    EXPECT_TRUE(registry()->copiedPath(unused).isEmpty());
    EXPECT_EQ(QDir(folder).count(), 4u);  // with . and ..

    QFile::remove(archiveCopy);
    registry()->copyResourcesTo(folder, 4 | 2);
    EXPECT_FALSE(QFileInfo::exists(archiveCopy));  // not copied again

    // Saved with category 4 only: the plain copy is no longer kept.
    writeFile(archiveCopy, "tgz");
    registry()->copyResourcesTo(folder, 4);
    registry()->clear();
    EXPECT_TRUE(QFileInfo::exists(archiveCopy));
    EXPECT_FALSE(QFileInfo::exists(plainCopy));
    EXPECT_EQ(registry()->count(), 0);
}

TEST_F(ResourceRegistryTest, AddsSelectedFilesToArchive)
{
    const QUuid used = registry()->addFile(file("used.ttf", "font"));
    const QUuid always = registry()->addFile(file("always.png", "image"));
    const QUuid placeholder = registry()->addFile(file("big.mp4", "video"));
    const QUuid otherCategory = registry()->addFile(file("other.lua", "script"));
    registry()->updateUsage(used, 8, true);
    registry()->updateUsage(placeholder, 4, true);
    registry()->updateUsage(otherCategory, 2, true);

    // Placeholders go in at once, files after them.
    EXPECT_EQ(packed("res", 8 | 4, {always}, {placeholder}),
              QStringList({"res/" + placeholder.toString() + ".mp4", "res/" + used.toString() + ".ttf",
                           "res/" + always.toString() + ".png"}));

    // A file gone before the save is left out; one that cannot be packed
    // fails the save.
    QFile::remove(m_dir.filePath("used.ttf"));
    EXPECT_EQ(packed("res/", 8, {}, {}), QStringList());
    QFile::remove(m_dir.filePath("always.png"));
    ASSERT_EQ(::mkfifo(QFile::encodeName(m_dir.filePath("always.png")).constData(), 0644), 0);
    EXPECT_EQ(packed("res/", 8, {always}, {}, nullptr, false), QStringList());
}

TEST_F(ResourceRegistryTest, CancelStopsAfterFirstFile)
{
    for (const char* name : {"1.a", "2.a", "3.a"})
        registry()->updateUsage(registry()->addFile(file(name, name)), 4, true);
    ProgressTracker tracker([](quint32, quint32, void*) {});
    tracker.cancelFlag()->store(true);
    EXPECT_EQ(packed("r", 4, {}, {}, &tracker, false).size(), 1);
    EXPECT_EQ(tracker.depth(), 0);
}
