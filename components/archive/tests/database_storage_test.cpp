#include "database_test_support.h"
#include "stream_test_types.h"

#include "components/archive/autosave_timer.h"
#include "components/archive/database_storage.h"
#include "seltrane_components/os/logger.h"

#include <QDataStream>
#include <QTest>

#include <atomic>
#include <thread>

using namespace Archive;
using namespace DatabaseTest;
using StreamTest::readFile;

namespace {

class StorageTest : public DatabaseFixture
{
protected:
    void SetUp() override
    {
        DatabaseFixture::SetUp();
        path = dir.filePath("archive.tarv");
    }
    void TearDown() override
    {
        for (DatabaseId id : opened)
            closeDatabase(id);
        DatabaseFixture::TearDown();
    }

    DatabaseId newDatabase(const DatabaseSettings& s = settings())
    {
        opened.push_back(createDatabase(s, schema()));
        return opened.back();
    }
    // db with objects, edits and a freed id in "things" and two runs files.
    void fill()
    {
        addThings({0, 1, 2});
        inTransaction(db, [&] {
            addThing(db, 7, 7);
            addThing(db, 100, kNoObjectId, kRuns);
            addThing(db, 103, 3, kRuns);
            removeThing(db, 2);
        });
        edit(1, 11);
        edit(1, 111);
    }
    static void expectSameArrays(DatabaseId a, DatabaseId b)
    {
        for (ArrayId arrayId : {kThings, kOthers, kSmall, kRuns}) {
            Array *left = getArray(arrayId, a), *right = getArray(arrayId, b);
            ASSERT_EQ(left->slotCount(), right->slotCount()) << arrayId;
            for (ObjectId id = 0; id < left->slotCount(); ++id) {
                const ObjectPtr x = left->committed(id), y = right->committed(id);
                EXPECT_TRUE(x.sequence() == y.sequence() && x.stamp() == y.stamp() && valueOf(x) == valueOf(y)) << id;
                EXPECT_TRUE(!y.isObject() || y->getId() == id) << id;
            }
        }
    }
    void create(DatabaseId target, const QString& at, const QByteArray& extra = QByteArray())
    {
        DatabaseOpenParameters p {at, 157, false, nullptr, 0, extra};
        openDatabase(p, target);
    }
    // A new database loaded from at; lastFound holds what the open found.
    DatabaseId load(const QString& at, const DatabaseSettings& s = settings())
    {
        const DatabaseId target = newDatabase(s);
        lastFound = DatabaseOpenParameters {at, 157, true, nullptr, 0, QByteArray()};
        openDatabase(lastFound, target);
        return target;
    }
    qint32 loadedValue(ArrayId arrayId, ObjectId id) { return valueOf(getArray(arrayId, load(path))->committed(id)); }
    void save(DatabaseId target, bool force = false) { saveDatabase(target, force ? kSaveForce : 0); }
    const DatabaseStorage& storageOf(DatabaseId target) { return resolveDatabase(target).storage(); }

    QTemporaryDir dir;
    QString path;
    std::vector<DatabaseId> opened;
    DatabaseOpenParameters lastFound;
};

}  // namespace

TEST_F(StorageTest, FolderRoundTripWritesOnlyChangedRuns)
{
    fill();
    const QByteArray creator = QByteArray::fromHex("00000001000000040102030400000000");
    create(db, path, creator);
    EXPECT_FALSE(QFileInfo::exists(path));  // nothing is written before the first save
    save(db);
    EXPECT_TRUE(QFileInfo(path + "/runs/0-1.tarv").isFile());
    EXPECT_TRUE(QFileInfo(path + "/runs/2-3.tarv").isFile());
    EXPECT_EQ(QDir(path).entryList(QDir::Files | QDir::Hidden, QDir::Name),
              QStringList({".tarvel_project", "things.tarv"}));  // never-stored and empty arrays get none

    const DatabaseId copy = load(path);
    expectSameArrays(db, copy);
    EXPECT_TRUE(storageOf(copy).uuid() == storageOf(db).uuid() && !storageOf(copy).isSingleFile());
    EXPECT_TRUE(lastFound.extra == creator && lastFound.foundVersion == 157);
    // Loaded ids are taken; the freed id 2 keeps its numbers.
    inTransaction(copy, [&] {
        EXPECT_EQ(addThing(copy, 8), 8u);
        EXPECT_EQ(addThing(copy, 22, 2), 2u);
        EXPECT_EQ(codeOf([&] { addThing(copy, 0, 7); }), 16);
    });
    EXPECT_EQ(getArray(kThings, copy)->committed(2).sequence(), 0x02000003u);

    // Unchanged: nothing rewritten, not even a removed run; a change rewrites
    // its own run only; forced writes every run again.
    ASSERT_TRUE(QFile::remove(path + "/runs/0-1.tarv"));
    const QByteArray things = readFile(path + "/things.tarv");
    save(db);
    edit(3, 333, kRuns);
    save(db);
    EXPECT_FALSE(QFileInfo::exists(path + "/runs/0-1.tarv"));
    EXPECT_EQ(loadedValue(kRuns, 3), 333);
    EXPECT_EQ(readFile(path + "/things.tarv"), things);
    save(db, true);
    EXPECT_EQ(QDir(path + "/runs").entryList(QDir::Files).size(), 2);  // no leftovers of the safe write

    // One array on its own, whatever its storage field; an unknown one is refused.
    EXPECT_TRUE(saveArray(kCues, dir.path(), db));
    EXPECT_TRUE(QFileInfo(dir.filePath("cues.tarv")).isFile());
    EXPECT_EQ(codeOf([&] { saveArray(37, dir.path(), db); }), 8);
}

TEST_F(StorageTest, GoldenBytesOfHeaderAndArrayFiles)
{
    inTransaction(db, [&] { addThing(db, 5, 2); });  // slots 0 and 1 stay empty, never used
    const quint32 stamp = array().committed(2).stamp();
    create(db, path, QByteArray("xy"));
    save(db);

    QByteArray header;
    QDataStream headerStream(&header, QIODevice::WriteOnly);
    headerStream << QByteArray("xy") << storageOf(db).uuid() << QUuid();
    const QByteArray headerFile = readFile(path + "/.tarvel_project");
    EXPECT_EQ(headerFile.toHex(), header.toHex());

    QByteArray stampBytes;
    QDataStream(&stampBytes, QIODevice::WriteOnly) << stamp;
    // Magic, version 157, no extra bytes; section 51 of 3 slots: two never used, then id 2.
    const QByteArray expected =
        QByteArray::fromHex("5C5CFF335C5C33FF 009D FFFFFFFF 0033 00000003 0034 00000000 00000000 00000000 0012"
                            "0034 00000001 00000000 00000000 0012 0034 00000002 01000001")
        + stampBytes + QByteArray::fromHex("EA61 00000005");
    EXPECT_EQ(readFile(path + "/things.tarv").toHex(), expected.toHex());
}

TEST_F(StorageTest, SingleFileRoundTripBinaryAndText)
{
    for (const bool binary : {true, false}) {
        const DatabaseId source = newDatabase(settings(true, binary));
        inTransaction(source, [&] {
            addThing(source, 1);
            addThing(source, 103, 3, kRuns);
        });
        const QString file = dir.filePath(binary ? "one.tarv" : "one.tarvt");
        create(source, file, QByteArray("creator"));
        save(source);
        if (binary) {
            // Header with the extra bytes, then section 56 ... cues id, end mark.
            const QByteArray bytes = readFile(file);
            EXPECT_EQ(bytes.left(23).toHex() + bytes.right(8).toHex(),
                      "5c5cff335c5c33ff009d0000000763726561746f720038"
                      "0000000fffffffff");
        }
        const DatabaseId copy = load(file, settings(true, binary));
        expectSameArrays(source, copy);
        const DatabaseStorage &loaded = storageOf(copy), &saved = storageOf(source);
        EXPECT_TRUE(loaded.isBinary() == binary && loaded.isSingleFile() && loaded.uuid() == saved.uuid()
                    && loaded.secondUuid() == saved.secondUuid() && lastFound.extra == "creator");
    }
}

TEST_F(StorageTest, DamagedDataRaisesArrayLoadError)
{
    fill();
    create(db, path);
    save(db);
    // An array file of Things at the given ids.
    const auto writeSmall = [&](const std::vector<const char*>& ids) {
        QByteArray bytes =
            QByteArray::fromHex("5C5CFF335C5C33FF009DFFFFFFFF0033") + char(0) + char(0) + char(0) + char(ids.size());
        for (const char* id : ids)
            bytes += QByteArray::fromHex(QByteArray("0034") + id + "0100000100000001EA6100000004");
        StreamTest::writeFile(path + "/small.tarv", bytes);
    };
    writeSmall({"FFFFFFF0"});  // above the maximum: small holds 3 objects
    EXPECT_EQ(codeOf([&] { load(path); }), 9);
    writeSmall({"00000001", "00000001"});  // two objects with one id
    EXPECT_EQ(codeOf([&] { load(path); }), 9);
    writeSmall({"00000002"});
    EXPECT_NO_THROW(load(path));

    // Run-file names that are not "a-b" with decimal a <= b.
    for (const char* bad : {"x-y", "5-3", "1-", "-1", "0-99999999999", "0-1073741822"}) {
        const QString name = path + "/runs/" + bad + ".tarv";
        ASSERT_TRUE(QFile::copy(path + "/runs/0-1.tarv", name));
        EXPECT_EQ(codeOf([&] { load(path); }), 9) << bad;
        QFile::remove(name);
    }
}

TEST_F(StorageTest, FailedWritesLeaveTheOldFilesInPlace)
{
    fill();
    create(db, path);
    save(db);
    const QByteArray things = readFile(path + "/things.tarv");
    const QByteArray header = readFile(path + "/.tarvel_project");

    // The array file cannot be written: the old one stays, whole.
    edit(0, 1000);
    ASSERT_TRUE(QDir().mkdir(path + "/things.tarv.part"));
    EXPECT_THROW(save(db), std::runtime_error);
    EXPECT_EQ(readFile(path + "/things.tarv"), things);
    EXPECT_TRUE(array().isChanged(0));  // still to be saved
    ASSERT_TRUE(QDir().rmdir(path + "/things.tarv.part"));

    // The header cannot replace what is there: code 7, still modified.
    ASSERT_TRUE(QFile::remove(path + "/.tarvel_project"));
    ASSERT_TRUE(QDir().mkdir(path + "/.tarvel_project"));
    EXPECT_EQ(codeOf([&] { save(db); }), 7);
    EXPECT_TRUE(resolveDatabase(db).isModified());
    ASSERT_TRUE(QDir().rmdir(path + "/.tarvel_project"));
    save(db);
    EXPECT_FALSE(resolveDatabase(db).isModified());
    EXPECT_EQ(readFile(path + "/.tarvel_project"), header);
    EXPECT_EQ(loadedValue(kThings, 0), 1000);
}

TEST_F(StorageTest, CommitWaitingForTheSaveIsNotLost)
{
    addThings({0});
    create(db, path);
    save(db);
    std::thread writer;
    {
        DatabaseLocks hold(resolveDatabase(db), Database::SaveLock);
        writer = std::thread([&] { edit(0, 42); });
        QTest::qWait(30);  // the writer now waits for the save lock in its commit
        save(db, true);
    }
    writer.join();
    EXPECT_TRUE(resolveDatabase(db).isModified());
    save(db);
    EXPECT_EQ(loadedValue(kThings, 0), 42);
}

TEST(AutoSaveTimer, IdleTimerRestartsMaximumTimerRunsOnceAndAFireStopsBoth)
{
    int saves = 0;
    Archive::AutoSaveTimer timer;
    timer.setSaveFunction([&] { ++saves; });
    timer.setDelays(20, 1000);
    timer.restart();
    EXPECT_TRUE(timer.isIdleTimerRunning() && timer.isMaxTimerRunning());
    QTRY_COMPARE_WITH_TIMEOUT(saves, 1, 2000);
    EXPECT_FALSE(timer.isIdleTimerRunning() || timer.isMaxTimerRunning());
    timer.setDelays(Archive::kAutoSaveOff, 1000);  // autosave off: nothing starts
    timer.restart();
    EXPECT_FALSE(timer.isIdleTimerRunning() || timer.isMaxTimerRunning());
}

TEST_F(StorageTest, AutosaveFollowsCommitsAndLogsFailures)
{
    DatabaseSettings s = settings();
    s.idleDelay = 20;
    s.maxDelay = 30;
    const DatabaseId target = newDatabase(s);
    Database& database = resolveDatabase(target);
    EXPECT_EQ(database.settings().maxDelay, 80);

    create(target, path);  // a new database is modified and asks for an autosave
    QTRY_VERIFY_WITH_TIMEOUT(!database.isModified(), 2000);
    inTransaction(target, [&] { addThing(target, 1); });
    EXPECT_TRUE(database.isModified());
    QTRY_VERIFY_WITH_TIMEOUT(!database.isModified(), 2000);
    EXPECT_TRUE(QFileInfo(path + "/things.tarv").isFile());

    // Static: outlives a failed wait that leaves the handler in place. The
    // logger serialises its handlers; the count is read while they may run.
    static std::vector<std::pair<int, std::string>> lines;
    static std::atomic<int> count {0};
    const LogHandler capture = [](int level, qint64, const char* text, void*) {
        lines.emplace_back(level, text);
        ++count;
    };
    ASSERT_TRUE(QDir().mkdir(path + "/things.tarv.part"));
    addLogHandler(capture, nullptr);
    inTransaction(target, [&] { addThing(target, 2); });
    QTRY_COMPARE_WITH_TIMEOUT(count.load(), 1, 2000);
    QTest::qWait(100);  // the timers stopped all the same: no second attempt
    removeLogHandler(capture);
    EXPECT_EQ(lines, (std::vector<std::pair<int, std::string>> {{kLogAutosaveError, "Error autosaving database\n"}}));
    EXPECT_TRUE(database.isModified());
}
