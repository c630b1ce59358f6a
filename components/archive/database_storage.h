// Archive::DatabaseStorage keeps an Archive::Database on disk, in one of two
// layouts:
//   - single file: one binary or text stream (by its suffix) holding the
//     database identifiers and every stored array;
//   - folder: the header file (settings.headerName: a QDataStream of the
//     extra bytes, the database identifier and the second identifier) and per
//     stored array either <name>.<suffix>, or, when the array's 30-bit storage
//     field is N, the sub-folder <name>/ with one file per run of N ids
//     ("<first>.<suffix>" for N = 1, else "<first>-<first + N - 1>.<suffix>").
// Every array file holds one array section: section 51, the slot count, and
// per slot section 52 with the object id, sequence number, stamp and the
// object (the empty section 18 for an empty slot, so that the numbers of
// freed ids survive).
//
// Saving never puts a damaged file in place of a good one: each file is
// written beside its target ("<target>.part"), synced and then renamed over
// it. A folder or file that cannot be made, opened, written, synced, closed or
// renamed throws storage_error (code 7), which names it with the system's
// errno; the test seam of AtomicFile is asked before each of those calls.
// Loading checks what it reads: an object id above the array's maximum, two
// objects with one id, or a run file whose name is not "a-b" (decimal,
// a <= b) or "a" raise code 9 before anything is grown for them.
//
// Ownership: the database owns its storage state; the storage reads and
// changes the database's arrays. Threads: the database calls it with its
// locks held (all four to open, the save lock to save); it is not guarded
// itself.
#ifndef ARCHIVE_DATABASE_STORAGE_H
#define ARCHIVE_DATABASE_STORAGE_H

#include "components/archive/database_settings.h"
#include "components/archive/object_base.h"

#include <QByteArray>
#include <QString>
#include <QUuid>

class InStream;
class OutStream;
class ProgressTracker;

namespace Archive {

class Array;
class Database;

// What Archive::openDatabase is given.
struct DatabaseOpenParameters
{
    QString path;                         // the database file or folder
    quint16 supportedVersion = 0;         // highest stream version accepted
    bool openExisting = false;            // false: create a new database at path
    ProgressTracker* progress = nullptr;  // one step per array while loading
    quint16 foundVersion = 0;             // out: the stream version of the data read
    // In: the creator record the database writes on every later save.
    // Out: the record read from the stored data.
    QByteArray extra;
};

class DatabaseStorage
{
public:
    // Takes the layout (single file or folder, binary or text) from the settings.
    void configure(const DatabaseSettings& settings);
    // Forgets the path and the identifiers.
    void clear();

    const QString& path() const { return m_path; }
    const QByteArray& extra() const { return m_extra; }
    const QUuid& uuid() const { return m_uuid; }
    void setUuid(const QUuid& uuid) { m_uuid = uuid; }
    // Null when the stored data had none; renewed by a save that asks for it.
    const QUuid& secondUuid() const { return m_secondUuid; }
    bool isSingleFile() const { return m_singleFile; }
    bool isBinary() const { return m_binary; }

    // A new database at a path that must not exist yet (code 5); nothing is
    // written until the first save.
    void create(const Database& database, const QString& path, const QByteArray& extra);
    // Fills the database's arrays from the file or folder at parameters.path.
    // Code 5 for a missing path, header or identifier and for a file of
    // another suffix; 6 for an array the database lacks; 9 for damaged
    // array data; stream failures pass on. Arrays read so far stay filled.
    void load(Database& database, DatabaseOpenParameters& parameters);
    // Writes the layout in force: in the folder layout every stored array
    // with a changed id (every one when forced), then the header file.
    void save(Database& database, bool force, bool newSecondId);
    // Writes <folder>/<name>.<suffix> with every slot of the array, whatever
    // its storage field; its changed ids stay. Code 8 for an unknown array.
    void saveArray(Database& database, ArrayId arrayId, const QString& folder);

private:
    void loadFolder(Database& database, DatabaseOpenParameters& parameters);
    void loadSingleFile(Database& database, DatabaseOpenParameters& parameters);
    void saveFolder(Database& database, bool force);
    void saveSingleFile(Database& database, bool force);

    QString m_path;
    QByteArray m_extra;
    QUuid m_uuid;
    QUuid m_secondUuid;
    bool m_singleFile = false;
    bool m_binary = true;
};

// One array section. Reading sets context value 1 of the stream to the array
// id and value 0 to the id of the object being read, and leaves both invalid.
void readArrayObjects(InStream& in, Array& array);
// The slots first to end - 1 of the array.
void writeArrayObjects(OutStream& out, const Array& array, ObjectId first, ObjectId end);

}  // namespace Archive

#endif  // ARCHIVE_DATABASE_STORAGE_H
