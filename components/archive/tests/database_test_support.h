// Test support for the object database: a small object class under
// test-only codes, a schema and settings, a fixture that creates and closes
// one current database per test, and a listener that records what it gets.
#ifndef ARCHIVE_TESTS_DATABASE_TEST_SUPPORT_H
#define ARCHIVE_TESTS_DATABASE_TEST_SUPPORT_H

#include "components/archive/database.h"
#include "components/archive/edit_context.h"
#include "components/archive/in_stream.h"
#include "components/archive/out_stream.h"

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

inline Archive::ObjectPtr newThing(qint32 value)
{
    return Archive::ObjectPtr(new Thing(value));
}
qint32 valueOf(const Archive::ObjectPtr& object); // -1 for anything but a Thing
void registerTypes();                             // once per process

// "things" (10000 objects), "others" (100), "small" (3), "runs" (100, files
// of two ids each) are stored; "cues" (500) never is.
constexpr Archive::ArrayId kThings = 3;
constexpr Archive::ArrayId kOthers = 1;
constexpr Archive::ArrayId kRuns = 5;
constexpr Archive::ArrayId kSmall = 7;
constexpr Archive::ArrayId kCues = 15;

const Archive::ArraySchemaRow* schema();
// Binary suffix "tarv", text suffix "tarvt", header ".tarvel_project", version 157.
Archive::DatabaseSettings settings(bool singleFile = false, bool binary = true);

// Inside an open transaction of db: addThing adds at id (or a new id) and
// returns the id; editThing returns the pending copy with value set.
Archive::ObjectId addThing(Archive::DatabaseId db, qint32 value, Archive::ObjectId id = Archive::kNoObjectId,
                           Archive::ArrayId arrayId = kThings);
Archive::ObjectPtr editThing(Archive::DatabaseId db, Archive::ObjectId id, qint32 value,
                             Archive::ArrayId arrayId = kThings);
void removeThing(Archive::DatabaseId db, Archive::ObjectId id, Archive::ArrayId arrayId = kThings);

// Runs change inside one transaction of db and commits it.
void inTransaction(Archive::DatabaseId db, const std::function<void()>& change);

// The code of the archive_exception that fn raises, or -1 when it raises none.
int codeOf(const std::function<void()>& fn);

class DatabaseFixture : public ::testing::Test
{
protected:
    void SetUp() override;
    void TearDown() override;

    // Each runs one committed transaction.
    std::vector<Archive::ObjectId> addThings(const std::vector<qint32>& values,
                                             Archive::ArrayId arrayId = kThings);
    void removeIds(const std::vector<Archive::ObjectId>& ids, Archive::ArrayId arrayId = kThings);
    void edit(Archive::ObjectId id, qint32 value, Archive::ArrayId arrayId = kThings);
    qint32 committedValue(Archive::ObjectId id, Archive::ArrayId arrayId = kThings);
    Archive::Array& array(Archive::ArrayId arrayId = kThings);

    Archive::DatabaseId db = 0;
};

// Records every signal of the arrays in order while in scope.
class Recorder : public Archive::ObjectListener, public Archive::ArrayListener
{
public:
    explicit Recorder(std::initializer_list<Archive::Array*> arrays);
    ~Recorder() override;
    struct Entry
    {
        bool arraySignal;
        Archive::ArrayId arrayId;
        Archive::ObjectId objectId; // kNoObjectId for an array signal
        bool hasNew;
        bool hasOld;
        std::size_t changeCount; // array signal only
    };

    void notify(const Archive::ObjectChangeSignal& signal) override;
    void notify(const Archive::ArrayChangeSignal& signal) override;
    std::vector<Entry> entries() const;

    std::function<void()> onSignal; // called on the delivering thread

private:
    void record(const Entry& entry);

    std::vector<Archive::Array*> m_arrays;
    mutable std::mutex m_mutex;
    std::vector<Entry> m_entries;
};

} // namespace DatabaseTest

#endif // ARCHIVE_TESTS_DATABASE_TEST_SUPPORT_H
