#include "database_test_support.h"

#include "components/archive/archive_exception.h"
#include "components/archive/transponder.h"

#include <QSignalSpy>

#include <chrono>
#include <thread>

using namespace Archive;
using namespace DatabaseTest;

TEST(DatabaseRegistry, CreateCurrentCloseAndMissingDatabases)
{
    registerTypes();
    setCurrentDatabase(kNoDatabase);
    EXPECT_EQ(codeOf([] { ObjectPtr p; getObject(p, kThings, 0); }), 3);
    try {
        resetDatabase(0);
        FAIL();
    } catch (const archive_exception& e) {
        EXPECT_STREQ(e.what(), "Archive error 3 (ObjId 4294967295, ArrayId 4294967295, dbId 4294967295)");
    }
    const DatabaseId one = createDatabase(settings(), schema());
    EXPECT_EQ(one, 1u);
    EXPECT_EQ(createDatabase(settings(), schema(), 3), 3u);
    EXPECT_EQ(resolveDatabase(0).id(), one); // the first one became current
    EXPECT_EQ(codeOf([] { createDatabase(settings(), schema(), 3); }), 2);
    EXPECT_EQ(codeOf([] { setCurrentDatabase(9); }), 3);

    // Missing databases and arrays: null, empty name, size 0, no error.
    QString name = "x";
    EXPECT_EQ(getArray(kThings, 9), nullptr);
    getArrayName(name, 99, one);
    EXPECT_TRUE(name.isEmpty());
    EXPECT_EQ(getArraySize(kThings, 9), 0u);
    EXPECT_EQ(codeOf([&] { ObjectPtr p; getObject(p, 99, 0, one); }), 8);
    closeDatabase(one);
    closeDatabase(3);
    EXPECT_EQ(codeOf([] { closeDatabase(3); }), 3);
}

TEST_F(DatabaseFixture, SequenceNumbers)
{
    EXPECT_EQ(nextEditSequence(0x05FFFFFFu), 0x05000000u);
    EXPECT_EQ(nextGenerationSequence(0u), 0x01000001u);
    EXPECT_EQ(nextGenerationSequence(0xFF000005u), 0x00000006u);
    EXPECT_EQ(nextGenerationSequence(0x01FFFFFFu), 0x02000000u);

    const ObjectId id = addThings({10})[0];
    EXPECT_EQ(array().committed(id).sequence(), 0x01000001u);
    for (int i = 0; i < 2; ++i) {
        EditContext context(db);
        editThing(db, id, 11 + i);
        context.commit();
    }
    EXPECT_EQ(array().committed(id).sequence(), 0x01000003u);
    EXPECT_EQ(committedValue(id), 12);
    // A removal leaves the number plus 1; an add into the freed slot raises both parts.
    removeIds({id});
    EXPECT_EQ(array().committed(id).sequence(), 0x01000004u);
    {
        EditContext context(db);
        addThing(db, 5, id);
        context.commit();
    }
    EXPECT_EQ(array().committed(id).sequence(), 0x02000005u);

    // An edit count that would wrap fails the commit, as stored data expects.
    array().loadSlot(50, newThing(7), 0x00FFFFFFu, 0);
    EditContext context(db);
    editThing(db, 50, 8);
    EXPECT_EQ(codeOf([&] { context.commit(); }), 1);
}

TEST_F(DatabaseFixture, IdAllocationThresholdAndFreeList)
{
    EXPECT_EQ(addThings(std::vector<qint32>(10, 0)), (std::vector<ObjectId>{0, 1, 2, 3, 4, 5, 6, 7, 8, 9}));
    removeIds({3, 5});
    // Up to 100 free ids are held back; with 101 the oldest comes back first.
    EXPECT_EQ(addThings({0, 0}), (std::vector<ObjectId>{10, 11}));
    removeIds(addThings(std::vector<qint32>(99, 0)));
    EXPECT_EQ(array().freeIds().size(), 101u);
    EXPECT_EQ(addThings({0}), (std::vector<ObjectId>{3}));
    EXPECT_EQ(addThings({0}), (std::vector<ObjectId>{111}));

    // Explicit ids: 7 in a fresh array frees 0..6, then 4 is taken off the list.
    Array& others = array(kOthers);
    for (ObjectId id : {7u, 4u})
        ASSERT_TRUE(others.reserveId(id));
    EXPECT_EQ(others.freeIds(), (std::vector<ObjectId>{0, 1, 2, 3, 5, 6}));

    // Above the maximum, occupied, or a full array: code 16 and nothing recorded.
    const auto small = addThings({1, 2, 3}, kSmall);
    EditContext context(db);
    ObjectPtr object = newThing(0);
    for (ObjectId wanted : {ObjectId(3), small[1], kNoObjectId})
        EXPECT_EQ(codeOf([&] { addObject(kSmall, wanted, object); }), 16);
    EXPECT_EQ(object->getId(), kNoObjectId);
    context.commit();
    EXPECT_EQ(getArraySize(kSmall), 3u);
}

TEST_F(DatabaseFixture, PendingViewAndCombiningRules)
{
    const auto ids = addThings({1, 2, 3, 4});
    Recorder recorder;
    ScopedRecorder scoped(recorder, array());

    EditContext context(db);
    // Edit twice: the same copy; the committed object is untouched.
    ObjectPtr a = editThing(db, ids[0], 100), seen;
    EXPECT_TRUE(a == editThing(db, ids[0], 100));
    EXPECT_EQ(committedValue(ids[0]), 1);
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

    EXPECT_EQ(committedValue(ids[0]), 100);
    EXPECT_EQ(committedValue(ids[1]), -1);
    EXPECT_EQ(committedValue(ids[3]), 4);
    EXPECT_EQ(getArraySize(kThings), 2u);
    EXPECT_EQ(array().freeIds(), (std::vector<ObjectId>{added, ids[1], ids[2]}));
    // One signal per changed object in id order, then one array signal.
    const auto entries = recorder.entries();
    ASSERT_EQ(entries.size(), 4u);
    EXPECT_TRUE(entries[0].objectId == ids[0] && entries[0].hasNew && entries[0].hasOld);
    EXPECT_TRUE(entries[1].objectId == ids[1] && !entries[1].hasNew && entries[1].hasOld);
    EXPECT_TRUE(entries[3].arraySignal && entries[3].changeCount == 3u);
}

TEST_F(DatabaseFixture, StaleHandlesFailAndGiveBackAddIds)
{
    const auto ids = addThings({1, 2});
    ObjectPtr kept;
    getObject(kept, kThings, ids[0]);
    {
        EditContext context(db);
        editThing(db, ids[0], 1);
        context.commit();
    }
    {
        // The thread holds a newer version than the handle: code 20 at once.
        EditContext context(db);
        editThing(db, ids[0], 1);
        EXPECT_EQ(codeOf([&] { removeObject(kThings, kept); }), 20);
    }
    // Without a pending version the stale handle fails the commit (code 1),
    // which drops the whole transaction and gives back its add ids.
    EditContext context(db);
    const ObjectId id = addThing(db, 3);
    removeObject(kThings, kept);
    EXPECT_EQ(codeOf([&] { context.commit(); }), 1);
    EXPECT_FALSE(resolveDatabase(db).hasContext());
    EXPECT_EQ(getArraySize(kThings), 2u);
    EXPECT_EQ(array().freeIds(), (std::vector<ObjectId>{id}));
}

TEST_F(DatabaseFixture, TransactionStateErrors)
{
    EXPECT_EQ(codeOf([&] { addThing(db, 1); }), 14);
    EXPECT_EQ(codeOf([&] { editThing(db, 0, 1); }), 14);
    const auto ids = addThings({1});
    EXPECT_EQ(codeOf([&] { removeThing(db, ids[0]); }), 14);
    EXPECT_EQ(codeOf([&] { ObjectId id = kNoObjectId; ObjectPtr p; addObject(kThings, id, p); }), 0);

    // Commit without a transaction, and of an empty one: nothing happens.
    Database& database = resolveDatabase(db);
    int autosaveRequests = 0;
    QObject::connect(&database, &Database::requestAutoSaveTimer, [&] { ++autosaveRequests; });
    database.commitContext();
    {
        Recorder recorder;
        ScopedRecorder scoped(recorder, array());
        EditContext context(db);
        // A nested transaction is refused and leaves the open one intact.
        EXPECT_EQ(codeOf([&] { EditContext nested(db); }), 13);
        EXPECT_TRUE(database.hasContext());
        context.commit();
        EXPECT_TRUE(recorder.entries().empty());
    }
    // A change to an array that is never stored does not mark the database.
    database.reset();
    addThings({1}, kCues);
    EXPECT_FALSE(database.isModified());
    EXPECT_EQ(autosaveRequests, 0);
    EXPECT_LT(array(kCues).nextChangedId(-1), 0);
    addThings({1});
    EXPECT_TRUE(database.isModified());
    EXPECT_EQ(autosaveRequests, 1);
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
    } catch (const std::runtime_error&) {
    }
    EXPECT_EQ(committedValue(ids[0]), 1);
    EXPECT_EQ(array().freeIds(), (std::vector<ObjectId>{1, 2, 3}));
    EXPECT_FALSE(resolveDatabase(db).hasContext());

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
    EXPECT_FALSE(resolveDatabase(db).hasContext());
    EXPECT_EQ(getArraySize(kThings), 4u);
    // 5 and 6 lie beyond what the reset allocator handed out: not put on the
    // free list, so no id is ever handed out twice.
    EXPECT_TRUE(array().freeIds().empty());
    EXPECT_EQ(addThings({0}), (std::vector<ObjectId>{4}));
}

TEST_F(DatabaseFixture, IteratorsAndStoredRepeatedIds)
{
    Array& things = array();
    EXPECT_EQ(codeOf([&] { things.findNextCommitted(0); }), 12);
    const auto ids = addThings({0, 1, 2, 3, 4});
    {
        EditContext context(db);
        ObjectPtr other(new OtherThing);
        ObjectId otherId = kNoObjectId;
        addObject(kThings, otherId, other);
        context.commit();
    }
    EditContext context(db);
    addThing(db, 12, 12);
    removeThing(db, ids[2]);
    // The thread's view: pending add 12 after the last slot, removal skipped.
    const auto collect = [](ArrayIterator<Thing>& it) {
        std::vector<ObjectId> seen;
        while (it.next())
            seen.push_back(it->getId());
        return seen;
    };
    ArrayIterator<Thing> pendingView(&things, true);
    EXPECT_EQ(collect(pendingView), (std::vector<ObjectId>{0, 1, 3, 4, 12}));
    EXPECT_EQ(codeOf([&] { things.findNext(13); }), 12);
    // Committed only, through the API: the OtherThing (id 5) is skipped.
    ArrayIterator<Thing> committed;
    iterateArray(committed, kThings);
    EXPECT_EQ(collect(committed), (std::vector<ObjectId>{0, 1, 2, 3, 4}));

    // Stored data: a repeated id is refused, and a loaded id is never given back.
    things.loadSlot(20, newThing(20), 0x01000001u, 5);
    EXPECT_EQ(codeOf([&] { things.loadSlot(20, newThing(21), 0x01000001u, 5); }), 9);
    EXPECT_EQ(codeOf([&] { things.giveBackId(20); }), 10);
    ObjectPtr b = newThing(2);
    b.setSequence(0x01000005u);
    EXPECT_EQ(codeOf([&] { things.applyAdd(30, b, 1, false); }), 18);
}

TEST_F(DatabaseFixture, SignalsPerArrayInSchemaOrderAndTransponders)
{
    const auto ids = addThings({1, 2});
    Recorder recorder;
    ScopedRecorder onThings(recorder, array(kThings));
    ScopedRecorder onOthers(recorder, array(kOthers));
    ObjectTransponder objectTransponder;
    ArrayTransponder arrayTransponder;
    array(kThings).objectListeners().add(&objectTransponder);
    array(kThings).arrayListeners().add(&arrayTransponder);
    QSignalSpy objectSpy(&objectTransponder, &ObjectTransponder::objectChanged);
    QSignalSpy arraySpy(&arrayTransponder, &ArrayTransponder::arrayChanged);
    {
        EditContext context(db);
        removeThing(db, ids[0]);
        addThing(db, 3, 2);
        addThing(db, 4, kNoObjectId, kOthers);
        context.commit();
    }
    // "others" (array 1) stands after "things" (array 3) in the schema.
    const auto entries = recorder.entries();
    ASSERT_EQ(entries.size(), 5u);
    EXPECT_EQ(entries[1].objectId, 2u);
    EXPECT_TRUE(entries[2].arraySignal && entries[2].arrayId == kThings);
    EXPECT_TRUE(entries[4].arraySignal && entries[4].arrayId == kOthers);
    ASSERT_EQ(objectSpy.count(), 2);
    EXPECT_EQ(arraySpy.count(), 1);
    EXPECT_EQ(objectSpy.at(1).at(0).value<ObjectChangeSignal>().objectId, 2u);
    array(kThings).objectListeners().remove(&objectTransponder);
    array(kThings).arrayListeners().remove(&arrayTransponder);
}

TEST_F(DatabaseFixture, SlowDeliveryWritesOneWarning)
{
    Recorder recorder;
    ScopedRecorder scoped(recorder, array());
    recorder.onSignal = [] { std::this_thread::sleep_for(std::chrono::milliseconds(3)); };
    ::testing::internal::CaptureStderr();
    addThings({1});
    const std::string output = ::testing::internal::GetCapturedStderr();
    const std::string line = "WARNING - Database::commitContext() transponders took ";
    const auto first = output.find(line);
    ASSERT_NE(first, std::string::npos) << output;
    EXPECT_EQ(output.find(line, first + 1), std::string::npos);
    EXPECT_NE(output.find("us\n", first), std::string::npos);
}
