#include "seltrane_components/os/atomic_file.h"
#include "tests/support/file_size_limit.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <string>

namespace {

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
        AtomicFile::setFaultInjector([&](Call call) { return call == failing && ++seen == at ? ENOSPC : 0; });
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
