// Test support for the object database: a small object class under
// test-only codes, a schema and settings, a fixture that creates and closes
// one current database per test, and a listener that records what it gets.
#ifndef ARCHIVE_TESTS_DATABASE_TEST_SUPPORT_H
#define ARCHIVE_TESTS_DATABASE_TEST_SUPPORT_H

#include "components/archive/archive_exception.h"
#include "components/archive/database.h"
#include "components/archive/edit_context.h"
#include "components/archive/in_stream.h"
#include "components/archive/out_stream.h"
#include "components/archive/type_registry.h"

#include <gtest/gtest.h>

#include <functional>
#include <mutex>
#include <vector>

namespace DatabaseTest {

// Codes outside every range the program registers.
constexpr quint32 kThingCode = 60001;

class Thing : public Archive::ObjectBase
{
public:
    explicit Thing(qint32 value = 0) : value(value) {}
    void read(InStream& in) override { in >> value; }
    void write(OutStream& out) const override { out << value; }
    quint32 typeCode() const override { return kThingCode; }
    Archive::ObjectBase* clone() const override { return new Thing(*this); }

    qint32 value;
};

inline Archive::ObjectPtr newThing(qint32 value) { return Archive::ObjectPtr(new Thing(value)); }

// -1 for anything but a Thing.
inline qint32 valueOf(const Archive::ObjectPtr& object)
{
    const auto thing = Archive::dynamicPointerCast<Thing>(object);
    return thing ? thing->value : -1;
}

// "things" (10000 objects), "others" (100), "small" (3), "runs" (100, files
// of two ids each) are stored; "cues" (500) never is.
constexpr Archive::ArrayId kThings = 3;
constexpr Archive::ArrayId kOthers = 1;
constexpr Archive::ArrayId kRuns = 5;
constexpr Archive::ArrayId kSmall = 7;
constexpr Archive::ArrayId kCues = 15;

inline const Archive::ArraySchemaRow* schema()
{
    static const Archive::ArraySchemaRow rows[] = {
        {kThings, 0x80000000u, "things", 10000}, {kOthers, 0x80000000u, "others", 100},
        {kSmall, 0x80000000u, "small", 3},       {kRuns, 0x80000002u, "runs", 100},
        {kCues, 0xBFFFFFFFu, "cues", 500},       {Archive::kSchemaEnd, 0, QString(), 0},
    };
    return rows;
}

// Binary suffix "tarv", text suffix "tarvt", header ".tarvel_project", version 157.
inline Archive::DatabaseSettings settings(bool singleFile = false, bool binary = true)
{
    Archive::DatabaseSettings s;
    s.name = "Tarvel";
    s.singleFile = singleFile;
    s.binary = binary;
    s.binarySuffix = "tarv";
    s.textSuffix = "tarvt";
    s.headerName = ".tarvel_project";
    s.version = 157;
    return s;
}

// Inside an open transaction of db: addThing adds at id (or a new id) and
// returns the id; editThing returns the pending copy with value set.
inline Archive::ObjectId addThing(Archive::DatabaseId db, qint32 value, Archive::ObjectId id = Archive::kNoObjectId,
                                  Archive::ArrayId arrayId = kThings)
{
    Archive::ObjectPtr object = newThing(value);
    Archive::addObject(arrayId, id, object, db);
    return id;
}

inline Archive::ObjectPtr editThing(Archive::DatabaseId db, Archive::ObjectId id, qint32 value,
                                    Archive::ArrayId arrayId = kThings)
{
    Archive::ObjectPtr copy;
    Archive::editObject(copy, arrayId, id, db);
    Archive::dynamicPointerCast<Thing>(copy)->value = value;
    return copy;
}

inline void removeThing(Archive::DatabaseId db, Archive::ObjectId id, Archive::ArrayId arrayId = kThings)
{
    Archive::ObjectPtr object;
    Archive::getObject(object, arrayId, id, db);
    Archive::removeObject(arrayId, object, db);
}

// Runs change inside one transaction of db and commits it.
inline void inTransaction(Archive::DatabaseId db, const std::function<void()>& change)
{
    Archive::EditContext context(db);
    change();
    context.commit();
}

// The code of the archive_exception that fn raises, or -1 when it raises none.
inline int codeOf(const std::function<void()>& fn)
{
    try {
        fn();
    } catch (const Archive::archive_exception& e) {
        return e.code();
    }
    return -1;
}

class DatabaseFixture : public ::testing::Test
{
protected:
    void SetUp() override
    {
        static std::once_flag once;
        std::call_once(once, [] {
            ObjectRegistry::registerCoreTypes();
            ObjectRegistry::registerType(ObjectRegistry::objectRecord<Thing>(kThingCode, "DatabaseTestThing"));
        });
        db = Archive::createDatabase(settings(), schema());
        Archive::setCurrentDatabase(db);
    }
    void TearDown() override { Archive::closeDatabase(db); }

    // Each runs one committed transaction.
    std::vector<Archive::ObjectId> addThings(const std::vector<qint32>& values, Archive::ArrayId arrayId = kThings)
    {
        std::vector<Archive::ObjectId> ids;
        inTransaction(db, [&] {
            for (qint32 value : values)
                ids.push_back(addThing(db, value, Archive::kNoObjectId, arrayId));
        });
        return ids;
    }
    void removeIds(const std::vector<Archive::ObjectId>& ids, Archive::ArrayId arrayId = kThings)
    {
        inTransaction(db, [&] {
            for (Archive::ObjectId id : ids)
                removeThing(db, id, arrayId);
        });
    }
    void edit(Archive::ObjectId id, qint32 value, Archive::ArrayId arrayId = kThings)
    {
        inTransaction(db, [&] { editThing(db, id, value, arrayId); });
    }
    qint32 committedValue(Archive::ObjectId id, Archive::ArrayId arrayId = kThings)
    {
        Archive::ObjectPtr object;
        Archive::getCommittedObject(object, arrayId, id, db);
        return valueOf(object);
    }
    Archive::Array& array(Archive::ArrayId arrayId = kThings) { return *Archive::getArray(arrayId, db); }

    Archive::DatabaseId db = 0;
};

// Records every signal of the arrays in order while in scope.
class Recorder : public Archive::ObjectListener, public Archive::ArrayListener
{
public:
    struct Entry
    {
        bool arraySignal;
        Archive::ArrayId arrayId;
        Archive::ObjectId objectId;  // kNoObjectId for an array signal
        bool hasNew, hasOld;
        std::size_t changeCount;  // array signal only
    };

    explicit Recorder(std::initializer_list<Archive::Array*> arrays) : m_arrays(arrays) { listen(true); }
    ~Recorder() override { listen(false); }

    void notify(const Archive::ObjectChangeSignal& signal) override
    {
        record({false, signal.arrayId, signal.objectId, signal.newObject.isObject(), signal.oldObject.isObject(), 0});
    }
    void notify(const Archive::ArrayChangeSignal& signal) override
    {
        record({true, signal.arrayId, Archive::kNoObjectId, false, false, signal.changes ? signal.changes->size() : 0});
    }
    std::vector<Entry> entries() const
    {
        std::lock_guard<std::mutex> guard(m_mutex);
        return m_entries;
    }

    std::function<void()> onSignal;  // called on the delivering thread

private:
    void listen(bool on)
    {
        for (Archive::Array* array : m_arrays) {
            on ? array->objectListeners().add(this) : array->objectListeners().remove(this);
            on ? array->arrayListeners().add(this) : array->arrayListeners().remove(this);
        }
    }
    void record(const Entry& entry)
    {
        {
            std::lock_guard<std::mutex> guard(m_mutex);
            m_entries.push_back(entry);
        }
        if (onSignal)
            onSignal();
    }

    std::vector<Archive::Array*> m_arrays;
    mutable std::mutex m_mutex;
    std::vector<Entry> m_entries;
};

}  // namespace DatabaseTest

#endif  // ARCHIVE_TESTS_DATABASE_TEST_SUPPORT_H
