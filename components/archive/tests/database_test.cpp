#include "database_test_support.h"

#include <functional>
#include <thread>
#include <tuple>

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

// Each failure of an object call, of beginning a transaction and of the commit, with the code and the ids it
// carries; the rows that other tests here already check (13, 14 on add, 15, 16 from a full array, 19, 1, 10) are
// not repeated. The rows that reset the database come last.
TEST_F(DatabaseFixture, EachFailureOfAnObjectCallOrACommitRaisesItsOwnCodeAndIds)
{
    struct Raised
    {
        int code;
        quint32 arrayId, objectId, databaseId;
        bool operator==(const Raised&) const = default;
    };
    const auto raisedBy = [](const std::function<void()>& call) {
        try {
            call();
        } catch (const archive_exception& e) {
            return Raised {e.code(), e.arrayId(), e.objectId(), e.databaseId()};
        }
        return Raised {-1, 0, 0, 0};
    };
    const quint32 none = archive_exception::kNoId;
    const DatabaseId missing = 999;
    const DatabaseId closed = createDatabase(settings(), schema());
    const ObjectId kept = addThings({1})[0];
    ObjectPtr before;  // taken before an edit is committed: stale after it
    getObject(before, kThings, kept, db);
    edit(kept, 2);
    ObjectPtr object;
    const std::tuple<const char*, std::function<void()>, Raised> rows[] = {
        {"add to a database that is not open", [&] { addThing(missing, 1); }, {3, none, none, missing}},
        {"add to an array that does not exist", [&] { addThing(db, 1, kNoObjectId, 37); }, {8, 37, none, db}},
        {"add a handle without an object",
         [&] {
             EditContext context(db);
             ObjectId id = 5;
             ObjectPtr empty;
             addObject(kThings, id, empty, db);
         },
         {0, kThings, 5, db}},
        {"get from a database that is not open",
         [&] { getObject(object, kThings, kept, missing); },
         {3, none, none, missing}},
        {"get from an array that does not exist", [&] { getObject(object, 37, kept, db); }, {8, 37, none, db}},
        {"get committed from a database that is not open",
         [&] { getCommittedObject(object, kThings, kept, missing); },
         {3, none, none, missing}},
        {"get committed from an array that does not exist",
         [&] { getCommittedObject(object, 37, kept, db); },
         {8, 37, none, db}},
        {"edit in a database that is not open",
         [&] { editObject(object, kThings, kept, missing); },
         {3, none, none, missing}},
        {"edit in an array that does not exist",
         [&] {
             EditContext context(db);
             editObject(object, 37, kept, db);
         },
         {8, 37, none, db}},
        {"edit without a transaction", [&] { editObject(object, kThings, kept, db); }, {14, kThings, kept, db}},
        {"remove from a database that is not open",
         [&] { removeObject(kThings, before, missing); },
         {3, none, none, missing}},
        {"remove from an array that does not exist",
         [&] {
             EditContext context(db);
             removeObject(37, before, db);
         },
         {8, 37, none, db}},
        {"remove without a transaction", [&] { removeObject(kThings, before, db); }, {14, kThings, kept, db}},
        {"remove through a handle older than the transaction's copy",
         [&] {
             EditContext context(db);
             editThing(db, kept, 3);
             removeObject(kThings, before, db);
         },
         {20, kThings, kept, db}},
        {"begin a transaction in a database that is not open",
         [&] { EditContext context(missing); },
         {3, none, none, missing}},
        {"commit after the database was closed",
         [&] {
             EditContext context(closed);
             addThing(closed, 1);
             closeDatabase(closed);
             context.commit();
         },
         {3, none, none, closed}},
        {"add after a reset handed the pending add's id out again",
         [&] {
             EditContext context(db);
             resetDatabase(db);
             addThing(db, 1);
             resetDatabase(db);
             addThing(db, 2);
         },
         {16, kThings, 0, db}},
        {"roll back an add whose id another thread's commit took after a reset",
         [&] {
             EditContext context(db);
             const ObjectId id = addThing(db, 1, 40);
             std::thread([&] {
                 resetDatabase(db);
                 addThings(std::vector<qint32>(id + 1, 0));
             }).join();
             resolveDatabase(db).rollbackContext();
         },
         {0, none, none, db}},
    };
    for (const auto& [name, call, expected] : rows) {
        const Raised raised = raisedBy(call);
        EXPECT_TRUE(raised == expected) << name << ": code " << raised.code << ", array " << raised.arrayId
                                        << ", object " << raised.objectId << ", database " << raised.databaseId;
        EXPECT_FALSE(resolveDatabase(db).hasContext()) << name;
    }
}

// A walk starts before the first slot or after one that exists: the id one past the last slot starts nothing (code
// 12), in the committed view and in a transaction's, unless the transaction holds an object at or above it.
TEST_F(DatabaseFixture, FindNextStartsOnlyWithinTheSlots)
{
    Array& things = array();
    EXPECT_TRUE(things.findNextCommitted(kNoObjectId).isNull() && codeOf([&] { things.findNextCommitted(0); }) == 12);
    addThings({10, 11, 12});
    const ObjectId end = things.slotCount();
    EXPECT_TRUE(things.findNextCommitted(end - 1).isNull());
    EXPECT_EQ(codeOf([&] { things.findNextCommitted(end); }), 12);
    EXPECT_EQ(codeOf([&] { things.findNext(end); }), 12);  // no transaction: the committed view
    EditContext context(db);
    EXPECT_EQ(codeOf([&] { things.findNext(end); }), 12);
    addThing(db, 20, end + 5);
    EXPECT_EQ(valueOf(things.findNext(end)), 20);
}
