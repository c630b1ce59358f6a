#include "components/project/project_working_folder.h"
#include "components/project/tests/project_test_support.h"
#include "seltrane_components/os/atomic_file.h"
#include "tests/support/file_size_limit.h"

#include <gtest/gtest.h>

#include <QLockFile>
#include <QMap>
#include <QSysInfo>
#include <QTemporaryDir>

namespace {

// A working folder below a temporary parent, with the modification times of
// abandoned folders given by the test.
class TestFolder : public ProjectWorkingFolder
{
public:
    TestFolder(const QString& parent, bool keepFolder) : ProjectWorkingFolder(keepFolder, 6), m_parent(parent) {}
    QUuid projectUuid() const override { return m_uuid; }
    QString projectsFolder() const override { return m_parent; }
    QDateTime lastModified(const QString& folder) const override { return times.value(QFileInfo(folder).fileName()); }
    bool createFor(const QUuid& uuid) { return m_uuid = uuid, create(uuid, QString()); }

    QMap<QString, QDateTime> times;

private:
    QString m_parent;
    QUuid m_uuid;
};

const QUuid kFolderUuid(QStringLiteral("{0f1e2d3c-4b5a-6978-8796-a5b4c3d2e1f0}"));

bool lockable(const QString& folder)
{
    QLockFile lock(folder + QStringLiteral("/.lock"));
    lock.setStaleLockTime(0);
    return lock.tryLock(0);
}

}  // namespace

TEST(WorkingFolder, CreateLocksMovesRemovesAndFails)
{
    const QString named = QStringLiteral("{0f1e2d3c-4b5a-6978-8796-a5b4c3d2e1f0}-3649eeb40fb53a8628d32da723df5651");
    EXPECT_EQ(ProjectWorkingFolder::folderNameFor(QString(), kFolderUuid), kFolderUuid.toString());
    EXPECT_EQ(ProjectWorkingFolder::folderNameFor(QStringLiteral("C:/Shows/Lobby show.kv2"), kFolderUuid), named);
    EXPECT_EQ(ProjectWorkingFolder::folderNameFor(QStringLiteral("C:\\Shows\\Lobby show.kv2"), kFolderUuid), named);

    QTemporaryDir parent;
    const QString expected = parent.path() + QStringLiteral("/") + kFolderUuid.toString();
    for (const bool keep : {false, true}) {
        TestFolder folder(parent.path(), keep);
        ASSERT_TRUE(folder.createFor(kFolderUuid)) << folder.lastError().toStdString();
        EXPECT_EQ(folder.folderPath(), expected);
        EXPECT_FALSE(lockable(expected));
    }
    EXPECT_TRUE(lockable(expected));  // a kept folder survives with its lock released
    // A new file path moves the folder, but only at the end.
    const QString newPath = QStringLiteral("/shows/renamed.kv2");
    {
        TestFolder folder(parent.path(), false);
        ASSERT_TRUE(folder.createFor(kFolderUuid));
        folder.setFilePath(newPath);
        EXPECT_EQ(folder.folderPath(), expected);
    }
    EXPECT_FALSE(QFileInfo::exists(expected));
    const QString moved =
        parent.path() + QStringLiteral("/") + ProjectWorkingFolder::folderNameFor(newPath, kFolderUuid);
    EXPECT_TRUE(lockable(moved));
    QDir(moved).removeRecursively();

    const QString blocker = parent.path() + QStringLiteral("/file");
    writeFile(blocker);
    TestFolder underFile(blocker, false);
    EXPECT_FALSE(underFile.createFor(kFolderUuid));
    EXPECT_EQ(underFile.lastError().toStdString(),
              QStringLiteral("The working folder %1/%2 could not be created (Not a directory)")
                  .arg(blocker, kFolderUuid.toString())
                  .toStdString());

    // A disk with no room (a file-size limit of 0): the lock cannot be
    // written, the folder says why, and what was made for it goes.
    {
        TestFolder folder(parent.path(), false);
        bool created = false;
        {
            const FileSizeLimit full(0);
            created = folder.createFor(kFolderUuid);
        }
        EXPECT_FALSE(created);
        EXPECT_EQ(
            folder.lastError().toStdString(),
            QStringLiteral("The working folder %1 could not be locked (File too large)").arg(expected).toStdString());
        EXPECT_FALSE(QFileInfo::exists(expected));
        // A one-off failure of the system is told in its words, with no code.
        AtomicFile::setFaultInjector(
            [](AtomicFile::Call call, const QString&) { return call == AtomicFile::Call::Lock ? EIO : 0; });
        created = folder.createFor(kFolderUuid);
        AtomicFile::setFaultInjector({});
        EXPECT_FALSE(created);
        EXPECT_EQ(folder.lastError().toStdString(),
                  QStringLiteral("The working folder %1 could not be locked (Input/output error)")
                      .arg(expected)
                      .toStdString());
        EXPECT_FALSE(QFileInfo::exists(expected));
    }

    // Held by a live process (this one): create gives up after a bounded
    // wait without removing it; once free, the folder is reused.
    const QString content = expected + QStringLiteral("/content");
    writeFile(content);
    {
        QLockFile holder(expected + QStringLiteral("/.lock"));
        ASSERT_TRUE(holder.tryLock(0));
        TestFolder folder(parent.path(), false);
        EXPECT_FALSE(folder.createFor(kFolderUuid));
        EXPECT_EQ(
            folder.lastError().toStdString(),
            QStringLiteral("The working folder %1 is in use by another running program").arg(expected).toStdString());
        EXPECT_TRUE(QFileInfo::exists(content));
    }
    TestFolder folder(parent.path(), true);
    folder.times.insert(kFolderUuid.toString(), QDateTime::currentDateTimeUtc());
    ASSERT_TRUE(folder.createFor(kFolderUuid));
    EXPECT_TRUE(QFileInfo::exists(content));
}

TEST(WorkingFolder, SweepKeepsNewestAndLockedFolders)
{
    QTemporaryDir parent;
    QTemporaryDir outside;
    const QString root = parent.path() + QStringLiteral("/");
    TestFolder folder(parent.path(), false);
    for (int i = 0; i < 7; ++i) {
        writeFile(root + QStringLiteral("dated%1/sub/f").arg(i));
        folder.times.insert(QStringLiteral("dated%1").arg(i), QDateTime::fromSecsSinceEpoch(1700000000 + i * 60));
    }
    ASSERT_TRUE(QDir().mkpath(root + QStringLiteral("undated")));
    // The oldest of all, but held by a running process.
    ASSERT_TRUE(QDir().mkpath(root + QStringLiteral("held")));
    folder.times.insert(QStringLiteral("held"), QDateTime::fromSecsSinceEpoch(1600000000));
    QLockFile holder(root + QStringLiteral("held/.lock"));
    ASSERT_TRUE(holder.tryLock(0));
    // A stale lock of a dead owner does not protect a folder.
    writeFile(root + QStringLiteral("stale/.lock"),
              "999999999\nMorvantTests\n" + QSysInfo::machineHostName().toUtf8() + "\n");
    // A link to a folder elsewhere is never followed into.
    writeFile(outside.path() + QStringLiteral("/precious"));
    ASSERT_TRUE(QFile::link(outside.path(), root + QStringLiteral("link")));

    ASSERT_TRUE(folder.createFor(kFolderUuid));
    EXPECT_EQ(QDir(parent.path()).entryList(QDir::Dirs | QDir::NoDotAndDotDot, QDir::Name).join(' ').toStdString(),
              ("dated2 dated3 dated4 dated5 dated6 held link " + kFolderUuid.toString()).toStdString());
    EXPECT_TRUE(QFileInfo::exists(outside.path() + QStringLiteral("/precious")));

    // At a program's start, which keeps no folder between runs: only the folders running processes hold stay.
    ProjectWorkingFolder::removeAbandonedFolders(parent.path());
    EXPECT_EQ(QDir(parent.path()).entryList(QDir::Dirs | QDir::NoDotAndDotDot, QDir::Name).join(' ').toStdString(),
              ("held link " + kFolderUuid.toString()).toStdString());
    EXPECT_TRUE(QFileInfo::exists(outside.path() + QStringLiteral("/precious")));
}
