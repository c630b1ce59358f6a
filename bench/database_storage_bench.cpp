// Saves and loads a database of 100,000 objects of varied content
// (bench_objects.h) in the folder layout, as one binary file and as one text
// file, beside `cat` of the same bytes (to /dev/null for a load, into a file
// for a save: BM_Cat*, their own rows) and, for the binary forms, a plain
// QDataStream reading the same bytes and creating the same objects
// (Bench::readSampleReference) into a vector of handles, run in turns with
// the load (its counters "qdatastream_reader_ms" and "vs_qdatastream_reader"). A load creates the database, opens the
// data and closes the database again, which frees the objects; the reference frees its own.
//
// For system-call counts, run one load alone under strace and subtract a run
// of BM_Prepare alone (which only writes the data):
//     strace -c -f bench/database_storage_bench --benchmark_filter='BM_DatabaseLoad/0'
#include "bench_objects.h"
#include "side_by_side.h"

#include "components/archive/database.h"
#include "components/archive/edit_context.h"

#include <QDataStream>
#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <benchmark/benchmark.h>

#include <chrono>
#include <cstdlib>
#include <stdexcept>
#include <vector>

namespace {

constexpr int kObjects = 100000;
constexpr Archive::ArrayId kArray = 2;
constexpr quint16 kVersion = 157;

enum Layout { Folder = 0, SingleBinary = 1, SingleText = 2 };

const Archive::ArraySchemaRow* schema()
{
    static const Archive::ArraySchemaRow rows[] = {
        {kArray, 0x80000000u, "objects", 1000000},
        {Archive::kSchemaEnd, 0, QString(), 0},
    };
    return rows;
}

Archive::DatabaseSettings settings(Layout layout)
{
    Archive::DatabaseSettings s;
    s.name = "Bench";
    s.singleFile = layout != Folder;
    s.binary = layout != SingleText;
    s.binarySuffix = "tarv";
    s.textSuffix = "tarvt";
    s.headerName = ".bench_project";
    s.version = kVersion;
    return s;
}

QTemporaryDir& folder()
{
    static QTemporaryDir dir;
    return dir;
}

QString pathOf(Layout layout)
{
    switch (layout) {
    case Folder:
        return folder().filePath("db");
    case SingleBinary:
        return folder().filePath("db.tarv");
    case SingleText:
    default:
        return folder().filePath("db.tarvt");
    }
}

// The file that holds the objects.
QString objectFileOf(Layout layout) { return layout == Folder ? pathOf(Folder) + "/objects.tarv" : pathOf(layout); }

// A database per layout holding the objects, saved once; it stays open for
// the save benchmarks.
Archive::DatabaseId sourceDatabase(Layout layout)
{
    static Archive::DatabaseId ids[3] = {Archive::kNoDatabase, Archive::kNoDatabase, Archive::kNoDatabase};
    if (ids[layout] != Archive::kNoDatabase)
        return ids[layout];
    Bench::registerSample();
    const Archive::DatabaseId db = Archive::createDatabase(settings(layout), schema());
    Archive::DatabaseOpenParameters parameters;
    parameters.path = pathOf(layout);
    parameters.supportedVersion = kVersion;
    Archive::openDatabase(parameters, db);
    {
        Archive::EditContext context(db);
        for (int n = 0; n < kObjects; ++n) {
            Archive::ObjectPtr object(new Bench::Sample(Bench::samples(kObjects)[std::size_t(n)]));
            Archive::ObjectId id = Archive::kNoObjectId;
            Archive::addObject(kArray, id, object, db);
        }
        context.commit();
    }
    Archive::saveDatabase(db, Archive::kSaveForce);
    ids[layout] = db;
    return db;
}

void BM_Prepare(benchmark::State& state)
{
    for (auto _ : state) {
        for (Layout layout : {Folder, SingleBinary, SingleText})
            sourceDatabase(layout);
    }
}

// The database: created, loaded and closed again (which frees the objects).
void loadDatabase(Layout layout)
{
    const Archive::DatabaseId db = Archive::createDatabase(settings(layout), schema());
    Archive::DatabaseOpenParameters parameters;
    parameters.path = pathOf(layout);
    parameters.supportedVersion = kVersion;
    parameters.openExisting = true;
    Archive::openDatabase(parameters, db);
    if (Archive::getArraySize(kArray, db) != quint32(kObjects))
        throw std::runtime_error("objects missing");
    Archive::closeDatabase(db);
}

// The binary forms by hand: header, (single file: database section, two
// identifiers, the array id), the array section, then per slot its section,
// id, sequence number, stamp and object, into a vector of handles.
void loadReference(Layout layout)
{
    QFile file(objectFileOf(layout));
    QDataStream in;
    Bench::openReference(file, in);
    const qint64 size = file.size();
    qint16 code = 0;
    if (layout == SingleBinary) {
        QUuid first, second;
        quint32 arrayId = 0;
        in >> code >> first >> second >> arrayId;
    }
    quint32 count = 0;
    in >> code >> count;
    if (in.status() != QDataStream::Ok || count > size - file.pos())
        throw std::runtime_error("bad data");
    std::vector<Archive::ObjectPtr> slotTable;
    for (quint32 k = 0; k < count; ++k) {
        quint32 id = 0, sequence = 0, stamp = 0;
        in >> code >> id >> sequence >> stamp;
        Archive::ObjectPtr object = Bench::readSampleReference(in, file, size);
        object->setId(id);
        object.setSequence(sequence);
        object.setStamp(stamp);
        if (id >= slotTable.size())
            slotTable.resize(std::size_t(id) + 1);
        slotTable[id] = object;
    }
    if (slotTable.size() != std::size_t(kObjects))
        throw std::runtime_error("objects missing");
}

// Binary forms against the reference in turns; the text form alone.
void BM_DatabaseLoad(benchmark::State& state)
{
    const Layout layout = Layout(state.range(0));
    sourceDatabase(layout);
    if (layout == SingleText) {
        for (auto _ : state) {
            const auto start = std::chrono::steady_clock::now();
            loadDatabase(layout);
            state.SetIterationTime(std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count());
        }
    } else {
        Bench::sideBySide(
            state, "qdatastream_reader", [&] { loadDatabase(layout); }, [&] { loadReference(layout); });
    }
    state.SetBytesProcessed(qint64(state.iterations()) * QFile(objectFileOf(layout)).size());
}

void runCommand(benchmark::State& state, const QString& command, const QString& sizeOf)
{
    const QByteArray line = command.toLocal8Bit();
    for (auto _ : state) {
        if (std::system(line.constData()) != 0)
            state.SkipWithError("command failed");
    }
    state.SetBytesProcessed(qint64(state.iterations()) * QFile(sizeOf).size());
}

void BM_CatLoad(benchmark::State& state)
{
    const Layout layout = Layout(state.range(0));
    sourceDatabase(layout);
    const QString files = layout == Folder ? "'" + pathOf(Folder) + "'/.bench_project '" + objectFileOf(Folder) + "'"
                                           : "'" + pathOf(layout) + "'";
    runCommand(state, "cat " + files + " > /dev/null", objectFileOf(layout));
}

void BM_DatabaseSave(benchmark::State& state)
{
    const Layout layout = Layout(state.range(0));
    const Archive::DatabaseId db = sourceDatabase(layout);
    for (auto _ : state)
        Archive::saveDatabase(db, Archive::kSaveForce);
    state.SetBytesProcessed(qint64(state.iterations()) * QFile(objectFileOf(layout)).size());
}

void BM_CatSave(benchmark::State& state)
{
    const Layout layout = Layout(state.range(0));
    sourceDatabase(layout);
    const QString copy = folder().filePath("copy");
    runCommand(state, "cat '" + objectFileOf(layout) + "' > '" + copy + "' && sync '" + copy + "'",
               objectFileOf(layout));
}

}  // namespace

BENCHMARK(BM_Prepare)->Iterations(1);
BENCHMARK(BM_DatabaseLoad)
    ->Arg(Folder)
    ->Arg(SingleBinary)
    ->Arg(SingleText)
    ->UseManualTime()
    ->Unit(benchmark::kMillisecond);
BENCHMARK(BM_CatLoad)->Arg(Folder)->Arg(SingleBinary)->Arg(SingleText)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_DatabaseSave)->Arg(Folder)->Arg(SingleBinary)->Arg(SingleText)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_CatSave)->Arg(Folder)->Arg(SingleBinary)->Arg(SingleText)->Unit(benchmark::kMillisecond);

BENCHMARK_MAIN();
