#include "database_test_support.h"

#include <atomic>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <functional>
#include <future>
#include <map>
#include <set>
#include <thread>

using namespace Archive;
using namespace DatabaseTest;

namespace {

// A deadlocked thread can be neither joined nor stopped: end the process.
void waitOrDie(std::future<void>& done, const char* what)
{
    if (done.wait_for(std::chrono::seconds(30)) != std::future_status::ready) {
        std::fprintf(stderr, "Timed out (deadlock?): %s\n", what);
        std::_Exit(1);
    }
    done.get();
}

qint32 seenValue(DatabaseId db, ObjectId id)
{
    ObjectPtr seen;
    getObject(seen, kThings, id, db);
    return valueOf(seen);
}

}  // namespace

TEST_F(DatabaseFixture, PendingChangesAreInvisibleAndTheSecondCommitOfAnObjectFails)
{
    const auto ids = addThings({1});
    std::promise<void> aChanged, bChanged;
    ObjectId added = kNoObjectId;
    std::thread a([&] {
        EditContext context(db);
        added = addThing(db, 7);
        editThing(db, ids[0], 2);
        EXPECT_TRUE(seenValue(db, added) == 7 && seenValue(db, ids[0]) == 2);
        aChanged.set_value();
        bChanged.get_future().wait();
        context.commit();
    });
    aChanged.get_future().wait();
    EXPECT_TRUE(seenValue(db, added) == -1 && seenValue(db, ids[0]) == 1 && getArraySize(kThings, db) == 1u);
    EditContext context(db);
    editThing(db, ids[0], 200);
    const ObjectId ours = addThing(db, 9);
    bChanged.set_value();
    a.join();
    EXPECT_EQ(codeOf([&] { context.commit(); }), 1);
    EXPECT_TRUE(!resolveDatabase(db).hasContext() && committedValue(added) == 7 && committedValue(ids[0]) == 2
                && getArraySize(kThings, db) == 2u);
    EXPECT_EQ(array().freeIds(), (std::vector<ObjectId> {ours}));
}

TEST_F(DatabaseFixture, ConcurrentAddsGetUniqueIds)
{
    constexpr int kThreads = 8, kRounds = 10, kPerRound = 20;
    std::vector<std::map<ObjectId, qint32>> kept(kThreads);
    std::vector<std::thread> threads;
    for (int t = 0; t < kThreads; ++t) {
        threads.emplace_back([&, t] {
            try {
                for (int round = 0; round < kRounds; ++round) {
                    std::vector<ObjectId> added;
                    inTransaction(db, [&] {
                        for (int i = 0; i < kPerRound; ++i)
                            added.push_back(addThing(db, t * 100000 + round * 100 + i));
                    });
                    // Remove every other one: past 100 free ids all threads reuse them.
                    inTransaction(db, [&] {
                        for (int i = 0; i < kPerRound; ++i) {
                            if (i % 2)
                                removeThing(db, added[i]);
                            else
                                kept[t][added[i]] = t * 100000 + round * 100 + i;
                        }
                    });
                }
            } catch (const std::exception& e) {
                ADD_FAILURE() << e.what();
            }
        });
    }
    for (auto& thread : threads)
        thread.join();
    std::set<ObjectId> all;
    for (const auto& perThread : kept) {
        for (const auto& [id, value] : perThread) {
            EXPECT_TRUE(all.insert(id).second) << "id " << id << " handed out twice";
            EXPECT_EQ(committedValue(id), value);
        }
    }
    EXPECT_TRUE(all.size() == std::size_t(kThreads * kRounds * kPerRound / 2)
                && getArraySize(kThings, db) == all.size());
    EXPECT_LT(array().nextId(), quint32(kThreads * kRounds * kPerRound));  // freed ids came back
}

TEST_F(DatabaseFixture, ExplicitIdReservedByAnotherThread)
{
    std::promise<void> reserved, tried;
    std::thread a([&] {
        EditContext context(db);
        addThing(db, 5, 5);
        reserved.set_value();
        tried.get_future().wait();
        // Ends without commit: the id is free again.
    });
    reserved.get_future().wait();
    EditContext context(db);
    EXPECT_EQ(codeOf([&] { addThing(db, 6, 5); }), 16);  // reserved by the other thread
    tried.set_value();
    a.join();
    EXPECT_EQ(addThing(db, 6, 5), 5u);
    context.commit();
    EXPECT_EQ(committedValue(5), 6);
}

TEST_F(DatabaseFixture, TransactionLeftOpenByAnEndedThreadIsFreed)
{
    // Its records and their references go; a database closed before is no hazard.
    const auto ids = addThings({1});
    const ObjectPtr added = newThing(2);
    const DatabaseId other = createDatabase(settings(), schema());
    std::promise<void> opened, closed;
    std::thread worker([&] {
        for (DatabaseId target : {db, other}) {
            resolveDatabase(target).beginContext();
            ObjectId id = kNoObjectId;
            ObjectPtr object = added;
            addObject(kThings, id, object, target);
        }
        EXPECT_TRUE(editThing(db, ids[0], 1).isObject());
        opened.set_value();
        closed.get_future().wait();
    });
    opened.get_future().wait();
    EXPECT_EQ(added.useCount(), 3);  // ours and one record per database
    closeDatabase(other);
    EXPECT_EQ(added.useCount(), 2);
    closed.set_value();
    worker.join();
    EXPECT_TRUE(added.useCount() == 1 && !resolveDatabase(db).hasContext());
    // The thread's reserved id stays taken; a new transaction works as usual.
    EXPECT_EQ(addThings({3}), (std::vector<ObjectId> {2}));
}

TEST_F(DatabaseFixture, ListenersReadButCannotEdit)
{
    const auto ids = addThings({1});
    Recorder recorder {&array()};
    std::vector<int> codes;
    qint32 valueSeen = -1;
    bool otherThreadBegan = false;
    recorder.onSignal = [&] {
        if (!codes.empty())
            return;
        codes.push_back(codeOf([&] { EditContext context(db); }));
        codes.push_back(codeOf([&] { addThing(db, 0); }));
        codes.push_back(codeOf([&] { editThing(db, ids[0], 0); }));
        codes.push_back(codeOf([&] { removeThing(db, ids[0]); }));
        valueSeen = committedValue(ids[0]);
        // Other threads may open transactions while listeners run.
        auto other = std::async(std::launch::async, [&] {
            EditContext context(db);
            addThing(db, 0);
            otherThreadBegan = true;
        });
        waitOrDie(other, "transaction on another thread during delivery");
    };
    EditContext context(db);
    editThing(db, ids[0], 42);
    context.commit();
    EXPECT_EQ(codes, (std::vector<int> {15, 15, 15, 15}));
    EXPECT_TRUE(valueSeen == 42 && otherThreadBegan && recorder.entries().size() == 2u
                && !resolveDatabase(db).isDeliveringSignals());
}

TEST_F(DatabaseFixture, CommitsAgainstResetDoNotDeadlock)
{
    // Listeners read while another thread resets: reset must take the
    // transponder lock before the reader lock, as readers inside listeners do.
    Recorder recorder {&array()};
    recorder.onSignal = [&] {
        ObjectPtr seen;
        getObject(seen, kThings, 0, db);
        getArraySize(kThings, db);
    };
    std::atomic<bool> stop {false};
    std::atomic<int> commits {0}, resets {0};
    auto committer = std::async(std::launch::async, [&] {
        // Started threads may run one after the other: the commits begin once
        // the resets have, and go on past their rounds until one has landed.
        while (resets == 0)
            std::this_thread::yield();
        for (int i = 0; i < 400 || commits == 0; ++i) {
            try {
                EditContext context(db);
                addThing(db, i);
                ObjectPtr copy;
                editObject(copy, kThings, 0, db);
                context.commit();
                ++commits;
            } catch (const archive_exception& e) {
                // A reset between add and commit may make the records stale.
                EXPECT_TRUE(e.code() == 1 || e.code() == 16) << e.what();
            }
        }
        stop = true;
    });
    auto resetter = std::async(std::launch::async, [&] {
        while (!stop) {
            resetDatabase(db);
            ++resets;
            std::this_thread::yield();
        }
    });
    waitOrDie(committer, "commits against resetDatabase");
    waitOrDie(resetter, "resetDatabase against commits");
    EXPECT_TRUE(commits > 0 && resets > 0);
}

TEST_F(DatabaseFixture, CommitsWhileListenersReadDoNotDeadlock)
{
    // Two threads commit to one array while listeners read every changed
    // object: a commit asks whether the array has listeners while it holds the
    // reader lock, and a listener reads while its set's lock is held.
    constexpr int kRounds = 300;
    const auto ids = addThings({0, 0});  // one object edited by each committer

    // Reads each changed object on the delivering thread; no value ever goes
    // back, so what it reads is the signal's version or a later one.
    struct Reader : ObjectListener
    {
        void notify(const ObjectChangeSignal& signal) override
        {
            ObjectPtr seen;
            getObject(seen, signal.arrayId, signal.objectId, signal.databaseId);
            if (valueOf(seen) < valueOf(signal.newObject))
                ++stale;
            ++reads;
            if (onRead)
                onRead();
        }
        std::atomic<int> reads {0}, stale {0};
        std::function<void()> onRead;
    };
    Reader reader;
    array().objectListeners().add(&reader);

    std::atomic<int> committing {2};
    auto committer = [&](ObjectId own) {
        try {
            for (int round = 1; round <= kRounds; ++round) {
                inTransaction(db, [&] {
                    addThing(db, round);
                    editThing(db, own, round);
                });
            }
        } catch (const std::exception& e) {
            ADD_FAILURE() << e.what();
        }
        --committing;
    };
    auto a = std::async(std::launch::async, committer, ids[0]);
    auto b = std::async(std::launch::async, committer, ids[1]);

    // A third thread's listener reads too and removes itself while it is
    // called; its thread adds it again until the commits end.
    Reader visitor;
    visitor.onRead = [&] { array().objectListeners().remove(&visitor); };
    auto third = std::async(std::launch::async, [&] {
        while (committing > 0) {
            if (!array().objectListeners().contains(&visitor))
                array().objectListeners().add(&visitor);
            std::this_thread::yield();
        }
        array().objectListeners().remove(&visitor);
    });
    waitOrDie(a, "first committer against reading listeners");
    waitOrDie(b, "second committer against reading listeners");
    waitOrDie(third, "listener added and removed during commits");
    array().objectListeners().remove(&reader);

    EXPECT_TRUE(reader.reads == 2 * kRounds * 2 && reader.stale == 0 && visitor.stale == 0);
    EXPECT_TRUE(committedValue(ids[0]) == kRounds && committedValue(ids[1]) == kRounds
                && getArraySize(kThings, db) == 2u + 2 * kRounds);
}
