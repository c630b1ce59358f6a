#include "components/archive/database_array.h"

#include "components/archive/archive_exception.h"
#include "components/archive/database.h"

#include <mutex>

namespace Archive {

namespace {

constexpr quint32 kLowMask = 0x00FFFFFFu;

quint32 lowPart(quint32 sequence) { return sequence & kLowMask; }

quint32 highPart(quint32 sequence) { return sequence >> 24; }

}  // namespace

void FreeIdList::append(ObjectId id)
{
    if (m_index.count(id))
        return;
    m_order.push_back(id);
    m_index.emplace(id, std::prev(m_order.end()));
}

ObjectId FreeIdList::takeFirst()
{
    const ObjectId id = m_order.front();
    m_index.erase(id);
    m_order.pop_front();
    return id;
}

bool FreeIdList::take(ObjectId id)
{
    const auto it = m_index.find(id);
    if (it == m_index.end())
        return false;
    m_order.erase(it->second);
    m_index.erase(it);
    return true;
}

void FreeIdList::clear()
{
    m_order.clear();
    m_index.clear();
}

Array::Array(ArrayId id, quint32 maxObjects, Database* database)
    : m_id(id), m_database(database), m_maxObjects(maxObjects)
{}

Array::~Array() = default;

DatabaseId Array::databaseId() const { return m_database ? m_database->id() : kNoDatabase; }

void Array::raise(int code, ObjectId id) const { throw archive_exception(code, id, m_id, databaseId()); }

quint32 Array::replaceStorageField(quint32 field)
{
    const quint32 old = storageField();
    m_flags = (m_flags & ~kArrayFieldMask) | (field & kArrayFieldMask);
    return old;
}

bool Array::reserveId(ObjectId& id)
{
    if (id == kNoObjectId) {
        if (m_freeIds.size() <= kReuseThreshold && m_nextId < m_maxObjects) {
            id = m_nextId++;
            return true;
        }
        if (m_freeIds.empty())
            return false;
        id = m_freeIds.takeFirst();
        return true;
    }
    if (id >= m_maxObjects || holdsObject(id))
        return false;
    if (id < m_nextId)
        return m_freeIds.take(id);
    for (ObjectId skipped = m_nextId; skipped < id; ++skipped)
        m_freeIds.append(skipped);
    m_nextId = id + 1;
    return true;
}

void Array::giveBackId(ObjectId id)
{
    if (holdsObject(id))
        raise(10, id);
    freeId(id);
}

void Array::freeId(ObjectId id)
{
    // An id the counter has not handed out yet (a reservation made before a
    // reset) must not be handed out twice.
    if (id < m_nextId)
        m_freeIds.append(id);
}

quint32 Array::sequenceOf(ObjectId id) const { return id < m_slots.size() ? m_slots[id].sequence() : 0; }

ObjectPtr Array::committed(ObjectId id) const { return id < m_slots.size() ? m_slots[id] : ObjectPtr(); }

ObjectPtr Array::cloneForEdit(ObjectId id) const
{
    if (!holdsObject(id))
        return ObjectPtr();
    const ObjectPtr& slot = m_slots[id];
    ObjectPtr copy(slot->clone(), slot.sequence(), slot.stamp());
    if (copy.isObject())
        copy->setId(slot->getId());
    return copy;
}

ObjectPtr Array::findNextCommitted(ObjectId fromId) const
{
    std::lock_guard<RecursiveLock> reader(m_database->lock(Database::ReaderLock));
    return findNextCommittedLocked(fromId);
}

ObjectPtr Array::findNextCommittedLocked(ObjectId fromId) const
{
    std::size_t index = 0;
    if (fromId != kNoObjectId) {
        if (fromId >= m_slots.size())
            raise(12, fromId);
        index = std::size_t(fromId) + 1;
    }
    for (; index < m_slots.size(); ++index) {
        if (m_slots[index].isObject())
            return m_slots[index];
    }
    return ObjectPtr();
}

ObjectPtr Array::findNext(ObjectId fromId) const
{
    const EditTransaction* transaction = m_database->isDeliveringSignals() ? nullptr : m_database->currentTransaction();
    if (!transaction)
        return findNextCommitted(fromId);

    std::lock_guard<RecursiveLock> reader(m_database->lock(Database::ReaderLock));
    const ChangeRecords& records = transaction->records;
    ObjectId recordId = 0;
    std::size_t slot = 0;
    const ChangeRecord* record = records.firstFrom(m_id, 0, &recordId);
    if (fromId != kNoObjectId) {
        ObjectId ignored = 0;
        if (fromId >= m_slots.size() && !records.firstFrom(m_id, fromId, &ignored))
            raise(12, fromId);
        slot = std::size_t(fromId) + 1;
        record = records.firstFrom(m_id, fromId + 1, &recordId);
    }

    for (;;) {
        while (slot < m_slots.size() && !m_slots[slot].isObject())
            ++slot;
        const bool haveSlot = slot < m_slots.size();
        if (!record && !haveSlot)
            return ObjectPtr();
        if (haveSlot && (!record || slot < recordId))
            return m_slots[slot];
        // The thread's record stands for the slot of the same id.
        if (haveSlot && slot == recordId)
            ++slot;
        if (!record->showsRemoved())
            return record->object;
        record = recordId == kNoObjectId ? nullptr : records.firstFrom(m_id, recordId + 1, &recordId);
    }
}

bool Array::canAdd(ObjectId id, quint32 sequence, bool force) const
{
    if (id >= m_slots.size())
        return force || sequence == 0x01000001u;
    const ObjectPtr& slot = m_slots[id];
    if (slot.isObject())
        return false;
    // Compared without wrapping: an edit count or generation that wrapped
    // never matches.
    if (!force && lowPart(sequence) != lowPart(slot.sequence()) + 1)
        return false;
    return highPart(sequence) == highPart(slot.sequence()) + 1;
}

bool Array::canEdit(ObjectId id, quint32 sequence, bool force) const
{
    if (!holdsObject(id))
        return false;
    return force || sequence == m_slots[id].sequence() + 1;
}

bool Array::canRemove(ObjectId id, quint32 sequence, bool force)
{
    if (!force)
        return holdsObject(id) && m_slots[id].sequence() == sequence;
    if (!holdsObject(id)) {
        ObjectId exact = id;
        if (reserveId(exact))
            giveBackId(exact);
        growTo(id);
    }
    return true;
}

void Array::growTo(ObjectId id)
{
    if (id == m_slots.size())
        m_slots.emplace_back();  // the usual add past the end
    else if (id > m_slots.size())
        m_slots.resize(std::size_t(id) + 1);
}

void Array::reserveSlots(ObjectId id)
{
    if (id >= m_maxObjects)
        return;
    if (id >= m_slots.capacity())
        m_slots.reserve(std::size_t(id) + 1);
    if (isStored() && id >= m_changed.size())
        m_changed.resize(std::size_t(id) + 1);
}

void Array::markChanged(ObjectId id)
{
    if (!isStored())
        return;
    if (id >= m_changed.size()) {
        // Grow geometrically so that a run of adds past the end stays linear.
        std::size_t size = std::max<std::size_t>(m_changed.size() * 2, 64);
        while (size <= id)
            size *= 2;
        m_changed.resize(size);
    }
    m_changed.set(id);
}

qint64 Array::nextChangedId(qint64 from) const
{
    const auto found = from < 0 ? m_changed.find_first() : m_changed.find_next(std::size_t(from));
    return found == boost::dynamic_bitset<>::npos ? -1 : qint64(found);
}

void Array::addChange(ObjectId id, const ObjectPtr& newObject, const ObjectPtr& oldObject)
{
    if (!m_collectChanges)
        return;
    // Commit applies in increasing id, so the end is the usual place; a change
    // for an id already in the set is not added again.
    m_changes.emplace_hint(m_changes.end(), ArrayObjectChange {id, newObject, oldObject});
}

void Array::applyAdd(ObjectId id, ObjectPtr object, quint32 stamp, bool force)
{
    if (holdsObject(id))
        raise(17, id);
    growTo(id);
    ObjectPtr& slot = m_slots[id];
    if (!force && lowPart(object.sequence()) != lowPart(slot.sequence()) + 1)
        raise(18, id);
    slot = std::move(object);
    slot.setStamp(stamp);
    addChange(id, slot, ObjectPtr());
    markChanged(id);
    ++m_objectCount;
}

void Array::applyRemoval(ObjectId id, quint32 sequence, quint32 stamp, bool force)
{
    if (!force && (!holdsObject(id) || m_slots[id].sequence() != sequence))
        raise(20, id);
    growTo(id);
    ObjectPtr& slot = m_slots[id];
    const ObjectPtr removed = slot;
    slot.reset();
    slot.setSequence(sequence + 1);
    slot.setStamp(stamp);
    freeId(id);
    if (removed.isObject()) {
        addChange(id, ObjectPtr(), removed);
        --m_objectCount;
    }
    markChanged(id);
}

void Array::applyReplacement(ObjectId id, ObjectPtr object, quint32 stamp, bool force)
{
    if (!holdsObject(id) || (!force && object.sequence() != m_slots[id].sequence() + 1))
        raise(11, id);
    ObjectPtr& slot = m_slots[id];
    const ObjectPtr previous = std::move(slot);
    slot = std::move(object);
    slot.setStamp(stamp);
    addChange(id, slot, previous);
    markChanged(id);
}

std::shared_ptr<ArrayChangeSet> Array::takeChangeSet()
{
    if (m_changes.empty())
        return nullptr;
    auto taken = std::make_shared<ArrayChangeSet>();
    taken->swap(m_changes);
    return taken;
}

void Array::deliverChanges(const std::shared_ptr<ArrayChangeSet>& changes)
{
    if (!changes || changes->empty())
        return;
    const DatabaseId databaseId = this->databaseId();
    if (m_objectListeners.size() != 0) {
        for (const ArrayObjectChange& change : *changes) {
            const ObjectChangeSignal signal(databaseId, m_id, change.objectId, change.newObject, change.oldObject);
            notifyListeners(m_objectListeners, signal);
        }
    }
    notifyListeners(m_arrayListeners, ArrayChangeSignal(databaseId, m_id, changes));
}

void Array::reset()
{
    std::vector<ObjectPtr>().swap(m_slots);
    m_objectCount = 0;
    m_nextId = 0;
    m_freeIds.clear();
    m_changed.clear();
    m_changes.clear();
}

void Array::loadSlot(ObjectId id, const ObjectPtr& object, quint32 sequence, quint32 stamp)
{
    if (!object.isObject()) {
        if (id == kNoObjectId)
            return;
        growTo(id);
        m_slots[id].setSequence(sequence);
        m_slots[id].setStamp(stamp);
        return;
    }
    ObjectId placed = id;
    if (id == kNoObjectId) {
        if (!reserveId(placed))
            raise(9, id);
    } else if (!holdsObject(id)) {
        ObjectId exact = id;
        reserveId(exact);  // a refused reservation is ignored
    }
    if (holdsObject(placed))
        raise(9, placed);
    growTo(placed);
    object->setId(placed);
    ObjectPtr& slot = m_slots[placed];
    slot = object;
    slot.setSequence(sequence);
    slot.setStamp(stamp);
    ++m_objectCount;
}

}  // namespace Archive
