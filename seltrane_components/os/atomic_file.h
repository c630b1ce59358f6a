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
// A failure at any of these steps, first byte or last, makes commit() false
// with error() and errorString() set to the system's reason ("No space left
// on device"), and the target as it was: the new file is removed. Every
// write after a failure fails too. A target that is a symbolic link is
// written through the link; an existing target keeps its permissions and is
// refused when it is not writable, as QSaveFile does.
//
// setFaultInjector() is the test seam: the injector is asked before each
// system call that writes, syncs, closes or renames, and the call fails with
// the errno it answers (0 lets it run).
//
// Ownership: the object owns its open file; destroying it without commit()
// discards what was written. Thread safety: one thread uses an object; the
// injector is process-wide and set while no file is being written.
#ifndef SELTRANE_COMPONENTS_OS_ATOMIC_FILE_H
#define SELTRANE_COMPONENTS_OS_ATOMIC_FILE_H

#include <QByteArray>
#include <QIODevice>
#include <QString>

#include <functional>

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
    // either way.
    bool commit();
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

    enum class Call { Write, Sync, Close, Rename };
    using FaultInjector = std::function<int(Call call)>;
    // Test seam (see above); an empty injector ends it.
    static void setFaultInjector(FaultInjector injector);

protected:
    qint64 readData(char* data, qint64 maxSize) override;
    qint64 writeData(const char* data, qint64 size) override;

private:
    bool fail(int error);
    // Runs a system call that answers 0 on success, unless the injector
    // fails it; false (reason set) on failure.
    template <class SystemCall>
    bool call(Call which, SystemCall run);
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
    QByteArray m_buffer;
};

#endif  // SELTRANE_COMPONENTS_OS_ATOMIC_FILE_H
