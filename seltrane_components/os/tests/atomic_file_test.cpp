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

void put(const QString& path, const QByteArray& bytes)
{
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly) && file.write(bytes) == bytes.size());
}

QStringList entriesOf(const QString& folder)
{
    return QDir(folder).entryList(QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot, QDir::Name);
}

// Three writes: a small one (buffered), one larger than the buffer (written at once), a small one left for commit.
bool writeThree(AtomicFile& file)
{
    const QByteArray large(AtomicFile::kBufferSize + 10, 'L');
    return file.write("head") == 4 && file.write(large) == large.size() && file.write("tail") == 4;
}

// A new file, one that replaces another and keeps its permissions, one written through a link; what cannot be
// opened says why.
TEST(AtomicFile, ReplacesOnlyWhenCommittedAndKeepsPermissionsAndLinks)
{
    QTemporaryDir dir;
    const QString target = dir.filePath(QStringLiteral("show.kv2"));
    {
        AtomicFile file(target);
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        ASSERT_TRUE(writeThree(file));
        EXPECT_FALSE(QFileInfo::exists(target));  // nothing shows before the commit
        ASSERT_TRUE(file.commit()) << file.errorString().toStdString();
        EXPECT_FALSE(file.isOpen());
    }
    EXPECT_EQ(contentOf(target), "head" + QByteArray(AtomicFile::kBufferSize + 10, 'L') + "tail");

    ASSERT_TRUE(QFile::setPermissions(target, QFile::ReadOwner | QFile::WriteOwner | QFile::ReadGroup));
    const QFile::Permissions permissions = QFileInfo(target).permissions();
    const QString link = dir.filePath(QStringLiteral("link.kv2"));
    ASSERT_TRUE(QFile::link(target, link));
    {
        AtomicFile file(link);
        ASSERT_TRUE(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
        file.write("new");
        ASSERT_TRUE(file.commit()) << file.errorString().toStdString();
    }
    EXPECT_TRUE(QFileInfo(link).isSymLink());
    EXPECT_EQ(contentOf(target), "new");
    EXPECT_EQ(QFileInfo(target).permissions(), permissions);

    // Abandoned, cancelled or closed without a commit: the file stays.
    for (int way = 0; way < 3; ++way) {
        AtomicFile file(target);
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        file.write("lost");
        if (way == 1)
            file.cancelWriting();
        else if (way == 2)
            file.close();
    }
    EXPECT_EQ(contentOf(target), "new");
    EXPECT_EQ(entriesOf(dir.path()), QStringList({QStringLiteral("link.kv2"), QStringLiteral("show.kv2")}));

    const std::pair<QString, const char*> unopened[] = {
        {dir.filePath(QStringLiteral("none/a.kv2")), "No such file or directory"}, {dir.path(), "Is a directory"}};
    for (const auto& [path, reason] : unopened) {
        AtomicFile file(path);
        EXPECT_FALSE(file.open(QIODevice::WriteOnly));
        EXPECT_EQ(file.errorString().toStdString(), reason);
    }
    AtomicFile reading(target);
    EXPECT_FALSE(reading.open(QIODevice::ReadWrite));
    EXPECT_EQ(reading.error(), EINVAL);
}

// Every system call that can fail does, in turn: the first write, the last, the sync, the close, the rename. Each
// failure is told with the system's reason, fails the writes after it, and leaves the earlier file byte for byte
// with nothing beside it; a file-size limit does the same for a file smaller than the buffer.
TEST(AtomicFile, AFailureAtAnyStepKeepsTheEarlierFile)
{
    QTemporaryDir dir;
    const QString target = dir.filePath(QStringLiteral("show.kv2"));
    const QByteArray earlier = "earlier, whole";
    put(target, earlier);
    using Call = AtomicFile::Call;
    struct Case
    {
        Call call;
        int at;  // the how-manieth such call fails, from 1
    };
    // The three writes make three write() calls.
    const Case cases[] = {{Call::Write, 1}, {Call::Write, 3}, {Call::Sync, 1}, {Call::Close, 1}, {Call::Rename, 1}};
    for (const Case& failing : cases) {
        const std::string where = "call " + std::to_string(int(failing.call)) + " #" + std::to_string(failing.at);
        int seen = 0;
        AtomicFile::setFaultInjector(
            [&](Call call) { return call == failing.call && ++seen == failing.at ? ENOSPC : 0; });
        AtomicFile file(target);
        ASSERT_TRUE(file.open(QIODevice::WriteOnly)) << where;
        const bool written = writeThree(file);
        EXPECT_EQ(written, failing.call != Call::Write || failing.at > 1) << where;
        EXPECT_TRUE(written || file.write("more") == -1) << where;
        EXPECT_FALSE(file.commit()) << where;
        AtomicFile::setFaultInjector({});
        EXPECT_EQ(seen, failing.at) << where;
        EXPECT_EQ(file.error(), ENOSPC) << where;
        EXPECT_EQ(file.errorString().toStdString(), "No space left on device") << where;
        EXPECT_EQ(contentOf(target), earlier) << where;
        EXPECT_EQ(entriesOf(dir.path()), QStringList({QStringLiteral("show.kv2")})) << where;
    }

    {
        const FileSizeLimit full(4);
        AtomicFile file(target);
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        EXPECT_EQ(file.write("smaller than the buffer"), 23);
        EXPECT_FALSE(file.commit());
        EXPECT_EQ(file.errorString().toStdString(), "File too large");
        // What a folder does not take, it says.
        EXPECT_EQ(AtomicFile::writeProblem(dir.path(), 100).toStdString(), "File too large");
    }
    EXPECT_EQ(contentOf(target), earlier);
    EXPECT_EQ(AtomicFile::writeProblem(dir.path(), 100), QString());
    EXPECT_EQ(AtomicFile::writeProblem(dir.filePath(QStringLiteral("none")), 100).toStdString(),
              "No such file or directory");
    EXPECT_EQ(entriesOf(dir.path()), QStringList({QStringLiteral("show.kv2")}));
}

}  // namespace
