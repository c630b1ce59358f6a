#include "seltrane_components/os/atomic_file.h"
#include "tests/support/file_size_limit.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <functional>
#include <optional>
#include <string>

#include <sys/prctl.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

namespace {

bool writeFile(const QString& path, const QByteArray& bytes)
{
    QFile file(path);
    return file.open(QIODevice::WriteOnly) && file.write(bytes) == bytes.size();
}

QByteArray contentOf(const QString& path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("<missing>");
}

// Three write() calls: a small write kept in the buffer, one larger than the buffer, a small one left for commit.
bool writeThree(AtomicFile& file)
{
    const QByteArray large(AtomicFile::kBufferSize + 10, 'L');
    return file.write("head") == 4 && file.write(large) == large.size() && file.write("tail") == 4;
}

// Runs check as a user who is not root: in this process when it is not root, else in a child that becomes nobody
// (65534). check answers what failed, empty when nothing did; nullopt when no such user can be had.
std::optional<std::string> asUserNotRoot(const std::function<std::string()>& check)
{
    if (::geteuid() != 0)
        return check();
    int pipe[2];
    if (::pipe(pipe) != 0)
        return std::nullopt;
    const pid_t child = ::fork();
    if (child == 0) {
        ::close(pipe[0]);
        if (::setgid(65534) != 0 || ::setuid(65534) != 0)
            ::_exit(77);
        // Back to dumpable, as the change of user made it not: the process keeps its own /proc/self/fd.
        ::prctl(PR_SET_DUMPABLE, 1);
        const std::string failure = check();
        const bool told = ::write(pipe[1], failure.data(), failure.size()) == ssize_t(failure.size());
        ::_exit(told ? 0 : 1);
    }
    ::close(pipe[1]);
    std::string failure;
    char buffer[256];
    for (ssize_t n; (n = ::read(pipe[0], buffer, sizeof buffer)) > 0;)
        failure.append(buffer, std::size_t(n));
    ::close(pipe[0]);
    int status = 0;
    if (child < 0 || ::waitpid(child, &status, 0) != child || (WIFEXITED(status) && WEXITSTATUS(status) == 77))
        return std::nullopt;
    return WIFEXITED(status) && WEXITSTATUS(status) == 0 ? failure : "the child failed: " + std::to_string(status);
}

// Written through a link, the file keeps its permissions and the link stays. Then each system call fails in turn
// (the first write, the last, the sync, the close, the rename), a file is abandoned, a folder does not exist or is
// full: each says the system's reason and leaves the earlier file byte for byte, with nothing beside it.
TEST(AtomicFile, ReplacesOnlyAWholeFileAndOtherwiseSaysWhy)
{
    QTemporaryDir dir;
    const QString target = dir.filePath(QStringLiteral("show.kv2"));
    const QString link = dir.filePath(QStringLiteral("link.kv2"));
    ASSERT_TRUE(QFile(target).open(QIODevice::WriteOnly) && QFile::link(target, link));
    ASSERT_TRUE(QFile::setPermissions(target, QFile::ReadOwner | QFile::WriteOwner | QFile::ReadGroup));
    const QFile::Permissions permissions = QFileInfo(target).permissions();
    {
        AtomicFile file(link);
        ASSERT_TRUE(file.open(QIODevice::WriteOnly) && writeThree(file));
        EXPECT_EQ(contentOf(target), "");  // nothing shows before the commit
        ASSERT_TRUE(file.commit()) << file.errorString().toStdString();
    }
    const QByteArray earlier = contentOf(target);
    EXPECT_EQ(earlier, "head" + QByteArray(AtomicFile::kBufferSize + 10, 'L') + "tail");
    EXPECT_TRUE(QFileInfo(link).isSymLink());
    EXPECT_EQ(QFileInfo(target).permissions(), permissions);
    const QStringList entries = QDir(dir.path()).entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot);

    using Call = AtomicFile::Call;
    const std::pair<Call, int> failures[] = {
        {Call::Write, 1}, {Call::Write, 3}, {Call::Sync, 1}, {Call::Close, 1}, {Call::Rename, 1}};
    for (const std::pair<Call, int>& failure : failures) {
        const Call failing = failure.first;
        const int at = failure.second;
        const std::string where = std::to_string(int(failing)) + " #" + std::to_string(at);
        int seen = 0;
        AtomicFile::setFaultInjector(
            [&](Call call, const QString&) { return call == failing && ++seen == at ? ENOSPC : 0; });
        AtomicFile file(target);
        ASSERT_TRUE(file.open(QIODevice::WriteOnly)) << where;
        const bool written = writeThree(file);
        EXPECT_TRUE(written || file.write("more") == -1) << where;  // no write after a failure
        EXPECT_FALSE(file.commit()) << where;
        AtomicFile::setFaultInjector({});
        EXPECT_EQ(seen, at) << where;
        EXPECT_EQ(file.errorString().toStdString(), "No space left on device") << where;
        EXPECT_EQ(contentOf(target), earlier) << where;
        EXPECT_EQ(QDir(dir.path()).entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot), entries);
    }
    {
        AtomicFile abandoned(target);
        ASSERT_TRUE(abandoned.open(QIODevice::WriteOnly) && abandoned.write("lost") == 4);
    }
    {
        const FileSizeLimit full(4);
        EXPECT_EQ(AtomicFile::writeProblem(dir.path(), 100).toStdString(), "File too large");
    }
    EXPECT_EQ(contentOf(target), earlier);
    EXPECT_EQ(QDir(dir.path()).entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot), entries);
    EXPECT_EQ(AtomicFile::writeProblem(dir.path(), 100), QString());
    AtomicFile missing(dir.filePath(QStringLiteral("none/a.kv2")));
    EXPECT_FALSE(missing.open(QIODevice::WriteOnly));
    EXPECT_EQ(missing.errorString().toStdString(), "No such file or directory");
}

}  // namespace

// Once the new file is in place the save is done: a folder that cannot be synced then (a failing sync, a drop-box
// folder that its owner may write but not read) leaves the file whole and saved, with the reason as a note. A file
// system that refuses the mode alone takes the file, and the mode is set only where the new file lacks it.
TEST(AtomicFile, TheRenameIsTheSaveAndTheModeAloneFailsNothing)
{
    QTemporaryDir dir;
    const QString target = dir.filePath(QStringLiteral("show.kv2"));
    const auto save = [](const QString& path, const QByteArray& bytes) {
        AtomicFile file(path);
        const bool saved = file.open(QIODevice::WriteOnly) && file.write(bytes) == bytes.size() && file.commit();
        return (saved ? "saved" : "failed: " + file.errorString() + " ") + file.folderSyncFailure();
    };
    const auto entries = [&dir] {
        return QDir(dir.path()).entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot);
    };
    using Call = AtomicFile::Call;
    std::vector<std::pair<Call, QString>> calls;
    int syncAnswer = EIO;
    int modeAnswer = 0;
    AtomicFile::setFaultInjector([&](Call call, const QString& path) {
        if (call != Call::SyncFolder && call != Call::Mode)
            return 0;
        calls.emplace_back(call, path);
        return call == Call::SyncFolder ? syncAnswer : modeAnswer;
    });
    EXPECT_EQ(save(target, "first").toStdString(), "savedInput/output error");
    EXPECT_EQ(contentOf(target), "first");
    EXPECT_EQ(entries(), QStringList {"show.kv2"});
    EXPECT_EQ(calls, (std::vector<std::pair<Call, QString>> {{Call::SyncFolder, dir.path()}}));

    // The new file's own mode matches the file it replaces: nothing to set.
    calls.clear();
    syncAnswer = 0;
    EXPECT_EQ(save(target, "second").toStdString(), "saved");
    EXPECT_EQ(calls.size(), 1u);
    ASSERT_TRUE(QFile::setPermissions(target, QFile::ReadOwner | QFile::WriteOwner));
    for (const int refused : {EPERM, ENOTSUP, EROFS}) {
        calls.clear();
        modeAnswer = refused;
        EXPECT_EQ(save(target, "third").toStdString(), "saved");
        EXPECT_EQ(calls.front().first, Call::Mode);
        EXPECT_EQ(contentOf(target), "third");
        ASSERT_TRUE(QFile::setPermissions(target, QFile::ReadOwner | QFile::WriteOwner));
    }
    modeAnswer = EIO;
    EXPECT_EQ(save(target, "fourth").toStdString(), "failed: Input/output error ");
    AtomicFile::setFaultInjector({});
    EXPECT_EQ(contentOf(target), "third");
    EXPECT_EQ(entries(), QStringList {"show.kv2"});

    // A drop-box folder (0300): its owner, not root, may write into it but not open it to sync it.
    const QString drop = dir.filePath(QStringLiteral("drop"));
    ASSERT_TRUE(QDir(dir.path()).mkdir(QStringLiteral("drop")) && writeFile(drop + "/show.kv2", "earlier"));
    const QByteArray folder = QFile::encodeName(drop);
    const QByteArray file = QFile::encodeName(drop + "/show.kv2");
    if (::geteuid() == 0) {
        ASSERT_EQ(::chmod(QFile::encodeName(dir.path()).constData(), 0711), 0);
        ASSERT_EQ(::chown(folder.constData(), 65534, 65534) | ::chown(file.constData(), 65534, 65534), 0);
    }
    ASSERT_EQ(::chmod(folder.constData(), 0300), 0);
    const std::optional<std::string> failure = asUserNotRoot([&] {
        const QString told = save(drop + "/show.kv2", "new");
        return told == "savedPermission denied" ? std::string() : told.toStdString();
    });
    ASSERT_EQ(::chmod(folder.constData(), 0700), 0);
    if (!failure)
        GTEST_SKIP() << "no user other than root to write as";
    EXPECT_EQ(*failure, "");
    EXPECT_EQ(contentOf(drop + "/show.kv2"), "new");
    EXPECT_EQ(QDir(drop).entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot), QStringList {"show.kv2"});
}
