// Adding N objects to one array in one edit context and committing once, as a
// conversion does. The time per object must not grow much with N.
#include "components/archive/database.h"
#include "components/archive/edit_context.h"

#include <benchmark/benchmark.h>

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

void BM_AddAndCommit(benchmark::State& state)
{
    const Archive::DatabaseId db = benchDatabase();
    const int count = int(state.range(0));
    for (auto _ : state) {
        state.PauseTiming();
        Archive::resetDatabase(db);
        state.ResumeTiming();
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
    }
    state.SetItemsProcessed(state.iterations() * count);
}

} // namespace

BENCHMARK(BM_AddAndCommit)->Arg(1000)->Arg(10000)->Arg(100000)->Unit(benchmark::kMillisecond);

BENCHMARK_MAIN();
