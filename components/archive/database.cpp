#include "components/archive/database.h"

#include "components/archive/archive_exception.h"

#include <atomic>
#include <map>

namespace Archive {

namespace {

struct Registry
{
    std::map<DatabaseId, std::unique_ptr<Database>> databases;
    DatabaseId current = kNoDatabase;
};

Registry& registry()
{
    static Registry instance;
    return instance;
}

// A per-thread number that no other thread of the process ever gets, so a
// transaction left behind by an ended thread is never taken for a new one's.
quint64 currentThreadToken()
{
    static std::atomic<quint64> next {1};
    thread_local const quint64 token = next.fetch_add(1);
    return token;
}

// The calling thread's open transaction in the table it used last, so that
// an add or an edit finds it without the table's mutex. Only the thread
// itself opens, takes or frees its transaction, and it updates this as it does.
struct CachedTransaction
{
    quint64 tableSerial = 0;
    EditTransaction* transaction = nullptr;
};

CachedTransaction& cachedTransaction()
{
    thread_local CachedTransaction cached;
    return cached;
}

// The transaction tables in which the calling thread opened transactions.
// When the thread ends, its transactions still open in databases that still
// exist are freed with the object references they hold; their reserved ids
// are not given back, because the database may be in use on other threads.
class ThreadTransactions
{
public:
    ~ThreadTransactions()
    {
        for (const std::weak_ptr<TransactionTable>& weak : m_tables) {
            const std::shared_ptr<TransactionTable> table = weak.lock();
            if (!table)
                continue;
            std::unique_ptr<EditTransaction> left;
            {
                std::lock_guard<std::mutex> guard(table->mutex);
                const auto it = table->byThread.find(m_token);
                if (it == table->byThread.end())
                    continue;
                left = std::move(it->second);
                table->byThread.erase(it);
            }
            cachedTransaction() = CachedTransaction();
            // Objects are destroyed here, outside the table's mutex.
        }
    }

    void note(const std::shared_ptr<TransactionTable>& table, quint64 token)
    {
        m_token = token;
        bool known = false;
        for (auto it = m_tables.begin(); it != m_tables.end();) {
            if (it->expired()) {
                it = m_tables.erase(it);
                continue;
            }
            known = known || (!it->owner_before(table) && !table.owner_before(*it));
            ++it;
        }
        if (!known)
            m_tables.push_back(table);
    }

private:
    std::vector<std::weak_ptr<TransactionTable>> m_tables;
    quint64 m_token = 0;
};

void noteTransactionOfThisThread(const std::shared_ptr<TransactionTable>& table, quint64 token)
{
    thread_local ThreadTransactions transactions;
    transactions.note(table, token);
}

}  // namespace

TransactionTable::TransactionTable()
    : serial([] {
          static std::atomic<quint64> next {1};
          return next.fetch_add(1);
      }())
{}

// ---------------------------------------------------------------- locks

DatabaseLocks::DatabaseLocks(const Database& database, int locks) : m_database(database) { acquire(locks); }

DatabaseLocks::~DatabaseLocks() { release(m_held); }

// Taken in one order and released in the other, spelled out: every database
// call takes and drops its locks, a conversion a quarter of a million times.
void DatabaseLocks::acquire(int locks)
{
    const auto take = [this, locks](Database::Lock which) {
        if ((locks & which) && !(m_held & which)) {
            m_database.lock(which).lock();
            m_held |= which;
        }
    };
    take(Database::ContextLock);
    take(Database::SaveLock);
    take(Database::TransponderLock);
    take(Database::ReaderLock);
}

void DatabaseLocks::release(int locks)
{
    const auto drop = [this, locks](Database::Lock which) {
        if ((locks & which) && (m_held & which)) {
            m_database.lock(which).unlock();
            m_held &= ~which;
        }
    };
    drop(Database::ReaderLock);
    drop(Database::TransponderLock);
    drop(Database::SaveLock);
    drop(Database::ContextLock);
}

// ---------------------------------------------------------------- database

Database::Database(QObject* parent) : QObject(parent), m_autoSave(this)
{
    m_autoSave.setSaveFunction([this] {
        DatabaseLocks locks(*this, SaveLock);
        save(false, false);
    });
}

Database::~Database() = default;

void Database::raise(int code, ArrayId arrayId, ObjectId objectId) const
{
    throw archive_exception(code, objectId, arrayId, m_id);
}

void Database::init(const DatabaseSettings& settings, const ArraySchemaRow* schema, DatabaseId id)
{
    m_arrays.reserve(16);
    for (const ArraySchemaRow* row = schema; row && row->arrayId != kSchemaEnd; ++row) {
        auto array = std::make_unique<Array>(row->arrayId, row->maxObjects, this);
        array->setFlags(row->flags);
        array->setName(row->name);
        if (row->arrayId >= m_arrays.size())
            m_arrays.resize(std::size_t(row->arrayId) + 1);
        // A repeated row replaces the earlier array but keeps one place in the order.
        if (!m_arrays[row->arrayId])
            m_arrayIds.push_back(row->arrayId);
        m_arrays[row->arrayId] = std::move(array);
    }
    m_id = id;
    m_settings = settings;
    const qint64 minimumMax = qint64(settings.idleDelay) * 4;
    if (settings.maxDelay < minimumMax)
        m_settings.maxDelay = qint32(std::min<qint64>(minimumMax, 0x7FFFFFFF));
    m_storage.configure(m_settings);
    m_autoSave.setDelays(m_settings.idleDelay, m_settings.maxDelay);
    connect(this, &Database::requestAutoSaveTimer, this, &Database::startAutoSaveTimer, Qt::UniqueConnection);
    m_initialised = true;
}

void Database::close()
{
    m_arrays.clear();
    m_arrayIds.clear();
    m_initialised = false;
}

void Database::reset()
{
    DatabaseLocks locks(*this, AllLocks);
    m_storage.clear();
    for (ArrayId arrayId : m_arrayIds)
        m_arrays[arrayId]->reset();
    m_modified = false;
}

Array* Database::array(ArrayId arrayId) const { return arrayId < m_arrays.size() ? m_arrays[arrayId].get() : nullptr; }

Array& Database::requireArray(ArrayId arrayId) const
{
    Array* found = array(arrayId);
    if (!found)
        raise(8, arrayId);
    return *found;
}

EditTransaction* Database::currentTransaction() const
{
    CachedTransaction& cached = cachedTransaction();
    if (cached.tableSerial == m_transactions->serial)
        return cached.transaction;
    std::lock_guard<std::mutex> guard(m_transactions->mutex);
    const auto it = m_transactions->byThread.find(currentThreadToken());
    cached.tableSerial = m_transactions->serial;
    cached.transaction = it != m_transactions->byThread.end() ? it->second.get() : nullptr;
    return cached.transaction;
}

EditTransaction& Database::requireTransaction(ArrayId arrayId, ObjectId objectId) const
{
    EditTransaction* transaction = currentTransaction();
    if (!transaction)
        raise(14, arrayId, objectId);
    return *transaction;
}

std::unique_ptr<EditTransaction> Database::takeTransaction()
{
    std::unique_ptr<EditTransaction> taken;
    {
        std::lock_guard<std::mutex> guard(m_transactions->mutex);
        const auto it = m_transactions->byThread.find(currentThreadToken());
        if (it == m_transactions->byThread.end())
            return taken;
        taken = std::move(it->second);
        m_transactions->byThread.erase(it);
    }
    cachedTransaction() = CachedTransaction {m_transactions->serial, nullptr};
    return taken;
}

void Database::refuseWhileDelivering(ArrayId arrayId) const
{
    if (isDeliveringSignals())
        raise(15, arrayId);
}

void Database::beginContext()
{
    refuseWhileDelivering(0xFFFFFFFFu);
    DatabaseLocks locks(*this, ContextLock);
    const quint64 token = currentThreadToken();
    {
        std::lock_guard<std::mutex> guard(m_transactions->mutex);
        auto& slot = m_transactions->byThread[token];
        // Replacing an open transaction would leak the ids it reserved.
        if (slot)
            raise(13);
        slot = std::make_unique<EditTransaction>();
        cachedTransaction() = CachedTransaction {m_transactions->serial, slot.get()};
    }
    noteTransactionOfThisThread(m_transactions, token);
}

void Database::addObject(ArrayId arrayId, ObjectId& objectId, ObjectPtr& object)
{
    refuseWhileDelivering(arrayId);
    Array& array = requireArray(arrayId);
    // Nothing to add: an object id cannot be written into a null handle.
    if (!object.isObject())
        raise(0, arrayId, objectId);
    DatabaseLocks locks(*this, ContextLock);
    EditTransaction& transaction = requireTransaction(arrayId, objectId);
    ObjectId reserved = objectId;
    if (!array.reserveId(reserved))
        raise(16, arrayId);
    const auto [record, inserted] =
        transaction.records.emplace(arrayId, reserved, ChangeRecord {ChangeRecord::Add, 0, ObjectPtr()});
    // Only a reset between the reservations of one transaction can hand out
    // an id twice; the first record keeps it.
    if (!inserted)
        raise(16, arrayId, reserved);
    object->setId(reserved);
    object.setSequence(array.sequenceOf(reserved));
    record->object = object;
    objectId = reserved;
}

ObjectPtr Database::getObject(ArrayId arrayId, ObjectId objectId) const
{
    const Array& array = requireArray(arrayId);
    DatabaseLocks locks(*this, ReaderLock);
    if (!isDeliveringSignals()) {
        if (const EditTransaction* transaction = currentTransaction()) {
            if (const ChangeRecord* record = transaction->records.find(arrayId, objectId))
                return record->showsRemoved() ? ObjectPtr() : record->object;
        }
    }
    return array.committed(objectId);
}

ObjectPtr Database::getCommittedObject(ArrayId arrayId, ObjectId objectId) const
{
    const Array& array = requireArray(arrayId);
    DatabaseLocks locks(*this, ReaderLock);
    return array.committed(objectId);
}

ObjectPtr Database::editObject(ArrayId arrayId, ObjectId objectId)
{
    refuseWhileDelivering(arrayId);
    const Array& array = requireArray(arrayId);
    DatabaseLocks locks(*this, ContextLock);
    EditTransaction& transaction = requireTransaction(arrayId, objectId);
    if (const ChangeRecord* record = transaction.records.find(arrayId, objectId))
        return record->showsRemoved() ? ObjectPtr() : record->object;
    ObjectPtr copy = array.cloneForEdit(objectId);
    if (copy.isObject())
        transaction.records.emplace(arrayId, objectId, ChangeRecord {ChangeRecord::Edit, 0, copy});
    return copy;
}

void Database::removeObject(ArrayId arrayId, const ObjectPtr& object)
{
    refuseWhileDelivering(arrayId);
    // A handle without an object, or an object that was never added, can
    // never be removed: refuse it now rather than fail the whole commit.
    if (!object.isObject() || object->getId() == kNoObjectId)
        raise(19, arrayId);
    const ObjectId objectId = object->getId();
    requireArray(arrayId);
    DatabaseLocks locks(*this, ContextLock);
    EditTransaction& transaction = requireTransaction(arrayId, objectId);
    ChangeRecord* found = transaction.records.find(arrayId, objectId);
    if (!found) {
        transaction.records.emplace(arrayId, objectId,
                                    ChangeRecord {ChangeRecord::Removal, object.sequence(), ObjectPtr()});
        return;
    }
    ChangeRecord& record = *found;
    if (record.showsRemoved())
        return;
    if (record.object.sequence() != object.sequence())
        raise(20, arrayId, objectId);
    if (record.kind == ChangeRecord::Edit) {
        record.kind = ChangeRecord::Removal;
        record.expectedSequence = object.sequence();
    } else if (record.kind == ChangeRecord::Add) {
        record.kind = ChangeRecord::Release;
        record.object.reset();
    }
}

// ---------------------------------------------------------------- registry

Database& resolveDatabase(DatabaseId databaseId)
{
    Registry& reg = registry();
    const DatabaseId id = databaseId == 0 ? reg.current : databaseId;
    const auto it = reg.databases.find(id);
    if (it == reg.databases.end())
        throw archive_exception(3, kNoObjectId, 0xFFFFFFFFu, id);
    return *it->second;
}

DatabaseId createDatabase(const DatabaseSettings& settings, const ArraySchemaRow* schema, DatabaseId databaseId)
{
    Registry& reg = registry();
    DatabaseId id = databaseId;
    if (id == kNoDatabase) {
        id = 1;
        while (reg.databases.count(id))
            ++id;
    } else if (reg.databases.count(id)) {
        throw archive_exception(2, kNoObjectId, 0xFFFFFFFFu, id);
    }
    auto database = std::make_unique<Database>();
    Database& created = *database;
    reg.databases.emplace(id, std::move(database));
    created.init(settings, schema, id);
    if (reg.current == kNoDatabase)
        reg.current = id;
    return id;
}

void setCurrentDatabase(DatabaseId databaseId)
{
    Registry& reg = registry();
    if (databaseId != kNoDatabase && !reg.databases.count(databaseId))
        throw archive_exception(3, kNoObjectId, 0xFFFFFFFFu, databaseId);
    reg.current = databaseId;
}

void closeDatabase(DatabaseId databaseId)
{
    Database& database = resolveDatabase(databaseId);
    const DatabaseId id = database.id();
    database.close();
    Registry& reg = registry();
    reg.databases.erase(id);
    if (reg.current == id)
        reg.current = kNoDatabase;
}

void resetDatabase(DatabaseId databaseId) { resolveDatabase(databaseId).reset(); }

void addObject(ArrayId arrayId, ObjectId& objectId, ObjectPtr& object, DatabaseId databaseId)
{
    resolveDatabase(databaseId).addObject(arrayId, objectId, object);
}

void getObject(ObjectPtr& object, ArrayId arrayId, ObjectId objectId, DatabaseId databaseId)
{
    object = resolveDatabase(databaseId).getObject(arrayId, objectId);
}

void getCommittedObject(ObjectPtr& object, ArrayId arrayId, ObjectId objectId, DatabaseId databaseId)
{
    object = resolveDatabase(databaseId).getCommittedObject(arrayId, objectId);
}

void editObject(ObjectPtr& object, ArrayId arrayId, ObjectId objectId, DatabaseId databaseId)
{
    object = resolveDatabase(databaseId).editObject(arrayId, objectId);
}

void removeObject(ArrayId arrayId, const ObjectPtr& object, DatabaseId databaseId)
{
    resolveDatabase(databaseId).removeObject(arrayId, object);
}

Array* getArray(ArrayId arrayId, DatabaseId databaseId)
{
    try {
        return &resolveDatabase(databaseId).requireArray(arrayId);
    } catch (const archive_exception&) {
        return nullptr;
    }
}

void getArrayName(QString& name, ArrayId arrayId, DatabaseId databaseId)
{
    const Array* array = getArray(arrayId, databaseId);
    name = array ? array->name() : QString();
}

quint32 getArraySize(ArrayId arrayId, DatabaseId databaseId)
{
    const Array* array = getArray(arrayId, databaseId);
    if (!array)
        return 0;
    std::lock_guard<RecursiveLock> reader(array->database()->lock(Database::ReaderLock));
    return array->objectCount();
}

}  // namespace Archive
