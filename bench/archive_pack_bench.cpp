// Packs a generated 200 MB folder (many small files, a few large ones, text-like
// data that compresses but not trivially) as gzip-compressed GNU tar through
// ArchiveFile, and with `tar` piping into `gzip -6` (libarchive's default
// level), in the same run. Prints the ratio of the two wall-clock times.
#include "components/archive/archive_file.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>

#include <benchmark/benchmark.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <memory>

namespace {

const qint64 kSmallFiles = 1500;
const qint64 kLargeFiles = 4;
const qint64 kLargeSize = 25 * 1024 * 1024;

std::unique_ptr<QTemporaryDir> g_dir;
double g_oursSeconds = 0;
double g_tarSeconds = 0;

// Words drawn from a small vocabulary with a skewed random choice: about
// 3:1 under gzip, like project files and logs.
QByteArray makeData(qint64 size, quint64& state)
{
    static const char* const kWords[] = {
        "fixture", "universe", "channel", "timeline", "preset", "trigger", "colour", "intensity",
        "0", "1", "255", "128", "<group>", "</group>", "id=", "name=", "\n", " ", "\t", "scene",
        "controller", "dali", "sacn", "artnet", "cue", "fade", "=", ";", "{", "}", "matrix", "pixel"};
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
    const QString source = sourceFolder();
    const QString target = g_dir->filePath("ours.kv2");
    for (auto _ : state) {
        const auto start = std::chrono::steady_clock::now();
        QFile file(target);
        file.open(QIODevice::WriteOnly | QIODevice::Truncate);
        ArchiveFile archive;
        const bool ok = archive.open(ArchiveFile::WriteMode, &file, ArchiveFile::TarGzKind)
            && archive.addPath(source) && archive.close();
        file.close();
        if (!ok)
            state.SkipWithError(archive.errorString().toUtf8().constData());
        const double s = seconds(start);
        state.SetIterationTime(s);
        g_oursSeconds = g_oursSeconds == 0 ? s : std::min(g_oursSeconds, s);
    }
    state.counters["MB"] = QFileInfo(target).size() / 1e6;
}

void BM_TarCzf(benchmark::State& state)
{
    const QString source = sourceFolder();
    const QString target = g_dir->filePath("tar.tgz");
    const QByteArray command = QString("tar -I 'gzip -6' -cf '%1' -C '%2' project")
                                   .arg(target, QFileInfo(source).path())
                                   .toLocal8Bit();
    for (auto _ : state) {
        const auto start = std::chrono::steady_clock::now();
        if (std::system(command.constData()) != 0)
            state.SkipWithError("tar failed");
        const double s = seconds(start);
        state.SetIterationTime(s);
        g_tarSeconds = g_tarSeconds == 0 ? s : std::min(g_tarSeconds, s);
    }
    state.counters["MB"] = QFileInfo(target).size() / 1e6;
}

BENCHMARK(BM_ArchiveFilePack)->UseManualTime()->Unit(benchmark::kMillisecond)->Iterations(3);
BENCHMARK(BM_TarCzf)->UseManualTime()->Unit(benchmark::kMillisecond)->Iterations(3);

}  // namespace

int main(int argc, char** argv)
{
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    if (g_oursSeconds > 0 && g_tarSeconds > 0)
        std::printf("best ArchiveFile %.3f s, best tar -czf %.3f s, ratio %.2f (limit 1.30)\n", g_oursSeconds,
                    g_tarSeconds, g_oursSeconds / g_tarSeconds);
    g_dir.reset();
    return 0;
}
