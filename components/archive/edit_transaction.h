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

#include <array>
#include <bit>
#include <memory>
#include <mutex>
#include <unordered_map>
#include <utility>
#include <vector>

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
};

// The records of one transaction, at most one per object, visited by array id
// and then object id. An array hands out its lowest free ids, so the ids of
// one transaction mostly lie close together: each array keeps its records in
// blocks of consecutive ids, found by a binary search over a few hundred
// blocks at most. Adding, finding and editing a record then costs neither an
// allocation of its own nor a walk down a tree of every record.
class ChangeRecords
{
public:
    ChangeRecords() = default;
    ChangeRecords(const ChangeRecords&) = delete;
    ChangeRecords& operator=(const ChangeRecords&) = delete;
    ~ChangeRecords();

    // The record of the object, or null.
    ChangeRecord* find(ArrayId arrayId, ObjectId objectId);
    const ChangeRecord* find(ArrayId arrayId, ObjectId objectId) const;
    // Adds the record when the object has none; otherwise changes nothing and
    // answers false with the record already there.
    std::pair<ChangeRecord*, bool> emplace(ArrayId arrayId, ObjectId objectId, ChangeRecord record);
    // The array's record of the lowest id not below objectId, its id in
    // *foundId; null when there is none.
    const ChangeRecord* firstFrom(ArrayId arrayId, ObjectId objectId, ObjectId* foundId) const;

    bool empty() const { return m_count == 0; }
    std::size_t size() const { return m_count; }

    // Calls visit(const RecordKey&, ChangeRecord&) for each record in order;
    // a visit that answers false erases its record, and none may add one.
    template <class Visit>
    void forEach(Visit visit)
    {
        for (ArrayId arrayId = 0; arrayId < m_arrays.size(); ++arrayId) {
            for (const std::unique_ptr<Block>& block : m_arrays[arrayId]) {
                for (std::size_t word = 0; word < kWords; ++word) {
                    for (quint64 bits = block->used[word]; bits != 0; bits &= bits - 1) {
                        const std::size_t index = word * 64 + std::size_t(std::countr_zero(bits));
                        if (!visit(RecordKey {arrayId, block->first + ObjectId(index)}, block->records[index]))
                            erase(*block, index);
                    }
                }
            }
        }
    }

private:
    static constexpr ObjectId kBlockSize = 128;
    static constexpr std::size_t kWords = kBlockSize / 64;

    struct Block
    {
        explicit Block(ObjectId firstId) : first(firstId) {}
        const ObjectId first;  // a multiple of kBlockSize
        std::array<quint64, kWords> used {};
        std::array<ChangeRecord, kBlockSize> records;
    };
    // By first id.
    using Blocks = std::vector<std::unique_ptr<Block>>;

    Block* block(ArrayId arrayId, ObjectId objectId) const;
    void erase(Block& block, std::size_t index);

    std::vector<Blocks> m_arrays;  // by array id
    std::size_t m_count = 0;
};

struct EditTransaction
{
    ChangeRecords records;
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
