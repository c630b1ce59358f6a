// Helpers of the project tests: small files in a working folder, the entries
// of a packed project, and a project database opened in a folder and closed
// again. One test thread.
#ifndef PROJECT_TESTS_PROJECT_TEST_SUPPORT_H
#define PROJECT_TESTS_PROJECT_TEST_SUPPORT_H

#include "components/archive/archive_file.h"
#include "components/archive/database.h"
#include "components/archive/database_schema.h"
#include "components/archive/database_storage.h"
#include "components/lx_objects/project_database.h"

#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QFileInfo>

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
inline QStringList archiveEntries(QIODevice* device)
{
    ArchiveFile archive;
    QStringList names;
    if (!archive.open(ArchiveFile::ReadMode, device, ArchiveFile::TarGzKind) || !archive.listEntries(names))
        return {QStringLiteral("<bad archive>")};
    return names;
}

// A project database opened (or created) with open; open's out fields are
// filled in.
inline Archive::DatabaseId openProjectDatabase(Archive::DatabaseOpenParameters& open,
                                               const Archive::ArraySchemaRow* schema = Archive::projectSchema())
{
    const Archive::DatabaseId db = Archive::createDatabase(makeDatabaseSettings(0x7FFFFFFF, 0x7FFFFFFF), schema);
    open.supportedVersion = kProjectStreamVersion;
    Archive::openDatabase(open, db);
    return db;
}

inline void closeProjectDatabase(Archive::DatabaseId db)
{
    Archive::resetDatabase(db);
    Archive::closeDatabase(db);
    Archive::setCurrentDatabase(Archive::kNoDatabase);
}

#endif  // PROJECT_TESTS_PROJECT_TEST_SUPPORT_H
