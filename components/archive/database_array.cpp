#include "components/archive/database_array.h"

#include "components/archive/archive_exception.h"
#include "components/archive/database.h"

#include <mutex>

namespace Archive {

namespace {

constexpr quint32 kLowMask = 0x00FFFFFFu;

quint32 lowPart(quint32 sequence)
{
    return sequence & kLowMask;
}

quint32 highPart(quint32 sequence)
{
    return sequence >> 24;
}

} // namespace

void FreeIdList::append(ObjectId id)
{
    if (index_.count(id))
        return;
    order_.push_back(id);
    index_.emplace(id, std::prev(order_.end()));
}

ObjectId FreeIdList::takeFirst()
{
    const ObjectId id = order_.front();
    index_.erase(id);
    order_.pop_front();
    return id;
}

bool FreeIdList::take(ObjectId id)
{
    const auto it = index_.find(id);
    if (it == index_.end())
        return false;
    order_.erase(it->second);
    index_.erase(it);
    return true;
}

void FreeIdList::clear()
{
    order_.clear();
    index_.clear();
}

Array::Array(ArrayId id, quint32 maxObjects, Database* database)
    : id_(id), database_(database), maxObjects_(maxObjects)
{
}

Array::~Array() = default;

DatabaseId Array::databaseId() const
{
    return database_ ? database_->id() : kNoDatabase;
}

void Array::raise(int code, ObjectId id) const
{
    throw archive_exception(code, id, id_, databaseId());
}

quint32 Array::replaceStorageField(quint32 field)
{
    const quint32 old = storageField();
    flags_ = (flags_ & ~kArrayFieldMask) | (field & kArrayFieldMask);
    return old;
}

bool Array::reserveId(ObjectId& id)
{
    if (id == kNoObjectId) {
        if (freeIds_.size() <= kReuseThreshold && nextId_ < maxObjects_) {
            id = nextId_++;
            return true;
        }
        if (freeIds_.empty())
            return false;
        id = freeIds_.takeFirst();
        return true;
    }
    if (id >= maxObjects_ || holdsObject(id))
        return false;
    if (id < nextId_)
        return freeIds_.take(id);
    for (ObjectId skipped = nextId_; skipped < id; ++skipped)
        freeIds_.append(skipped);
    nextId_ = id + 1;
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
    if (id < nextId_)
        freeIds_.append(id);
}

quint32 Array::sequenceOf(ObjectId id) const
{
    return id < slots_.size() ? slots_[id].sequence() : 0;
}

ObjectPtr Array::committed(ObjectId id) const
{
    return id < slots_.size() ? slots_[id] : ObjectPtr();
}

ObjectPtr Array::cloneForEdit(ObjectId id) const
{
    if (!holdsObject(id))
        return ObjectPtr();
    const ObjectPtr& slot = slots_[id];
    ObjectPtr copy(slot->clone(), slot.sequence(), slot.stamp());
    if (copy.isObject())
        copy->setId(slot->getId());
    return copy;
}

ObjectPtr Array::findNextCommitted(ObjectId fromId) const
{
    std::lock_guard<RecursiveLock> reader(database_->lock(Database::ReaderLock));
    return findNextCommittedLocked(fromId);
}

ObjectPtr Array::findNextCommittedLocked(ObjectId fromId) const
{
    std::size_t index = 0;
    if (fromId != kNoObjectId) {
        if (fromId >= slots_.size())
            raise(12, fromId);
        index = std::size_t(fromId) + 1;
    }
    for (; index < slots_.size(); ++index) {
        if (slots_[index].isObject())
            return slots_[index];
    }
    return ObjectPtr();
}

ObjectPtr Array::findNext(ObjectId fromId) const
{
    const EditTransaction* transaction =
        database_->isDeliveringSignals() ? nullptr : database_->currentTransaction();
    if (!transaction)
        return findNextCommitted(fromId);

    std::lock_guard<RecursiveLock> reader(database_->lock(Database::ReaderLock));
    const auto& records = transaction->records;
    const auto inArray = [&](std::map<RecordKey, ChangeRecord>::const_iterator it) {
        return it != records.end() && it->first.arrayId == id_;
    };

    std::size_t slot = 0;
    auto record = records.lower_bound(RecordKey{id_, 0});
    if (fromId != kNoObjectId) {
        if (fromId >= slots_.size() && !inArray(records.lower_bound(RecordKey{id_, fromId})))
            raise(12, fromId);
        slot = std::size_t(fromId) + 1;
        record = records.upper_bound(RecordKey{id_, fromId});
    }

    for (;;) {
        while (slot < slots_.size() && !slots_[slot].isObject())
            ++slot;
        const bool haveRecord = inArray(record);
        const bool haveSlot = slot < slots_.size();
        if (!haveRecord && !haveSlot)
            return ObjectPtr();
        if (haveSlot && (!haveRecord || slot < record->first.objectId))
            return slots_[slot];
        // The thread's record stands for the slot of the same id.
        if (haveSlot && slot == record->first.objectId)
            ++slot;
        if (!record->second.showsRemoved())
            return record->second.object;
        ++record;
    }
}

bool Array::canAdd(ObjectId id, quint32 sequence, bool force) const
{
    if (id >= slots_.size())
        return force || sequence == 0x01000001u;
    const ObjectPtr& slot = slots_[id];
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
    return force || sequence == slots_[id].sequence() + 1;
}

bool Array::canRemove(ObjectId id, quint32 sequence, bool force)
{
    if (!force)
        return holdsObject(id) && slots_[id].sequence() == sequence;
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
    if (id == slots_.size())
        slots_.emplace_back(); // the usual add past the end
    else if (id > slots_.size())
        slots_.resize(std::size_t(id) + 1);
}

void Array::reserveSlots(ObjectId id)
{
    if (id >= maxObjects_)
        return;
    if (id >= slots_.capacity())
        slots_.reserve(std::size_t(id) + 1);
    if (isStored() && id >= changed_.size())
        changed_.resize(std::size_t(id) + 1);
}

void Array::markChanged(ObjectId id)
{
    if (!isStored())
        return;
    if (id >= changed_.size()) {
        // Grow geometrically so that a run of adds past the end stays linear.
        std::size_t size = std::max<std::size_t>(changed_.size() * 2, 64);
        while (size <= id)
            size *= 2;
        changed_.resize(size);
    }
    changed_.set(id);
}

qint64 Array::nextChangedId(qint64 from) const
{
    const auto found = from < 0 ? changed_.find_first() : changed_.find_next(std::size_t(from));
    return found == boost::dynamic_bitset<>::npos ? -1 : qint64(found);
}

void Array::addChange(ObjectId id, const ObjectPtr& newObject, const ObjectPtr& oldObject)
{
    if (!m_collectChanges)
        return;
    // Commit applies in increasing id, so the end is the usual place; a change
    // for an id already in the set is not added again.
    changes_.emplace_hint(changes_.end(), ArrayObjectChange{id, newObject, oldObject});
}

void Array::applyAdd(ObjectId id, ObjectPtr object, quint32 stamp, bool force)
{
    if (holdsObject(id))
        raise(17, id);
    growTo(id);
    ObjectPtr& slot = slots_[id];
    if (!force && lowPart(object.sequence()) != lowPart(slot.sequence()) + 1)
        raise(18, id);
    slot = std::move(object);
    slot.setStamp(stamp);
    addChange(id, slot, ObjectPtr());
    markChanged(id);
    ++objectCount_;
}

void Array::applyRemoval(ObjectId id, quint32 sequence, quint32 stamp, bool force)
{
    if (!force && (!holdsObject(id) || slots_[id].sequence() != sequence))
        raise(20, id);
    growTo(id);
    ObjectPtr& slot = slots_[id];
    const ObjectPtr removed = slot;
    slot.reset();
    slot.setSequence(sequence + 1);
    slot.setStamp(stamp);
    freeId(id);
    if (removed.isObject()) {
        addChange(id, ObjectPtr(), removed);
        --objectCount_;
    }
    markChanged(id);
}

void Array::applyReplacement(ObjectId id, ObjectPtr object, quint32 stamp, bool force)
{
    if (!holdsObject(id) || (!force && object.sequence() != slots_[id].sequence() + 1))
        raise(11, id);
    ObjectPtr& slot = slots_[id];
    const ObjectPtr previous = std::move(slot);
    slot = std::move(object);
    slot.setStamp(stamp);
    addChange(id, slot, previous);
    markChanged(id);
}

std::shared_ptr<ArrayChangeSet> Array::takeChangeSet()
{
    if (changes_.empty())
        return nullptr;
    auto taken = std::make_shared<ArrayChangeSet>();
    taken->swap(changes_);
    return taken;
}

void Array::deliverChanges(const std::shared_ptr<ArrayChangeSet>& changes)
{
    if (!changes || changes->empty())
        return;
    const DatabaseId databaseId = this->databaseId();
    if (objectListeners_.size() != 0) {
        for (const ArrayObjectChange& change : *changes) {
            const ObjectChangeSignal signal(databaseId, id_, change.objectId, change.newObject,
                                            change.oldObject);
            notifyListeners(objectListeners_, signal);
        }
    }
    notifyListeners(arrayListeners_, ArrayChangeSignal(databaseId, id_, changes));
}

void Array::reset()
{
    std::vector<ObjectPtr>().swap(slots_);
    objectCount_ = 0;
    nextId_ = 0;
    freeIds_.clear();
    changed_.clear();
    changes_.clear();
}

void Array::loadSlot(ObjectId id, const ObjectPtr& object, quint32 sequence, quint32 stamp)
{
    if (!object.isObject()) {
        if (id == kNoObjectId)
            return;
        growTo(id);
        slots_[id].setSequence(sequence);
        slots_[id].setStamp(stamp);
        return;
    }
    ObjectId placed = id;
    if (id == kNoObjectId) {
        if (!reserveId(placed))
            raise(9, id);
    } else if (!holdsObject(id)) {
        ObjectId exact = id;
        reserveId(exact); // a refused reservation is ignored
    }
    if (holdsObject(placed))
        raise(9, placed);
    growTo(placed);
    object->setId(placed);
    ObjectPtr& slot = slots_[placed];
    slot = object;
    slot.setSequence(sequence);
    slot.setStamp(stamp);
    ++objectCount_;
}

} // namespace Archive
