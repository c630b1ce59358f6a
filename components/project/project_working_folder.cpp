#include "components/project/project_working_folder.h"

#include "seltrane_components/os/atomic_file.h"
#include "seltrane_components/os/file_utils.h"

#include <QCryptographicHash>
#include <QDir>
#include <QFileInfo>
#include <QLockFile>
#include <QObject>

#include <cerrno>
#include <map>

namespace {

const char kLockFileName[] = "/.lock";
// What a folder must take for a project to start in it: a folder that
// cannot take this much is too full for one.
const qint64 kRoomProbeBytes = 64 * 1024;

QString withTrailingSlash(QString folder)
{
    if (!folder.isEmpty() && !folder.endsWith(QLatin1Char('/')))
        folder += QLatin1Char('/');
    return folder;
}

// The working folders in parent; links are never followed: a link to a
// folder elsewhere is not ours to sweep.
QFileInfoList foldersIn(const QString& parent)
{
    return QDir(parent).entryInfoList(QDir::Dirs | QDir::NoDotAndDotDot | QDir::NoSymLinks, QDir::Unsorted);
}

// True when a running process holds the working folder's lock.
bool isHeld(const QString& folder)
{
    const QString lockPath = folder + QLatin1String(kLockFileName);
    if (!QFileInfo::exists(lockPath))
        return false;
    QLockFile probe(lockPath);
    probe.setStaleLockTime(0);
    if (!probe.tryLock(0))
        return true;
    probe.unlock();
    return false;
}

}  // namespace

ProjectWorkingFolder::ProjectWorkingFolder(bool keepFolder, quint32 keptFolderLimit)
    : m_keptFolderLimit(keptFolderLimit), m_keepFolder(keepFolder)
{}

ProjectWorkingFolder::~ProjectWorkingFolder()
{
    m_lock.reset();  // QLockFile's destructor releases the lock
    if (m_folderPath.isEmpty())
        return;
    if (!m_renameTo.isEmpty()) {
        QDir().rename(m_folderPath, m_renameTo);
    } else if (!m_keepFolder) {
        removeDirectoryRecursively(m_folderPath, false);
        m_folderPath.clear();
    }
}

void ProjectWorkingFolder::setFilePath(const QString& path)
{
    if (path == m_filePath)
        return;
    m_filePath = path;
    const QString parent = parentFolder();
    if (parent.isEmpty())
        return;
    m_renameTo = parent + folderNameFor(path, projectUuid());
}

QDateTime ProjectWorkingFolder::lastModified(const QString&) const { return QDateTime(); }

int ProjectWorkingFolder::clearCachedData(const QString&, QString*) { return 0; }

bool ProjectWorkingFolder::queryBreakLock() { return false; }

bool ProjectWorkingFolder::writeHeader(QIODevice*) { return true; }

int ProjectWorkingFolder::readHeader(QIODevice*, QString*) { return 0; }

bool ProjectWorkingFolder::upgradeFolder(const QString&) { return true; }

bool ProjectWorkingFolder::save(QIODevice*, quint64*, ProgressTracker*) { return false; }

QString ProjectWorkingFolder::folderNameFor(const QString& filePath, const QUuid& uuid)
{
    QString name = uuid.toString();
    if (filePath.isEmpty())
        return name;
    QString path = filePath;
    path.replace(QLatin1Char('\\'), QLatin1Char('/'));
    const QByteArray digest = QCryptographicHash::hash(path.toUtf8(), QCryptographicHash::Md5);
    return name + QLatin1Char('-') + QString::fromLatin1(digest.toHex());
}

bool ProjectWorkingFolder::create(const QUuid& uuid, const QString& filePath)
{
    m_lastError.clear();
    const QString parent = parentFolder();
    if (parent.isEmpty()) {
        m_lastError = QObject::tr("Unable to create working folder - no writable data location");
        return false;
    }
    removeStaleFolders(parent);
    const QString path = parent + folderNameFor(filePath, uuid);
    if (!createAndLock(path))
        return false;
    m_filePath = filePath;
    m_folderPath = path;
    return true;
}

QString ProjectWorkingFolder::parentFolder() const { return withTrailingSlash(projectsFolder()); }

void ProjectWorkingFolder::removeAbandonedFolders(const QString& parent)
{
    if (parent.isEmpty())
        return;
    for (const QFileInfo& folder : foldersIn(parent)) {
        if (!isHeld(folder.absoluteFilePath()))
            removeDirectoryRecursively(folder.absoluteFilePath(), false);
    }
}

void ProjectWorkingFolder::removeStaleFolders(const QString& parent) const
{
    const QFileInfoList folders = foldersIn(parent);

    std::multimap<QDateTime, QString> dated;  // equal times keep listing order
    QStringList undated;
    for (const QFileInfo& folder : folders) {
        const QString path = folder.absoluteFilePath();
        if (isHeld(path))
            continue;
        const QDateTime time = lastModified(path);
        if (time.isNull())
            undated << path;
        else
            dated.emplace(time, path);
    }

    while (!dated.empty() && dated.size() >= m_keptFolderLimit) {
        removeDirectoryRecursively(dated.begin()->second, false);
        dated.erase(dated.begin());
    }
    for (const QString& path : undated)
        removeDirectoryRecursively(path, false);
}

bool ProjectWorkingFolder::createAndLock(const QString& path)
{
    const QString shown = QDir::toNativeSeparators(path);
    bool createdHere = false;
    if (!QFileInfo::exists(path)) {
        if (const int error = makeFolderPath(path)) {
            m_lastError =
                QObject::tr("The working folder %1 could not be created (%2)").arg(shown, systemErrorText(error));
            return false;
        }
        createdHere = true;
    }

    const QString lockPath = path + QLatin1String(kLockFileName);
    m_lock = std::make_unique<QLockFile>(lockPath);
    // Bounded: a folder that another live process holds is reported, not
    // waited on for ever.
    int error = AtomicFile::injectedError(AtomicFile::Call::Lock, lockPath);
    errno = 0;
    if (error != 0 || !m_lock->tryLock(kLockWaitMs)) {
        // The lock says only which kind of failure it met; the system's
        // reason is still in errno, or the folder tells it.
        if (error == 0)
            error = errno;
        const QLockFile::LockError kind =
            error != 0 && m_lock->error() == QLockFile::NoError ? QLockFile::UnknownError : m_lock->error();
        m_lock.reset();
        if (kind == QLockFile::LockFailedError) {
            m_lastError = QObject::tr("The working folder %1 is in use by another running program").arg(shown);
        } else {
            QString reason = error != 0 ? systemErrorText(error) : AtomicFile::writeProblem(path, kRoomProbeBytes);
            if (reason.isEmpty())
                reason = QObject::tr("the system gave no reason");
            m_lastError = QObject::tr("The working folder %1 could not be locked (%2)").arg(shown, reason);
        }
        if (createdHere)
            removeDirectoryRecursively(path, false);
        return false;
    }
    return true;
}

bool ProjectWorkingFolder::saveToFile(const QString& path, ProgressTracker* progress)
{
    m_lastError.clear();
    m_lastSystemError = 0;
    m_saveNote.clear();
    AtomicFile file(path);
    // Only failures of the file itself carry the system's errno: the packing
    // fails on its own, with its own message.
    const auto fileFailed = [this, &file] {
        m_lastSystemError = file.error();
        m_lastError = QObject::tr("Failed to save the project (%1)").arg(file.errorString());
        return false;
    };
    if (!file.open(QIODevice::WriteOnly))
        return fileFailed();
    // Returning without commit() discards the new file and keeps the old one.
    if (!writeHeader(&file)) {
        if (file.error() != 0)
            return fileFailed();
        m_lastError = QObject::tr("Unable to create the project archive");
        return false;
    }
    quint64 counter = 0;
    if (!save(&file, &counter, progress)) {
        if (file.error() != 0)
            m_lastSystemError = file.error();
        if (m_lastError.isEmpty())
            m_lastError = QObject::tr("Unable to create the project archive");
        return false;
    }
    // Only now are the last bytes written and the file synced and closed:
    // the earlier file is replaced only when all of that worked. Once it is,
    // the save is done.
    if (!file.commit())
        return fileFailed();
    m_saveNote = file.folderSyncFailure();
    return true;
}
