#include "components/project/project_working_folder.h"
#include "components/project/tests/project_test_support.h"

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
    TestFolder(const QString& parent, bool keepFolder, quint32 limit = 6)
        : ProjectWorkingFolder(keepFolder, limit), m_parent(parent)
    {
    }
    QUuid projectUuid() const override { return m_uuid; }
    QString projectsFolder() const override { return m_parent; }
    QDateTime lastModified(const QString& folder) const override
    {
        return times.value(QFileInfo(folder).fileName());
    }
    bool createFor(const QUuid& uuid, const QString& path = QString())
    {
        m_uuid = uuid;
        return create(uuid, path);
    }

    QMap<QString, QDateTime> times;

private:
    QString m_parent;
    QUuid m_uuid;
};

const QUuid kUuid(QStringLiteral("{0f1e2d3c-4b5a-6978-8796-a5b4c3d2e1f0}"));

}  // namespace

TEST(WorkingFolder, FolderNameForPath)
{
    const QString named = QStringLiteral("{0f1e2d3c-4b5a-6978-8796-a5b4c3d2e1f0}-3649eeb40fb53a8628d32da723df5651");
    EXPECT_EQ(ProjectWorkingFolder::folderNameFor(QString(), kUuid), kUuid.toString());
    EXPECT_EQ(ProjectWorkingFolder::folderNameFor(QStringLiteral("C:/Shows/Lobby show.kv2"), kUuid), named);
    EXPECT_EQ(ProjectWorkingFolder::folderNameFor(QStringLiteral("C:\\Shows\\Lobby show.kv2"), kUuid), named);
    EXPECT_NE(ProjectWorkingFolder::folderNameFor(QStringLiteral("C:/Shows/Other.kv2"), kUuid), named);
}

TEST(WorkingFolder, CreateLocksAndRemovesOnDestruction)
{
    QTemporaryDir parent;
    ASSERT_TRUE(parent.isValid());
    const QString expected = parent.path() + QStringLiteral("/") + kUuid.toString();
    {
        TestFolder folder(parent.path(), false);
        ASSERT_TRUE(folder.createFor(kUuid)) << folder.lastError().toStdString();
        EXPECT_EQ(folder.folderPath(), expected);
        EXPECT_TRUE(QFileInfo::exists(expected + QStringLiteral("/.lock")));

        QLockFile other(expected + QStringLiteral("/.lock"));
        other.setStaleLockTime(0);
        EXPECT_FALSE(other.tryLock(0));
    }
    EXPECT_FALSE(QFileInfo::exists(expected));

    // A kept folder survives with its lock released.
    {
        TestFolder folder(parent.path(), true);
        ASSERT_TRUE(folder.createFor(kUuid));
    }
    EXPECT_TRUE(QFileInfo::exists(expected));
    QLockFile after(expected + QStringLiteral("/.lock"));
    EXPECT_TRUE(after.tryLock(0));
}

TEST(WorkingFolder, CreateFailuresKeepWhatIsThere)
{
    TestFolder nowhere(QString(), false);
    EXPECT_FALSE(nowhere.createFor(kUuid));
    EXPECT_FALSE(nowhere.lastError().isEmpty());
    EXPECT_TRUE(nowhere.folderPath().isEmpty());

    QTemporaryDir parent;
    const QString blocker = parent.path() + QStringLiteral("/file");
    writeFile(blocker);
    TestFolder underFile(blocker, false);
    EXPECT_FALSE(underFile.createFor(kUuid));
    EXPECT_TRUE(underFile.lastError().startsWith(QStringLiteral("Unable to create working folder - error ")))
        << underFile.lastError().toStdString();
    EXPECT_TRUE(underFile.folderPath().isEmpty());

    // Held by a live process (this one): the sweep leaves the folder and
    // create gives up after a bounded wait without removing it; once free,
    // the folder is reused with its content.
    const QString content = parent.path() + QStringLiteral("/") + kUuid.toString() + QStringLiteral("/content");
    writeFile(content);
    {
        QLockFile holder(QFileInfo(content).path() + QStringLiteral("/.lock"));
        ASSERT_TRUE(holder.tryLock(0));
        TestFolder folder(parent.path(), false);
        EXPECT_FALSE(folder.createFor(kUuid));
        EXPECT_EQ(folder.lastError(), QStringLiteral("Failed to lock the working folder - error 1"));
        EXPECT_TRUE(QFileInfo::exists(content));
    }
    TestFolder folder(parent.path(), true);
    folder.times.insert(kUuid.toString(), QDateTime::currentDateTimeUtc());
    ASSERT_TRUE(folder.createFor(kUuid));
    EXPECT_TRUE(QFileInfo::exists(content));
}

TEST(WorkingFolder, SweepKeepsNewestAndLockedFolders)
{
    QTemporaryDir parent;
    QTemporaryDir outside;
    ASSERT_TRUE(parent.isValid() && outside.isValid());
    const QDateTime base = QDateTime::fromSecsSinceEpoch(1700000000, Qt::UTC);

    TestFolder folder(parent.path(), false, 6);
    for (int i = 0; i < 7; ++i) {
        const QString name = QStringLiteral("dated%1").arg(i);
        ASSERT_TRUE(QDir().mkpath(parent.path() + QStringLiteral("/") + name + QStringLiteral("/sub")));
        folder.times.insert(name, base.addSecs(i * 60));
    }
    ASSERT_TRUE(QDir().mkpath(parent.path() + QStringLiteral("/undated")));
    // The oldest of all, but held by a running process.
    const QString held = parent.path() + QStringLiteral("/held");
    ASSERT_TRUE(QDir().mkpath(held));
    folder.times.insert(QStringLiteral("held"), base.addSecs(-3600));
    QLockFile holder(held + QStringLiteral("/.lock"));
    ASSERT_TRUE(holder.tryLock(0));
    // A stale lock of a dead owner does not protect a folder.
    writeFile(parent.path() + QStringLiteral("/stale/.lock"),
              "999999999\nMorvantTests\n" + QSysInfo::machineHostName().toUtf8() + "\n");
    // A link to a folder elsewhere is never followed into.
    const QString precious = outside.path() + QStringLiteral("/precious");
    writeFile(precious);
    ASSERT_TRUE(QFile::link(outside.path(), parent.path() + QStringLiteral("/link")));

    ASSERT_TRUE(folder.createFor(kUuid));

    QStringList left = QDir(parent.path()).entryList(QDir::Dirs | QDir::NoDotAndDotDot, QDir::Name);
    EXPECT_EQ(left, QStringList({QStringLiteral("dated2"), QStringLiteral("dated3"), QStringLiteral("dated4"),
                                 QStringLiteral("dated5"), QStringLiteral("dated6"), QStringLiteral("held"),
                                 QStringLiteral("link"), kUuid.toString()}));
    EXPECT_TRUE(QFileInfo::exists(precious));
}

TEST(WorkingFolder, SetFilePathMovesFolderOnDestruction)
{
    QTemporaryDir parent;
    const QString newPath = QStringLiteral("/shows/renamed.kv2");
    QString oldFolder;
    {
        TestFolder folder(parent.path(), false);
        ASSERT_TRUE(folder.createFor(kUuid));
        oldFolder = folder.folderPath();
        folder.setFilePath(newPath);
        EXPECT_EQ(folder.folderPath(), oldFolder);  // moved only at the end
    }
    const QString moved = parent.path() + QStringLiteral("/") + ProjectWorkingFolder::folderNameFor(newPath, kUuid);
    EXPECT_FALSE(QFileInfo::exists(oldFolder));
    EXPECT_TRUE(QFileInfo(moved).isDir());
    QLockFile lock(moved + QStringLiteral("/.lock"));
    EXPECT_TRUE(lock.tryLock(0));
}
