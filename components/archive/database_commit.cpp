// Commit and rollback of a thread's edit transaction.
#include "components/archive/archive_exception.h"
#include "components/archive/database.h"
#include "seltrane_components/os/clocks.h"
#include "seltrane_components/os/report_error.h"

#include <QDateTime>

namespace Archive {

namespace {

// Delivery slower than this is worth a line in the debugger output.
constexpr std::uint64_t kSlowDeliveryMicroseconds = 5000;

}  // namespace

void Database::commitContext()
{
    // Only this thread opens or ends its transaction, so the test needs no
    // lock; it keeps a listener's call from waiting on the context lock.
    if (!hasContext())
        return;
    DatabaseLocks locks(*this, ContextLock | SaveLock);
    // The transaction is dropped whatever happens below.
    std::unique_ptr<EditTransaction> transaction = takeTransaction();
    if (!transaction || transaction->records.empty())
        return;

    locks.acquire(ReaderLock);
    const quint32 stamp = quint32(QDateTime::currentSecsSinceEpoch());
    for (ArrayId arrayId : m_arrayIds)
        m_arrays[arrayId]->collectChanges(m_arrays[arrayId]->hasListeners());
    bool changed = false;
    try {
        changed = applyEdits(*transaction, stamp);
    } catch (const archive_exception&) {
        giveBackAddIds(*transaction);
        for (ArrayId arrayId : m_arrayIds)
            m_arrays[arrayId]->discardChangeSet();
        throw;
    }
    transaction.reset();
    if (changed) {
        m_modified = true;
        emit requestAutoSaveTimer();
    }
    locks.release(ReaderLock);

    std::vector<std::pair<Array*, std::shared_ptr<ArrayChangeSet>>> changeSets;
    changeSets.reserve(m_arrayIds.size());
    for (ArrayId arrayId : m_arrayIds)
        changeSets.emplace_back(m_arrays[arrayId].get(), m_arrays[arrayId]->takeChangeSet());

    // Taking the transponder lock before letting the next commit in keeps the
    // deliveries in commit order.
    locks.acquire(TransponderLock);
    locks.release(SaveLock | ContextLock);
    const std::uint64_t start = elapsedMicroseconds();
    for (auto& entry : changeSets)
        entry.first->deliverChanges(entry.second);
    const std::uint64_t elapsed = elapsedMicroseconds() - start;
    if (elapsed > kSlowDeliveryMicroseconds)
        debugPrintf("WARNING - Database::commitContext() transponders took %lldus\n", static_cast<long long>(elapsed));
    locks.release(TransponderLock);
}

bool Database::applyEdits(EditTransaction& transaction, quint32 stamp)
{
    auto& records = transaction.records;

    // First pass: test every record against the committed state; apply nothing.
    bool allPass = true;
    // Per array the highest id added: its slots grow once, not per add.
    std::vector<std::pair<Array*, ObjectId>> highestAdds;
    Array* array = nullptr;  // the records run array by array
    records.forEach([&](const RecordKey& key, ChangeRecord& record) {
        if (!array || array->id() != key.arrayId)
            array = &requireArray(key.arrayId);
        const ObjectId id = key.objectId;
        switch (record.kind) {
        case ChangeRecord::Edit:
            record.object.setSequence(nextEditSequence(record.object.sequence()));
            allPass = array->canEdit(id, record.object.sequence(), false) && allPass;
            break;
        case ChangeRecord::Add:
            record.object.setSequence(nextGenerationSequence(record.object.sequence()));
            allPass = array->canAdd(id, record.object.sequence(), false) && allPass;
            if (highestAdds.empty() || highestAdds.back().first != array)
                highestAdds.emplace_back(array, id);
            highestAdds.back().second = id;  // records run in increasing id
            break;
        case ChangeRecord::Removal:
            allPass = array->canRemove(id, record.expectedSequence, false) && allPass;
            break;
        case ChangeRecord::Release:
            array->giveBackId(id);
            return false;
        default:
            raise(0, key.arrayId, id);
        }
        return true;
    });
    if (!allPass) {
        giveBackAddIds(transaction);
        raise(1);
    }
    for (const auto& [target, highest] : highestAdds)
        target->reserveSlots(highest);

    // Second pass: apply. A refused record is reported and skipped.
    bool changed = false;
    array = nullptr;
    records.forEach([&](const RecordKey& key, ChangeRecord& record) {
        if (!array || array->id() != key.arrayId)
            array = &requireArray(key.arrayId);
        if (record.kind != ChangeRecord::Edit && record.kind != ChangeRecord::Add
            && record.kind != ChangeRecord::Removal)
            raise(0, key.arrayId, key.objectId);
        try {
            if (record.kind == ChangeRecord::Edit)
                array->applyReplacement(key.objectId, std::move(record.object), stamp, false);
            else if (record.kind == ChangeRecord::Add)
                array->applyAdd(key.objectId, std::move(record.object), stamp, false);
            else
                array->applyRemoval(key.objectId, record.expectedSequence, stamp, false);
        } catch (const archive_exception& e) {
            debugPrintf("%s\n",
                        (std::string(e.what()) + " - unable to handle archive exception when applying edits").c_str());
        }
        if (array->isStored())
            changed = true;
        return true;
    });
    return changed;
}

void Database::giveBackAddIds(EditTransaction& transaction)
{
    transaction.records.forEach([this](const RecordKey& key, const ChangeRecord& record) {
        if (record.kind != ChangeRecord::Add)
            return true;
        // An add that was applied already holds its slot; its id stays taken.
        if (Array* array = this->array(key.arrayId)) {
            try {
                array->giveBackId(key.objectId);
            } catch (const archive_exception&) {}
        }
        return false;
    });
}

void Database::rollbackContext()
{
    if (!hasContext())
        return;
    DatabaseLocks locks(*this, ContextLock);
    const std::unique_ptr<EditTransaction> transaction = takeTransaction();
    if (!transaction)
        return;
    bool failed = false;
    transaction->records.forEach([&](const RecordKey& key, const ChangeRecord& record) {
        if (record.kind != ChangeRecord::Add && record.kind != ChangeRecord::Release)
            return true;
        // Give back every id even when one fails, then report the failure.
        try {
            requireArray(key.arrayId).giveBackId(key.objectId);
        } catch (const archive_exception&) {
            failed = true;
        }
        return true;
    });
    if (failed)
        raise(0);
}

}  // namespace Archive
