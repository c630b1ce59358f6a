// Look::computeOffsets over a palette-sized look, as a conversion runs it:
// the fixtures and their elements pending in the open edit transaction, a
// spread fade (skew type 1) in random order (direction 4). Each iteration
// spreads a look of 1,000 targets and one of 50,000; the counters give the
// time per target of each and their ratio, which must stay below 2.
#include "components/archive/database.h"
#include "components/archive/database_schema.h"
#include "components/archive/edit_context.h"
#include "components/lx_objects/fixtures/fixture.h"
#include "components/lx_objects/fixtures/fixture_element.h"
#include "components/lx_objects/programming/look.h"

#include <benchmark/benchmark.h>

#include <chrono>

namespace {

// Two elements per fixture, the fixture numbers out of element order.
Look pendingLook(int targets)
{
    Look look;
    look.setFadeTime(60000), look.skewType = 1, look.skewDirection = 4;
    for (int n = 0; n < targets / 2; ++n) {
        auto* fixture = new Fixture;
        fixture->number = quint16((n * 7919) % 65521);
        Archive::ObjectPtr handle(fixture);
        Archive::ObjectId fixtureId = Archive::kNoObjectId;
        Archive::addObject(Fixture::kArrayId, fixtureId, handle);
        for (quint16 index = 0; index < 2; ++index) {
            auto* element = new FixtureElement;
            element->setOwner(fixtureId, index);
            Archive::ObjectPtr added(element);
            Archive::ObjectId id = Archive::kNoObjectId;
            Archive::addObject(FixtureElement::kArrayId, id, added);
            fixture->elementIds.push_back(id);
            Lkel lkel;
            lkel.set(Lkel::ElementId, id);
            look.lkels.push_back(lkel);
        }
    }
    return look;
}

double secondsPerTarget(Look& look)
{
    const auto start = std::chrono::steady_clock::now();
    look.computeOffsets();
    const double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    benchmark::DoNotOptimize(look.lkels.back());
    return seconds / double(look.lkels.size());
}

void BM_ComputeOffsets(benchmark::State& state)
{
    const Archive::DatabaseId db = Archive::createDatabase(Archive::DatabaseSettings(), Archive::projectSchema());
    Archive::setCurrentDatabase(db);
    {
        Archive::EditContext context(db);
        Look small = pendingLook(1000);
        Look large = pendingLook(50000);
        double smallTotal = 0;
        double largeTotal = 0;
        for (auto _ : state) {
            smallTotal += secondsPerTarget(small);
            const double perTarget = secondsPerTarget(large);
            largeTotal += perTarget;
            state.SetIterationTime(perTarget * 50000);
        }
        const double n = double(state.iterations());
        state.counters["ns_per_target_1k"] = smallTotal * 1e9 / n;
        state.counters["ns_per_target_50k"] = largeTotal * 1e9 / n;
        state.counters["ratio"] = largeTotal / smallTotal;
    }
    Archive::setCurrentDatabase(Archive::kNoDatabase);
    Archive::closeDatabase(db);
}
BENCHMARK(BM_ComputeOffsets)->UseManualTime()->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
