// Reads a version-1 show stream of 100,000 records of varied content (markers,
// an id, a name, a u32 vector, a u16 set, a flag and a u32 pair) from a real
// file through ShowStreamer, beside a plain QDataStream pass over the same
// fields on a QFile that makes the same checks (every value's status, the
// markers, each count against the bytes left) and the same allocations.
#include "components/quilshow/show/show_streamer.h"

#include <QDataStream>
#include <QFile>
#include <QTemporaryDir>
#include <QtEndian>

#include <benchmark/benchmark.h>

#include <set>
#include <string>
#include <vector>

namespace {

constexpr int kRecords = 100000;
constexpr quint16 kVersion = 454;
constexpr quint16 kBegin = 0x010C;
constexpr quint16 kEnd = 0x010D;

struct Record
{
    quint32 id = 0;
    std::string name;
    std::vector<quint32> values;
    std::set<quint16> members;
    bool flag = false;
    std::pair<quint32, quint32> pair;
};

class ShowFile
{
public:
    ShowFile()
    {
        QByteArray data;
        const auto put = [&data](auto value) {
            char bytes[sizeof value];
            qToLittleEndian(value, bytes);
            data.append(bytes, sizeof bytes);
        };
        put(quint16(0xFF33));
        put(quint32(0x8484));
        put(quint16(0xFF33));
        put(kVersion);
        for (quint32 n = 0; n < kRecords; ++n) {
            put(kBegin);
            put(n * 7919);
            const QByteArray name = QByteArray("fixture ").append(QByteArray::number(n)).repeated(1 + n % 4);
            put(quint32(name.size()));
            data.append(name);
            put(quint32(n % 16));
            for (quint32 k = 0; k < n % 16; ++k)
                put(n + k * 31);
            put(quint32(n % 8));
            for (quint32 k = 0; k < n % 8; ++k)
                put(quint16(n * 3 + k));
            put(quint8(n & 1));
            put(n);
            put(~n);
            put(kEnd);
        }
        m_path = m_dir.filePath(QStringLiteral("show.kvq"));
        QFile file(m_path);
        if (!file.open(QIODevice::WriteOnly) || file.write(data) != data.size())
            m_path.clear();
        m_size = data.size();
    }

    QString path() const { return m_path; }
    qint64 size() const { return m_size; }

private:
    QTemporaryDir m_dir;
    QString m_path;
    qint64 m_size = 0;
};

const ShowFile& showFile()
{
    static const ShowFile file;
    return file;
}

void BM_ShowStreamerRead(benchmark::State& state)
{
    const std::string path = QFile::encodeName(showFile().path()).toStdString();
    Record r;
    for (auto _ : state) {
        Quil::ShowStreamer in(0x8484);
        if (!in.open(path, Quil::ShowStreamer::BINARY_IN) || in.readVersion() != kVersion) {
            state.SkipWithError("cannot open the show");
            return;
        }
        for (int n = 0; n < kRecords; ++n) {
            in.expectMarker(kBegin);
            in.readU32(r.id).readString(r.name).readU32Vector(r.values);
            r.members.clear();
            in.readU16Set(r.members).readBool(r.flag).readU32Pair(r.pair);
            in.expectMarker(kEnd);
        }
        benchmark::DoNotOptimize(r.id);
    }
    state.SetBytesProcessed(qint64(state.iterations()) * showFile().size());
}

// The reference: the same reads through QDataStream, with the same checks.
class CheckedDataStream
{
public:
    explicit CheckedDataStream(QFile& file) : m_file(file), m_stream(&file), m_size(file.size())
    {
        m_stream.setByteOrder(QDataStream::LittleEndian);
    }

    template <typename T>
    T read()
    {
        T value;
        m_stream >> value;
        check();
        return value;
    }
    void check()
    {
        if (m_stream.status() != QDataStream::Ok)
            throw std::runtime_error("Error reading/writing from file");
    }
    quint32 count(quint64 elementSize)
    {
        const quint32 n = read<quint32>();
        if (n * elementSize > quint64(m_size - m_file.pos()))
            throw std::runtime_error("Error reading/writing from file");
        return n;
    }
    void marker(quint16 expected)
    {
        if (read<quint16>() != expected)
            throw std::runtime_error("Magic number doesn't match");
    }
    QDataStream& stream() { return m_stream; }

private:
    QFile& m_file;
    QDataStream m_stream;
    qint64 m_size;
};

void BM_DataStreamRead(benchmark::State& state)
{
    Record r;
    for (auto _ : state) {
        QFile file(showFile().path());
        if (!file.open(QIODevice::ReadOnly)) {
            state.SkipWithError("cannot open the show");
            return;
        }
        CheckedDataStream in(file);
        if (in.read<quint16>() != 0xFF33 || in.read<quint32>() != 0x8484 || in.read<quint16>() != 0xFF33
            || in.read<quint16>() != kVersion) {
            state.SkipWithError("bad header");
            return;
        }
        for (int n = 0; n < kRecords; ++n) {
            in.marker(kBegin);
            r.id = in.read<quint32>();
            r.name.resize(in.count(1));
            if (!r.name.empty())
                in.stream().readRawData(&r.name[0], int(r.name.size()));
            in.check();
            r.values.resize(in.count(4));
            for (quint32& value : r.values)
                value = in.read<quint32>();
            r.members.clear();
            for (quint32 k = in.count(2); k > 0; --k)
                r.members.insert(in.read<quint16>());
            r.flag = in.read<quint8>() != 0;
            r.pair.first = in.read<quint32>();
            r.pair.second = in.read<quint32>();
            in.marker(kEnd);
        }
        benchmark::DoNotOptimize(r.id);
    }
    state.SetBytesProcessed(qint64(state.iterations()) * showFile().size());
}

}  // namespace

BENCHMARK(BM_ShowStreamerRead)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_DataStreamRead)->Unit(benchmark::kMillisecond);

BENCHMARK_MAIN();
