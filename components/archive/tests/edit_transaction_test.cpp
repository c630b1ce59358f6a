// The records of an open transaction: order, look-ups across blocks of ids,
// erasing while visiting, and the pending view an iteration reads from them.
#include "components/archive/array_iterator.h"
#include "components/archive/edit_transaction.h"

#include "database_test_support.h"

#include <utility>
#include <vector>

using namespace Archive;
using namespace DatabaseTest;

namespace {

ChangeRecord recordOf(quint32 expectedSequence)
{
    return ChangeRecord {ChangeRecord::Removal, expectedSequence, ObjectPtr()};
}

std::vector<std::pair<ArrayId, ObjectId>> keysOf(ChangeRecords& records)
{
    std::vector<std::pair<ArrayId, ObjectId>> keys;
    records.forEach([&](const RecordKey& key, ChangeRecord& record) {
        // Each record is the one added for its key.
        EXPECT_EQ(record.expectedSequence, key.arrayId * 100000 + key.objectId % 100000);
        keys.emplace_back(key.arrayId, key.objectId);
        return true;
    });
    return keys;
}

}  // namespace

TEST(ChangeRecords, OrderLookupsAndErasing)
{
    ChangeRecords records;
    const std::vector<std::pair<ArrayId, ObjectId>> added {{5, 300}, {2, 7},           {5, 3}, {5, 127},
                                                           {5, 128}, {5, 0xFFFFFFFEu}, {0, 0}, {5, 1000}};
    for (const auto& [arrayId, objectId] : added) {
        const auto [record, inserted] =
            records.emplace(arrayId, objectId, recordOf(arrayId * 100000 + objectId % 100000));
        EXPECT_TRUE(inserted);
        EXPECT_EQ(record, records.find(arrayId, objectId));
    }
    // A second record for an object is refused; the first stays.
    const auto [kept, inserted] = records.emplace(5, 128, recordOf(1));
    EXPECT_FALSE(inserted);
    EXPECT_EQ(kept->expectedSequence, 500128u);
    EXPECT_EQ(records.size(), added.size());
    EXPECT_EQ(records.find(5, 129), nullptr);
    EXPECT_EQ(records.find(3, 7), nullptr);
    EXPECT_EQ(records.find(40, 7), nullptr);

    const std::vector<std::pair<ArrayId, ObjectId>> ordered {{0, 0},   {2, 7},   {5, 3},    {5, 127},
                                                             {5, 128}, {5, 300}, {5, 1000}, {5, 0xFFFFFFFEu}};
    EXPECT_EQ(keysOf(records), ordered);

    // The lowest id not below the one asked, across empty blocks.
    const std::vector<std::pair<ObjectId, ObjectId>> next {{0, 3},     {4, 127},    {127, 127},         {128, 128},
                                                           {129, 300}, {301, 1000}, {1001, 0xFFFFFFFEu}};
    for (const auto& [from, expected] : next) {
        ObjectId found = 0;
        ASSERT_NE(records.firstFrom(5, from, &found), nullptr) << from;
        EXPECT_EQ(found, expected) << from;
    }
    ObjectId found = 0;
    EXPECT_EQ(records.firstFrom(5, 0xFFFFFFFFu, &found), nullptr);
    EXPECT_EQ(records.firstFrom(2, 8, &found), nullptr);
    EXPECT_EQ(records.firstFrom(9, 0, &found), nullptr);

    // Erased while visited: the others are still visited, in order.
    std::vector<ObjectId> visited;
    records.forEach([&](const RecordKey& key, ChangeRecord&) {
        visited.push_back(key.objectId);
        return key.arrayId != 5 || key.objectId % 2 != 0;
    });
    EXPECT_EQ(visited, (std::vector<ObjectId> {0, 7, 3, 127, 128, 300, 1000, 0xFFFFFFFEu}));
    EXPECT_EQ(keysOf(records), (std::vector<std::pair<ArrayId, ObjectId>> {{0, 0}, {2, 7}, {5, 3}, {5, 127}}));
    EXPECT_EQ(records.find(5, 128), nullptr);
    EXPECT_EQ(records.firstFrom(5, 128, &found), nullptr);
    records.forEach([](const RecordKey&, ChangeRecord&) { return false; });
    EXPECT_TRUE(records.empty());
    // An erased place takes a record again.
    EXPECT_TRUE(records.emplace(5, 128, recordOf(500128)).second);
    EXPECT_EQ(records.size(), 1u);
}

TEST_F(DatabaseFixture, PendingIterationMergesRecordsWithCommittedSlots)
{
    // Committed objects on both sides of a block boundary, then a transaction
    // that edits, removes and adds around them.
    std::vector<qint32> values(300);
    for (std::size_t i = 0; i < values.size(); ++i)
        values[i] = qint32(i);
    const std::vector<ObjectId> ids = addThings(values);
    ASSERT_EQ(ids.back(), 299u);
    removeIds({5, 130, 131});

    EditContext context(db);
    editThing(db, 127, 1127);
    editThing(db, 128, 1128);
    removeThing(db, 0);
    removeThing(db, 129);
    addThing(db, 2130, 130);
    addThing(db, 2999, 999);
    const ObjectId released = addThing(db, 3000, 3000);
    removeThing(db, released);

    std::vector<qint32> seen;
    ArrayIterator<Thing> it(&array(), true);
    while (it.next())
        seen.push_back(it->value);
    std::vector<qint32> expected;
    for (qint32 value = 1; value < 300; ++value) {
        if (value == 5 || value == 129 || value == 131)
            continue;
        expected.push_back(value == 127 ? 1127 : value == 128 ? 1128 : value == 130 ? 2130 : value);
    }
    expected.push_back(2999);
    EXPECT_EQ(seen, expected);
    context.commit();
    EXPECT_EQ(committedValue(130), 2130);
    EXPECT_EQ(committedValue(999), 2999);
    EXPECT_EQ(committedValue(0), -1);
    EXPECT_EQ(committedValue(3000), -1);
}
