// The array tables that databases are created with, and the fixed names of a
// project's database files.
//
// projectSchema() is the version-2 project database: 42 arrays in the order of
// loading, saving and change delivery. Every array is stored as one binary
// file, except "cuelist", which the database never stores (the project writes
// it itself with saveArray). vuxSchema() is the sibling format's table.
// Both tables end with a row of array id kSchemaEnd.
//
// Thread safety: the tables are built on first use and only read afterwards;
// any thread.
#ifndef ARCHIVE_DATABASE_SCHEMA_H
#define ARCHIVE_DATABASE_SCHEMA_H

#include "components/archive/database_settings.h"

#include <QString>

namespace Archive {

const ArraySchemaRow* projectSchema();
const ArraySchemaRow* vuxSchema();

// The database folder inside a project's working folder.
inline QString projectDatabaseFolderName() { return QStringLiteral("archive.tarv"); }

// The header file inside the database folder; its time is the project's
// modification time.
inline QString projectHeaderName() { return QStringLiteral(".tarvel_project"); }

// The manifest entry of a project file.
inline QString migrationEntryName() { return QStringLiteral(".migration"); }

}  // namespace Archive

#endif  // ARCHIVE_DATABASE_SCHEMA_H
