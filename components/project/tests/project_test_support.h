// Helpers of the project tests: small files and the entries of a packed
// project. One test thread.
#ifndef PROJECT_TESTS_PROJECT_TEST_SUPPORT_H
#define PROJECT_TESTS_PROJECT_TEST_SUPPORT_H

#include "components/archive/archive_file.h"
#include "tests/support/stream_check.h"

#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QFileInfo>

using StreamCheck::hex;

// A device that refuses every byte written to it, as a full disk would.
struct RefusingDevice : QIODevice
{
    RefusingDevice() { open(QIODevice::WriteOnly); }
    qint64 readData(char*, qint64) override { return -1; }
    qint64 writeData(const char*, qint64) override
    {
        setErrorString(QStringLiteral("No space left on device"));
        return -1;
    }
};

// Writes content to path, making the folders on the way.
inline void writeFile(const QString& path, const QByteArray& content = QByteArray())
{
    QDir().mkpath(QFileInfo(path).path());
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly)) << path.toStdString();
    file.write(content);
}

inline QByteArray readAll(const QString& path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("<missing>");
}

// The entries of the archive at the device's position, in archive order.
inline std::string archiveEntries(QIODevice* device)
{
    ArchiveFile archive;
    QStringList names;
    if (!archive.open(ArchiveFile::ReadMode, device, ArchiveFile::TarGzKind) || !archive.listEntries(names))
        return "<bad archive>";
    return names.join(QLatin1Char(' ')).toStdString();
}

inline bool extractArchive(QIODevice* device, const QString& folder)
{
    ArchiveFile archive;
    return archive.open(ArchiveFile::ReadMode, device, ArchiveFile::TarGzKind) && archive.extractTo(folder);
}

#endif  // PROJECT_TESTS_PROJECT_TEST_SUPPORT_H
