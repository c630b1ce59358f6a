#include "database_test_support.h"

#include "components/archive/archive_exception.h"
#include "components/archive/transponder.h"
#include "components/archive/type_registry.h"

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
        EXPECT_EQ(e.databaseId(), 4294967295u);
        EXPECT_STREQ(e.what(), "Archive error 3 (ObjId 4294967295, ArrayId 4294967295, dbId 4294967295)");
    }

    const DatabaseId one = createDatabase(settings(), schema());
    const DatabaseId three = createDatabase(settings(), schema(), 3);
    EXPECT_EQ(one, 1u);
    EXPECT_EQ(three, 3u);
    // The first database became current; later ones do not.
    EXPECT_EQ(resolveDatabase(0).id(), one);
    EXPECT_EQ(createDatabase(settings(), schema()), 2u);
    EXPECT_EQ(resolveDatabase(0).id(), one);

    try {
        createDatabase(settings(), schema(), 3);
        FAIL();
    } catch (const archive_exception& e) {
        EXPECT_EQ(e.code(), 2);
        EXPECT_EQ(e.databaseId(), 3u);
    }
    EXPECT_EQ(codeOf([] { setCurrentDatabase(9); }), 3);

    // Missing databases and arrays: null, empty name, size 0, no error.
    QString name = "x";
    EXPECT_EQ(getArray(kThings, 9), nullptr);
    EXPECT_EQ(getArray(99, one), nullptr);
    getArrayName(name, 99, one);
    EXPECT_TRUE(name.isEmpty());
    EXPECT_EQ(getArraySize(kThings, 9), 0u);
    getArrayName(name, kOthers, one);
    EXPECT_EQ(name, "others");
    EXPECT_EQ(codeOf([&] { ObjectPtr p; getObject(p, 99, 0, one); }), 8);

    closeDatabase(one);
    EXPECT_EQ(codeOf([] { resetDatabase(0); }), 3);

    // The test class is creatable from its code, as stored data needs.
    std::unique_ptr<ObjectBase> made(ObjectRegistry::create(kThingCode));
    EXPECT_NE(dynamic_cast<Thing*>(made.get()), nullptr);
    closeDatabase(2);
    closeDatabase(3);
    EXPECT_EQ(codeOf([] { closeDatabase(3); }), 3);
}

TEST(DatabaseSequence, Arithmetic)
{
    EXPECT_EQ(nextEditSequence(0x01000001u), 0x01000002u);
    EXPECT_EQ(nextEditSequence(0x05FFFFFFu), 0x05000000u);
    EXPECT_EQ(nextGenerationSequence(0u), 0x01000001u);
    EXPECT_EQ(nextGenerationSequence(0xFF000005u), 0x00000006u);
    EXPECT_EQ(nextGenerationSequence(0x01FFFFFFu), 0x02000000u);
}

TEST_F(DatabaseFixture, SequenceNumbersAcrossCommits)
{
    const auto ids = addThings({10});
    // An add past the end of the slots.
    EXPECT_EQ(array().committed(ids[0]).sequence(), 0x01000001u);

    for (int i = 0; i < 2; ++i) {
        EditContext context(db);
        ObjectPtr copy;
        editObject(copy, kThings, ids[0]);
        dynamicPointerCast<Thing>(copy)->value += 1;
        context.commit();
    }
    EXPECT_EQ(array().committed(ids[0]).sequence(), 0x01000003u);
    EXPECT_EQ(committedValue(ids[0]), 12);
    EXPECT_NE(array().committed(ids[0]).stamp(), 0u);

    // A removal leaves the number plus 1; an add into the freed slot raises
    // both parts by 1.
    removeIds(ids);
    EXPECT_EQ(array().committed(ids[0]).sequence(), 0x01000004u);
    EXPECT_FALSE(array().committed(ids[0]).isObject());
    {
        EditContext context(db);
        ObjectId id = ids[0];
        ObjectPtr object = newThing(5);
        addObject(kThings, id, object);
        EXPECT_EQ(object.sequence(), 0x01000004u);
        context.commit();
    }
    EXPECT_EQ(array().committed(ids[0]).sequence(), 0x02000005u);

    // An edit count that would wrap fails the commit, as stored data expects.
    ObjectPtr loaded = newThing(7);
    array().loadSlot(50, loaded, 0x00FFFFFFu, 0);
    EditContext context(db);
    ObjectPtr copy;
    editObject(copy, kThings, 50);
    EXPECT_EQ(codeOf([&] { context.commit(); }), 1);
}

TEST_F(DatabaseFixture, IdAllocationThresholdAndFreeList)
{
    std::vector<qint32> ten(10, 0);
    auto ids = addThings(ten);
    EXPECT_EQ(ids, (std::vector<ObjectId>{0, 1, 2, 3, 4, 5, 6, 7, 8, 9}));
    removeIds({3, 5});
    EXPECT_EQ(array().freeIds(), (std::vector<ObjectId>{3, 5}));
    // Up to 100 free ids are held back.
    EXPECT_EQ(addThings({0, 0}), (std::vector<ObjectId>{10, 11}));

    // With 101 ids free the oldest freed id comes back first.
    std::vector<qint32> many(99, 0);
    auto more = addThings(many);
    removeIds(more);
    EXPECT_EQ(array().freeIds().size(), 101u);
    EXPECT_EQ(addThings({0}), (std::vector<ObjectId>{3}));
    EXPECT_EQ(addThings({0}), (std::vector<ObjectId>{111}));

    // Explicit ids: 7 in a fresh array frees 0..6, then 4 is taken off the list.
    Array& others = array(kOthers);
    ObjectId id = 7;
    ASSERT_TRUE(others.reserveId(id));
    EXPECT_EQ(others.freeIds(), (std::vector<ObjectId>{0, 1, 2, 3, 4, 5, 6}));
    EXPECT_EQ(others.nextId(), 8u);
    id = 4;
    ASSERT_TRUE(others.reserveId(id));
    EXPECT_EQ(others.freeIds(), (std::vector<ObjectId>{0, 1, 2, 3, 5, 6}));
    id = 4;
    EXPECT_FALSE(others.reserveId(id));
    id = 100; // above the maximum id 99
    EXPECT_FALSE(others.reserveId(id));

    // Through the API: an explicit id above the maximum, an occupied id and a
    // full array raise code 16 and record nothing.
    auto small = addThings({1, 2, 3}, kSmall);
    EditContext context(db);
    ObjectPtr object = newThing(0);
    ObjectId wanted = 3;
    EXPECT_EQ(codeOf([&] { addObject(kSmall, wanted, object); }), 16);
    wanted = small[1];
    EXPECT_EQ(codeOf([&] { addObject(kSmall, wanted, object); }), 16);
    wanted = kNoObjectId;
    EXPECT_EQ(codeOf([&] { addObject(kSmall, wanted, object); }), 16);
    EXPECT_EQ(object->getId(), kNoObjectId);
    context.commit();
    EXPECT_EQ(getArraySize(kSmall), 3u);
}

TEST_F(DatabaseFixture, PendingViewAndCombiningRules)
{
    auto ids = addThings({1, 2, 3, 4});
    Recorder recorder;
    ScopedRecorder scoped(recorder, array());

    EditContext context(db);
    // Edit twice: the same copy; the committed object is untouched.
    ObjectPtr a, b, committed, seen;
    editObject(a, kThings, ids[0]);
    editObject(b, kThings, ids[0]);
    EXPECT_TRUE(a == b);
    dynamicPointerCast<Thing>(a)->value = 100;
    getCommittedObject(committed, kThings, ids[0]);
    EXPECT_EQ(dynamicPointerCast<Thing>(committed)->value, 1);
    getObject(seen, kThings, ids[0]);
    EXPECT_TRUE(seen == a);

    // Add then remove: released, nothing committed for it.
    ObjectId added = kNoObjectId;
    ObjectPtr transient = newThing(9);
    addObject(kThings, added, transient);
    removeObject(kThings, transient);
    getObject(seen, kThings, added);
    EXPECT_FALSE(seen.isObject());

    // Edit then remove: a removal only.
    ObjectPtr edited;
    editObject(edited, kThings, ids[1]);
    removeObject(kThings, edited);
    // Remove twice: the second call changes nothing.
    removeObject(kThings, edited);
    getObject(seen, kThings, ids[1]);
    EXPECT_FALSE(seen.isObject());
    editObject(seen, kThings, ids[1]);
    EXPECT_FALSE(seen.isObject());
    getCommittedObject(seen, kThings, ids[1]);
    EXPECT_TRUE(seen.isObject());

    // Plain removal.
    ObjectPtr third;
    getObject(third, kThings, ids[2]);
    removeObject(kThings, third);

    // Invalid removals are refused at once.
    EXPECT_EQ(codeOf([&] { removeObject(kThings, ObjectPtr()); }), 19);
    EXPECT_EQ(codeOf([&] { removeObject(kThings, ObjectPtr::removedMarker()); }), 19);
    EXPECT_EQ(codeOf([&] { removeObject(kThings, newThing(0)); }), 19);

    context.commit();
    EXPECT_EQ(committedValue(ids[0]), 100);
    EXPECT_EQ(committedValue(ids[1]), -1);
    EXPECT_EQ(committedValue(ids[2]), -1);
    EXPECT_EQ(committedValue(ids[3]), 4);
    EXPECT_EQ(getArraySize(kThings), 2u);
    EXPECT_TRUE(array().freeIds() == (std::vector<ObjectId>{added, ids[1], ids[2]}));

    // One signal per changed object in id order, then one array signal.
    const auto entries = recorder.entries();
    ASSERT_EQ(entries.size(), 4u);
    EXPECT_EQ(entries[0].objectId, ids[0]);
    EXPECT_TRUE(entries[0].hasNew && entries[0].hasOld);
    EXPECT_EQ(entries[1].objectId, ids[1]);
    EXPECT_TRUE(!entries[1].hasNew && entries[1].hasOld);
    EXPECT_EQ(entries[2].objectId, ids[2]);
    EXPECT_TRUE(entries[3].arraySignal);
    EXPECT_EQ(entries[3].changeCount, 3u);
}

TEST_F(DatabaseFixture, StaleHandlesAndSequenceMismatch)
{
    auto ids = addThings({1, 2});
    ObjectPtr kept;
    getObject(kept, kThings, ids[0]);
    {
        EditContext context(db);
        ObjectPtr copy;
        editObject(copy, kThings, ids[0]);
        context.commit();
    }
    // The thread holds a newer version than the handle: code 20 at once.
    {
        EditContext context(db);
        ObjectPtr copy;
        editObject(copy, kThings, ids[0]);
        EXPECT_EQ(codeOf([&] { removeObject(kThings, kept); }), 20);
    }
    // Without a pending version the stale handle fails the commit (code 1),
    // which drops the whole transaction and gives back its add ids.
    EditContext context(db);
    ObjectId id = kNoObjectId;
    ObjectPtr fresh = newThing(3);
    addObject(kThings, id, fresh);
    removeObject(kThings, kept);
    EXPECT_EQ(codeOf([&] { context.commit(); }), 1);
    EXPECT_FALSE(resolveDatabase(db).hasContext());
    EXPECT_EQ(committedValue(ids[0]), 1);
    EXPECT_EQ(getArraySize(kThings), 2u);
    EXPECT_EQ(array().freeIds(), (std::vector<ObjectId>{id}));
}

TEST_F(DatabaseFixture, TransactionStateErrors)
{
    ObjectPtr object = newThing(1);
    ObjectId id = kNoObjectId;
    EXPECT_EQ(codeOf([&] { addObject(kThings, id, object); }), 14);
    EXPECT_EQ(codeOf([&] { ObjectPtr p; editObject(p, kThings, 0); }), 14);
    auto ids = addThings({1});
    ObjectPtr committed;
    getObject(committed, kThings, ids[0]);
    EXPECT_EQ(codeOf([&] { removeObject(kThings, committed); }), 14);
    EXPECT_EQ(codeOf([&] { ObjectPtr p; addObject(kThings, id, p); }), 0);

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
    EXPECT_EQ(autosaveRequests, 0);

    // A change to an array that is never stored does not mark the database.
    database.reset();
    EXPECT_FALSE(database.isModified());
    addThings({1}, kCues);
    EXPECT_FALSE(database.isModified());
    EXPECT_EQ(autosaveRequests, 0);
    EXPECT_LT(array(kCues).nextChangedId(-1), 0);
    addThings({1, 2});
    EXPECT_TRUE(database.isModified());
    EXPECT_EQ(autosaveRequests, 1);
    EXPECT_EQ(array().nextChangedId(-1), 0);
    EXPECT_EQ(array().nextChangedId(0), 1);
    EXPECT_EQ(array().nextChangedId(1), -1);
}

TEST_F(DatabaseFixture, GuardRollsBackAndSurvivesClosedDatabase)
{
    auto ids = addThings({1});
    try {
        EditContext context(db);
        ObjectPtr copy;
        editObject(copy, kThings, ids[0]);
        dynamicPointerCast<Thing>(copy)->value = 50;
        for (int i = 0; i < 3; ++i) {
            ObjectId id = kNoObjectId;
            ObjectPtr object = newThing(i);
            addObject(kThings, id, object);
        }
        throw std::runtime_error("unwind");
    } catch (const std::runtime_error&) {
    }
    EXPECT_EQ(committedValue(ids[0]), 1);
    EXPECT_EQ(getArraySize(kThings), 1u);
    EXPECT_EQ(array().freeIds(), (std::vector<ObjectId>{1, 2, 3}));
    EXPECT_FALSE(resolveDatabase(db).hasContext());

    // The guard outlives its database: its destructor must not throw.
    const DatabaseId other = createDatabase(settings(), schema());
    {
        EditContext context(other);
        ObjectId id = kNoObjectId;
        ObjectPtr object = newThing(1);
        addObject(kThings, id, object, other);
        closeDatabase(other);
    }
    EXPECT_EQ(getArray(kThings, other), nullptr);
}

TEST_F(DatabaseFixture, FailedCommitGivesBackAddIds)
{
    // Another commit after a reset occupies the id this transaction released:
    // giving that id back fails (code 10); the add ids still go back.
    ObjectId first = 5, second = 6, released = 3;
    EditContext context(db);
    ObjectPtr a = newThing(1), b = newThing(2), c = newThing(3);
    addObject(kThings, first, a);
    addObject(kThings, second, b);
    addObject(kThings, released, c);
    removeObject(kThings, c);

    std::thread other([&] {
        resetDatabase(db);
        addThings({0, 0, 0, 0});
    });
    other.join();
    EXPECT_EQ(codeOf([&] { context.commit(); }), 10);
    EXPECT_FALSE(resolveDatabase(db).hasContext());
    EXPECT_EQ(getArraySize(kThings), 4u);
    // 5 and 6 lie beyond what the reset allocator handed out: they are not
    // put on the free list, so no id is ever handed out twice.
    EXPECT_TRUE(array().freeIds().empty());
    EXPECT_EQ(addThings({0}), (std::vector<ObjectId>{4}));
}

TEST_F(DatabaseFixture, FindNextAndIterators)
{
    Array& things = array();
    EXPECT_FALSE(things.findNextCommitted(kNoObjectId).isObject());
    EXPECT_EQ(codeOf([&] { things.findNextCommitted(0); }), 12);

    auto ids = addThings({0, 1, 2, 3, 4});
    {
        EditContext context(db);
        ObjectPtr other(new OtherThing);
        ObjectId otherId = kNoObjectId;
        addObject(kThings, otherId, other);
        context.commit();
    }
    EditContext context(db);
    ObjectId pending = 12;
    ObjectPtr object = newThing(12);
    addObject(kThings, pending, object);
    ObjectPtr removed;
    getObject(removed, kThings, ids[2]);
    removeObject(kThings, removed);

    // The thread's view: pending add 12 after the last slot, removal skipped.
    std::vector<ObjectId> seen;
    ArrayIterator<Thing> pendingView(&things, true);
    while (pendingView.next())
        seen.push_back(pendingView->getId());
    EXPECT_EQ(seen, (std::vector<ObjectId>{0, 1, 3, 4, 12}));
    EXPECT_EQ(things.findNext(6)->getId(), 12u);
    EXPECT_EQ(codeOf([&] { things.findNext(13); }), 12);

    // Committed only, through the API: the OtherThing (id 5) is skipped.
    seen.clear();
    ArrayIterator<Thing> committed;
    iterateArray(committed, kThings);
    while (committed.next())
        seen.push_back(committed->getId());
    EXPECT_EQ(seen, (std::vector<ObjectId>{0, 1, 2, 3, 4}));
    ArrayIterator<OtherThing> others;
    iterateArray(others, kThings);
    ASSERT_TRUE(others.next());
    EXPECT_EQ(others->getId(), 5u);
    EXPECT_FALSE(others.next());

    ArrayIterator<Thing> none;
    iterateArray(none, kOthers);
    EXPECT_FALSE(none.next());
}

TEST_F(DatabaseFixture, ApplyOperationsAndChangeSet)
{
    Array& things = array();
    ObjectPtr a = newThing(1);
    EXPECT_TRUE(things.canAdd(0, 0x01000001u, false));
    EXPECT_FALSE(things.canAdd(0, 0x01000002u, false));
    a.setSequence(0x01000001u);
    things.applyAdd(0, a, 77, false);
    EXPECT_EQ(things.committed(0).stamp(), 77u);
    EXPECT_EQ(codeOf([&] { things.applyAdd(0, a, 1, false); }), 17);
    ObjectPtr b = newThing(2);
    b.setSequence(0x01000005u);
    EXPECT_EQ(codeOf([&] { things.applyAdd(3, b, 1, false); }), 18);

    ObjectPtr c = newThing(3);
    c.setSequence(0x01000003u);
    EXPECT_FALSE(things.canEdit(0, c.sequence(), false));
    EXPECT_TRUE(things.canEdit(0, c.sequence(), true));
    EXPECT_EQ(codeOf([&] { things.applyReplacement(0, c, 2, false); }), 11);
    EXPECT_EQ(codeOf([&] { things.applyReplacement(9, c, 2, true); }), 11);
    things.applyReplacement(0, c, 2, true);
    EXPECT_EQ(codeOf([&] { things.applyRemoval(0, 0x01000001u, 3, false); }), 20);
    things.applyRemoval(0, 0x01000003u, 3, false);
    EXPECT_EQ(things.committed(0).sequence(), 0x01000004u);

    // The first change of an id stays in the set.
    const auto changes = things.takeChangeSet();
    ASSERT_EQ(changes->size(), 1u);
    EXPECT_TRUE(changes->begin()->newObject.isObject());
    EXPECT_FALSE(changes->begin()->oldObject.isObject());
    EXPECT_TRUE(things.takeChangeSet()->empty());
    EXPECT_EQ(codeOf([&] { things.giveBackId(1); }), -1);

    // Stored data: a repeated id is refused.
    things.loadSlot(20, newThing(20), 0x01000001u, 5);
    EXPECT_EQ(codeOf([&] { things.loadSlot(20, newThing(21), 0x01000001u, 5); }), 9);
    EXPECT_EQ(things.committed(20)->getId(), 20u);
    EXPECT_EQ(codeOf([&] { things.giveBackId(20); }), 10);
}

TEST_F(DatabaseFixture, SignalsPerArrayInSchemaOrderAndTransponders)
{
    auto ids = addThings({1, 2});
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
        ObjectPtr first;
        getObject(first, kThings, ids[0]);
        removeObject(kThings, first);
        ObjectId id = 2;
        ObjectPtr object = newThing(3);
        addObject(kThings, id, object);
        ObjectId otherId = kNoObjectId;
        ObjectPtr other = newThing(4);
        addObject(kOthers, otherId, other);
        context.commit();
    }
    // "others" (array 1) stands after "things" (array 3) in the schema.
    const auto entries = recorder.entries();
    ASSERT_EQ(entries.size(), 5u);
    EXPECT_EQ(entries[0].objectId, 0u);
    EXPECT_EQ(entries[1].objectId, 2u);
    EXPECT_TRUE(entries[2].arraySignal && entries[2].arrayId == kThings);
    EXPECT_EQ(entries[3].arrayId, kOthers);
    EXPECT_TRUE(entries[4].arraySignal && entries[4].arrayId == kOthers);

    ASSERT_EQ(objectSpy.count(), 2);
    ASSERT_EQ(arraySpy.count(), 1);
    const auto signal = objectSpy.at(1).at(0).value<ObjectChangeSignal>();
    EXPECT_EQ(signal.objectId, 2u);
    EXPECT_EQ(signal.databaseId, db);
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
