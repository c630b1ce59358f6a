// Runs the code measured and its reference in turns within one benchmark,
// so that both meet the same heap and cache state: the iteration time is the
// code's, the counters, named after the reference, give its mean time
// ("<name>_ms") and the ratio of the two totals ("vs_<name>").
#ifndef BENCH_SIDE_BY_SIDE_H
#define BENCH_SIDE_BY_SIDE_H

#include <benchmark/benchmark.h>

#include <chrono>
#include <string>

namespace Bench {

template <class Ours, class Reference>
void sideBySide(benchmark::State& state, const std::string& referenceName, Ours ours, Reference reference)
{
    const auto timed = [](auto& work) {
        const auto start = std::chrono::steady_clock::now();
        work();
        return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    };
    double oursTotal = 0;
    double referenceTotal = 0;
    bool oursFirst = true;
    for (auto _ : state) {
        double s = 0;
        if (oursFirst) {
            s = timed(ours);
            referenceTotal += timed(reference);
        } else {
            referenceTotal += timed(reference);
            s = timed(ours);
        }
        oursFirst = !oursFirst;
        oursTotal += s;
        state.SetIterationTime(s);
    }
    const double n = double(state.iterations());
    state.counters[referenceName + "_ms"] = n > 0 ? referenceTotal * 1000 / n : 0;
    state.counters["vs_" + referenceName] = referenceTotal > 0 ? oursTotal / referenceTotal : 0;
}

}  // namespace Bench

#endif  // BENCH_SIDE_BY_SIDE_H
