// Writes and reads back 100,000 objects of varied content (scalars, a string
// of 0 to 60 characters, a point, 0 to 11 values) through the binary object
// stream, on a QBuffer and on a real file, beside a plain QDataStream doing
// the same reads, checks and allocations (Bench::readSampleReference).
// Reading goes through the registry: each object is made from its code.
#include "bench_objects.h"

#include "components/archive/binary_stream.h"

#include <QBuffer>
#include <QDataStream>
#include <QFile>
#include <QTemporaryDir>

#include <benchmark/benchmark.h>

#include <vector>

namespace {

constexpr int kObjects = 100000;
constexpr quint16 kVersion = 157;

const std::vector<Bench::Sample>& samples() { return Bench::samples(kObjects); }

QByteArray writeWithObjectStream()
{
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    BinaryOutStream out(kVersion);
    out.setDevice(&buffer);
    for (const Bench::Sample& s : samples())
        writeObjectPointer(out, &s);
    out.close();
    return bytes;
}

// The same bytes through QDataStream alone.
QByteArray writeWithDataStream()
{
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    QDataStream out(&buffer);
    out.setVersion(QDataStream::Qt_5_4);
    for (const Bench::Sample& s : samples()) {
        out << qint16(Bench::kSampleCode) << s.a << s.b << s.c << s.d << s.e << s.f << s.g << s.h << s.i << s.j
            << s.name << s.position << Bench::kVectorCode << quint32(s.values.size());
        for (quint32 v : s.values)
            out << v;
    }
    return bytes;
}

const QString& dataFile()
{
    static QTemporaryDir dir;
    static const QString path = [] {
        const QString p = dir.filePath("objects.tarv");
        BinaryOutStream out(kVersion);
        out.open(p);
        for (const Bench::Sample& s : samples())
            writeObjectPointer(out, &s);
        out.close();
        return p;
    }();
    return path;
}

void BM_ObjectStreamWrite(benchmark::State& state)
{
    if (writeWithObjectStream() != writeWithDataStream()) {
        state.SkipWithError("the two forms differ");
        return;
    }
    qint64 bytes = 0;
    for (auto _ : state)
        bytes += writeWithObjectStream().size();
    state.SetBytesProcessed(bytes);
}

void BM_DataStreamWrite(benchmark::State& state)
{
    qint64 bytes = 0;
    for (auto _ : state)
        bytes += writeWithDataStream().size();
    state.SetBytesProcessed(bytes);
}

void readAll(InStream& in)
{
    std::vector<std::unique_ptr<Archive::ObjectBase>> objects(kObjects);
    for (auto& object : objects)
        readObjectPointer(in, object);
    benchmark::DoNotOptimize(objects.back().get());
}

void referenceReadAll(QDataStream& in, QIODevice& device)
{
    const qint64 size = device.size();
    std::vector<Archive::ObjectPtr> objects(kObjects);
    for (auto& object : objects)
        object = Bench::readSampleReference(in, device, size);
    benchmark::DoNotOptimize(objects.back().get());
}

void BM_ObjectStreamReadBuffer(benchmark::State& state)
{
    QByteArray data = writeWithObjectStream();
    for (auto _ : state) {
        QBuffer buffer(&data);
        buffer.open(QIODevice::ReadOnly);
        BinaryInStream in;
        in.setDevice(&buffer);
        readAll(in);
    }
    state.SetBytesProcessed(qint64(state.iterations()) * data.size());
}

void BM_DataStreamReadBuffer(benchmark::State& state)
{
    QByteArray data = writeWithDataStream();
    for (auto _ : state) {
        QBuffer buffer(&data);
        buffer.open(QIODevice::ReadOnly);
        QDataStream in(&buffer);
        in.setVersion(QDataStream::Qt_5_4);
        referenceReadAll(in, buffer);
    }
    state.SetBytesProcessed(qint64(state.iterations()) * data.size());
}

void BM_ObjectStreamReadFile(benchmark::State& state)
{
    const QString& path = dataFile();
    for (auto _ : state) {
        BinaryInStream in;
        in.open(path, kVersion);
        readAll(in);
    }
    state.SetBytesProcessed(qint64(state.iterations()) * QFile(path).size());
}

void BM_DataStreamReadFile(benchmark::State& state)
{
    const QString& path = dataFile();
    for (auto _ : state) {
        QFile file(path);
        QDataStream in;
        if (!Bench::openReference(file, in))
            state.SkipWithError("bad header");
        referenceReadAll(in, file);
    }
    state.SetBytesProcessed(qint64(state.iterations()) * QFile(path).size());
}

}  // namespace

BENCHMARK(BM_ObjectStreamWrite)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_DataStreamWrite)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_ObjectStreamReadBuffer)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_DataStreamReadBuffer)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_ObjectStreamReadFile)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_DataStreamReadFile)->Unit(benchmark::kMillisecond);

BENCHMARK_MAIN();
