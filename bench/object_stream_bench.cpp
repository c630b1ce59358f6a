// Writes and reads back 100,000 small objects (ten scalars, a string and a
// vector each) through the binary object stream on a buffer, beside a plain
// QDataStream doing the same with the same values, and reports MB/s.
#include "components/archive/binary_stream.h"
#include "components/archive/type_registry.h"

#include <QBuffer>
#include <QDataStream>

#include <benchmark/benchmark.h>

#include <vector>

namespace {

constexpr int kObjects = 100000;
constexpr quint32 kCode = 9500;

class Sample : public Archive::ObjectBase
{
public:
    qint32 a = -1;
    quint32 b = 2;
    qint16 c = -3;
    quint16 d = 4;
    qint8 e = -5;
    quint8 f = 6;
    qint64 g = -7;
    quint64 h = 8;
    double i = 9.5;
    float j = 10.25f;
    QString name = QStringLiteral("fixture 12");
    std::vector<quint32> values{1, 2, 3, 4};

    quint32 typeCode() const override { return kCode; }
    void read(InStream& in) override { in >> a >> b >> c >> d >> e >> f >> g >> h >> i >> j >> name >> values; }
    void write(OutStream& out) const override
    {
        out << a << b << c << d << e << f << g << h << i << j << name << values;
    }
};

void registerSample()
{
    static const bool done = [] {
        ObjectRegistry::registerCoreTypes();
        ObjectRegistry::registerType(ObjectRegistry::objectRecord<Sample>(kCode, QStringLiteral("Sample")));
        return true;
    }();
    (void)done;
}

QByteArray writeWithObjectStream(const Sample& sample)
{
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    BinaryOutStream out(157);
    out.setDevice(&buffer);
    for (int n = 0; n < kObjects; ++n)
        writeObjectPointer(out, &sample);
    out.close();
    return bytes;
}

// The same bytes through QDataStream alone: the section tag, the fields, the
// vector's tag and count.
QByteArray writeWithDataStream(const Sample& s)
{
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    QDataStream out(&buffer);
    out.setVersion(QDataStream::Qt_5_4);
    for (int n = 0; n < kObjects; ++n) {
        out << qint16(kCode) << s.a << s.b << s.c << s.d << s.e << s.f << s.g << s.h << s.i << s.j << s.name
            << qint16(6) << quint32(s.values.size());
        for (quint32 v : s.values)
            out << v;
    }
    return bytes;
}

void BM_ObjectStreamWrite(benchmark::State& state)
{
    registerSample();
    const Sample sample;
    if (writeWithObjectStream(sample) != writeWithDataStream(sample)) {
        state.SkipWithError("the two forms differ");
        return;
    }
    qint64 bytes = 0;
    for (auto _ : state)
        bytes += writeWithObjectStream(sample).size();
    state.SetBytesProcessed(bytes);
}

void BM_DataStreamWrite(benchmark::State& state)
{
    const Sample sample;
    qint64 bytes = 0;
    for (auto _ : state)
        bytes += writeWithDataStream(sample).size();
    state.SetBytesProcessed(bytes);
}

void BM_ObjectStreamRead(benchmark::State& state)
{
    registerSample();
    QByteArray data = writeWithObjectStream(Sample());
    Sample sample;
    for (auto _ : state) {
        QBuffer buffer(&data);
        buffer.open(QIODevice::ReadOnly);
        BinaryInStream in;
        in.setDevice(&buffer);
        for (int n = 0; n < kObjects; ++n)
            in >> sample;
        benchmark::DoNotOptimize(sample.a);
    }
    state.SetBytesProcessed(qint64(state.iterations()) * data.size());
}

// Through the registry: each object is made from its code.
void BM_ObjectStreamReadPolymorphic(benchmark::State& state)
{
    registerSample();
    QByteArray data = writeWithObjectStream(Sample());
    for (auto _ : state) {
        QBuffer buffer(&data);
        buffer.open(QIODevice::ReadOnly);
        BinaryInStream in;
        in.setDevice(&buffer);
        std::unique_ptr<Archive::ObjectBase> object;
        for (int n = 0; n < kObjects; ++n)
            readObjectPointer(in, object);
        benchmark::DoNotOptimize(object.get());
    }
    state.SetBytesProcessed(qint64(state.iterations()) * data.size());
}

void BM_DataStreamRead(benchmark::State& state)
{
    QByteArray data = writeWithDataStream(Sample());
    Sample s;
    for (auto _ : state) {
        QBuffer buffer(&data);
        buffer.open(QIODevice::ReadOnly);
        QDataStream in(&buffer);
        in.setVersion(QDataStream::Qt_5_4);
        for (int n = 0; n < kObjects; ++n) {
            qint16 tag, vectorTag;
            quint32 count;
            in >> tag >> s.a >> s.b >> s.c >> s.d >> s.e >> s.f >> s.g >> s.h >> s.i >> s.j >> s.name >> vectorTag
                >> count;
            s.values.clear();
            for (quint32 k = 0; k < count; ++k) {
                quint32 v;
                in >> v;
                s.values.push_back(v);
            }
        }
        benchmark::DoNotOptimize(s.a);
    }
    state.SetBytesProcessed(qint64(state.iterations()) * data.size());
}

} // namespace

BENCHMARK(BM_ObjectStreamWrite)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_DataStreamWrite)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_ObjectStreamRead)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_ObjectStreamReadPolymorphic)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_DataStreamRead)->Unit(benchmark::kMillisecond);

BENCHMARK_MAIN();
