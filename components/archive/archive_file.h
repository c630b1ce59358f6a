// ArchiveFile packs files, folders and in-memory buffers into one tar or zip
// stream written to an open QIODevice, and lists or unpacks such a stream
// read from a QIODevice. The formats come from libarchive; this class fixes
// the entry names (UTF-8, "/" between parts), the attributes written (0755
// folders, 0644 files, no owner, no times for disk entries) and keeps
// extraction inside its target folder.
//
// Extraction writes the bytes the archive delivers and nothing more: a file
// ends where its data ends, except the holes of a sparse entry, and a file
// whose data falls short of its declared size fails the extraction. The total
// apparent size extracted is bounded (ExtractOptions); an extraction stopped
// by the bound removes what it wrote. Messages name the archive (the file of a
// QFileDevice) and the entry, never the folder extracted into.
//
// Ownership: the device is not owned; it must be open before open() and its
// owner closes it after close(). The progress tracker is not owned either.
//
// A gzip-compressed tar is compressed on one thread per core by default
// (ParallelGzipWriter: one ordinary gzip member, the same bytes whatever the
// number of threads); setCompressionThreads(1) keeps libarchive's own gzip
// filter on the calling thread.
//
// A writer whose entry failed after its header was written is damaged: every
// later add and close() return false, so a caller never reports success over
// a truncated or zero-filled entry.
//
// Thread safety: one thread uses an object.
#ifndef ARCHIVE_ARCHIVE_FILE_H
#define ARCHIVE_ARCHIVE_FILE_H

#include <QByteArray>
#include <QSet>
#include <QString>
#include <QStringList>
#include <QtGlobal>

#include <cstddef>
#include <functional>
#include <memory>

class ExpansionGuard;
class ParallelGzipWriter;
class ProgressTracker;
class QIODevice;
struct archive;
struct archive_entry;

class ArchiveFile
{
public:
    enum Mode { ReadMode = 0, WriteMode = 1 };
    // Kind 0 reads tar, plain or gzip-compressed; kind 1 is write-only.
    enum Kind { TarGzKind = 0, TarKind = 1, ZipKind = 2 };

    struct ExtractOptions
    {
        // Most bytes of apparent file size (holes included) one extraction
        // may write; negative: ExpansionGuard's default for the archive's
        // size (1 GiB, or 1032 times that when it is more), within the space
        // free where it is extracted.
        qint64 sizeLimit = -1;
    };

    ArchiveFile();
    ~ArchiveFile();

    ArchiveFile(const ArchiveFile&) = delete;
    ArchiveFile& operator=(const ArchiveFile&) = delete;

    // False when already open, when the device is not open, or for an
    // unknown mode or kind (and kind 1 for reading).
    bool open(int mode, QIODevice* device, int kind);
    // Threads that compress a gzip-compressed tar being written; 0 (the
    // default) means one per core, 1 the calling thread alone. Read by open().
    void setCompressionThreads(int threads) { m_compressionThreads = threads; }
    // True when closed already; for a writer false when finishing the
    // archive failed or an entry was damaged. The handle is gone either way.
    bool close();
    bool isOpen() const { return m_handle != nullptr; }

    // Adds a file or a whole folder under its own file name.
    bool addPath(const QString& path);
    // Adds a file or a folder under entryName (its own name when empty).
    bool addPathUnder(const QString& path, const QString& entryName);
    bool addBuffer(const QByteArray& data, const QString& entryName);
    bool addEmptyFile(const QString& entryName);

    // Reader only: appends every entry's path name in archive order, or the
    // first maxEntries when that is above 0 (enough to tell the format apart
    // without reading the whole archive).
    bool listEntries(QStringList& names, int maxEntries = 0);
    // Reader only: unpacks folder and file entries below rootFolder; refuses
    // any entry that would land outside it, links pointing out included.
    // Links pointing inside and special entries are skipped.
    bool extractTo(const QString& rootFolder) { return extractTo(rootFolder, ExtractOptions()); }
    bool extractTo(const QString& rootFolder, const ExtractOptions& options);

    // Lists the entries of a tar (plain or gzip) or zip file on disk.
    static bool openFile(const QString& path, QStringList& names);

    // Reading reports the input position from the first entry header on,
    // scaled to the stage of kProgressSteps steps that extraction and listing
    // open.
    void setProgressTracker(ProgressTracker* tracker) { m_tracker = tracker; }

    qint64 dataBytesWritten() const { return m_dataBytesWritten; }
    qint64 estimatedArchiveSize() const { return m_estimatedSize; }
    bool isDamaged() const { return m_damaged; }
    // True when the last extraction stopped at the size bound: its message
    // says so, and what to do.
    bool exceededSizeLimit() const { return m_exceededSizeLimit; }
    // Why the last failing operation failed; empty when nothing failed.
    QString errorString() const { return m_errorString; }

    static const unsigned kProgressSteps = 1000;

private:
    bool addEntry(const QString& path, const QString& prefix, const QString& name, QSet<QString>& openFolders);
    bool addFolder(const QString& path, const QString& entryName, QSet<QString>& openFolders);
    bool addFile(const QString& path, const QString& entryName);
    bool writeHeader(const QString& entryName, unsigned type, unsigned perm, qint64 size, bool stampNow);
    bool writeData(const char* data, qint64 size);
    bool writeToDevice(const char* data, qint64 size);
    void countEntry(qint64 size);
    bool checkWriter();
    bool checkReader();
    bool fail(const QString& message);
    bool failArchive(const QString& what);
    bool readEntryName(struct archive_entry* entry, QString& name);
    // Reads every header in turn, with read progress, until handle fails.
    bool forEachEntry(const std::function<bool(struct archive_entry*)>& handle);
    bool extractEntry(struct archive_entry* entry, const QString& root, const QString& canonicalRoot,
                      ExpansionGuard& guard);
    bool writeEntryData(int fd, const QString& name, struct archive_entry* entry, ExpansionGuard& guard);
    bool failOverLimit(const QString& name, const ExpansionGuard& guard);
    // The archive as messages name it.
    QString archiveName() const;
    void beginReadProgress();
    void endReadProgress();

public:
    // libarchive device glue; public only so the C callbacks can reach it.
    bool deviceIsOpen() const;
    qint64 deviceRead(const void** buffer);
    qint64 deviceWrite(const void* buffer, size_t size);
    // The device's reason for refusing the last write.
    QByteArray deviceWriteError() const;
    qint64 deviceSeek(qint64 offset, int whence);

private:
    QIODevice* m_device = nullptr;
    char m_readBuffer[1024];
    qint64 m_expectedInputSize = 0;
    qint64 m_inputPosition = 0;
    qint64 m_inputBase = 0;
    qint64 m_dataBytesWritten = 0;
    qint64 m_blockSize = 4096;
    qint64 m_estimatedSize = 0;
    ProgressTracker* m_tracker = nullptr;
    struct archive* m_handle = nullptr;
    int m_compressionThreads = 0;
    std::unique_ptr<ParallelGzipWriter> m_gzip;  // between the tar writer and the device
    int m_mode = ReadMode;
    int m_kind = TarGzKind;
    bool m_damaged = false;
    bool m_exceededSizeLimit = false;
    bool m_reportingRead = false;
    unsigned m_lastReadStep = 0;
    QString m_errorString;
    QString m_deviceError;  // the device's reason for the last write it refused
};

#endif  // ARCHIVE_ARCHIVE_FILE_H
