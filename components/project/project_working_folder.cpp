#include "components/project/project_working_folder.h"

#include "seltrane_components/os/file_utils.h"

#include <QCryptographicHash>
#include <QDir>
#include <QFileInfo>
#include <QLockFile>
#include <QObject>
#include <QSaveFile>

#include <cerrno>
#include <cstring>
#include <map>

namespace {

const char kLockFileName[] = "/.lock";

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
    bool createdHere = false;
    if (!QFileInfo::exists(path)) {
        errno = 0;
        if (!QDir().mkpath(path)) {
            const int error = errno;
            m_lastError = QObject::tr("Unable to create working folder - error %1 (%2)")
                              .arg(error)
                              .arg(QString::fromLocal8Bit(std::strerror(error)));
            return false;
        }
        createdHere = true;
    }

    m_lock = std::make_unique<QLockFile>(path + QLatin1String(kLockFileName));
    // Bounded: a folder that another live process holds is reported, not
    // waited on for ever.
    if (!m_lock->tryLock(kLockWaitMs)) {
        m_lastError =
            QObject::tr("Failed to lock the working folder - error %1").arg(static_cast<int>(m_lock->error()));
        m_lock.reset();
        if (createdHere)
            removeDirectoryRecursively(path, false);
        return false;
    }
    return true;
}

bool ProjectWorkingFolder::saveToFile(const QString& path, ProgressTracker* progress)
{
    m_lastError.clear();
    QSaveFile file(path);
    errno = 0;
    if (!file.open(QIODevice::WriteOnly)) {
        const int error = errno;
        m_lastError = QObject::tr("Error %1 (%2)").arg(error).arg(QString::fromLocal8Bit(std::strerror(error)));
        return false;
    }
    // Returning without commit() discards the new file and keeps the old one.
    if (!writeHeader(&file)) {
        m_lastError = file.error() != QFileDevice::NoError ? errorMessage(file.error())
                                                           : QObject::tr("Unable to create the project archive");
        return false;
    }
    quint64 counter = 0;
    if (!save(&file, &counter, progress)) {
        if (m_lastError.isEmpty())
            m_lastError = QObject::tr("Unable to create the project archive");
        return false;
    }
    if (!file.commit()) {
        if (file.error() == QFileDevice::RenameError)
            m_lastError = QObject::tr("Failed to save file. If it already exists, it might not be writable.");
        else
            m_lastError = errorMessage(file.error());
        return false;
    }
    return true;
}
