#include "components/archive/archive_file.h"

#include "components/archive/parallel_gzip_writer.h"
#include "seltrane_components/os/expansion_guard.h"
#include "seltrane_components/os/file_utils.h"
#include "seltrane_components/os/progress_tracker.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileDevice>
#include <QFileInfo>
#include <QIODevice>
#include <QLocale>

#include <archive.h>
#include <archive_entry.h>

#include <algorithm>
#include <cerrno>
#include <ctime>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#include <zlib.h>

namespace {

// Large reads keep the copy cheap next to compression.
const qint64 kCopyBlock = 64 * 1024;

QString tr(const char* text) { return QCoreApplication::translate("ArchiveFile", text); }

ArchiveFile* self(void* data) { return static_cast<ArchiveFile*>(data); }

int openStep(struct archive* a, void* data)
{
    if (self(data)->deviceIsOpen())
        return ARCHIVE_OK;
    archive_set_error(a, EBADF, "IO device isn't open");
    return ARCHIVE_FATAL;
}

// The device stays open: its owner closes it.
int closeStep(struct archive*, void*) { return ARCHIVE_OK; }

la_ssize_t readStep(struct archive* a, void* data, const void** buffer)
{
    const qint64 n = self(data)->deviceRead(buffer);
    if (n < 0) {
        archive_set_error(a, errno ? errno : EIO, "IO device read error");
        return -1;
    }
    return static_cast<la_ssize_t>(n);
}

la_int64_t seekStep(struct archive* a, void* data, la_int64_t offset, int whence)
{
    const qint64 pos = self(data)->deviceSeek(offset, whence);
    if (pos < 0) {
        archive_set_error(a, EIO, "IO device seek error");
        return ARCHIVE_FATAL;
    }
    return pos;
}

la_ssize_t writeStep(struct archive* a, void* data, const void* buffer, size_t size)
{
    const qint64 n = self(data)->deviceWrite(buffer, size);
    if (n < 0) {
        archive_set_error(a, EIO, "%s", self(data)->deviceWriteError().constData());
        return -1;
    }
    return static_cast<la_ssize_t>(n);
}

bool isOutside(const QString& cleanRelative)
{
    return cleanRelative == QLatin1String("..") || cleanRelative.startsWith(QLatin1String("../"))
        || cleanRelative.startsWith(QLatin1Char('/'));
}

bool isWithin(const QString& canonicalPath, const QString& canonicalRoot)
{
    if (canonicalPath.isEmpty())
        return false;
    if (canonicalPath == canonicalRoot)
        return true;
    const QString prefix = canonicalRoot.endsWith(QLatin1Char('/')) ? canonicalRoot : canonicalRoot + QLatin1Char('/');
    return canonicalPath.startsWith(prefix);
}

}  // namespace

ArchiveFile::ArchiveFile() = default;

ArchiveFile::~ArchiveFile() { close(); }

bool ArchiveFile::deviceIsOpen() const { return m_device && m_device->isOpen(); }

bool ArchiveFile::fail(const QString& message)
{
    m_errorString = message;
    return false;
}

bool ArchiveFile::failArchive(const QString& what)
{
    const char* text = m_handle ? archive_error_string(m_handle) : nullptr;
    return fail(text ? what + QLatin1String(": ") + QString::fromUtf8(text) : what);
}

bool ArchiveFile::open(int mode, QIODevice* device, int kind)
{
    if (m_handle)
        return fail(tr("The archive is already open"));
    if (!device)
        return fail(tr("No device to open the archive on"));
    if ((mode == ReadMode && kind != TarGzKind && kind != ZipKind)
        || (mode == WriteMode && kind != TarGzKind && kind != TarKind && kind != ZipKind)
        || (mode != ReadMode && mode != WriteMode))
        return fail(tr("Unsupported archive mode or kind"));

    m_errorString.clear();
    m_deviceError.clear();
    m_damaged = false;
    m_device = device;
    m_mode = mode;
    m_kind = kind;
    int r = ARCHIVE_OK;
    if (mode == ReadMode) {
        m_handle = archive_read_new();
        if (kind == TarGzKind) {
            archive_read_support_format_tar(m_handle);
            archive_read_support_filter_gzip(m_handle);
        } else {
            archive_read_support_format_zip(m_handle);
        }
        const bool sequential = device->isSequential();
        m_expectedInputSize = sequential ? -1 : device->size();
        m_inputBase = sequential ? 0 : device->pos();
        m_inputPosition = m_inputBase;
        archive_read_set_callback_data(m_handle, this);
        archive_read_set_open_callback(m_handle, openStep);
        archive_read_set_read_callback(m_handle, readStep);
        archive_read_set_close_callback(m_handle, closeStep);
        // Seeking lets the zip reader use the central directory.
        if (!sequential)
            archive_read_set_seek_callback(m_handle, seekStep);
        r = archive_read_open1(m_handle);
    } else {
        m_handle = archive_write_new();
        if (kind == ZipKind) {
            archive_write_set_format_zip(m_handle);
            // Names go out as UTF-8 with the zip's UTF-8 flag, whatever the locale.
            archive_write_set_format_option(m_handle, "zip", "hdrcharset", "UTF-8");
        } else {
            archive_write_set_format_gnutar(m_handle);
            const int threads =
                m_compressionThreads > 0 ? m_compressionThreads : ParallelGzipWriter::defaultThreadCount();
            if (kind == TarGzKind && threads > 1) {
                // libarchive's default gzip level; no time in the header.
                m_gzip = std::make_unique<ParallelGzipWriter>(
                    threads, Z_DEFAULT_COMPRESSION,
                    [this](const char* data, qint64 size) { return writeToDevice(data, size); });
            } else if (kind == TarGzKind) {
                archive_write_add_filter_gzip(m_handle);
                // The same folder gives the same bytes.
                archive_write_set_filter_option(m_handle, "gzip", "timestamp", nullptr);
            }
        }
        archive_write_set_bytes_in_last_block(m_handle, 1);
        r = archive_write_open(m_handle, this, openStep, writeStep, closeStep);
    }
    if (r != ARCHIVE_OK) {
        failArchive(tr("Cannot open the archive"));
        if (mode == ReadMode)
            archive_read_free(m_handle);
        else
            archive_write_free(m_handle);
        m_handle = nullptr;
        m_device = nullptr;
        m_gzip.reset();
        return false;
    }
    return true;
}

bool ArchiveFile::close()
{
    if (!m_handle)
        return true;
    bool ok = true;
    if (m_mode == ReadMode) {
        ok = archive_read_free(m_handle) == ARCHIVE_OK;
    } else {
        // The last blocks reach the device only now: the device's reason
        // for refusing them is the one to tell.
        const auto notWritten = [this] {
            const QString what = tr("Cannot finish the archive: the compressed data could not be written");
            return fail(m_deviceError.isEmpty() ? what : QStringLiteral("%1 (%2)").arg(what, m_deviceError));
        };
        if (archive_write_close(m_handle) != ARCHIVE_OK)
            ok = m_deviceError.isEmpty() ? failArchive(tr("Cannot finish the archive")) : notWritten();
        else if (m_gzip && !m_gzip->finish())
            ok = notWritten();
        ok = archive_write_free(m_handle) == ARCHIVE_OK && ok;
        if (m_damaged)
            ok = false;
    }
    m_handle = nullptr;
    m_device = nullptr;
    m_gzip.reset();
    return ok;
}

bool ArchiveFile::checkWriter()
{
    if (!m_handle || m_mode != WriteMode)
        return fail(tr("The archive is not open for writing"));
    if (m_damaged)
        return fail(tr("An earlier entry of the archive failed"));
    return true;
}

bool ArchiveFile::checkReader()
{
    if (!m_handle || m_mode != ReadMode)
        return fail(tr("The archive is not open for reading"));
    return true;
}

bool ArchiveFile::addPath(const QString& path) { return addPathUnder(path, QString()); }

bool ArchiveFile::addPathUnder(const QString& path, const QString& entryName)
{
    if (!checkWriter())
        return false;
    QSet<QString> openFolders;
    return addEntry(path, QString(), entryName, openFolders);
}

bool ArchiveFile::addEntry(const QString& path, const QString& prefix, const QString& name, QSet<QString>& openFolders)
{
    QString entryName = prefix.isEmpty() ? QString() : prefix + QLatin1Char('/');
    entryName += name.isEmpty() ? QFileInfo(QDir::cleanPath(path)).fileName() : name;
    const QFileInfo info(path);
    if (info.isDir())
        return addFolder(path, entryName, openFolders);
    if (info.isFile())
        return addFile(path, entryName);
    if (!info.exists())
        return fail(tr("%1 does not exist").arg(path));
    return fail(tr("%1 is neither a file nor a folder").arg(path));
}

bool ArchiveFile::addFolder(const QString& path, const QString& entryName, QSet<QString>& openFolders)
{
    // A folder link back to an ancestor would recurse forever.
    const QString canonical = QFileInfo(path).canonicalFilePath();
    if (openFolders.contains(canonical))
        return fail(tr("%1 links back to a folder that contains it").arg(path));
    if (!writeHeader(entryName, AE_IFDIR, 0755, 0, false))
        return false;
    openFolders.insert(canonical);
    // Sorted, so the same folder always gives the same archive.
    QStringList names =
        QDir(path).entryList(QDir::Dirs | QDir::Files | QDir::Hidden | QDir::NoDotAndDotDot, QDir::NoSort);
    std::sort(names.begin(), names.end());
    for (const QString& name : names) {
        if (!addEntry(path + QLatin1Char('/') + name, entryName, QString(), openFolders))
            return false;
    }
    openFolders.remove(canonical);
    return true;
}

bool ArchiveFile::addFile(const QString& path, const QString& entryName)
{
    // Opened before the header goes out: a file that cannot be read leaves
    // no entry behind.
    QFile file(path);
    if (!file.exists())
        return fail(tr("%1 does not exist").arg(path));
    if (!file.open(QIODevice::ReadOnly | QIODevice::Unbuffered))
        return fail(tr("Cannot open %1: %2").arg(path, file.errorString()));
    const qint64 size = file.size();
    if (!writeHeader(entryName, AE_IFREG, 0644, size, false))
        return false;
    QByteArray buffer(static_cast<int>(std::min(kCopyBlock, std::max<qint64>(size, 1))), Qt::Uninitialized);
    qint64 remaining = size;
    while (remaining > 0) {
        const qint64 n = file.read(buffer.data(), std::min<qint64>(remaining, buffer.size()));
        if (n <= 0) {
            // The header promised more bytes than the file gave.
            m_damaged = true;
            return fail(n < 0 ? tr("Cannot read %1: %2").arg(path, file.errorString())
                              : tr("%1 became shorter while it was packed").arg(path));
        }
        if (!writeData(buffer.constData(), n))
            return false;
        remaining -= n;
    }
    countEntry(size);
    return true;
}

bool ArchiveFile::addBuffer(const QByteArray& data, const QString& entryName)
{
    if (!checkWriter() || !writeHeader(entryName, AE_IFREG, 0644, data.size(), true)
        || !writeData(data.constData(), data.size()))
        return false;
    countEntry(data.size());
    return true;
}

bool ArchiveFile::addEmptyFile(const QString& entryName)
{
    if (!checkWriter() || !writeHeader(entryName, AE_IFREG, 0644, 0, false))
        return false;
    countEntry(0);
    return true;
}

bool ArchiveFile::writeHeader(const QString& entryName, unsigned type, unsigned perm, qint64 size, bool stampNow)
{
    struct archive_entry* entry = archive_entry_new();
    // Tar names are the UTF-8 bytes as they are: libarchive's conversion of
    // a UTF-8 name for tar writes an empty name in a non-UTF-8 locale and
    // still reports success.
    const QByteArray utf8 = entryName.toUtf8();
    if (m_kind == ZipKind)
        archive_entry_set_pathname_utf8(entry, utf8.constData());
    else
        archive_entry_copy_pathname(entry, utf8.constData());
    archive_entry_set_filetype(entry, type);
    archive_entry_set_perm(entry, perm);
    archive_entry_set_size(entry, size);
    if (stampNow) {
        const time_t now = std::time(nullptr);
        archive_entry_set_birthtime(entry, now, 0);
        archive_entry_set_mtime(entry, now, 0);
    }
    const int r = archive_write_header(m_handle, entry);
    archive_entry_free(entry);
    if (r == ARCHIVE_OK)
        return true;
    // A warning still wrote the header (for a name that could not be
    // converted, an empty one), and a fatal error leaves the stream broken.
    if (r != ARCHIVE_FAILED)
        m_damaged = true;
    return failArchive(tr("Cannot write the archive entry %1").arg(entryName));
}

bool ArchiveFile::writeData(const char* data, qint64 size)
{
    while (size > 0) {
        const la_ssize_t n = archive_write_data(m_handle, data, static_cast<size_t>(size));
        if (n <= 0) {
            m_damaged = true;
            return failArchive(tr("Cannot write to the archive"));
        }
        data += n;
        size -= n;
    }
    return true;
}

void ArchiveFile::countEntry(qint64 size)
{
    m_dataBytesWritten += size;
    m_estimatedSize += (size + m_blockSize - 1) / m_blockSize * m_blockSize;
}

qint64 ArchiveFile::deviceWrite(const void* buffer, size_t size)
{
    const char* data = static_cast<const char*>(buffer);
    const bool ok =
        m_gzip ? m_gzip->write(data, static_cast<qint64>(size)) : writeToDevice(data, static_cast<qint64>(size));
    return ok ? static_cast<qint64>(size) : -1;
}

QByteArray ArchiveFile::deviceWriteError() const
{
    return m_deviceError.isEmpty() ? QByteArrayLiteral("IO device write error") : m_deviceError.toUtf8();
}

bool ArchiveFile::writeToDevice(const char* data, qint64 size)
{
    while (size > 0) {
        const qint64 n = m_device->write(data, size);
        if (n <= 0) {
            m_deviceError = m_device->errorString();
            return false;
        }
        data += n;
        size -= n;
    }
    return true;
}

qint64 ArchiveFile::deviceRead(const void** buffer)
{
    *buffer = m_readBuffer;
    errno = 0;
    const qint64 n = m_device->read(m_readBuffer, sizeof m_readBuffer);
    if (n < 0)
        return -1;
    m_inputPosition += n;
    if (m_reportingRead && m_expectedInputSize > 0) {
        // The byte position, scaled onto the stage opened for reading.
        const quint64 done = static_cast<quint64>(std::min(m_inputPosition, m_expectedInputSize));
        const unsigned step = static_cast<unsigned>(done * kProgressSteps / static_cast<quint64>(m_expectedInputSize));
        if (step > m_lastReadStep) {
            m_lastReadStep = step;
            m_tracker->setStep(step);
        }
    }
    return n;
}

qint64 ArchiveFile::deviceSeek(qint64 offset, int whence)
{
    qint64 target = offset;
    if (whence == SEEK_CUR)
        target += m_device->pos() - m_inputBase;
    else if (whence == SEEK_END)
        target += m_device->size() - m_inputBase;
    else if (whence != SEEK_SET)
        return -1;
    if (target < 0 || !m_device->seek(m_inputBase + target))
        return -1;
    m_inputPosition = m_inputBase + target;
    return target;
}

void ArchiveFile::beginReadProgress()
{
    if (!m_tracker)
        return;
    m_tracker->begin(kProgressSteps);
    m_lastReadStep = 0;
}

void ArchiveFile::endReadProgress()
{
    if (!m_tracker)
        return;
    m_reportingRead = false;
    m_tracker->end();
}

bool ArchiveFile::readEntryName(struct archive_entry* entry, QString& name)
{
    const char* utf8 = archive_entry_pathname_utf8(entry);
    if (!utf8)
        return fail(tr("An entry name of the archive cannot be read"));
    name = QString::fromUtf8(utf8);
    return true;
}

bool ArchiveFile::forEachEntry(const std::function<bool(struct archive_entry*)>& handle)
{
    beginReadProgress();
    bool ok = true;
    for (;;) {
        struct archive_entry* entry = nullptr;
        const int r = archive_read_next_header(m_handle, &entry);
        if (r == ARCHIVE_EOF)
            break;
        if (r < ARCHIVE_WARN) {
            ok = failArchive(tr("Cannot read the archive"));
            break;
        }
        // From the first header on: a zip reader reads its directory at the
        // end first and only then the entries from the start.
        m_reportingRead = m_tracker != nullptr;
        if (!handle(entry)) {
            ok = false;
            break;
        }
    }
    endReadProgress();
    return ok;
}

bool ArchiveFile::listEntries(QStringList& names, int maxEntries)
{
    if (!checkReader())
        return false;
    int listed = 0;
    bool enough = false;
    const bool ok = forEachEntry([&](struct archive_entry* entry) {
        QString name;
        if (!readEntryName(entry, name))
            return false;
        names.append(name);
        if (++listed == maxEntries) {
            enough = true;
            return false;
        }
        return archive_read_data_skip(m_handle) == ARCHIVE_OK || failArchive(tr("Cannot read the archive"));
    });
    return ok || enough;
}

bool ArchiveFile::extractTo(const QString& rootFolder, const ExtractOptions& options)
{
    if (!checkReader())
        return false;
    m_exceededSizeLimit = false;
    const QString root = QDir::cleanPath(QDir(rootFolder).absolutePath());
    ExpansionGuard guard(options.sizeLimit, m_expectedInputSize < 0 ? -1 : m_expectedInputSize - m_inputBase, root);
    if (!guard.makeFolder(root))
        return fail(tr("Cannot create a folder to extract %1 into: %2").arg(archiveName(), systemErrorText(errno)));
    const QString canonicalRoot = QFileInfo(root).canonicalFilePath();
    const bool ok = forEachEntry([&](struct archive_entry* entry) {
        // Without a known size the entries themselves move the stage.
        if (m_tracker && m_expectedInputSize <= 0)
            m_tracker->advance(1);
        return extractEntry(entry, root, canonicalRoot, guard);
    });
    if (!ok && guard.exceeded())
        guard.removeCreated();
    return ok;
}

QString ArchiveFile::archiveName() const
{
    const auto* file = qobject_cast<const QFileDevice*>(m_device);
    return file && !file->fileName().isEmpty()
        ? tr("the archive \"%1\"").arg(QDir::toNativeSeparators(file->fileName()))
        : tr("the archive");
}

bool ArchiveFile::failOverLimit(const QString& name, const ExpansionGuard& guard)
{
    m_exceededSizeLimit = true;
    const QString limit = QLocale::c().formattedDataSize(guard.limit(), 1);
    if (guard.limitIsFreeSpace()) {
        return fail(tr("The entry %1 of %2 would take it beyond the %3 free on the disk it is extracted onto (%4), so "
                       "nothing of it was kept. Free some space there, then try again.")
                        .arg(name, archiveName(), limit, guard.disk()));
    }
    return fail(tr("The entry %1 of %2 would take it beyond %3, more than any show or project of its size holds: it "
                   "is damaged or was made to fill the disk, so nothing of it was kept. Choose another copy of it.")
                    .arg(name, archiveName(), limit));
}

bool ArchiveFile::extractEntry(struct archive_entry* entry, const QString& root, const QString& canonicalRoot,
                               ExpansionGuard& guard)
{
    QString name;
    if (!readEntryName(entry, name))
        return false;
    const QString relative = QDir::cleanPath(name);
    if (isOutside(relative))
        return fail(tr("The archive entry %1 lies outside the target folder").arg(name));

    const unsigned type = archive_entry_filetype(entry);
    const char* hardlink = archive_entry_hardlink(entry) ? archive_entry_hardlink_utf8(entry) : nullptr;
    if ((archive_entry_hardlink(entry) && !hardlink) || (type == AE_IFLNK && !archive_entry_symlink_utf8(entry)))
        return fail(tr("The link target of %1 cannot be read").arg(name));
    if (hardlink || type == AE_IFLNK) {
        // Links are not recreated; one that points out is a hostile archive.
        QString target;
        if (hardlink) {
            target = QString::fromUtf8(hardlink);
        } else {
            target = QString::fromUtf8(archive_entry_symlink_utf8(entry));
            if (!target.startsWith(QLatin1Char('/')))
                target = QFileInfo(relative).path() + QLatin1Char('/') + target;
        }
        if (isOutside(QDir::cleanPath(target)))
            return fail(tr("The archive entry %1 links outside the target folder").arg(name));
        return true;
    }

    if (type == AE_IFDIR) {
        const QString path = root + QLatin1Char('/') + relative;
        if (!guard.makeFolder(path))
            return fail(
                tr("Cannot extract the folder %1 of %2: %3").arg(relative, archiveName(), systemErrorText(errno)));
        if (!isWithin(QFileInfo(path).canonicalFilePath(), canonicalRoot))
            return fail(tr("The archive entry %1 lies outside the target folder").arg(name));
        return true;
    }
    if (type != AE_IFREG)
        return true;

    if (relative == QLatin1String("."))
        return fail(tr("The archive entry %1 has no file name").arg(name));
    const QString path = root + QLatin1Char('/') + relative;
    const QString parent = QFileInfo(path).path();
    if (!guard.makeFolder(parent))
        return fail(tr("Cannot extract the entry %1 of %2: %3").arg(name, archiveName(), systemErrorText(errno)));
    // A link already on disk must not carry the file out of the root.
    if (!isWithin(QFileInfo(parent).canonicalFilePath(), canonicalRoot))
        return fail(tr("The archive entry %1 lies outside the target folder").arg(name));

    const mode_t mode = (archive_entry_perm(entry) & 0777) | 0600;
    const int fd =
        ::open(QFile::encodeName(path).constData(), O_WRONLY | O_CREAT | O_TRUNC | O_NOFOLLOW | O_CLOEXEC, mode);
    if (fd < 0)
        return fail(tr("Cannot extract the entry %1 of %2: %3").arg(name, archiveName(), systemErrorText(errno)));
    guard.addFile(path);
    bool ok = writeEntryData(fd, name, entry, guard);
    if (::close(fd) != 0 && ok)
        ok = fail(tr("Cannot extract the entry %1 of %2: %3").arg(name, archiveName(), systemErrorText(errno)));
    return ok;
}

bool ArchiveFile::writeEntryData(int fd, const QString& name, struct archive_entry* entry, ExpansionGuard& guard)
{
    const bool sized = archive_entry_size_is_set(entry) != 0;
    const qint64 declared = sized ? std::max<qint64>(archive_entry_size(entry), 0) : 0;
    // Only a sparse entry may end in a hole; libarchive hands its data blocks
    // over at their offsets.
    const bool sparse = archive_entry_sparse_count(entry) > 0;
    // The declared size is taken from the bound before a byte is written, and
    // data running past it as it arrives.
    qint64 counted = declared;
    if (!guard.take(declared))
        return failOverLimit(name, guard);
    qint64 end = 0;
    for (;;) {
        const void* block = nullptr;
        size_t size = 0;
        la_int64_t offset = 0;
        const int r = archive_read_data_block(m_handle, &block, &size, &offset);
        if (r == ARCHIVE_EOF)
            break;
        if (r != ARCHIVE_OK)
            return failArchive(tr("Cannot read the entry %1 of %2").arg(name, archiveName()));
        if (offset < 0)
            return fail(tr("The archive entry %1 is damaged").arg(name));
        // Past the limit is past it, however far: no sum may wrap.
        const qint64 room = guard.limit() - std::min<qint64>(offset, guard.limit());
        const qint64 blockEnd = static_cast<quint64>(size) > static_cast<quint64>(room)
            ? guard.limit() + 1
            : offset + static_cast<qint64>(size);
        if (blockEnd > counted) {
            if (!guard.take(blockEnd - counted))
                return failOverLimit(name, guard);
            counted = blockEnd;
        }
        const char* data = static_cast<const char*>(block);
        while (size > 0) {
            const ssize_t n = ::pwrite(fd, data, size, offset);
            if (n < 0) {
                if (errno == EINTR)
                    continue;
                return fail(
                    tr("Cannot extract the entry %1 of %2: %3").arg(name, archiveName(), systemErrorText(errno)));
            }
            data += n;
            size -= static_cast<size_t>(n);
            offset += n;
        }
        end = std::max<qint64>(end, offset);
    }
    if (sparse) {
        if (::ftruncate(fd, std::max(end, declared)) != 0)
            return fail(tr("Cannot extract the entry %1 of %2: %3").arg(name, archiveName(), systemErrorText(errno)));
    } else if (end < declared) {
        return fail(tr("The archive entry %1 holds %2 bytes where its header declares %3: the archive is "
                       "damaged")
                        .arg(name, QString::number(end), QString::number(declared)));
    }
    return true;
}

bool ArchiveFile::openFile(const QString& path, QStringList& names)
{
    names.clear();
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return false;
    // Bundles may be tar (plain or gzip) or zip.
    for (int kind : {int(TarGzKind), int(ZipKind)}) {
        if (!file.seek(0))
            return false;
        ArchiveFile archive;
        const bool ok = archive.open(ReadMode, &file, kind) && archive.listEntries(names);
        archive.close();
        if (ok)
            return true;
        names.clear();
    }
    return false;
}
