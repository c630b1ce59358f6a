#include "components/archive/archive_exception.h"
#include "components/archive/autosave_timer.h"
#include "components/archive/binary_stream.h"
#include "components/archive/database.h"
#include "components/archive/database_schema.h"
#include "components/archive/database_storage.h"
#include "components/archive/edit_context.h"
#include "components/archive/text_stream.h"
#include "components/archive/type_registry.h"
#include "seltrane_components/os/logger.h"
#include "seltrane_components/os/progress_tracker.h"

#include "database_test_support.h"
#include "stream_test_types.h"

#include <QDataStream>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>

#include <gtest/gtest.h>

#include <array>
#include <mutex>
#include <thread>

using namespace Archive;
using DatabaseTest::codeOf;
using StreamTest::readFile;

namespace {

// What the reader of the last item saw in the stream's context values.
QVariant g_contextObject;
QVariant g_contextArray;

class Item : public ObjectBase
{
public:
    Item() = default;
    Item(const QString& name, qint32 value) : name(name), value(value) {}
    void read(InStream& in) override
    {
        g_contextObject = in.contextValue(0);
        g_contextArray = in.contextValue(1);
        in >> name >> value;
    }
    void write(OutStream& out) const override { out << name << value; }
    quint32 typeCode() const override { return 60101; }
    ObjectBase* clone() const override { return new Item(*this); }

    QString name;
    qint32 value = 0;
};

constexpr ArrayId kItems = 2;
constexpr ArrayId kRuns = 5;
constexpr ArrayId kSmall = 9;
constexpr ArrayId kCues = 15;

const ArraySchemaRow* testSchema()
{
    static const ArraySchemaRow rows[] = {
        {kItems, 0x80000000u, "items", 1000}, {kRuns, 0x80000002u, "runs", 100},
        {kSmall, 0x80000000u, "small", 3},    {kCues, 0xBFFFFFFFu, "cues", 50},
        {kSchemaEnd, 0, QString(), 0},
    };
    return rows;
}

// Writes one array section of the given objects, as stored data would hold it.
void writeItems(OutStream& out, const std::vector<std::pair<quint32, quint32>>& idsAndStamps)
{
    out.beginSection(StreamCode::ArchiveArray, true);
    out.writeCount(quint32(idsAndStamps.size()));
    for (const auto& [id, stamp] : idsAndStamps) {
        out.beginSection(StreamCode::ObjectBase, true);
        out << id << quint32(0x01000001) << stamp;
        Item item("x", 4);
        writeObjectPointer(out, &item);
        out.endSection(StreamCode::ObjectBase);
    }
    out.endSection(StreamCode::ArchiveArray);
}

class StorageTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        static std::once_flag once;
        std::call_once(once, [] {
            ObjectRegistry::registerCoreTypes();
            ObjectRegistry::registerType(ObjectRegistry::objectRecord<Item>(60101, "StorageTestItem"));
        });
        path = dir.filePath("archive.tarv");
    }
    void TearDown() override
    {
        for (DatabaseId id : opened)
            closeDatabase(id);
    }

    DatabaseId newDatabase(const DatabaseSettings& settings = DatabaseTest::settings(),
                           const ArraySchemaRow* schema = testSchema())
    {
        opened.push_back(createDatabase(settings, schema));
        return opened.back();
    }
    ObjectId add(DatabaseId db, ArrayId arrayId, const QString& name, qint32 value, ObjectId id = kNoObjectId)
    {
        EditContext context(db);
        ObjectPtr object(new Item(name, value));
        addObject(arrayId, id, object, db);
        context.commit();
        return id;
    }
    void edit(DatabaseId db, ArrayId arrayId, ObjectId id, qint32 value)
    {
        EditContext context(db);
        ObjectPtr object;
        editObject(object, arrayId, id, db);
        dynamicPointerCast<Item>(object)->value = value;
        context.commit();
    }
    // A database with objects, edits and freed ids in two arrays.
    DatabaseId filledDatabase(const DatabaseSettings& settings = DatabaseTest::settings())
    {
        const DatabaseId db = newDatabase(settings);
        for (const char* name : {"zero", "\xc3\xa9t\xc3\xa9", "two"})
            add(db, kItems, QString::fromUtf8(name), 1);
        add(db, kItems, "seven", 7, 7);
        edit(db, kItems, 1, 11);
        edit(db, kItems, 1, 111);
        EditContext context(db);
        DatabaseTest::removeThing(db, 2, kItems);
        context.commit();
        add(db, kRuns, "r0", 100);
        add(db, kRuns, "r3", 103, 3);
        return db;
    }
    static void expectSameArrays(DatabaseId a, DatabaseId b)
    {
        for (const ArraySchemaRow* row = testSchema(); row->arrayId != kSchemaEnd; ++row) {
            Array* left = getArray(row->arrayId, a);
            Array* right = getArray(row->arrayId, b);
            if (!left->isStored())
                continue;
            ASSERT_EQ(left->slotCount(), right->slotCount()) << row->name.toStdString();
            for (ObjectId id = 0; id < left->slotCount(); ++id) {
                const auto x = dynamicPointerCast<Item>(left->committed(id));
                const auto y = dynamicPointerCast<Item>(right->committed(id));
                EXPECT_EQ(x.sequence(), y.sequence()) << id;
                EXPECT_EQ(x.stamp(), y.stamp()) << id;
                ASSERT_EQ(x.isObject(), y.isObject()) << id;
                if (x.isObject()) {
                    EXPECT_TRUE(y->getId() == id && x->name == y->name && x->value == y->value) << id;
                }
            }
        }
    }
    void create(DatabaseId db, const QString& at, const QByteArray& extra = QByteArray())
    {
        DatabaseOpenParameters p{at, 157, false, nullptr, 0, extra};
        openDatabase(p, db);
    }
    // A new database loaded from at; lastFound holds what the open found.
    DatabaseId load(const QString& at, const DatabaseSettings& settings = DatabaseTest::settings(),
                    const ArraySchemaRow* schema = testSchema(), ProgressTracker* progress = nullptr)
    {
        const DatabaseId db = newDatabase(settings, schema);
        lastFound = DatabaseOpenParameters{at, 157, true, progress, 0, QByteArray()};
        openDatabase(lastFound, db);
        return db;
    }
    qint32 loadedValue(ArrayId arrayId, ObjectId id)
    {
        return dynamicPointerCast<Item>(getArray(arrayId, load(path))->committed(id))->value;
    }
    void save(DatabaseId db, bool force = false) { saveDatabase(db, force ? kSaveForce : 0); }
    const DatabaseStorage& storageOf(DatabaseId db) { return resolveDatabase(db).storage(); }

    QTemporaryDir dir;
    QString path;
    std::vector<DatabaseId> opened;
    DatabaseOpenParameters lastFound;
};

} // namespace

TEST_F(StorageTest, FolderRoundTripWritesOnlyChangedRuns)
{
    const DatabaseId db = filledDatabase();
    const QByteArray creator = QByteArray::fromHex("00000001000000040102030400000000");
    create(db, path, creator);
    EXPECT_FALSE(QFileInfo::exists(path)); // nothing is written before the first save
    save(db);
    // Run files of two ids each; the never-stored array gets no file.
    EXPECT_TRUE(QFileInfo(path + "/runs/0-1.tarv").isFile());
    EXPECT_TRUE(QFileInfo(path + "/runs/2-3.tarv").isFile());
    EXPECT_EQ(QDir(path).entryList(QDir::Files | QDir::Hidden, QDir::Name),
              QStringList({".tarvel_project", "items.tarv"}));

    const DatabaseId copy = load(path);
    expectSameArrays(db, copy);
    EXPECT_EQ(storageOf(copy).uuid(), storageOf(db).uuid());
    EXPECT_TRUE(storageOf(copy).secondUuid().isNull());
    EXPECT_EQ(lastFound.extra, creator);
    EXPECT_EQ(lastFound.foundVersion, 157);
    EXPECT_EQ(getArray(kRuns, copy)->storageField(), 2u);
    EXPECT_EQ(g_contextArray.toUInt(), kRuns); // the reader saw the array and its own id
    EXPECT_EQ(g_contextObject.toUInt(), 3u);
    // Loaded ids are taken; the freed id 2 keeps its numbers, so an add into
    // it continues its generation.
    EXPECT_EQ(add(copy, kItems, "eight", 8), 8u);
    EXPECT_EQ(add(copy, kItems, "two again", 22, 2), 2u);
    EXPECT_EQ(getArray(kItems, copy)->committed(2).sequence(), 0x02000003u);
    EXPECT_EQ(codeOf([&] { add(copy, kItems, "dup", 0, 7); }), 16);

    // Nothing changed: nothing is rewritten, not even a removed run; a change
    // rewrites its own run only; forced writes every run again.
    ASSERT_TRUE(QFile::remove(path + "/runs/0-1.tarv"));
    const QByteArray items = readFile(path + "/items.tarv");
    save(db);
    edit(db, kRuns, 3, 333);
    save(db);
    EXPECT_FALSE(QFileInfo::exists(path + "/runs/0-1.tarv"));
    EXPECT_EQ(loadedValue(kRuns, 3), 333);
    EXPECT_EQ(readFile(path + "/items.tarv"), items);
    save(db, true);
    EXPECT_EQ(QDir(path + "/runs").entryList(QDir::Files).size(), 2); // no leftovers of the safe write
}

TEST_F(StorageTest, GoldenBytesOfHeaderAndArrayFiles)
{
    const DatabaseId db = newDatabase();
    add(db, kItems, "A", 5, 2); // slots 0 and 1 stay empty, never used
    const quint32 stamp = getArray(kItems, db)->committed(2).stamp();
    create(db, path, QByteArray("xy"));
    save(db);

    QByteArray header;
    QDataStream headerStream(&header, QIODevice::WriteOnly);
    headerStream << QByteArray("xy") << storageOf(db).uuid() << QUuid();
    const QByteArray headerFile = readFile(path + "/.tarvel_project");
    EXPECT_EQ(headerFile.toHex(), header.toHex());
    EXPECT_EQ(headerFile.left(6).toHex(), "000000027879");

    QByteArray stampBytes;
    QDataStream(&stampBytes, QIODevice::WriteOnly) << stamp;
    const QByteArray expected = QByteArray::fromHex("5C5CFF335C5C33FF" // magic
                                                    "009D"             // version 157
                                                    "FFFFFFFF"         // no extra bytes
                                                    "0033" "00000003"  // section 51, 3 slots
                                                    "0034" "00000000" "00000000" "00000000" "0012"
                                                    "0034" "00000001" "00000000" "00000000" "0012"
                                                    "0034" "00000002" "01000001")
        + stampBytes + QByteArray::fromHex("EAC5" "00000002" "0041" "00000005");
    EXPECT_EQ(readFile(path + "/items.tarv").toHex(), expected.toHex());
}

TEST_F(StorageTest, SingleFileRoundTripBinaryAndText)
{
    for (const bool binary : {true, false}) {
        SCOPED_TRACE(binary);
        const DatabaseId db = filledDatabase(DatabaseTest::settings(true, binary));
        const QString file = dir.filePath(binary ? "one.tarv" : "one.tarvt");
        create(db, file, QByteArray("creator"));
        save(db);
        if (binary) {
            // Header with the extra bytes, then section 56 ... cues id, end mark.
            const QByteArray bytes = readFile(file);
            EXPECT_EQ(bytes.left(23).toHex(), "5c5cff335c5c33ff009d0000000763726561746f720038");
            EXPECT_EQ(bytes.right(8).toHex(), "0000000fffffffff");
        }
        const DatabaseId copy = load(file);
        expectSameArrays(db, copy);
        EXPECT_EQ(storageOf(copy).isBinary(), binary);
        EXPECT_EQ(storageOf(copy).uuid(), storageOf(db).uuid());
        EXPECT_EQ(lastFound.extra, QByteArray("creator"));
    }
    const QString other = dir.filePath("one.dat");
    QFile(dir.filePath("one.tarv")).copy(other);
    EXPECT_EQ(codeOf([&] { load(other); }), 5);
}

TEST_F(StorageTest, OldSingleFileLayoutLoadsAndIsWrittenNew)
{
    const QString file = dir.filePath("old.tarv");
    const QUuid uuid = QUuid::createUuid();
    const auto writeOld = [&](quint32 code, const QUuid& second, ArrayId arrayId) {
        BinaryOutStream out(157);
        out.open(file);
        out.beginSection(code, true);
        out << uuid;
        if (code == StreamCode::ArchiveDatabase)
            out << second;
        out << quint32(arrayId);
        writeItems(out, {{0, 99}});
        out << quint32(kCues) << quint32(kSchemaEnd);
        out.endSection(code);
        out.close();
    };
    writeOld(StreamCode::OldFormatArchiveDatabase, QUuid(), kItems);
    const DatabaseId db = load(file);
    EXPECT_EQ(storageOf(db).uuid(), uuid);
    EXPECT_TRUE(storageOf(db).secondUuid().isNull());
    EXPECT_EQ(getArray(kItems, db)->committed(0).stamp(), 99u);
    save(db, true);
    EXPECT_EQ(readFile(file).mid(14, 2).toHex(), "0038");
    expectSameArrays(db, load(file));

    writeOld(StreamCode::ArchiveDatabase, QUuid(), 77); // an array id the database lacks
    EXPECT_EQ(codeOf([&] { load(file); }), 6);
}

TEST_F(StorageTest, DamagedDataRaisesArrayLoadError)
{
    create(filledDatabase(), path);
    save(opened.back());
    const auto writeSmall = [&](const std::vector<std::pair<quint32, quint32>>& items) {
        BinaryOutStream out(157);
        out.open(path + "/small.tarv");
        writeItems(out, items);
        out.close();
    };
    writeSmall({{0xFFFFFFF0u, 1}}); // above the maximum: small holds 3 objects
    try {
        load(path);
        FAIL();
    } catch (const archive_exception& e) {
        EXPECT_EQ(e.code(), 9);
        EXPECT_EQ(e.arrayId(), kSmall);
        EXPECT_EQ(e.objectId(), 0xFFFFFFF0u);
    }
    writeSmall({{3, 1}});
    EXPECT_EQ(codeOf([&] { load(path); }), 9);
    writeSmall({{1, 1}, {1, 1}}); // two objects with one id
    EXPECT_EQ(codeOf([&] { load(path); }), 9);
    writeSmall({{2, 1}});
    EXPECT_NO_THROW(load(path));

    // Run-file names that are not "a-b" with decimal a <= b.
    for (const char* bad : {"x-y", "5-3", "1-", "-1", "0-99999999999", "0-1073741822"}) {
        SCOPED_TRACE(bad);
        const QString name = path + "/runs/" + bad + ".tarv";
        ASSERT_TRUE(QFile::copy(path + "/runs/0-1.tarv", name));
        EXPECT_EQ(codeOf([&] { load(path); }), 9);
        QFile::remove(name);
    }
}

TEST_F(StorageTest, MissingOrBadPathsRaiseFileOpenError)
{
    EXPECT_EQ(codeOf([&] { load(path); }), 5); // nothing there
    ASSERT_TRUE(QDir().mkdir(path));
    EXPECT_EQ(codeOf([&] { load(path); }), 5); // no header
    const auto writeHeader = [&](const QUuid& uuid) {
        QByteArray bytes;
        QDataStream stream(&bytes, QIODevice::WriteOnly);
        stream << QByteArray("e") << uuid; // older: no second id
        StreamTest::writeFile(path + "/.tarvel_project", bytes);
    };
    writeHeader(QUuid());
    EXPECT_EQ(codeOf([&] { load(path); }), 5); // null identifier
    writeHeader(QUuid::createUuid());
    EXPECT_TRUE(storageOf(load(path)).secondUuid().isNull());
    EXPECT_EQ(codeOf([&] { create(newDatabase(), path); }), 5); // create over an existing path
}

TEST_F(StorageTest, FailedWritesLeaveTheOldFilesInPlace)
{
    const DatabaseId db = filledDatabase();
    create(db, path);
    save(db);
    const QByteArray items = readFile(path + "/items.tarv");
    const QByteArray header = readFile(path + "/.tarvel_project");

    // The array file cannot be written: the old one stays, whole.
    edit(db, kItems, 0, 1000);
    ASSERT_TRUE(QDir().mkdir(path + "/items.tarv.part"));
    EXPECT_THROW(save(db), std::runtime_error);
    EXPECT_EQ(readFile(path + "/items.tarv"), items);
    EXPECT_TRUE(getArray(kItems, db)->isChanged(0)); // still to be saved
    ASSERT_TRUE(QDir().rmdir(path + "/items.tarv.part"));

    // The header cannot replace what is there: code 7, header untouched.
    ASSERT_TRUE(QFile::remove(path + "/.tarvel_project"));
    ASSERT_TRUE(QDir().mkdir(path + "/.tarvel_project"));
    EXPECT_EQ(codeOf([&] { save(db); }), 7);
    EXPECT_TRUE(resolveDatabase(db).isModified());
    EXPECT_NE(readFile(path + "/items.tarv"), items); // the array itself was saved
    ASSERT_TRUE(QDir().rmdir(path + "/.tarvel_project"));
    save(db);
    EXPECT_FALSE(resolveDatabase(db).isModified());
    EXPECT_EQ(readFile(path + "/.tarvel_project"), header);
    EXPECT_EQ(loadedValue(kItems, 0), 1000);

    const DatabaseId other = filledDatabase(); // a folder that cannot be made
    create(other, dir.filePath("missing/deeper"));
    EXPECT_EQ(codeOf([&] { save(other); }), 7);
}

TEST_F(StorageTest, TextArrayFilesInTheFolderStayText)
{
    const DatabaseId db = filledDatabase();
    create(db, path);
    save(db);
    {
        const Array& items = *getArray(kItems, db);
        TextOutStream out(157);
        out.open(path + "/items.tarvt");
        writeArrayObjects(out, items, 0, items.slotCount());
        out.close();
    }
    ASSERT_TRUE(QFile::remove(path + "/items.tarv"));
    const DatabaseId copy = load(path);
    expectSameArrays(db, copy);
    edit(copy, kItems, 0, 9);
    save(copy);
    EXPECT_FALSE(QFileInfo::exists(path + "/items.tarv"));
    EXPECT_TRUE(readFile(path + "/items.tarvt").contains("<uint32>"));
    EXPECT_EQ(loadedValue(kItems, 0), 9);
}

TEST(AutoSaveTimer, IdleAndMaximumTimers)
{
    int saves = 0;
    AutoSaveTimer timer;
    timer.setSaveFunction([&] { ++saves; });
    // A burst is saved once, after the last change.
    timer.setDelays(30, kAutoSaveOff);
    timer.restart();
    timer.restart();
    EXPECT_FALSE(timer.isMaxTimerRunning());
    QTRY_COMPARE_WITH_TIMEOUT(saves, 1, 2000);
    // Changes that keep coming are saved when the maximum delay lapses.
    saves = 0;
    timer.setDelays(100, 200);
    QElapsedTimer clock;
    clock.start();
    while (saves == 0 && clock.elapsed() < 3000) {
        timer.restart();
        QTest::qWait(10);
    }
    EXPECT_EQ(saves, 1);
    EXPECT_GE(clock.elapsed(), 190);
}

TEST(DatabaseStorageSettings, MaximumDelayIsFourIdleDelaysWithoutOverflow)
{
    const std::vector<std::array<qint32, 3>> cases = {
        {1000, 2000, 4000}, {1000, 5000, 5000}, {0x40000000, 5, 0x7FFFFFFF},
        {kAutoSaveOff, kAutoSaveOff, kAutoSaveOff}};
    for (const auto& [idle, max, expected] : cases) {
        DatabaseSettings settings = DatabaseTest::settings();
        settings.idleDelay = idle;
        settings.maxDelay = max;
        const DatabaseId db = createDatabase(settings, testSchema());
        EXPECT_EQ(resolveDatabase(db).settings().maxDelay, expected) << idle;
        closeDatabase(db);
    }
    Database uninitialised;
    DatabaseOpenParameters parameters;
    EXPECT_EQ(codeOf([&] { uninitialised.open(parameters); }), 4);
    EXPECT_EQ(codeOf([&] { uninitialised.save(true, false); }), 4);
}

TEST_F(StorageTest, ConverterFlowWritesOnlyWhatChanged)
{
    DatabaseSettings settings = DatabaseTest::settings();
    settings.idleDelay = kAutoSaveOff;
    settings.maxDelay = kAutoSaveOff;
    const DatabaseId db = newDatabase(settings, projectSchema());
    create(db, path, QByteArray("creator"));
    Database& database = resolveDatabase(db);
    const QUuid projectId = QUuid::createUuid();
    setDatabaseUuid(projectId, db);
    add(db, 0, "properties", 1, 0);
    add(db, 15, "cue", 2); // the never-stored cue list
    saveDatabase(db, 0);
    EXPECT_FALSE(database.isModified());
    EXPECT_EQ(QDir(path).entryList(QDir::Files | QDir::Hidden, QDir::Name),
              QStringList({".tarvel_project", "misc.tarv"}));

    // Unchanged and not forced: nothing is written; a commit to the cue list
    // alone does not mark the database modified.
    ASSERT_TRUE(QFile::remove(path + "/misc.tarv"));
    saveDatabase(db, 0);
    EXPECT_FALSE(QFileInfo::exists(path + "/misc.tarv"));
    add(db, 15, "cue", 3);
    EXPECT_FALSE(database.isModified());

    // Forced with a new second identifier: every stored array, empty or not.
    saveDatabase(db, kSaveForce | kSaveNewSecondId);
    EXPECT_EQ(QDir(path).entryList(QDir::Files).size(), 41);
    EXPECT_FALSE(database.storage().secondUuid().isNull());

    std::vector<quint32> reported;
    ProgressTracker progress(
        [](quint32 done, quint32, void* user) { static_cast<std::vector<quint32>*>(user)->push_back(done); },
        nullptr, &reported);
    const DatabaseId copy = load(path, settings, projectSchema(), &progress);
    EXPECT_EQ(progress.depth(), 0);
    EXPECT_FALSE(reported.empty());
    EXPECT_FALSE(resolveDatabase(copy).isModified());
    EXPECT_EQ(resolveDatabase(copy).databaseUuid(), projectId);
    EXPECT_EQ(resolveDatabase(copy).storage().secondUuid(), database.storage().secondUuid());
    EXPECT_EQ(lastFound.extra, QByteArray("creator"));
    EXPECT_EQ(getArraySize(15, copy), 0u);

    // The cue list goes out on its own; an unknown array is refused.
    EXPECT_TRUE(saveArray(15, dir.path(), db));
    EXPECT_TRUE(QFileInfo(dir.filePath("cuelist.tarv")).isFile());
    EXPECT_EQ(codeOf([&] { saveArray(37, dir.path(), db); }), 8);
}

TEST_F(StorageTest, CommitWaitingForTheSaveIsNotLost)
{
    const DatabaseId db = filledDatabase();
    create(db, path);
    save(db);
    std::thread writer;
    {
        DatabaseLocks hold(resolveDatabase(db), Database::SaveLock);
        writer = std::thread([&] { edit(db, kItems, 0, 42); });
        QTest::qWait(30); // the writer now waits for the save lock in its commit
        save(db, true);
    }
    writer.join();
    EXPECT_TRUE(resolveDatabase(db).isModified());
    save(db);
    EXPECT_EQ(loadedValue(kItems, 0), 42);
}

namespace {

std::mutex g_logMutex;
std::vector<std::pair<int, std::string>> g_log;

void captureLog(int level, qint64, const char* text, void*)
{
    std::lock_guard<std::mutex> lock(g_logMutex);
    g_log.emplace_back(level, text);
}

bool logged(int level, const std::string& text)
{
    std::lock_guard<std::mutex> lock(g_logMutex);
    return std::find(g_log.begin(), g_log.end(), std::make_pair(level, text)) != g_log.end();
}

} // namespace

TEST_F(StorageTest, AutosaveFollowsCommitsAndLogsFailures)
{
    DatabaseSettings settings = DatabaseTest::settings();
    settings.idleDelay = 20;
    settings.maxDelay = 30;
    const DatabaseId db = newDatabase(settings);
    Database& database = resolveDatabase(db);
    EXPECT_EQ(database.settings().maxDelay, 80);

    create(db, path); // a new database is modified and asks for an autosave
    QTRY_VERIFY_WITH_TIMEOUT(!database.isModified(), 2000);
    add(db, kItems, "a", 1);
    EXPECT_TRUE(database.isModified());
    QTRY_VERIFY_WITH_TIMEOUT(!database.isModified(), 2000);
    EXPECT_TRUE(QFileInfo(path + "/items.tarv").isFile());

    addLogHandler(captureLog, nullptr);
    ASSERT_TRUE(QDir().mkdir(path + "/items.tarv.part"));
    add(db, kItems, "b", 2);
    QTRY_VERIFY_WITH_TIMEOUT(logged(kLogAutosaveError, "Error autosaving database\n"), 2000);
    QTest::qWait(100); // the timers stopped all the same: no second attempt
    removeLogHandler(captureLog);
    EXPECT_EQ(g_log.size(), 1u);
    EXPECT_TRUE(database.isModified());
}
