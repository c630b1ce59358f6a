// Archive::Array holds the committed objects of one array of an
// Archive::Database in slots indexed by object id, hands out ids, answers the
// commit's pre-checks, applies its changes one object at a time, collects
// them in a change set and delivers them to its listeners.
//
// Sequence numbers: the high 8 bits of a slot's number are a generation, the
// low 24 bits an edit count. An add must bring low and high parts each exactly
// 1 above the slot's (0x01000001 past the end); an edit must bring the whole
// number exactly 1 above; a removal leaves the removed number plus 1 behind.
// Every slot keeps its number and stamp, also when empty.
//
// Ids: new ids come from a counter while at most kReuseThreshold ids are free
// and the counter is below the maximum; otherwise freed ids are reused, oldest
// first.
//
// Ownership: the database owns its arrays; an array owns references to its
// committed objects and does not own its listeners.
//
// Threads: the database calls the id, pre-check and apply operations with its
// context lock (and, for applies, its reader lock) held. committed(),
// findNextCommitted() and findNext() may be called from any thread; they take
// the database's reader lock themselves. Listener sets guard themselves.
#ifndef ARCHIVE_DATABASE_ARRAY_H
#define ARCHIVE_DATABASE_ARRAY_H

#include "components/archive/database_settings.h"
#include "components/archive/object_base.h"
#include "components/archive/transponder.h"

#include <QString>

#include <boost/dynamic_bitset.hpp>

#include <list>
#include <memory>
#include <unordered_map>
#include <vector>

namespace Archive {

class Database;

// The ids an array may hand out again, in the order they were freed. An id is
// on the list at most once; taking a given id off the list is O(1).
class FreeIdList
{
public:
    bool empty() const { return m_order.empty(); }
    std::size_t size() const { return m_order.size(); }
    bool contains(ObjectId id) const { return m_index.count(id) != 0; }
    // Appends the id unless it is on the list already.
    void append(ObjectId id);
    ObjectId takeFirst();
    // False when the id is not on the list.
    bool take(ObjectId id);
    void clear();
    std::vector<ObjectId> toVector() const { return {m_order.begin(), m_order.end()}; }

private:
    std::list<ObjectId> m_order;
    std::unordered_map<ObjectId, std::list<ObjectId>::iterator> m_index;
};

class Array
{
public:
    static constexpr quint32 kReuseThreshold = 100;

    Array(ArrayId id, quint32 maxObjects, Database* database);
    ~Array();
    Array(const Array&) = delete;
    Array& operator=(const Array&) = delete;

    ArrayId id() const { return m_id; }
    Database* database() const { return m_database; }
    DatabaseId databaseId() const;

    const QString& name() const { return m_name; }
    void setName(const QString& name) { m_name = name; }
    quint32 flags() const { return m_flags; }
    void setFlags(quint32 flags) { m_flags = flags; }
    // The 30-bit storage field; replaceStorageField keeps the top two bits and
    // returns the old field.
    quint32 storageField() const { return m_flags & kArrayFieldMask; }
    quint32 replaceStorageField(quint32 field);
    // False for an array that is never stored (field kNotStoredField).
    bool isStored() const { return storageField() != kNotStoredField; }

    quint32 maxObjects() const { return m_maxObjects; }
    // Committed objects (not the highest id plus 1).
    quint32 objectCount() const { return m_objectCount; }
    quint32 slotCount() const { return quint32(m_slots.size()); }

    // Ids. reserveId: kNoObjectId asks for a new id (written back); any other
    // value asks for exactly that id. False when no id can be given.
    bool reserveId(ObjectId& id);
    // Puts a reserved id back on the free list; code 10 when its slot holds an
    // object. An id the counter has not handed out yet is ignored.
    void giveBackId(ObjectId id);
    std::vector<ObjectId> freeIds() const { return m_freeIds.toVector(); }
    ObjectId nextId() const { return m_nextId; }

    // Reads (context or reader lock held by the caller).
    quint32 sequenceOf(ObjectId id) const;
    // The slot's handle with its sequence number and stamp; null past the end.
    ObjectPtr committed(ObjectId id) const;
    // The slot itself, for a walk over every slot that needs no reference of
    // its own: id below slotCount(), with the save or context lock held.
    const ObjectPtr& slot(ObjectId id) const { return m_slots[id]; }
    // A writable copy of the slot's object with the slot's sequence number and
    // stamp and the object's id; null for an empty slot or a class without clone().
    ObjectPtr cloneForEdit(ObjectId id) const;

    // The first committed object after fromId (kNoObjectId: from the start),
    // or null. Code 12 for a start id at or past the end of the slots.
    ObjectPtr findNextCommitted(ObjectId fromId) const;
    // The same in the calling thread's view: its pending adds and edits are
    // seen, its removals skipped. Code 12 only when the start id is at or past
    // the end of the slots and no pending object lies at or above it.
    ObjectPtr findNext(ObjectId fromId) const;

    // Commit pre-checks; they change nothing except that a forced removal of
    // an empty slot leaves its id on the free list.
    bool canAdd(ObjectId id, quint32 sequence, bool force) const;
    bool canEdit(ObjectId id, quint32 sequence, bool force) const;
    bool canRemove(ObjectId id, quint32 sequence, bool force);

    // Commit apply operations; each raises (codes 17, 18, 20, 11) before it
    // changes a slot, and records its change in the change set.
    // The handle is taken over: the commit's record is dropped right after.
    void applyAdd(ObjectId id, ObjectPtr object, quint32 stamp, bool force);
    void applyRemoval(ObjectId id, quint32 sequence, quint32 stamp, bool force);
    void applyReplacement(ObjectId id, ObjectPtr object, quint32 stamp, bool force);
    // Room for slots up to id, so that a run of adds does not reallocate;
    // the slot count does not change.
    void reserveSlots(ObjectId id);

    // Hands over the changes collected since the last call; null when there are none.
    std::shared_ptr<ArrayChangeSet> takeChangeSet();
    void discardChangeSet() { m_changes.clear(); }
    // Whether the apply operations collect a change set: a commit turns it
    // off for an array nobody listens to, which then costs no node per
    // object. A listener added while such a commit applies misses that one.
    // hasListeners takes no lock: the commit asks it under the reader lock,
    // which listeners take inside their sets' locks.
    void collectChanges(bool collect) { m_collectChanges = collect; }
    bool hasListeners() { return m_objectListeners.size() != 0 || m_arrayListeners.size() != 0; }
    // Delivers one commit's changes: one object signal per change, then one
    // array signal; nothing for an empty set.
    void deliverChanges(const std::shared_ptr<ArrayChangeSet>& changes);

    // Drops every slot and restarts the id allocator; the name, flags, maximum
    // and listeners stay.
    void reset();

    // Stored data: places one slot read from storage. A null object only sets
    // the slot's sequence number and stamp; an object takes its id (kNoObjectId:
    // a new one). Code 9 when the slot already holds an object.
    void loadSlot(ObjectId id, const ObjectPtr& object, quint32 sequence, quint32 stamp);

    // Changed-id bits of a stored array, for the storage: the lowest set index
    // above `from` (-1: from the start), or -1 when there is none.
    qint64 nextChangedId(qint64 from) const;
    bool isChanged(ObjectId id) const { return id < m_changed.size() && m_changed.test(id); }
    void clearChangedIds() { m_changed.clear(); }

    ObjectListenerSet& objectListeners() { return m_objectListeners; }
    ArrayListenerSet& arrayListeners() { return m_arrayListeners; }

private:
    bool holdsObject(ObjectId id) const { return id < m_slots.size() && m_slots[id].isObject(); }
    void growTo(ObjectId id);
    void markChanged(ObjectId id);
    void addChange(ObjectId id, const ObjectPtr& newObject, const ObjectPtr& oldObject);
    void freeId(ObjectId id);
    ObjectPtr findNextCommittedLocked(ObjectId fromId) const;
    [[noreturn]] void raise(int code, ObjectId id) const;

    const ArrayId m_id;
    Database* const m_database;
    quint32 m_flags = kArrayBinaryFlag;
    QString m_name;
    const quint32 m_maxObjects;

    std::vector<ObjectPtr> m_slots;
    quint32 m_objectCount = 0;
    ObjectId m_nextId = 0;
    FreeIdList m_freeIds;
    boost::dynamic_bitset<> m_changed;

    ObjectListenerSet m_objectListeners;
    ArrayListenerSet m_arrayListeners;
    ArrayChangeSet m_changes;
    bool m_collectChanges = true;
};

// Sequence arithmetic of commit: an edit raises the low 24 bits by one, an add
// raises both the low 24 and the high 8 bits by one (each wrapping).
inline quint32 nextEditSequence(quint32 sequence) { return (sequence & 0xFF000000u) | ((sequence + 1) & 0x00FFFFFFu); }

inline quint32 nextGenerationSequence(quint32 sequence)
{
    return ((((sequence >> 24) + 1) & 0xFFu) << 24) | ((sequence + 1) & 0x00FFFFFFu);
}

}  // namespace Archive

#endif  // ARCHIVE_DATABASE_ARRAY_H
