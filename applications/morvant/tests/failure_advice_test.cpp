#include "applications/morvant/failure_advice.h"

#include "components/quilshow/show/show_streamer.h"

#include <QDir>
#include <QFile>
#include <QLocalServer>
#include <QTemporaryDir>
#include <QtEndian>
#include <gtest/gtest.h>

#include <cerrno>
#include <cstring>

#include <tuple>

namespace {

// A version-1 file head: guard word, file-type magic, guard word.
QByteArray versionOneHead(quint32 magic)
{
    QByteArray head(8, '\0');
    qToLittleEndian(Quil::ShowStreamer::kGuardWord, head.data());
    qToLittleEndian(magic, head.data() + 2);
    qToLittleEndian(Quil::ShowStreamer::kGuardWord, head.data() + 6);
    return head;
}

QString quoted(const QString& path) { return '"' + QDir::toNativeSeparators(path) + '"'; }

// The rows that the conversion tests do not reach already: each byte mark the advice reads, at its place, and each
// reason it tells apart. %1 is the quoted path of the file.
TEST(FailureAdviceTest, EachMarkAndReasonGetsItsOwnAdvice)
{
    QTemporaryDir folder;
    QByteArray tar(512, '\0');
    tar.replace(257, 5, "ustar");
    const QString renamed = "%1 is a version-1 show of the kind .%2, but its name %3, so it was not read as one: "
                            "rename it to end in .%2 and choose it again.";
    const QString notOpened = "%1 is %2, but only files ending in .kvx, .wvx or .jvx are opened as archives: rename "
                              "it to end in .kvx and choose it again.";
    // Name, bytes, advice after a show file that did not open.
    const std::tuple<const char*, QByteArray, QString> files[] = {
        {"show.txt", versionOneHead(0x7575), renamed.arg("%1", "jvq", "ends in \".txt\"")},
        {"show", versionOneHead(0x8484) + "rest", renamed.arg("%1", "kvq", "has no ending such as .kvq")},
        {"other.kvq", versionOneHead(0x8485),
         "%1 is a version-1 file of a kind this converter does not read (not a show): choose a show file (.kvq) or "
         "bundle (.kvx)."},
        {"zipped.kvq", QByteArray("PK\x03\x04", 4) + QByteArray(26, '\0'), notOpened.arg("%1", "a zip archive")},
        {"empty.jvx", QByteArray("PK\x05\x06", 4) + QByteArray(18, '\0'),
         "%1 starts like a zip archive but cannot be read as one: it is damaged or incomplete. Choose an earlier copy "
         "of it."},
        {"plain.kvq", tar, notOpened.arg("%1", "a tar archive")},
    };
    for (const auto& [name, bytes, advice] : files) {
        const QString path = folder.filePath(QLatin1String(name));
        QFile file(path);
        ASSERT_TRUE(file.open(QIODevice::WriteOnly) && file.write(bytes) == bytes.size());
        file.close();
        EXPECT_EQ(loadFailureAdvice(path, path, {Quil::kShowNotOpened, {}, 0, false}), advice.arg(quoted(path)))
            << name;
    }

    // A file that exists but opens for nobody, root included: a socket.
    QLocalServer server;
    const QString socket = folder.filePath(QStringLiteral("socket.kvq"));
    ASSERT_TRUE(server.listen(socket));
    QFile unreadable(socket);
    ASSERT_FALSE(unreadable.open(QIODevice::ReadOnly));
    EXPECT_EQ(loadFailureAdvice(socket, socket, {Quil::kShowNotOpened, {}, 0, false}),
              quoted(socket) + " cannot be read (" + unreadable.errorString()
                  + "): check that you may read it, then choose it again.");

    // The bundle reader's reasons, and where the show reader stopped.
    const QString bundle = QStringLiteral("/shows/%1 site.kvx");  // a name holding a placeholder stays as it is
    const QString expanding = "The bundle " + quoted(bundle)
        + " could not be expanded into a temporary folder: check that the disk has free space, then try again.";
    const QString controllers = "The show " + quoted(bundle)
        + " could not be read past its controllers (byte 60): a controller in it keeps an interface configuration, "
          "which this version of the converter cannot read yet. The show is probably not damaged; nothing was "
          "converted. Keep the show as it is.";
    const QString damaged = "The show " + quoted(bundle)
        + " is damaged: one of its records does not start or end where it should, at byte 60. Choose an earlier copy "
          "of the show.";
    const std::tuple<Quil::ShowLoadResult, QString> results[] = {
        {{Quil::kShowNotOpened, "Error writing unbundled file", 0, false}, expanding},
        {{Quil::kShowNotOpened, "Couldn't unbundle file", 0, false}, expanding},
        {{Quil::kShowNotOpened, "No folder to expand the bundle into", 0, false}, expanding},
        {{Quil::kShowNotOpened, "The bundle holds no show file", 0, false},
         quoted(bundle)
             + " was opened, but it holds no version-1 show file of its kind (such as a .kvq file for a .kvx): choose "
               "the bundle or archive that holds the show."},
        {{Quil::kShowReadFailed, "Magic number doesn't match 306", 60, false}, controllers},
        {{Quil::kShowReadFailed, "Magic number doesn't match 307", 60, false}, controllers},
        {{Quil::kShowReadFailed, "Magic number doesn't match 305", 60, false}, damaged},
        {{Quil::kShowReadFailed, "Magic number doesn't match 308", 60, false}, damaged},
    };
    for (const auto& [result, advice] : results)
        EXPECT_EQ(loadFailureAdvice(bundle, bundle, result), advice) << result.message;

    // A failure of the file chosen says what it means, with the system's reason in words; a folder gone says so.
    const QString target = QStringLiteral("/site.kv2");
    const std::pair<int, QString> saves[] = {
        {ENOSPC,
         "there is no room for it on that disk (No space left on device). Free some space there, or choose a folder "
         "on another disk, then save again."},
        {EROFS,
         "it may not be written there (Read-only file system). Choose a folder you may write to, then save "
         "again."},
        {EIO,
         "writing the project file failed (Input/output error). Choose a folder you may write to, check that the "
         "disk has free space, then save again."}};
    for (const auto& [error, told] : saves) {
        EXPECT_EQ(saveFailureAdvice(target, QString::fromLocal8Bit(std::strerror(error)), error),
                  "The project was not saved as " + quoted(target) + ": " + told);
    }
    const QString gone = QStringLiteral("/no such folder/site.kv2");
    EXPECT_EQ(saveFailureAdvice(gone, QStringLiteral("No such file or directory"), ENOENT),
              "The project was not saved as " + quoted(gone) + ": the folder " + quoted("/no such folder")
                  + " does not exist (any more). Choose an existing folder, then save again.");
}

}  // namespace
