#include "database_test_support.h"

#include <thread>

using namespace Archive;
using namespace DatabaseTest;

TEST_F(DatabaseFixture, SequenceNumbers)
{
    EXPECT_EQ((std::vector<quint32> {nextEditSequence(0x05FFFFFFu), nextGenerationSequence(0u),
                                     nextGenerationSequence(0xFF000005u)}),
              (std::vector<quint32> {0x05000000u, 0x01000001u, 0x00000006u}));

    const ObjectId id = addThings({10})[0];
    EXPECT_EQ(array().committed(id).sequence(), 0x01000001u);
    edit(id, 11);
    edit(id, 12);
    EXPECT_EQ(array().committed(id).sequence(), 0x01000003u);
    // A removal adds 1; an add into the freed slot raises both parts.
    removeIds({id});
    EXPECT_EQ(array().committed(id).sequence(), 0x01000004u);
    inTransaction(db, [&] { addThing(db, 5, id); });
    EXPECT_EQ(array().committed(id).sequence(), 0x02000005u);

    // An edit count that would wrap fails the commit, as stored data expects.
    array().loadSlot(50, newThing(7), 0x00FFFFFFu, 0);
    EditContext context(db);
    editThing(db, 50, 8);
    EXPECT_EQ(codeOf([&] { context.commit(); }), 1);

    // A handle taken before another commit is stale: removing through it
    // fails the next commit (code 1) and removes nothing; fetched again, it
    // removes.
    const ObjectId kept = addThings({20})[0];
    ObjectPtr stale;
    getObject(stale, kThings, kept, db);
    edit(kept, 21);
    {
        EditContext removal(db);
        removeObject(kThings, stale, db);
        EXPECT_EQ(codeOf([&] { removal.commit(); }), 1);
        EXPECT_FALSE(resolveDatabase(db).hasContext());
    }
    EXPECT_EQ(committedValue(kept), 21);
    removeIds({kept});
    ObjectPtr removed;
    getCommittedObject(removed, kThings, kept, db);
    EXPECT_FALSE(removed);
}

TEST_F(DatabaseFixture, IdAllocationThresholdAndFreeList)
{
    EXPECT_EQ(addThings(std::vector<qint32>(10, 0)), (std::vector<ObjectId> {0, 1, 2, 3, 4, 5, 6, 7, 8, 9}));
    removeIds({3, 5});
    // Up to 100 free ids are held back; with 101 the oldest comes back first.
    EXPECT_EQ(addThings({0, 0}), (std::vector<ObjectId> {10, 11}));
    removeIds(addThings(std::vector<qint32>(99, 0)));
    EXPECT_EQ(array().freeIds().size(), 101u);
    EXPECT_EQ(addThings({0}), (std::vector<ObjectId> {3}));
    EXPECT_EQ(addThings({0}), (std::vector<ObjectId> {111}));

    // Explicit ids: 7 in a fresh array frees 0..6, then 4 is taken off the list.
    for (ObjectId id : {7u, 4u})
        ASSERT_TRUE(array(kOthers).reserveId(id));
    EXPECT_EQ(array(kOthers).freeIds(), (std::vector<ObjectId> {0, 1, 2, 3, 5, 6}));

    // Above the maximum, occupied, or a full array: code 16 and nothing recorded.
    const auto small = addThings({1, 2, 3}, kSmall);
    EditContext context(db);
    ObjectPtr object = newThing(0);
    for (ObjectId wanted : {ObjectId(3), small[1], kNoObjectId})
        EXPECT_EQ(codeOf([&] { addObject(kSmall, wanted, object); }), 16);
    context.commit();
    EXPECT_TRUE(object->getId() == kNoObjectId && getArraySize(kSmall) == 3u);
}

TEST_F(DatabaseFixture, CombiningRulesAndSignalOrder)
{
    const auto ids = addThings({1, 2, 3, 4});
    Recorder recorder {&array(kThings), &array(kOthers)};

    EditContext context(db);
    addThing(db, 4, kNoObjectId, kOthers);
    // Edit twice: the same copy; the committed object is untouched.
    ObjectPtr a = editThing(db, ids[0], 100), seen;
    EXPECT_TRUE(a == editThing(db, ids[0], 100) && committedValue(ids[0]) == 1);
    // Add then remove: released, nothing committed for it.
    const ObjectId added = addThing(db, 9);
    removeThing(db, added);
    getObject(seen, kThings, added);
    EXPECT_FALSE(seen.isObject());
    // Edit then remove (twice): a removal only.
    ObjectPtr edited = editThing(db, ids[1], 0);
    removeObject(kThings, edited);
    removeObject(kThings, edited);
    getObject(seen, kThings, ids[1]);
    EXPECT_FALSE(seen.isObject());
    removeThing(db, ids[2]);
    for (const ObjectPtr& invalid : {ObjectPtr(), ObjectPtr::removedMarker(), newThing(0)})
        EXPECT_EQ(codeOf([&] { removeObject(kThings, invalid); }), 19);
    context.commit();

    EXPECT_TRUE(committedValue(ids[0]) == 100 && committedValue(ids[1]) == -1 && getArraySize(kThings) == 2u);
    EXPECT_EQ(array().freeIds(), (std::vector<ObjectId> {added, ids[1], ids[2]}));
    // Per array in schema order ("others" after "things"): one signal per
    // changed object in id order, then one array signal.
    const auto entries = recorder.entries();
    ASSERT_EQ(entries.size(), 6u);
    EXPECT_TRUE(entries[0].objectId == ids[0] && entries[0].hasNew && entries[0].hasOld);
    EXPECT_TRUE(entries[1].objectId == ids[1] && !entries[1].hasNew && entries[1].hasOld);
    EXPECT_TRUE(entries[3].arraySignal && entries[3].changeCount == 3u && entries[3].arrayId == kThings);
    EXPECT_TRUE(entries[5].arraySignal && entries[5].arrayId == kOthers);
}

TEST_F(DatabaseFixture, TransactionStateErrors)
{
    EXPECT_EQ(codeOf([&] { addThing(db, 1); }), 14);
    Database& database = resolveDatabase(db);
    {
        EditContext context(db);
        // A nested transaction is refused and leaves the open one intact.
        EXPECT_EQ(codeOf([&] { EditContext nested(db); }), 13);
        EXPECT_TRUE(database.hasContext() && !context.isCommitted());
        context.commit();
        EXPECT_TRUE(context.isCommitted());
    }
    EXPECT_TRUE(database.isInitialised());
    // A change to an array that is never stored does not mark the database.
    database.reset();
    addThings({1}, kCues);
    EXPECT_FALSE(database.isModified());
    addThings({1});
    EXPECT_TRUE(database.isModified());
}

TEST_F(DatabaseFixture, GuardRollsBackAndSurvivesClosedDatabase)
{
    const auto ids = addThings({1});
    try {
        EditContext context(db);
        editThing(db, ids[0], 50);
        for (int i = 0; i < 3; ++i)
            addThing(db, i);
        throw std::runtime_error("unwind");
    } catch (const std::runtime_error&) {}
    EXPECT_EQ(array().freeIds(), (std::vector<ObjectId> {1, 2, 3}));
    EXPECT_TRUE(committedValue(ids[0]) == 1 && !resolveDatabase(db).hasContext());

    // The guard outlives its database: its destructor must not throw.
    const DatabaseId other = createDatabase(settings(), schema());
    {
        EditContext context(other);
        addThing(other, 1);
        closeDatabase(other);
    }
    EXPECT_EQ(getArray(kThings, other), nullptr);
}

TEST_F(DatabaseFixture, FailedCommitGivesBackAddIds)
{
    // Another commit after a reset occupies the id this transaction released:
    // giving that id back fails (code 10); the add ids still go back.
    EditContext context(db);
    addThing(db, 1, 5);
    addThing(db, 2, 6);
    removeThing(db, addThing(db, 3, 3));
    std::thread other([&] {
        resetDatabase(db);
        addThings({0, 0, 0, 0});
    });
    other.join();
    EXPECT_EQ(codeOf([&] { context.commit(); }), 10);
    EXPECT_TRUE(!resolveDatabase(db).hasContext() && getArraySize(kThings) == 4u);
    // 5 and 6 lie beyond what the reset allocator handed out: not put on the
    // free list, so no id is ever handed out twice.
    EXPECT_TRUE(array().freeIds().empty());
    EXPECT_EQ(addThings({0}), (std::vector<ObjectId> {4}));
}

TEST_F(DatabaseFixture, ChangesReachOnlyListenersOfTheirCommitAndTwoDatabasesShareAThread)
{
    // A commit nobody listens to keeps no changes for a later listener.
    addThings({1, 2, 3});
    {
        Recorder recorder {&array(kThings)};
        addThings({4});
        const auto entries = recorder.entries();
        ASSERT_EQ(entries.size(), 2u);
        EXPECT_TRUE(entries[1].arraySignal && entries[1].changeCount == 1u);
    }

    // One thread with a transaction open in each of two databases, used in turns.
    const DatabaseId other = createDatabase(settings(), schema());
    {
        EditContext mine(db);
        EditContext theirs(other);
        for (qint32 i = 0; i < 4; ++i) {
            addThing(db, 10 + i);
            addThing(other, 20 + i);
        }
        mine.commit();
        EXPECT_EQ(codeOf([&] { addThing(db, 0); }), 14);
        theirs.commit();
    }
    EXPECT_TRUE(getArraySize(kThings, db) == 8u && getArraySize(kThings, other) == 4u);
    closeDatabase(other);
    setCurrentDatabase(db);
}
