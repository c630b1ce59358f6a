// The whole conversion of generated version-1 shows (bench/large_show.h)
// through ConversionDriver, headless: load, steps, commit, database save and
// pack into a kv2. Each iteration also measures the floor in the same run:
// reading the input file and `tar -czf` (gzip's default level, the one the
// project's packing uses) of the saved working folder. Counters per case:
// the time of each phase, total / floor, the time per fixture, and the peak
// resident memory of one conversion in a process of its own against twice
// the uncompressed size of the working folder plus 100 MB.
// BM_LoadedShowMemory gives the loaded version-1 show's memory per byte of
// its file; BM_CloseDuringFixtureStep how soon a close during the fixture
// step ends the work. main prints the medians the targets are judged by.
//
// Run under `taskset -c 0-3` for four cores, `taskset -c 0` for one; the
// packing uses every core the process may run on.
#include "applications/morvant/conversion/conversion_driver.h"
#include "bench/large_show.h"
#include "components/fixture_library/fixture_library.h"
#include "components/fixture_library/kinet_power_supply_list.h"
#include "components/fixture_library/message_handler.h"
#include "components/quilshow/show/quil_show.h"
#include "components/quilshow/tests/show_writer.h"
#include "seltrane_components/os/logger.h"
#include "seltrane_components/os/progress_tracker.h"
#include "tests/support/peak_memory.h"

#include <QBuffer>
#include <QDirIterator>
#include <QFile>
#include <QFileInfo>
#include <QGuiApplication>
#include <QProcess>
#include <QTemporaryDir>

#include <benchmark/benchmark.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <map>
#include <memory>
#include <string>
#include <vector>

namespace {

using Clock = std::chrono::steady_clock;

std::unique_ptr<QTemporaryDir> g_dir;
int g_warnings = 0;

struct Sample
{
    double total, floor, perFixture;
};
std::map<std::string, std::vector<Sample>> g_samples;
std::vector<double> g_closeSeconds;
// Whether the conversion's latest progress line is the fixture step's.
bool g_inFixtureStep = false;

double secondsSince(Clock::time_point start) { return std::chrono::duration<double>(Clock::now() - start).count(); }

void countWarnings(int level, qint64, const char* text, void*)
{
    // The first few say why a generated show converts less than it should.
    static const int shown = qEnvironmentVariableIsSet("BENCH_WARNINGS") ? 100000 : 5;
    if (level < kLogInfo && ++g_warnings <= shown)
        std::fprintf(stderr, "warning: %s\n", text);
}

void followFixtureStep(int level, qint64, const char* text, void*)
{
    const std::string line = text;
    if (level >= kLogInfo && (line.rfind("Converting ", 0) == 0 || line.rfind("Merging ", 0) == 0))
        g_inFixtureStep = line.rfind("Converting fixtures", 0) == 0;
}

QString largeShowFile(int fixtures, int elements, bool withDrops = false)
{
    const QString path =
        g_dir->filePath(QStringLiteral("show%1x%2%3.kvq").arg(fixtures).arg(elements).arg(withDrops ? "drops" : ""));
    if (!QFile::exists(path))
        writeFile(path, largeShow({fixtures, elements, withDrops}));
    return path;
}

qint64 folderBytes(const QString& folder)
{
    qint64 bytes = 0;
    for (QDirIterator it(folder, QDir::Files | QDir::Hidden, QDirIterator::Subdirectories); it.hasNext();) {
        it.next();
        bytes += it.fileInfo().size();
    }
    return bytes;
}

// Reading the input and packing the working folder with tar and gzip.
double floorSeconds(const QString& input, const QString& folder, const QString& archive)
{
    const Clock::time_point start = Clock::now();
    {
        QFile file(input);
        file.open(QIODevice::ReadOnly);
        const QByteArray bytes = file.readAll();
        benchmark::DoNotOptimize(bytes.constData());
    }
    QProcess tar;
    tar.start(QStringLiteral("tar"),
              {QStringLiteral("-czf"), archive, QStringLiteral("-C"), folder, QStringLiteral(".")});
    if (!tar.waitForFinished(-1) || tar.exitCode() != 0)
        return -1;
    return secondsSince(start);
}

void convertShow(benchmark::State& state, const QString& path, int fixtures, const std::string& name)
{
    ConversionDriver driver;
    const QString output = g_dir->filePath(QStringLiteral("out.kv2"));
    const QString floorArchive = g_dir->filePath(QStringLiteral("floor.tar.gz"));
    std::map<std::string, double> sums;
    for (auto _ : state) {
        const Clock::time_point start = Clock::now();
        ProgressTracker progress;
        g_warnings = 0;
        if (!driver.convert(path, progress) || !driver.saveOutputProject(output, progress)) {
            state.SkipWithError("the conversion failed");
            break;
        }
        const double total = secondsSince(start);
        const qint64 outputBytes = folderBytes(driver.outputFolder());
        const double floor = floorSeconds(path, driver.outputFolder(), floorArchive);
        driver.closeOutputProject();
        state.SetIterationTime(total);

        const ConversionDriver::PhaseTimes& phases = driver.phaseTimes();
        sums["load"] += phases.load;
        sums["steps"] += phases.steps;
        sums["commit"] += phases.commit;
        sums["dbsave"] += phases.databaseSave;
        sums["pack"] += phases.pack;
        sums["floor"] += floor;
        sums["ratio"] += total / floor;
        sums["us/fixture"] += total / fixtures * 1e6;
        sums["outMB"] += double(outputBytes) / 1e6;
        sums["warnings"] += g_warnings;
        g_samples[name].push_back({total, floor, total / fixtures});
    }
    for (const auto& [name, sum] : sums)
        state.counters[name] = sum / double(std::max<benchmark::IterationCount>(1, state.iterations()));
    state.counters["showMB"] = double(QFileInfo(path).size()) / 1e6;

    // The peak of one conversion in a process of its own, against the
    // limit of twice the output and 100 MB.
    QProcess child;
    child.start(QCoreApplication::applicationFilePath(), {QStringLiteral("--measure-conversion"), path});
    const QList<QByteArray> measured = child.waitForFinished(-1) && child.exitCode() == 0
        ? child.readAllStandardOutput().trimmed().split(' ')
        : QList<QByteArray>();
    if (measured.size() == 2) {
        state.counters["peakMB"] = measured[0].toDouble() / 1e6;
        state.counters["limitMB"] = 2 * measured[1].toDouble() / 1e6 + 100;
    }
}

// Converts and saves the show at path once in this fresh process and prints
// the peak resident memory and the size of the working folder.
int measureConversion(const QString& path)
{
    ConversionDriver driver;
    ProgressTracker progress;
    if (!driver.convert(path, progress)
        || !driver.saveOutputProject(g_dir->filePath(QStringLiteral("out.kv2")), progress))
        return 1;
    std::printf("%lld %lld\n", static_cast<long long>(TestSupport::peakMemoryBytes()),
                static_cast<long long>(folderBytes(driver.outputFolder())));
    return 0;
}

void BM_Convert(benchmark::State& state)
{
    const int fixtures = int(state.range(0));
    const int elements = int(state.range(1));
    convertShow(state, largeShowFile(fixtures, elements), fixtures,
                std::to_string(fixtures) + " fixtures of " + std::to_string(elements) + " elements");
}

// The same shows with items of every cause left out, beside the clean
// ones: reporting what is not carried over must cost little.
void BM_ConvertWithDrops(benchmark::State& state)
{
    const int fixtures = int(state.range(0));
    const int elements = int(state.range(1));
    convertShow(state, largeShowFile(fixtures, elements, true), fixtures,
                std::to_string(fixtures) + " fixtures of " + std::to_string(elements) + " elements, with drops");
}

void BM_ConvertGroups(benchmark::State& state)
{
    const int fixtures = int(state.range(0));
    const QString path = g_dir->filePath(QStringLiteral("groups%1.kvq").arg(fixtures));
    if (!QFile::exists(path))
        writeFile(path, groupShow(fixtures));
    convertShow(state, path, fixtures, std::to_string(fixtures) + " fixtures, version 210, groups");
}

// Sets the cancel flag, as the window's close does, at the fixture step's
// 50th move of the bar, and notes when.
struct CloseProbe
{
    ProgressTracker* tracker = nullptr;
    int moves = 0;
    Clock::time_point closed;

    static void onProgress(quint32, quint32, void* userData)
    {
        auto* probe = static_cast<CloseProbe*>(userData);
        if (g_inFixtureStep && ++probe->moves == 50) {
            probe->closed = Clock::now();
            probe->tracker->cancelFlag()->store(true);
        }
    }
};

// The time from a close during the fixture step until the conversion has
// returned, its project dropped (target: half a second).
void BM_CloseDuringFixtureStep(benchmark::State& state)
{
    const QString path = largeShowFile(int(state.range(0)), 1);
    ConversionDriver driver;
    addLogHandler(&followFixtureStep, nullptr);
    for (auto _ : state) {
        CloseProbe probe;
        ProgressTracker progress(&CloseProbe::onProgress, nullptr, &probe);
        probe.tracker = &progress;
        g_inFixtureStep = false;
        const bool converted = driver.convert(path, progress);
        if (converted || probe.moves < 50) {
            state.SkipWithError("the close did not stop the conversion in its fixture step");
            break;
        }
        const double seconds = secondsSince(probe.closed);
        state.SetIterationTime(seconds);
        g_closeSeconds.push_back(seconds);
    }
    removeLogHandler(&followFixtureStep);
}

// Loads the show at path in this fresh process and prints the bytes its
// loading added to the peak resident memory: a process that generated shows
// and converted them keeps pages a later peak hides in.
int measureLoad(const char* path)
{
    Quil::createShow(0);
    const qint64 before = TestSupport::resetPeakMemory();
    const Quil::ShowLoadResult result = Quil::loadShow(path, 0x8484, nullptr);
    const qint64 peak = TestSupport::peakMemoryBytes();
    Quil::destroyShow(true);
    if (result.code != Quil::kShowLoaded)
        return 1;
    std::printf("%lld\n", static_cast<long long>(peak - before));
    return 0;
}

// The loaded show's memory per byte of its file, measured by measureLoad in
// a process of its own.
void BM_LoadedShowMemory(benchmark::State& state)
{
    const QString path = largeShowFile(int(state.range(0)), int(state.range(1)));
    double perByte = 0;
    for (auto _ : state) {
        QProcess child;
        const Clock::time_point start = Clock::now();
        child.start(QCoreApplication::applicationFilePath(), {QStringLiteral("--measure-load"), path});
        const bool finished = child.waitForFinished(-1) && child.exitCode() == 0;
        state.SetIterationTime(secondsSince(start));
        if (!finished) {
            state.SkipWithError("load failed");
            break;
        }
        perByte += child.readAllStandardOutput().trimmed().toDouble() / double(QFileInfo(path).size());
    }
    state.counters["bytes/file byte"] = perByte / double(std::max<benchmark::IterationCount>(1, state.iterations()));
}

BENCHMARK(BM_Convert)
    ->Args({1000, 1})
    ->Args({10000, 1})
    ->Args({40000, 1})
    ->Args({10000, 4})
    ->UseManualTime()
    ->Unit(benchmark::kMillisecond);
BENCHMARK(BM_ConvertWithDrops)->Args({10000, 1})->Args({40000, 1})->UseManualTime()->Unit(benchmark::kMillisecond);
BENCHMARK(BM_ConvertGroups)->Arg(10000)->UseManualTime()->Unit(benchmark::kMillisecond);
BENCHMARK(BM_CloseDuringFixtureStep)->Arg(40000)->UseManualTime()->Unit(benchmark::kMillisecond);
BENCHMARK(BM_LoadedShowMemory)->Args({40000, 1})->Args({10000, 4})->UseManualTime()->Unit(benchmark::kMillisecond);

double median(std::vector<double> values)
{
    if (values.empty())
        return 0;
    std::sort(values.begin(), values.end());
    const std::size_t middle = values.size() / 2;
    return values.size() % 2 ? values[middle] : (values[middle - 1] + values[middle]) / 2;
}

}  // namespace

int main(int argc, char** argv)
{
    if (argc == 3 && std::string(argv[1]) == "--measure-load")
        return measureLoad(argv[2]);
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    // Fonts are rendered on the GUI thread.
    QGuiApplication application(argc, argv);
    const bool measuringConversion = argc == 3 && std::string(argv[1]) == "--measure-conversion";
    if (!measuringConversion)
        benchmark::Initialize(&argc, argv);
    g_dir.reset(new QTemporaryDir);
    qputenv("TMPDIR", QFile::encodeName(g_dir->path()));

    ConcatenatingMessageHandler messages;
    QBuffer supplies;
    supplies.setData(kLargeShowSupplyRow);
    KinetPowerSupplyList::instance().load(supplies, QStringLiteral("list.csv"), messages);
    const QString library = g_dir->filePath(QStringLiteral("library"));
    writeLargeShowLibrary(library);
    FixtureLibrary::instance().load(library, QString(), QString(), messages);
    if (!messages.messages().isEmpty())
        std::fprintf(stderr, "library: %s\n", qPrintable(messages.messages().join('\n')));
    if (measuringConversion) {
        const int result = measureConversion(QString::fromLocal8Bit(argv[2]));
        g_dir.reset();
        return result;
    }
    addLogHandler(&countWarnings, nullptr);

    benchmark::RunSpecifiedBenchmarks();

    for (const auto& [name, samples] : g_samples) {
        std::vector<double> ratios, perFixture;
        for (const Sample& sample : samples) {
            ratios.push_back(sample.total / sample.floor);
            perFixture.push_back(sample.perFixture);
        }
        std::printf("%s: median total/floor %.2f (target 1.00), %.1f us per fixture\n", name.c_str(), median(ratios),
                    median(perFixture) * 1e6);
    }
    const auto perFixture = [](const char* name) {
        std::vector<double> values;
        for (const Sample& sample : g_samples[name])
            values.push_back(sample.perFixture);
        return median(values);
    };
    const double small = perFixture("1000 fixtures of 1 elements");
    const double large = perFixture("40000 fixtures of 1 elements");
    if (small > 0 && large > 0)
        std::printf("per fixture at 40,000 / at 1,000: %.2f (target 1.20)\n", large / small);
    const auto ratio = [](const std::string& name) {
        std::vector<double> values;
        for (const Sample& sample : g_samples[name])
            values.push_back(sample.total / sample.floor);
        return median(values);
    };
    for (const char* fixtures : {"10000", "40000"}) {
        const std::string clean = std::string(fixtures) + " fixtures of 1 elements";
        const double withDrops = ratio(clean + ", with drops");
        if (withDrops > 0 && ratio(clean) > 0)
            std::printf("%s fixtures: total/floor with drops / clean: %.2f (target 1.10)\n", fixtures,
                        withDrops / ratio(clean));
    }
    if (!g_closeSeconds.empty()) {
        std::printf("close during the fixture step of 40,000 fixtures: median %.0f ms until the work ended (target "
                    "500)\n",
                    median(g_closeSeconds) * 1e3);
    }
    removeLogHandler(&countWarnings);
    g_dir.reset();
    return 0;
}
