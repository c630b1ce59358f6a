#include "seltrane_components/os/expansion_guard.h"

#include "seltrane_components/os/file_utils.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QStorageInfo>

#include <algorithm>
#include <cerrno>
#include <limits>

qint64 ExpansionGuard::defaultLimit(qint64 inputSize)
{
    if (inputSize > std::numeric_limits<qint64>::max() / 2 / kInputRatio)
        return std::numeric_limits<qint64>::max() / 2;
    return std::max(kMinimumLimit, inputSize * kInputRatio);
}

namespace {

// The folder itself, or its nearest parent that exists.
QString existingPart(const QString& folder)
{
    QString path = QDir::cleanPath(QDir(folder).absolutePath());
    while (!QFileInfo::exists(path)) {
        const QString parent = QFileInfo(path).path();
        if (parent == path)
            break;
        path = parent;
    }
    return path;
}

}  // namespace

ExpansionGuard::ExpansionGuard(qint64 limit, qint64 inputSize, const QString& folder)
    : m_limit(limit < 0 ? defaultLimit(inputSize) : std::min(limit, std::numeric_limits<qint64>::max() / 2))
{
    if (limit >= 0 || folder.isEmpty())
        return;
    // Bytes free for an ordinary user where the folder is, or will be made.
    const QStorageInfo disk(existingPart(folder));
    if (disk.isValid() && disk.bytesAvailable() >= 0 && disk.bytesAvailable() < m_limit) {
        m_limit = disk.bytesAvailable();
        m_disk = QDir::toNativeSeparators(disk.rootPath());
    }
}

bool ExpansionGuard::take(qint64 bytes)
{
    if (bytes < 0 || bytes > m_limit - m_used) {
        m_exceeded = true;
        return false;
    }
    m_used += bytes;
    return true;
}

bool ExpansionGuard::makeFolder(const QString& folder)
{
    const int error = makeFolderPath(folder, &m_folders);
    errno = error;
    return error == 0;
}

void ExpansionGuard::removeCreated()
{
    for (auto it = m_files.crbegin(); it != m_files.crend(); ++it)
        QFile::remove(*it);
    for (auto it = m_folders.crbegin(); it != m_folders.crend(); ++it)
        QDir().rmdir(*it);
    m_files.clear();
    m_folders.clear();
}
