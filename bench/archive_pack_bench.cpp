// Packs a generated 200 MB folder (many small files, a few large ones, text-like
// data that compresses but not trivially) as gzip-compressed GNU tar through
// ArchiveFile on one thread (libarchive's gzip filter) and on four, with `tar`
// piping into `gzip -6` (libarchive's default level) and, when pigz is
// installed, into `pigz -6 -p4`, all in the same run. Prints the ratios of the
// best wall-clock times and of the output sizes.
#include "components/archive/archive_file.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>

#include <benchmark/benchmark.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <map>
#include <memory>
#include <string>

namespace {

const qint64 kSmallFiles = 1500;
const qint64 kLargeFiles = 4;
const qint64 kLargeSize = 25 * 1024 * 1024;

std::unique_ptr<QTemporaryDir> g_dir;
// Best seconds and output size per benchmark name.
std::map<std::string, std::pair<double, qint64>> g_best;

void note(const std::string& name, double s, const QString& target)
{
    auto& best = g_best[name];
    best.first = best.first == 0 ? s : std::min(best.first, s);
    best.second = QFileInfo(target).size();
}

bool havePigz() { return std::system("command -v pigz > /dev/null 2>&1") == 0; }

// Words drawn from a small vocabulary with a skewed random choice: about
// 3:1 under gzip, like project files and logs.
QByteArray makeData(qint64 size, quint64& state)
{
    static const char* const kWords[] = {"fixture", "universe",  "channel",    "timeline", "preset", "trigger",
                                         "colour",  "intensity", "0",          "1",        "255",    "128",
                                         "<group>", "</group>",  "id=",        "name=",    "\n",     " ",
                                         "\t",      "scene",     "controller", "dali",     "sacn",   "artnet",
                                         "cue",     "fade",      "=",          ";",        "{",      "}",
                                         "matrix",  "pixel"};
    QByteArray data;
    data.reserve(static_cast<int>(size + 32));
    while (data.size() < size) {
        state ^= state << 13;
        state ^= state >> 7;
        state ^= state << 17;
        const unsigned pick = static_cast<unsigned>(state >> 40);
        if ((pick & 7) == 0)
            data += QByteArray::number(static_cast<qulonglong>(state % 100000));
        else
            data += kWords[(pick >> 3) % 32 & (pick >> 8) % 32];
    }
    data.truncate(static_cast<int>(size));
    return data;
}

QString sourceFolder()
{
    if (!g_dir) {
        g_dir.reset(new QTemporaryDir);
        const QString root = g_dir->filePath("project");
        quint64 state = 0x9E3779B97F4A7C15ull;
        qint64 total = 0;
        for (qint64 i = 0; i < kSmallFiles; ++i) {
            const QString folder = root + QString("/objects/%1").arg(i % 40);
            QDir().mkpath(folder);
            QFile file(folder + QString("/object%1.tarv").arg(i));
            file.open(QIODevice::WriteOnly);
            const qint64 size = 4096 + static_cast<qint64>(state % (120 * 1024));
            total += file.write(makeData(size, state));
        }
        QDir().mkpath(root + "/resources");
        for (qint64 i = 0; i < kLargeFiles; ++i) {
            QFile file(root + QString("/resources/media%1.bin").arg(i));
            file.open(QIODevice::WriteOnly);
            total += file.write(makeData(kLargeSize, state));
        }
        std::printf("generated %.1f MB in %lld files\n", total / 1e6, kSmallFiles + kLargeFiles);
    }
    return g_dir->filePath("project");
}

double seconds(std::chrono::steady_clock::time_point start)
{
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
}

void BM_ArchiveFilePack(benchmark::State& state)
{
    const int threads = int(state.range(0));
    const QString source = sourceFolder();
    const QString target = g_dir->filePath(QString("ours%1.kv2").arg(threads));
    for (auto _ : state) {
        const auto start = std::chrono::steady_clock::now();
        QFile file(target);
        file.open(QIODevice::WriteOnly | QIODevice::Truncate);
        ArchiveFile archive;
        archive.setCompressionThreads(threads);
        const bool ok = archive.open(ArchiveFile::WriteMode, &file, ArchiveFile::TarGzKind) && archive.addPath(source)
            && archive.close();
        file.close();
        if (!ok)
            state.SkipWithError(archive.errorString().toUtf8().constData());
        const double s = seconds(start);
        state.SetIterationTime(s);
        note("ours" + std::to_string(threads), s, target);
    }
    state.counters["MB"] = QFileInfo(target).size() / 1e6;
}

void runCommand(benchmark::State& state, const std::string& name, const QString& compressor)
{
    const QString source = sourceFolder();
    const QString target = g_dir->filePath(QString::fromStdString(name) + ".tgz");
    const QByteArray command = QString("tar -cf - -C '%1' project | %2 > '%3'")
                                   .arg(QFileInfo(source).path(), compressor, target)
                                   .toLocal8Bit();
    for (auto _ : state) {
        const auto start = std::chrono::steady_clock::now();
        if (std::system(command.constData()) != 0)
            state.SkipWithError("tar failed");
        const double s = seconds(start);
        state.SetIterationTime(s);
        note(name, s, target);
    }
    state.counters["MB"] = QFileInfo(target).size() / 1e6;
}

void BM_TarCzf(benchmark::State& state) { runCommand(state, "tar-czf", "gzip -6"); }

void BM_TarPigz4(benchmark::State& state)
{
    if (!havePigz()) {
        state.SkipWithError("pigz is not installed");
        return;
    }
    runCommand(state, "pigz4", "pigz -6 -p4");
}

BENCHMARK(BM_ArchiveFilePack)->Arg(1)->Arg(4)->UseManualTime()->Unit(benchmark::kMillisecond)->Iterations(3);
BENCHMARK(BM_TarCzf)->UseManualTime()->Unit(benchmark::kMillisecond)->Iterations(3);
BENCHMARK(BM_TarPigz4)->UseManualTime()->Unit(benchmark::kMillisecond)->Iterations(3);

}  // namespace

int main(int argc, char** argv)
{
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    const auto ratio = [](const char* a, const char* b, const char* limit) {
        if (!g_best.count(a) || !g_best.count(b) || g_best[b].first == 0)
            return;
        std::printf("%s / %s: time %.2f (target %s), size %.4f\n", a, b, g_best[a].first / g_best[b].first, limit,
                    double(g_best[a].second) / double(g_best[b].second));
    };
    ratio("ours1", "tar-czf", "-");
    ratio("ours4", "tar-czf", "0.45");
    ratio("ours4", "pigz4", "1.2");
    ratio("ours4", "ours1", "-");
    // The parallel output is one ordinary gzip stream for gzip, GNU tar and Python.
    if (g_dir) {
        const QByteArray file = g_dir->filePath("ours4.kv2").toLocal8Bit();
        const auto check = [&](const char* what, const QByteArray& command) {
            std::printf("%s: %s\n", what, std::system(command.constData()) == 0 ? "ok" : "FAILED");
        };
        check("gzip -t", "gzip -t '" + file + "'");
        check("tar -tzf", "tar -tzf '" + file + "' > /dev/null");
        check("python3 tarfile",
              "python3 -c 'import sys, tarfile; tarfile.open(sys.argv[1]).getmembers()' '" + file + "'");
    }
    g_dir.reset();
    return 0;
}
