#include "seltrane_components/os/atomic_file.h"

#include "seltrane_components/os/file_utils.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRandomGenerator>

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <mutex>
#include <utility>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

// Links followed to the file a target names, as QSaveFile does.
constexpr int kMaxLinks = 128;
// Tries at a free temporary name.
constexpr int kNameTries = 100;
// One write() at most: a larger one may be cut short anyway.
constexpr qint64 kMaxWrite = qint64(1) << 30;

std::mutex injectorMutex;
AtomicFile::FaultInjector injector;
std::atomic<bool> injecting {false};

// A name in the target's folder that no file has yet: "<folder>/.<name>.<random>".
QString temporaryNameFor(const QString& target)
{
    const QFileInfo info(target);
    return info.absolutePath() + QStringLiteral("/.") + info.fileName() + QLatin1Char('.')
        + QString::number(QRandomGenerator::global()->generate(), 36);
}

}  // namespace

AtomicFile::AtomicFile(const QString& fileName) : m_fileName(fileName) {}

AtomicFile::~AtomicFile() { discard(); }

void AtomicFile::setFaultInjector(FaultInjector function)
{
    const std::lock_guard<std::mutex> lock(injectorMutex);
    injector = std::move(function);
    injecting.store(bool(injector), std::memory_order_release);
}

int AtomicFile::injectedError(Call call, const QString& path)
{
    if (!injecting.load(std::memory_order_acquire))
        return 0;
    const std::lock_guard<std::mutex> lock(injectorMutex);
    return injector ? injector(call, path) : 0;
}

bool AtomicFile::fail(int error)
{
    // The first failure is the one to tell: later ones follow from it.
    if (m_error == 0) {
        m_error = error;
        setErrorString(systemErrorText(error));
    }
    return false;
}

bool AtomicFile::open(OpenMode mode)
{
    if (isOpen()) {
        qWarning("AtomicFile::open: %s is already open", qPrintable(m_fileName));
        return false;
    }
    m_error = 0;
    setErrorString(QString());
    m_folderSyncFailure.clear();
    m_buffer.clear();
    m_temporary.clear();
    if (!(mode & WriteOnly) || (int(mode) & ~int(WriteOnly | Truncate | Unbuffered)) != 0)
        return fail(EINVAL);

    QFileInfo info(m_fileName);
    for (int depth = 0; info.isSymLink() && depth < kMaxLinks; ++depth)
        info.setFile(info.symLinkTarget());
    m_target = info.isSymLink() ? QFileInfo(m_fileName).absoluteFilePath() : info.absoluteFilePath();
    const QByteArray target = QFile::encodeName(m_target);
    struct stat existing;
    const bool exists = ::stat(target.constData(), &existing) == 0;
    if (exists && S_ISDIR(existing.st_mode))
        return fail(EISDIR);
    if (exists && ::access(target.constData(), W_OK) != 0)
        return fail(errno);

    const QString folderPath = QFileInfo(m_target).absolutePath();
    if (const int error = injectedError(Call::Open, folderPath))
        return fail(error);
    const QByteArray folder = QFile::encodeName(folderPath);
    m_fd = ::open(folder.constData(), O_TMPFILE | O_WRONLY | O_CLOEXEC, 0666);
    m_nameless = m_fd >= 0;
    // A file system without nameless files: a named one, removed on failure.
    if (m_fd < 0 && (errno == EOPNOTSUPP || errno == EISDIR || errno == EINVAL)) {
        for (int i = 0; i < kNameTries && m_fd < 0; ++i) {
            m_temporary = temporaryNameFor(m_target);
            m_fd = ::open(QFile::encodeName(m_temporary).constData(), O_CREAT | O_EXCL | O_WRONLY | O_CLOEXEC, 0666);
            if (m_fd < 0 && errno != EEXIST)
                break;
        }
        if (m_fd < 0)
            m_temporary.clear();
    }
    if (m_fd < 0)
        return fail(errno);
    if (exists && !setMode(existing.st_mode & 07777)) {
        discard();
        return false;
    }
    m_buffer.reserve(kBufferSize);
    return QIODevice::open(WriteOnly);
}

bool AtomicFile::setMode(mode_t mode)
{
    // The new file mostly has the mode already (0666 less the umask).
    struct stat created;
    if (::fstat(m_fd, &created) == 0 && (created.st_mode & 07777) == mode)
        return true;
    const QString path = m_temporary.isEmpty() ? m_target : m_temporary;
    if (call(Call::Mode, path, [this, mode] { return ::fchmod(m_fd, mode); }))
        return true;
    // A file system that gives every file one owner and mode refuses the
    // mode, not the file: QSaveFile saved there, and so does this.
    if (m_error == EPERM || m_error == ENOTSUP || m_error == EROFS) {
        m_error = 0;
        setErrorString(QString());
        return true;
    }
    return false;
}

qint64 AtomicFile::readData(char*, qint64) { return -1; }

qint64 AtomicFile::writeData(const char* data, qint64 size)
{
    if (m_error != 0 || m_fd < 0)
        return -1;
    if (m_buffer.size() + size > kBufferSize) {
        if (!flush())
            return -1;
        if (size >= kBufferSize)
            return writeOut(data, size) ? size : -1;
    }
    m_buffer.append(data, int(size));
    return size;
}

bool AtomicFile::writeOut(const char* data, qint64 size)
{
    while (size > 0) {
        if (const int error = injectedError(Call::Write, m_target))
            return fail(error);
        const ssize_t n = ::write(m_fd, data, size_t(std::min(size, kMaxWrite)));
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            return fail(n < 0 ? errno : EIO);
        data += n;
        size -= n;
    }
    return true;
}

bool AtomicFile::flush()
{
    if (m_error != 0 || m_fd < 0)
        return false;
    const bool written = writeOut(m_buffer.constData(), m_buffer.size());
    m_buffer.clear();
    return written;
}

template <class SystemCall>
bool AtomicFile::call(Call which, const QString& path, SystemCall run)
{
    const int error = injectedError(which, path);
    if (error != 0) {
        // A close still closes: the descriptor must not stay behind.
        if (which == Call::Close)
            run();
        return fail(error);
    }
    return run() == 0 || fail(errno);
}

bool AtomicFile::nameFile()
{
    const QByteArray self = "/proc/self/fd/" + QByteArray::number(m_fd);
    for (int i = 0; i < kNameTries; ++i) {
        const QString name = temporaryNameFor(m_target);
        if (::linkat(AT_FDCWD, self.constData(), AT_FDCWD, QFile::encodeName(name).constData(), AT_SYMLINK_FOLLOW)
            == 0) {
            m_temporary = name;
            return true;
        }
        if (errno != EEXIST)
            break;
    }
    return fail(errno);
}

bool AtomicFile::commit()
{
    if (!isOpen()) {
        qWarning("AtomicFile::commit: %s is not open", qPrintable(m_fileName));
        return false;
    }
    bool ok = flush() && call(Call::Sync, m_target, [this] { return ::fdatasync(m_fd); });
    ok = ok && (!m_nameless || nameFile());
    if (ok) {
        // Closed whatever the outcome: a failed close() leaves no descriptor.
        const int fd = std::exchange(m_fd, -1);
        ok = call(Call::Close, m_target, [fd] { return ::close(fd); });
    }
    ok = ok && call(Call::Rename, m_target, [this] {
             return ::rename(QFile::encodeName(m_temporary).constData(), QFile::encodeName(m_target).constData());
         });
    if (!ok) {
        discard();
        QIODevice::close();
        return false;
    }
    // The file is in place: the save is done, whatever the folder does now.
    m_temporary.clear();
    m_folderSyncFailure = syncFolder();
    QIODevice::close();
    return true;
}

QString AtomicFile::syncFolder()
{
    const QString path = QFileInfo(m_target).absolutePath();
    if (const int error = injectedError(Call::SyncFolder, path))
        return systemErrorText(error);
    const int folder = ::open(QFile::encodeName(path).constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (folder < 0)
        return systemErrorText(errno);
    // A file system that cannot sync a folder has nothing to sync.
    int error = 0;
    if (::fsync(folder) != 0 && errno != EINVAL && errno != ENOTSUP && errno != ENOSYS)
        error = errno;
    ::close(folder);
    return error != 0 ? systemErrorText(error) : QString();
}

void AtomicFile::discard()
{
    if (m_fd >= 0)
        ::close(m_fd);
    m_fd = -1;
    if (!m_temporary.isEmpty())
        ::unlink(QFile::encodeName(m_temporary).constData());
    m_temporary.clear();
    m_buffer.clear();
}

void AtomicFile::cancelWriting()
{
    discard();
    if (isOpen())
        QIODevice::close();
}

void AtomicFile::close() { cancelWriting(); }

QString AtomicFile::writeProblem(const QString& folder, qint64 bytes)
{
    AtomicFile probe(QDir(folder).filePath(QStringLiteral(".write-probe")));
    if (!probe.open(WriteOnly))
        return probe.errorString();
    const QByteArray block(kBufferSize, '\0');
    for (qint64 left = bytes; left > 0 && probe.m_error == 0; left -= block.size())
        probe.write(block.constData(), std::min<qint64>(left, block.size()));
    probe.flush();
    const QString reason = probe.m_error != 0 ? probe.errorString() : QString();
    probe.cancelWriting();
    return reason;
}
