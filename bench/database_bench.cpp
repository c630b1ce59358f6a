// Adding N objects to one array in one edit context, committing once and
// resetting the database, as a conversion does, beside a reference that does
// the same work with a plain map (the pending records) and vector (the
// slotTable) holding the same handles. The time per object must not grow much
// with N. Run one size alone (--benchmark_filter=.../1000000) to read the
// peak memory per object from maxrss.
#include "components/archive/database.h"
#include "components/archive/edit_context.h"

#include <benchmark/benchmark.h>

#include <sys/resource.h>

#include <map>
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
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    state.counters["maxrss_MB"] = double(usage.ru_maxrss) / 1024.0;
    state.counters["bytes_per_object"] = double(usage.ru_maxrss) * 1024.0 / count;
}

void BM_AddCommitReset(benchmark::State& state)
{
    const Archive::DatabaseId db = benchDatabase();
    const int count = int(state.range(0));
    for (auto _ : state) {
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
            state.SkipWithError("objects missing after commit");
        Archive::resetDatabase(db);
    }
    state.SetItemsProcessed(state.iterations() * count);
    reportMemory(state, count);
}

// The same handles through a map of pending records into a vector of slotTable.
void BM_MapVectorReference(benchmark::State& state)
{
    const int count = int(state.range(0));
    struct Record
    {
        quint32 kind;
        Archive::ObjectPtr object;
    };
    for (auto _ : state) {
        std::map<std::pair<quint32, quint32>, Record> records;
        std::vector<Archive::ObjectPtr> slotTable;
        quint32 next = 0;
        for (int i = 0; i < count; ++i) {
            Archive::ObjectPtr object(new BenchObject(i));
            const quint32 id = next++;
            object->setId(id);
            records.emplace_hint(records.end(), std::make_pair(kArray, id), Record{1, object});
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
        std::vector<Archive::ObjectPtr>().swap(slotTable);
    }
    state.SetItemsProcessed(state.iterations() * count);
    reportMemory(state, count);
}

} // namespace

BENCHMARK(BM_AddCommitReset)->Arg(1000)->Arg(100000)->Arg(1000000)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_MapVectorReference)->Arg(1000)->Arg(100000)->Arg(1000000)->Unit(benchmark::kMillisecond);

BENCHMARK_MAIN();
