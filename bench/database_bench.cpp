// Adding N objects to one array in one edit context, committing once and
// resetting the database, as a conversion does, beside a reference that does
// the same work with a plain map (the pending records) and vector (the
// slotTable) holding the same handles. The time per object must not grow much
// with N. BM_PeakMemory run alone (--benchmark_filter=BM_PeakMemory) gives the
// peak memory per object from maxrss.
#include "components/archive/database.h"
#include "components/archive/edit_context.h"

#include "side_by_side.h"

#include <benchmark/benchmark.h>

#include <sys/resource.h>

#include <map>
#include <stdexcept>
#include <vector>

namespace {

class BenchObject : public Archive::ObjectBase
{
public:
    explicit BenchObject(int value = 0) : value(value) {}
    Archive::ObjectBase* clone() const override { return new BenchObject(*this); }
    int value;
};

constexpr Archive::ArrayId kArray = 2;

Archive::DatabaseId benchDatabase()
{
    static const Archive::ArraySchemaRow schema[] = {
        {kArray, 0x80000000u, "objects", 1000000},
        {Archive::kSchemaEnd, 0, QString(), 0},
    };
    static const Archive::DatabaseId id = Archive::createDatabase(Archive::DatabaseSettings(), schema);
    return id;
}

void reportMemory(benchmark::State& state, int count)
{
    rusage usage {};
    getrusage(RUSAGE_SELF, &usage);
    state.counters["maxrss_MB"] = double(usage.ru_maxrss) / 1024.0;
    state.counters["bytes_per_object"] = double(usage.ru_maxrss) * 1024.0 / count;
}

void addCommitReset(Archive::DatabaseId db, int count)
{
    {
        Archive::EditContext context(db);
        for (int i = 0; i < count; ++i) {
            Archive::ObjectId id = Archive::kNoObjectId;
            Archive::ObjectPtr object(new BenchObject(i));
            Archive::addObject(kArray, id, object, db);
        }
        context.commit();
    }
    if (Archive::getArraySize(kArray, db) != quint32(count))
        throw std::runtime_error("objects missing after commit");
    Archive::resetDatabase(db);
}

// The same handles through a map of pending records into a vector of slots.
void mapAndVector(int count)
{
    struct Record
    {
        quint32 kind;
        Archive::ObjectPtr object;
    };
    std::map<std::pair<quint32, quint32>, Record> records;
    std::vector<Archive::ObjectPtr> slotTable;
    quint32 next = 0;
    for (int i = 0; i < count; ++i) {
        Archive::ObjectPtr object(new BenchObject(i));
        const quint32 id = next++;
        object->setId(id);
        records.emplace_hint(records.end(), std::make_pair(kArray, id), Record {1, object});
    }
    for (auto& [key, record] : records) {
        if (key.second >= slotTable.size())
            slotTable.resize(std::max<std::size_t>(key.second + 1, slotTable.size() * 2));
        record.object.setSequence(0x01000001u);
        slotTable[key.second] = record.object;
        slotTable[key.second].setStamp(1);
    }
    records.clear();
    benchmark::DoNotOptimize(slotTable.data());
}

void BM_AddCommitReset(benchmark::State& state)
{
    const Archive::DatabaseId db = benchDatabase();
    const int count = int(state.range(0));
    Bench::sideBySide(
        state, "map_and_vector", [&] { addCommitReset(db, count); }, [&] { mapAndVector(count); });
    state.SetItemsProcessed(state.iterations() * count);
}

// The database alone, once, for the peak memory (run it alone).
void BM_PeakMemory(benchmark::State& state)
{
    const Archive::DatabaseId db = benchDatabase();
    const int count = int(state.range(0));
    for (auto _ : state)
        addCommitReset(db, count);
    reportMemory(state, count);
}

}  // namespace

BENCHMARK(BM_AddCommitReset)->Arg(1000)->Arg(100000)->Arg(1000000)->UseManualTime()->Unit(benchmark::kMillisecond);
BENCHMARK(BM_PeakMemory)->Arg(1000000)->Iterations(1)->Unit(benchmark::kMillisecond);

BENCHMARK_MAIN();
