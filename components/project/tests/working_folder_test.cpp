#include "components/project/project_working_folder.h"

#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QLockFile>
#include <QMap>
#include <QSysInfo>
#include <QTemporaryDir>

#include <memory>

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

bool makeFolder(const QString& path)
{
    return QDir().mkpath(path);
}

}  // namespace

TEST(WorkingFolder, FolderNameForPath)
{
    EXPECT_EQ(ProjectWorkingFolder::folderNameFor(QString(), kUuid),
              QStringLiteral("{0f1e2d3c-4b5a-6978-8796-a5b4c3d2e1f0}"));
    const QString expected =
        QStringLiteral("{0f1e2d3c-4b5a-6978-8796-a5b4c3d2e1f0}-3649eeb40fb53a8628d32da723df5651");
    EXPECT_EQ(ProjectWorkingFolder::folderNameFor(QStringLiteral("C:/Shows/Lobby show.kv2"), kUuid),
              expected);
    EXPECT_EQ(ProjectWorkingFolder::folderNameFor(QStringLiteral("C:\\Shows\\Lobby show.kv2"), kUuid),
              expected);
    EXPECT_NE(ProjectWorkingFolder::folderNameFor(QStringLiteral("C:/Shows/Other.kv2"), kUuid),
              expected);
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
        EXPECT_TRUE(folder.filePath().isEmpty());
        EXPECT_TRUE(folder.lastError().isEmpty());
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

TEST(WorkingFolder, CreateFailures)
{
    TestFolder nowhere(QString(), false);
    EXPECT_FALSE(nowhere.createFor(kUuid));
    EXPECT_FALSE(nowhere.lastError().isEmpty());
    EXPECT_TRUE(nowhere.folderPath().isEmpty());

    QTemporaryDir parent;
    const QString blocker = parent.path() + QStringLiteral("/file");
    QFile file(blocker);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.close();
    TestFolder underFile(blocker, false);
    EXPECT_FALSE(underFile.createFor(kUuid));
    EXPECT_TRUE(underFile.lastError().startsWith(QStringLiteral("Unable to create working folder - error ")))
        << underFile.lastError().toStdString();
    EXPECT_TRUE(underFile.folderPath().isEmpty());
}

TEST(WorkingFolder, ExistingFolderIsReusedAndKeptWhenLockFails)
{
    QTemporaryDir parent;
    const QString path = parent.path() + QStringLiteral("/") + kUuid.toString();
    ASSERT_TRUE(makeFolder(path));
    QFile content(path + QStringLiteral("/content"));
    ASSERT_TRUE(content.open(QIODevice::WriteOnly));
    content.close();

    {
        // Held by a live process (this one): the sweep leaves it and create
        // gives up after a bounded wait without removing it.
        QLockFile holder(path + QStringLiteral("/.lock"));
        ASSERT_TRUE(holder.tryLock(0));
        TestFolder folder(parent.path(), false);
        EXPECT_FALSE(folder.createFor(kUuid));
        EXPECT_EQ(folder.lastError(), QStringLiteral("Failed to lock the working folder - error 1"));
        EXPECT_TRUE(QFileInfo::exists(content.fileName()));
    }
    {
        TestFolder folder(parent.path(), true);
        folder.times.insert(kUuid.toString(), QDateTime::currentDateTimeUtc());
        ASSERT_TRUE(folder.createFor(kUuid));
        EXPECT_TRUE(QFileInfo::exists(content.fileName()));
    }
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
        ASSERT_TRUE(makeFolder(parent.path() + QStringLiteral("/") + name + QStringLiteral("/sub")));
        folder.times.insert(name, base.addSecs(i * 60));
    }
    ASSERT_TRUE(makeFolder(parent.path() + QStringLiteral("/undated")));
    // The oldest of all, but held by a running process.
    const QString held = parent.path() + QStringLiteral("/held");
    ASSERT_TRUE(makeFolder(held));
    folder.times.insert(QStringLiteral("held"), base.addSecs(-3600));
    QLockFile holder(held + QStringLiteral("/.lock"));
    ASSERT_TRUE(holder.tryLock(0));
    // A stale lock of a dead owner does not protect a folder.
    const QString stale = parent.path() + QStringLiteral("/stale");
    ASSERT_TRUE(makeFolder(stale));
    {
        QFile lock(stale + QStringLiteral("/.lock"));
        ASSERT_TRUE(lock.open(QIODevice::WriteOnly));
        lock.write("999999999\nMorvantTests\n" + QSysInfo::machineHostName().toUtf8() + "\n");
    }
    // A link to a folder elsewhere is never followed into.
    QFile precious(outside.path() + QStringLiteral("/precious"));
    ASSERT_TRUE(precious.open(QIODevice::WriteOnly));
    precious.close();
    ASSERT_TRUE(QFile::link(outside.path(), parent.path() + QStringLiteral("/link")));

    ASSERT_TRUE(folder.createFor(kUuid));

    QStringList left = QDir(parent.path()).entryList(QDir::Dirs | QDir::NoDotAndDotDot, QDir::Name);
    EXPECT_EQ(left, QStringList({QStringLiteral("dated2"), QStringLiteral("dated3"), QStringLiteral("dated4"),
                                 QStringLiteral("dated5"), QStringLiteral("dated6"), QStringLiteral("held"),
                                 QStringLiteral("link"), kUuid.toString()}));
    EXPECT_TRUE(QFileInfo::exists(precious.fileName()));
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
        EXPECT_EQ(folder.filePath(), newPath);
        EXPECT_EQ(folder.folderPath(), oldFolder);  // moved only at the end
    }
    const QString moved = parent.path() + QStringLiteral("/") + ProjectWorkingFolder::folderNameFor(newPath, kUuid);
    EXPECT_FALSE(QFileInfo::exists(oldFolder));
    EXPECT_TRUE(QFileInfo(moved).isDir());
    QLockFile lock(moved + QStringLiteral("/.lock"));
    EXPECT_TRUE(lock.tryLock(0));
}
