// Test support for the object database: two small object classes registered
// under test-only codes, a schema and settings, a fixture that creates and
// closes one database per test, and listeners that record what they receive.
#pragma once

#include "components/archive/database.h"
#include "components/archive/edit_context.h"

#include <gtest/gtest.h>

#include <functional>
#include <mutex>
#include <vector>

namespace DatabaseTest {

// Codes outside every range the program registers.
constexpr quint32 kThingCode = 60001;
constexpr quint32 kOtherCode = 60002;

class Thing : public Archive::ObjectBase
{
public:
    explicit Thing(qint32 value = 0) : value(value) {}
    void read(InStream& in) override;
    void write(OutStream& out) const override;
    quint32 typeCode() const override { return kThingCode; }
    Archive::ObjectBase* clone() const override { return new Thing(*this); }

    qint32 value;
};

class OtherThing : public Archive::ObjectBase
{
public:
    quint32 typeCode() const override { return kOtherCode; }
    Archive::ObjectBase* clone() const override { return new OtherThing(*this); }
};

Archive::ObjectPtr newThing(qint32 value);
// The value of a Thing, or -1 for anything else.
qint32 valueOf(const Archive::ObjectPtr& object);

// Registers both classes once per process.
void registerTypes();

// Array ids of the test schema: "things" (stored, 10000 objects), "others"
// (stored, 100 objects), "small" (stored, 3 objects), "cues" (never stored).
constexpr Archive::ArrayId kThings = 3;
constexpr Archive::ArrayId kOthers = 1;
constexpr Archive::ArrayId kSmall = 7;
constexpr Archive::ArrayId kCues = 15;

const Archive::ArraySchemaRow* schema();
// Settings of a stored test database: binary suffix "tarv", text suffix
// "tarvt", header ".tarvel_project", version 157.
Archive::DatabaseSettings settings(bool singleFile = false, bool binary = true);

// Inside an open transaction of db: adds a Thing (at id, or at a new id) and
// returns its id; editThing returns the pending copy of id with value set;
// removeThing removes the object id as this thread sees it.
Archive::ObjectId addThing(Archive::DatabaseId db, qint32 value, Archive::ObjectId id = Archive::kNoObjectId,
                           Archive::ArrayId arrayId = kThings);
Archive::ObjectPtr editThing(Archive::DatabaseId db, Archive::ObjectId id, qint32 value);
void removeThing(Archive::DatabaseId db, Archive::ObjectId id, Archive::ArrayId arrayId = kThings);

// Fixture: one database per test, current, closed afterwards.
class DatabaseFixture : public ::testing::Test
{
protected:
    void SetUp() override;
    void TearDown() override;

    // Adds one Thing per value in one committed transaction; returns the ids.
    std::vector<Archive::ObjectId> addThings(const std::vector<qint32>& values,
                                             Archive::ArrayId arrayId = kThings);
    // Removes the committed objects of the ids in one committed transaction.
    void removeIds(const std::vector<Archive::ObjectId>& ids, Archive::ArrayId arrayId = kThings);
    qint32 committedValue(Archive::ObjectId id, Archive::ArrayId arrayId = kThings);
    Archive::Array& array(Archive::ArrayId arrayId = kThings);

    Archive::DatabaseId db = 0;
};

// The code of the archive_exception that fn raises, or -1 when it raises none.
int codeOf(const std::function<void()>& fn);

// Records every signal it receives, in order, with the listener's name.
class Recorder : public Archive::ObjectListener, public Archive::ArrayListener
{
public:
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

    // Called on the delivering thread for every signal, when set.
    std::function<void()> onSignal;

private:
    mutable std::mutex mutex_;
    std::vector<Entry> entries_;
};

// Adds the recorder to both listener sets of the array and removes it at the end.
class ScopedRecorder
{
public:
    ScopedRecorder(Recorder& recorder, Archive::Array& array);
    ~ScopedRecorder();

private:
    Recorder& recorder_;
    Archive::Array& array_;
};

} // namespace DatabaseTest
