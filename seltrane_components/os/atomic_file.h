// AtomicFile writes a file that takes the place of the file of its name only
// once every byte of it is on the disk. It is the one way this program
// replaces a file it keeps: QSaveFile (Qt 5) reports neither a failed flush
// of its last buffered bytes nor a failed sync or close, and renames a short
// file over the old one.
//
// open() makes a nameless file in the target's folder (a named one starting
// with "." where the file system has none); write() buffers; commit() writes
// out the buffer, syncs the data (fdatasync), gives the file a name, closes
// it, checking the close, renames it over the target and syncs the folder.
// A failure at any step up to the rename makes commit() false with error()
// and errorString() set to the system's reason ("No space left on device"),
// and the target as it was: the new file is removed. Every write after a
// failure fails too. Once the rename is done the file is saved and commit()
// true; a folder that cannot then be opened or synced (a drop-box folder
// that may not be read) is told by folderSyncFailure(): the file may not
// survive a power cut. A target that is a symbolic link is written through
// the link; an existing target keeps its permissions and is refused when it
// is not writable, as QSaveFile does. As with QSaveFile, a file system that
// refuses the permissions alone (one owner for every file) still takes the
// file.
//
// setFaultInjector() is the test seam of the files this program must write
// whole: the injector is asked, with the file or folder concerned, before
// each system call that opens, writes, syncs, closes, renames, sets a mode or
// makes a folder, and the call fails with the errno it answers (0 lets it
// run). Other writers of such files (the object database's storage, the
// folders made for files) ask it through injectedError().
//
// Ownership: the object owns its open file; destroying it without commit()
// discards what was written. Thread safety: one thread uses an object; the
// injector is process-wide, may be asked from any thread and is set while no
// file is being written.
#ifndef SELTRANE_COMPONENTS_OS_ATOMIC_FILE_H
#define SELTRANE_COMPONENTS_OS_ATOMIC_FILE_H

#include <QByteArray>
#include <QIODevice>
#include <QString>

#include <functional>

#include <sys/types.h>

class AtomicFile : public QIODevice
{
public:
    static constexpr int kBufferSize = 64 * 1024;

    explicit AtomicFile(const QString& fileName);
    ~AtomicFile() override;

    AtomicFile(const AtomicFile&) = delete;
    AtomicFile& operator=(const AtomicFile&) = delete;

    QString fileName() const { return m_fileName; }

    // WriteOnly only (Truncate and Unbuffered are allowed and change nothing).
    bool open(OpenMode mode) override;
    // Writes the buffered bytes out; false (reason set) when that fails.
    bool flush();
    // Puts the file in place of the target; see above. Closes the device
    // either way. True once the file is in place.
    bool commit();
    // After a commit() that put the file in place: empty, or the system's
    // reason why its folder could not be synced ("Input/output error").
    QString folderSyncFailure() const { return m_folderSyncFailure; }
    // Discards what was written and closes the device; so does close(): only
    // commit() keeps the file.
    void cancelWriting();
    void close() override;
    // The errno of the first failure; 0 when there was none.
    int error() const { return m_error; }
    bool isSequential() const override { return true; }

    // Writes `bytes` into a nameless file in folder and discards it: the
    // system's reason when the folder does not take them, empty when it does.
    static QString writeProblem(const QString& folder, qint64 bytes);

    // Lock: taking a lock file. SyncFolder: opening and syncing a folder.
    enum class Call { Write, Sync, Close, Rename, Open, Mode, SyncFolder, MakeFolder, Lock };
    using FaultInjector = std::function<int(Call call, const QString& path)>;
    // Test seam (see above); an empty injector ends it.
    static void setFaultInjector(FaultInjector injector);
    // What the injector answers for call on path; 0 without one.
    static int injectedError(Call call, const QString& path);

protected:
    qint64 readData(char* data, qint64 maxSize) override;
    qint64 writeData(const char* data, qint64 size) override;

private:
    bool fail(int error);
    // Runs a system call on path that answers 0 on success, unless the
    // injector fails it; false (reason set) on failure.
    template <class SystemCall>
    bool call(Call which, const QString& path, SystemCall run);
    // Gives the new file the existing target's permissions.
    bool setMode(mode_t mode);
    // Syncs the target's folder, so that the rename survives a power cut;
    // the reason when it cannot be opened or synced, else empty.
    QString syncFolder();
    // Writes all of size bytes to the file; false (reason set) when it cannot.
    bool writeOut(const char* data, qint64 size);
    // Gives the nameless file a temporary name in the folder.
    bool nameFile();
    // Closes the file and removes its temporary name, if any.
    void discard();

    QString m_fileName;
    QString m_target;     // the file replaced: m_fileName, or where its links lead
    QString m_temporary;  // the new file's own name while it has one
    int m_fd = -1;
    bool m_nameless = false;
    int m_error = 0;
    QString m_folderSyncFailure;
    QByteArray m_buffer;
};

#endif  // SELTRANE_COMPONENTS_OS_ATOMIC_FILE_H
