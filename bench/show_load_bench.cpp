// Loads generated version-1 shows of 1,000 and 10,000 fixtures (4 elements
// of 6 parameters and 2 patch records each) through Quil::loadShow, beside a
// plain read of the same file into memory, and reports MB/s for both. main
// prints the time per fixture at each size and their ratio: loading stays
// linear while the ratio stays within 1.5.
#include "components/quilshow/show/quil_show.h"
#include "components/quilshow/tests/show_writer.h"

#include <QFile>
#include <QTemporaryDir>

#include <benchmark/benchmark.h>

#include <chrono>
#include <cstdio>
#include <map>
#include <memory>

namespace {

const int kElementsPerFixture = 4;

std::unique_ptr<QTemporaryDir> g_dir;
std::map<int, double> g_bestLoadSeconds;

// The show file of `fixtures` fixtures, written once per size.
QString showFile(int fixtures)
{
    if (!g_dir)
        g_dir.reset(new QTemporaryDir);
    const QString path = g_dir->filePath(QStringLiteral("show%1.kvq").arg(fixtures));
    if (QFile::exists(path))
        return path;
    ShowContent content;
    std::vector<ShowTable> elements, fixtureRecords;
    for (int f = 0; f < fixtures; ++f) {
        std::vector<quint16> elementIds;
        for (int e = 0; e < kElementsPerFixture; ++e) {
            const quint16 id = static_cast<quint16>(f * kElementsPerFixture + e);
            elements.push_back(elementRows(id, {0, 1, 2, 3, 4, 5}, 2));
            elementIds.push_back(id);
        }
        fixtureRecords.push_back(fixtureRows(static_cast<quint16>(f), elementIds, 1));
    }
    content.tables.elements = sectionOf(elements);
    content.tables.fixtures = sectionOf(fixtureRecords);
    writeFile(path, buildShow(content));
    return path;
}

void BM_LoadShow(benchmark::State& state)
{
    const int fixtures = static_cast<int>(state.range(0));
    const QString path = showFile(fixtures);
    const std::string name = path.toStdString();
    Quil::createShow(0);
    for (auto _ : state) {
        const auto start = std::chrono::steady_clock::now();
        const Quil::ShowLoadResult result = Quil::loadShow(name, 0x8484, nullptr);
        const double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
        if (result.code != Quil::kShowLoaded || Quil::_gpShow->fixtures().fixtures.size() != quint32(fixtures))
            state.SkipWithError("load failed");
        state.SetIterationTime(seconds);
        double& best = g_bestLoadSeconds[fixtures];
        best = best == 0 ? seconds : std::min(best, seconds);
    }
    Quil::destroyShow(true);
    state.SetBytesProcessed(qint64(state.iterations()) * QFile(path).size());
}

void BM_PlainRead(benchmark::State& state)
{
    const QString path = showFile(static_cast<int>(state.range(0)));
    for (auto _ : state) {
        QFile file(path);
        file.open(QIODevice::ReadOnly);
        const QByteArray bytes = file.readAll();
        benchmark::DoNotOptimize(bytes.constData());
    }
    state.SetBytesProcessed(qint64(state.iterations()) * QFile(path).size());
}

BENCHMARK(BM_LoadShow)->Arg(1000)->Arg(10000)->UseManualTime()->Unit(benchmark::kMillisecond);
BENCHMARK(BM_PlainRead)->Arg(1000)->Arg(10000)->Unit(benchmark::kMillisecond);

}  // namespace

int main(int argc, char** argv)
{
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    const double small = g_bestLoadSeconds[1000] / 1000;
    const double large = g_bestLoadSeconds[10000] / 10000;
    if (small > 0 && large > 0)
        std::printf("per fixture: %.2f us at 1,000, %.2f us at 10,000, ratio %.2f (limit 1.50)\n", small * 1e6,
                    large * 1e6, large / small);
    g_dir.reset();
    return 0;
}
