#include "seltrane_components/os/expansion_guard.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <algorithm>
#include <limits>

qint64 ExpansionGuard::defaultLimit(qint64 inputSize)
{
    if (inputSize < 0 || inputSize > kMaximumLimit / kInputRatio)
        return kMaximumLimit;
    return inputSize * kInputRatio;
}

ExpansionGuard::ExpansionGuard(qint64 limit, qint64 inputSize)
    : m_limit(limit < 0 ? defaultLimit(inputSize) : std::min(limit, std::numeric_limits<qint64>::max() / 2))
{}

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
    // The missing part of the path, deepest first.
    QStringList missing;
    QString path = QDir::cleanPath(folder);
    while (!QFileInfo::exists(path)) {
        missing.prepend(path);
        const QString parent = QFileInfo(path).path();
        if (parent == path)
            break;
        path = parent;
    }
    for (const QString& part : missing) {
        if (!QDir().mkdir(part))
            return QFileInfo(part).isDir();
        m_folders.append(part);
    }
    return QFileInfo(folder).isDir();
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
