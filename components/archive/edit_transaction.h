// The records of one thread's open edit transaction on one database: at most
// one ChangeRecord per object, ordered by array id and then object id, which is
// the order in which commit tests and applies them.
//
// The thread's pending view of an array is read straight from these records:
// an edit or an add shows its object, a removal or a release shows the object
// as removed.
//
// Ownership: the database owns each thread's EditTransaction; the records own
// references to the objects they hold. Only the owning thread reads or
// changes a transaction. A transaction still open when its thread ends is
// freed then (see Database).
#ifndef ARCHIVE_EDIT_TRANSACTION_H
#define ARCHIVE_EDIT_TRANSACTION_H

#include "components/archive/object_base.h"

#include <map>
#include <memory>
#include <mutex>
#include <unordered_map>

namespace Archive {

struct ChangeRecord
{
    enum Kind : quint32 {
        Edit = 0,
        Add = 1,
        Removal = 2,
        Release = 4,  // an add removed again in the same transaction
    };

    // The two counts side by side: a record is a map node per changed object,
    // and padding would make each one a size class larger.
    quint32 kind = Edit;
    // Removal: the sequence number of the handle the removal was given.
    quint32 expectedSequence = 0;
    // Edit: the writable copy; add: the new object; removal: the copy when the
    // removal followed an edit, else null; release: null.
    ObjectPtr object;

    bool showsRemoved() const { return kind == Removal || kind == Release; }
};

struct RecordKey
{
    ArrayId arrayId;
    ObjectId objectId;

    friend bool operator<(const RecordKey& a, const RecordKey& b)
    {
        return a.arrayId != b.arrayId ? a.arrayId < b.arrayId : a.objectId < b.objectId;
    }
};

struct EditTransaction
{
    std::map<RecordKey, ChangeRecord> records;
};

// The open transactions of one database, one per thread, keyed by a token
// that no other thread of the process ever gets. The mutex guards only the
// map itself; a thread reads and changes its own transaction without it.
struct TransactionTable
{
    TransactionTable();
    // Never the same for two tables of one process, so that a thread's cached
    // lookup can never be taken for another table at the same address.
    const quint64 serial;
    std::mutex mutex;
    std::unordered_map<quint64, std::unique_ptr<EditTransaction>> byThread;
};

}  // namespace Archive

#endif  // ARCHIVE_EDIT_TRANSACTION_H
