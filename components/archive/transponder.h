// Change signals of the object database and the Qt transponders that carry
// them to Qt receivers.
//
// After each commit the committing thread delivers, per array in schema order,
// one Archive::ObjectChangeSignal per changed object (in increasing object id)
// to the array's object listeners, then one Archive::ArrayChangeSignal with
// the whole change set to its array listeners. A listener runs on the
// committing thread; it may read the database (it sees the committed state)
// but may not begin a transaction or change objects (code 15), and must not
// save the database.
//
// Archive::ArrayTransponder and Archive::ObjectTransponder are listeners that
// re-emit what they receive as a Qt signal. The caller adds one to an array's
// listener set (Archive::Array::arrayListeners / objectListeners) and removes
// it before destroying it; the set does not own it.
#ifndef ARCHIVE_TRANSPONDER_H
#define ARCHIVE_TRANSPONDER_H

#include "components/archive/object_base.h"
#include "seltrane_components/os/listener_set.h"

#include <QMetaType>
#include <QObject>

#include <memory>
#include <set>

namespace Transponder {

// Base of every change signal.
class Signal
{
public:
    virtual ~Signal() = default;
};

}  // namespace Transponder

namespace Archive {

// One object's change within a commit: newObject is null for a removal,
// oldObject is null for an add.
struct ArrayObjectChange
{
    ObjectId objectId = kNoObjectId;
    ObjectPtr newObject;
    ObjectPtr oldObject;

    friend bool operator<(const ArrayObjectChange& a, const ArrayObjectChange& b) { return a.objectId < b.objectId; }
};

// The changes of one array in one commit, ordered by object id; the first
// change of an id stays.
using ArrayChangeSet = std::set<ArrayObjectChange>;

class ObjectChangeSignal : public Transponder::Signal
{
public:
    ObjectChangeSignal() = default;
    ObjectChangeSignal(DatabaseId databaseId, ArrayId arrayId, ObjectId objectId, const ObjectPtr& newObject,
                       const ObjectPtr& oldObject)
        : databaseId(databaseId), arrayId(arrayId), objectId(objectId), newObject(newObject), oldObject(oldObject)
    {}

    DatabaseId databaseId = 0xFFFFFFFFu;
    ArrayId arrayId = 0xFFFFFFFFu;
    ObjectId objectId = kNoObjectId;
    ObjectPtr newObject;
    ObjectPtr oldObject;
};

class ArrayChangeSignal : public Transponder::Signal
{
public:
    ArrayChangeSignal() = default;
    ArrayChangeSignal(DatabaseId databaseId, ArrayId arrayId, std::shared_ptr<const ArrayChangeSet> changes)
        : databaseId(databaseId), arrayId(arrayId), changes(std::move(changes))
    {}

    DatabaseId databaseId = 0xFFFFFFFFu;
    ArrayId arrayId = 0xFFFFFFFFu;
    std::shared_ptr<const ArrayChangeSet> changes;
};

using ObjectListener = Listener<ObjectChangeSignal>;
using ArrayListener = Listener<ArrayChangeSignal>;
using ObjectListenerSet = ListenerSet<ObjectChangeSignal>;
using ArrayListenerSet = ListenerSet<ArrayChangeSignal>;

class ArrayTransponder : public QObject, public ArrayListener
{
    Q_OBJECT
public:
    explicit ArrayTransponder(QObject* parent = nullptr);

    void notify(const ArrayChangeSignal& signal) override;

signals:
    void arrayChanged(const Archive::ArrayChangeSignal& signal);
};

class ObjectTransponder : public QObject, public ObjectListener
{
    Q_OBJECT
public:
    explicit ObjectTransponder(QObject* parent = nullptr);

    void notify(const ObjectChangeSignal& signal) override;

signals:
    void objectChanged(const Archive::ObjectChangeSignal& signal);
};

}  // namespace Archive

Q_DECLARE_METATYPE(Archive::ObjectChangeSignal)
Q_DECLARE_METATYPE(Archive::ArrayChangeSignal)

#endif  // ARCHIVE_TRANSPONDER_H
