// Archive::Database keeps the objects of one open database in numbered arrays
// (Archive::Array) and changes them only through per-thread edit transactions
// that commit all at once or not at all. The free functions below are how the
// rest of the program reaches a database: each takes the database id last,
// where 0 means the current database.
//
// Ownership: the process-wide registry owns every open database (from
// createDatabase to closeDatabase); a database owns its arrays and each
// thread's open transaction. Objects are shared through ObjectPtr handles and
// are never changed in place once committed: editObject hands out a copy.
//
// Threads: every object function may be called from any thread. Each thread
// has its own transaction and sees its own pending changes; other threads see
// only committed state. Commit is optimistic: a record that another thread
// made stale fails the whole commit (code 1) with nothing applied. The four
// recursive locks are always taken in the order context, save, transponder,
// reader; a listener set's lock comes between transponder and reader (a
// listener is called under it and may read). Change signals are delivered on
// the committing thread while it holds the transponder lock; listeners may
// read but not edit (code 15).
// The registry functions (createDatabase, setCurrentDatabase, closeDatabase)
// take no lock: call them while no other thread uses the registry.
//
// A handle kept across a commit carries the sequence number it was taken
// with. Removing an object through such a stale handle is recorded, but the
// next commit then fails with code 1: fetch the object again after a commit.
#ifndef ARCHIVE_DATABASE_H
#define ARCHIVE_DATABASE_H

#include "components/archive/array_iterator.h"
#include "components/archive/autosave_timer.h"
#include "components/archive/database_array.h"
#include "components/archive/database_settings.h"
#include "components/archive/database_storage.h"
#include "components/archive/edit_transaction.h"
#include "components/archive/object_base.h"
#include "seltrane_components/os/recursive_lock.h"

#include <QObject>
#include <QString>
#include <QUuid>

#include <atomic>

#include <memory>
#include <mutex>
#include <unordered_map>
#include <vector>

namespace Archive {

constexpr DatabaseId kNoDatabase = 0xFFFFFFFFu;

class Database : public QObject
{
    Q_OBJECT
public:
    // Lock selection for DatabaseLocks.
    enum Lock : int {
        ContextLock = 1,
        SaveLock = 2,
        TransponderLock = 4,
        ReaderLock = 8,
        AllLocks = 15,
    };

    explicit Database(QObject* parent = nullptr);
    ~Database() override;

    DatabaseId id() const { return m_id; }
    bool isInitialised() const { return m_initialised; }
    const DatabaseSettings& settings() const { return m_settings; }

    // Sets the database up from its settings and schema table (ending with a
    // row of array id kSchemaEnd); called once, by createDatabase.
    void init(const DatabaseSettings& settings, const ArraySchemaRow* schema, DatabaseId id);
    // Drops every array with the references it holds; clears the initialised flag.
    void close();
    // Empties every array and forgets path, identifier and modified flag.
    void reset();

    // Null when the database has no array of that id.
    Array* array(ArrayId arrayId) const;
    // Code 8 when the database has no array of that id.
    Array& requireArray(ArrayId arrayId) const;
    // The array ids in schema order (the order of loading, saving and delivery).
    const std::vector<ArrayId>& arrayIds() const { return m_arrayIds; }

    // Transactions of the calling thread.
    void beginContext();
    void commitContext();
    void rollbackContext();
    bool hasContext() const { return currentTransaction() != nullptr; }
    // True on the thread that is delivering change signals.
    bool isDeliveringSignals() const { return m_transponderLock.isOwnedByCurrentThread(); }

    // Object operations behind the free functions of the same names.
    void addObject(ArrayId arrayId, ObjectId& objectId, ObjectPtr& object);
    ObjectPtr getObject(ArrayId arrayId, ObjectId objectId) const;
    ObjectPtr getCommittedObject(ArrayId arrayId, ObjectId objectId) const;
    ObjectPtr editObject(ArrayId arrayId, ObjectId objectId);
    void removeObject(ArrayId arrayId, const ObjectPtr& object);

    // Storage (database_storage.h). open: code 4 before init, then what the
    // storage raises; it takes all four locks. save, saveArray and
    // setDatabaseUuid take the save lock. save writes nothing when the
    // database is unmodified and force is false; a save that fails keeps the
    // modified flag.
    void open(DatabaseOpenParameters& parameters);
    void save(bool force, bool newSecondId);
    bool saveArray(ArrayId arrayId, const QString& folder);
    void setDatabaseUuid(const QUuid& uuid);

    const DatabaseStorage& storage() const { return m_storage; }
    const QString& path() const { return m_storage.path(); }
    const QUuid& databaseUuid() const { return m_storage.uuid(); }
    bool isModified() const { return m_modified; }

    RecursiveLock& lock(Lock which) const
    {
        switch (which) {
        case ContextLock:
            return m_contextLock;
        case SaveLock:
            return m_saveLock;
        case TransponderLock:
            return m_transponderLock;
        case ReaderLock:
        default:
            return m_readerLock;
        }
    }

signals:
    // Emitted on the committing thread after a commit changed a stored array,
    // after create and after setDatabaseUuid; connected to startAutoSaveTimer.
    void requestAutoSaveTimer();

public slots:
    // Restarts the autosave timers (runs in the database's thread).
    void startAutoSaveTimer();

private:
    friend class Array;

    EditTransaction* currentTransaction() const;
    // The calling thread's open transaction; raises code 14 when there is none.
    EditTransaction& requireTransaction(ArrayId arrayId, ObjectId objectId) const;
    std::unique_ptr<EditTransaction> takeTransaction();
    bool applyEdits(EditTransaction& transaction, quint32 stamp);
    void giveBackAddIds(EditTransaction& transaction);
    [[noreturn]] void raise(int code, ArrayId arrayId = 0xFFFFFFFFu, ObjectId objectId = kNoObjectId) const;
    void refuseWhileDelivering(ArrayId arrayId) const;

    DatabaseId m_id = kNoDatabase;
    bool m_initialised = false;
    DatabaseSettings m_settings;
    std::vector<std::unique_ptr<Array>> m_arrays;
    std::vector<ArrayId> m_arrayIds;

    DatabaseStorage m_storage;
    // Set by commits on any thread; cleared by a save under the save lock.
    std::atomic<bool> m_modified {false};
    AutoSaveTimer m_autoSave;

    mutable RecursiveLock m_contextLock;
    mutable RecursiveLock m_saveLock;
    mutable RecursiveLock m_transponderLock;
    mutable RecursiveLock m_readerLock;

    // Each thread's open transaction. Every thread that opens one also holds a
    // weak reference to the table, so that a transaction still open when its
    // thread ends is freed then, not kept until the database closes.
    const std::shared_ptr<TransactionTable> m_transactions = std::make_shared<TransactionTable>();
};

// Takes the chosen locks of a database in the one order used everywhere
// (context, save, transponder, reader) and releases what it still holds in
// reverse order when it ends. One thread uses a DatabaseLocks.
class DatabaseLocks
{
public:
    DatabaseLocks(const Database& database, int locks);
    ~DatabaseLocks();
    DatabaseLocks(const DatabaseLocks&) = delete;
    DatabaseLocks& operator=(const DatabaseLocks&) = delete;

    void acquire(int locks);
    void release(int locks);

private:
    const Database& m_database;
    int m_held = 0;
};

// Registry.
// The database of an id (0: the current one); code 3 when none is registered.
Database& resolveDatabase(DatabaseId databaseId);
// Registers a new database and returns its id: kNoDatabase picks the lowest
// free id from 1; an explicit id in use raises code 2. The first database
// becomes current.
DatabaseId createDatabase(const DatabaseSettings& settings, const ArraySchemaRow* schema,
                          DatabaseId databaseId = kNoDatabase);
// kNoDatabase makes no database current; any other id must be registered.
void setCurrentDatabase(DatabaseId databaseId);
// Discards the database without saving; no database is current afterwards
// when it was.
void closeDatabase(DatabaseId databaseId = 0);
void resetDatabase(DatabaseId databaseId = 0);

// Storage. openDatabase creates a new database at parameters.path (nothing is
// written until the first save) or loads the one there. saveDatabase flags:
// kSaveForce writes every stored array, kSaveNewSecondId renews the second
// identifier. saveArray writes one array, whatever its storage field, as
// <folder>/<name>.<suffix>, and returns true. setDatabaseUuid marks the
// database modified.
constexpr quint32 kSaveForce = 1;
constexpr quint32 kSaveNewSecondId = 2;
void openDatabase(DatabaseOpenParameters& parameters, DatabaseId databaseId = 0);
void saveDatabase(DatabaseId databaseId = 0, quint32 flags = 0);
bool saveArray(ArrayId arrayId, const QString& folder, DatabaseId databaseId = 0);
void setDatabaseUuid(const QUuid& uuid, DatabaseId databaseId = 0);

// Objects. addObject reserves an id (kNoObjectId: a new one), writes it into
// objectId and the object, and records the add in the calling thread's
// transaction; code 14 without one, 15 from a listener, 16 when no id can be
// given, 0 for a handle without an object. getObject answers in the calling thread's view, getCommittedObject
// from the committed state only. editObject returns the thread's writable copy
// (the same one for every call in a transaction), null for an empty slot or
// an object removed in the transaction. removeObject records a removal;
// code 19 for a handle without an object or one never added, 20 when the
// thread holds a different version of the object.
void addObject(ArrayId arrayId, ObjectId& objectId, ObjectPtr& object, DatabaseId databaseId = 0);
void getObject(ObjectPtr& object, ArrayId arrayId, ObjectId objectId, DatabaseId databaseId = 0);
void getCommittedObject(ObjectPtr& object, ArrayId arrayId, ObjectId objectId, DatabaseId databaseId = 0);
void editObject(ObjectPtr& object, ArrayId arrayId, ObjectId objectId, DatabaseId databaseId = 0);
void removeObject(ArrayId arrayId, const ObjectPtr& object, DatabaseId databaseId = 0);

// An iterator over the committed objects of class T (or derived) in the array.
template <class T>
void iterateArray(ArrayIterator<T>& iterator, ArrayId arrayId, DatabaseId databaseId = 0)
{
    Database& database = resolveDatabase(databaseId);
    std::lock_guard<RecursiveLock> reader(database.lock(Database::ReaderLock));
    iterator = ArrayIterator<T>(&database.requireArray(arrayId), false);
}

// Null (and no error) when the database or the array does not exist.
Array* getArray(ArrayId arrayId, DatabaseId databaseId = 0);
// An empty name and 0 when the database or the array does not exist.
void getArrayName(QString& name, ArrayId arrayId, DatabaseId databaseId = 0);
quint32 getArraySize(ArrayId arrayId, DatabaseId databaseId = 0);

}  // namespace Archive

#endif  // ARCHIVE_DATABASE_H
