#include "database_test_support.h"
#include "stream_test_types.h"
#include "tests/support/stream_check.h"

#include "components/archive/autosave_timer.h"
#include "components/archive/database_storage.h"
#include "seltrane_components/os/atomic_file.h"
#include "seltrane_components/os/logger.h"

#include <QDataStream>
#include <QTest>

#include <atomic>
#include <thread>
#include <tuple>

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
    // A write that fails on the way says why, writes nothing and keeps the
    // array's own storage field.
    const quint32 field = array(kRuns).storageField();
    ASSERT_TRUE(QDir().mkdir(dir.filePath("runs.tarv.part")));
    EXPECT_EQ(StreamTest::errorOf([&] { saveArray(kRuns, dir.path(), db); }),
              "Could not open " + dir.filePath("runs.tarv.part").toStdString() + " (Is a directory)");
    EXPECT_TRUE(array(kRuns).storageField() == field && field != 0 && !QFileInfo::exists(dir.filePath("runs.tarv")));
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
    // Small holds 3 objects: ids up to 2; two objects with one id.
    const std::pair<std::vector<const char*>, int> smalls[] = {
        {{"00000003"}, 9}, {{"FFFFFFF0"}, 9}, {{"00000001", "00000001"}, 9}, {{"00000002"}, -1}};
    for (const auto& [ids, code] : smalls) {
        writeSmall(ids);
        EXPECT_EQ(codeOf([&] { load(path); }), code) << ids.back();
    }

    // Run-file names: "a-b" or "a", decimal, a <= b <= 4294967295, fewer
    // than 1073741823 ids; each bound at its edge (files of no slots).
    const std::pair<const char*, int> names[] = {
        {"x-y", 9},        {"1-", 9},         {"-1", 9},           {"0-99999999999", 9},
        {"4-3", 9},        {"3-3", -1},       {"0-1073741822", 9}, {"0-1073741821", -1},
        {"4294967296", 9}, {"4294967295", -1}};
    for (const auto& [name, code] : names) {
        const QString file = path + "/runs/" + name + ".tarv";
        StreamTest::writeFile(file, QByteArray::fromHex("5C5CFF335C5C33FF009DFFFFFFFF003300000000"));
        EXPECT_EQ(codeOf([&] { load(path); }), code) << name;
        QFile::remove(file);
    }
}

// Older data ends its folder header, or its single-file section (code 50
// instead of 56), after the database identifier: form 0 of each table.
TEST_F(StorageTest, OlderHeaderAndDatabaseSectionsLoad)
{
    const QUuid uuid(QStringLiteral("{00112233-4455-6677-8899-aabbccddeeff}"));
    const QUuid second(QStringLiteral("{ffeeddcc-bbaa-9988-7766-554433221100}"));
    const std::vector<StreamCheck::Chunk> header = {{0, StreamCheck::kNewest, "00000002 7879"},
                                                    {0, StreamCheck::kNewest, "00112233445566778899aabbccddeeff"},
                                                    {1, StreamCheck::kNewest, "ffeeddccbbaa99887766554433221100"}};
    const std::vector<StreamCheck::Chunk> single = {{0, StreamCheck::kNewest, "5C5CFF335C5C33FF 009D 00000002 7879"},
                                                    {0, 1, "0032"},
                                                    {1, StreamCheck::kNewest, "0038"},
                                                    {0, StreamCheck::kNewest, "00112233445566778899aabbccddeeff"},
                                                    {1, StreamCheck::kNewest, "ffeeddccbbaa99887766554433221100"},
                                                    {0, StreamCheck::kNewest, "FFFFFFFF"}};
    for (const quint16 form : StreamCheck::gateVersions(header, 1)) {
        QDir().mkpath(path);
        StreamTest::writeFile(path + "/.tarvel_project", StreamCheck::bytesAt(form, header));
        StreamTest::writeFile(dir.filePath("one.tarv"), StreamCheck::bytesAt(form, single));
        for (const DatabaseId copy : {load(path), load(dir.filePath("one.tarv"), settings(true))}) {
            EXPECT_EQ(storageOf(copy).uuid(), uuid) << form;
            EXPECT_EQ(storageOf(copy).secondUuid(), form ? second : QUuid()) << form;
            EXPECT_EQ(lastFound.extra, "xy");
        }
    }
    // A header without a whole identifier is no database header.
    StreamTest::writeFile(path + "/.tarvel_project", StreamCheck::bytesAt(0, header).chopped(1));
    EXPECT_EQ(codeOf([&] { load(path); }), 5);
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
    EXPECT_EQ(StreamTest::errorOf([&] { save(db); }),
              "Could not open " + path.toStdString() + "/things.tarv.part (Is a directory)");
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

    // A one-off failure of the system at an array file's rename or close, or at the header's open: the error names
    // the file and the system's reason, nothing is left beside the files, and the next save writes what failed.
    using Call = AtomicFile::Call;
    const std::tuple<Call, QString, std::string> failures[] = {{Call::Rename, "/things.tarv.part", "rename"},
                                                               {Call::Close, "/things.tarv.part", "close"},
                                                               {Call::Open, "/.tarvel_project.part", "open"}};
    for (const auto& failure : failures) {
        const Call failing = std::get<0>(failure);
        const QString file = path + std::get<1>(failure);
        edit(0, 2000 + int(failing));
        AtomicFile::setFaultInjector(
            [&](Call call, const QString& at) { return call == failing && at == file ? EIO : 0; });
        const std::string error = StreamTest::errorOf([&] { save(db); });
        AtomicFile::setFaultInjector({});
        EXPECT_EQ(error, "Could not " + std::get<2>(failure) + " " + file.toStdString() + " (Input/output error)");
        EXPECT_TRUE(resolveDatabase(db).isModified());
        EXPECT_EQ(QDir(path).entryList({"*.part"}, QDir::AllEntries | QDir::Hidden), QStringList());
        save(db);
        EXPECT_EQ(loadedValue(kThings, 0), 2000 + int(failing));
    }

    // A file where the run folder goes: code 7.
    ASSERT_TRUE(QDir(path + "/runs").removeRecursively());
    StreamTest::writeFile(path + "/runs", "file");
    edit(3, 7, kRuns);
    EXPECT_EQ(codeOf([&] { save(db); }), 7);
}

// The files of a save are written on several threads at once (ThreadSanitizer
// runs this): every one lands whole, and a failure among them is raised once
// the others are done, leaving what failed to the next save.
TEST_F(StorageTest, ManyFilesAtOnceLandWholeOrStayForTheNextSave)
{
    std::vector<qint32> values(60);
    for (qint32 i = 0; i < 60; ++i)
        values[std::size_t(i)] = i;
    addThings(values, kRuns);  // 30 files of two ids
    addThings({5, 6});
    create(db, path);
    save(db);
    ASSERT_EQ(QDir(path + "/runs").entryList(QDir::Files).size(), 30);
    expectSameArrays(db, load(path));

    inTransaction(db, [&] {
        for (ObjectId id : {1u, 9u, 20u, 41u, 58u})
            editThing(db, id, qint32(1000 + id), kRuns);
        editThing(db, 0, 500);
    });
    const QByteArray run8 = readFile(path + "/runs/8-9.tarv");
    ASSERT_TRUE(QDir().mkdir(path + "/runs/8-9.tarv.part"));
    ASSERT_TRUE(QDir().mkdir(path + "/runs/40-41.tarv.part"));
    EXPECT_EQ(StreamTest::errorOf([&] { save(db); }),
              "Could not open " + path.toStdString() + "/runs/8-9.tarv.part (Is a directory)");
    EXPECT_EQ(readFile(path + "/runs/8-9.tarv"), run8);
    EXPECT_EQ(loadedValue(kRuns, 20), 1020);  // the others were written
    EXPECT_TRUE(array(kRuns).isChanged(9) && array(kRuns).isChanged(20) && array().isChanged(0));

    ASSERT_TRUE(QDir().rmdir(path + "/runs/8-9.tarv.part"));
    ASSERT_TRUE(QDir().rmdir(path + "/runs/40-41.tarv.part"));
    save(db);
    EXPECT_FALSE(array(kRuns).isChanged(9) || array().isChanged(0));
    const DatabaseId copy = load(path);
    expectSameArrays(db, copy);
    EXPECT_EQ(valueOf(getArray(kRuns, copy)->committed(41)), 1041);
    EXPECT_EQ(QDir(path + "/runs").entryList(QDir::Files | QDir::Dirs | QDir::NoDotAndDotDot).size(), 30);
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
