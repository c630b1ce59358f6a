#include "components/project/project_working_folder.h"

#include "seltrane_components/os/atomic_file.h"
#include "seltrane_components/os/file_utils.h"

#include <QCryptographicHash>
#include <QDir>
#include <QFileInfo>
#include <QLockFile>
#include <QObject>

#include <cerrno>
#include <cstring>
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

void ProjectWorkingFolder::removeStaleFolders(const QString& parent) const
{
    // Links are never followed: a link to a folder elsewhere is not ours to sweep.
    const QFileInfoList folders =
        QDir(parent).entryInfoList(QDir::Dirs | QDir::NoDotAndDotDot | QDir::NoSymLinks, QDir::Unsorted);

    std::multimap<QDateTime, QString> dated;  // equal times keep listing order
    QStringList undated;
    for (const QFileInfo& folder : folders) {
        const QString path = folder.absoluteFilePath();
        const QString lockPath = path + QLatin1String(kLockFileName);
        if (QFileInfo::exists(lockPath)) {
            QLockFile probe(lockPath);
            probe.setStaleLockTime(0);
            if (!probe.tryLock(0))
                continue;  // held by a running process
            probe.unlock();
        }
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
        errno = 0;
        if (!QDir().mkpath(path)) {
            const int error = errno;
            m_lastError = QObject::tr("The working folder %1 could not be created (%2)")
                              .arg(shown, QString::fromLocal8Bit(std::strerror(error)));
            return false;
        }
        createdHere = true;
    }

    m_lock = std::make_unique<QLockFile>(path + QLatin1String(kLockFileName));
    // Bounded: a folder that another live process holds is reported, not
    // waited on for ever.
    if (!m_lock->tryLock(kLockWaitMs)) {
        const QLockFile::LockError error = m_lock->error();
        m_lock.reset();
        if (error == QLockFile::LockFailedError) {
            m_lastError = QObject::tr("The working folder %1 is in use by another running program").arg(shown);
        } else {
            // The lock says only that it failed; the folder itself tells why.
            const QString reason = AtomicFile::writeProblem(path, kRoomProbeBytes);
            m_lastError = QObject::tr("The working folder %1 could not be locked (%2)")
                              .arg(shown, reason.isEmpty() ? QObject::tr("lock error %1").arg(int(error)) : reason);
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
    AtomicFile file(path);
    if (!file.open(QIODevice::WriteOnly)) {
        m_lastError = QObject::tr("Error %1 (%2)").arg(file.error()).arg(file.errorString());
        return false;
    }
    const auto writeFailure = [&file] {
        return QObject::tr("Failed to save the project (%1)").arg(file.errorString());
    };
    // Returning without commit() discards the new file and keeps the old one.
    if (!writeHeader(&file)) {
        m_lastError = file.error() != 0 ? writeFailure() : QObject::tr("Unable to create the project archive");
        return false;
    }
    quint64 counter = 0;
    if (!save(&file, &counter, progress)) {
        if (m_lastError.isEmpty())
            m_lastError = QObject::tr("Unable to create the project archive");
        return false;
    }
    // Only now are the last bytes written and the file synced and closed:
    // the earlier file is replaced only when all of that worked.
    if (!file.commit()) {
        m_lastError = writeFailure();
        return false;
    }
    return true;
}
