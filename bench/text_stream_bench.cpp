// Writes and reads back 100,000 objects of varied content (bench_objects.h)
// through the text object stream on a real file, each in turns with a
// reference doing the same work by hand: QTextStream writing the same bytes
// (checked byte for byte first) with nothing else, and a line parser that
// reads the same file through QTextStream, checks every element name,
// converts every value and creates the same objects. The counters
// "vs_qtextstream" and "vs_line_parser" are the ratios.
#include "bench_objects.h"
#include "side_by_side.h"

#include "components/archive/text_stream.h"

#include <QFile>
#include <QLocale>
#include <QTemporaryDir>
#include <QTextStream>

#include <benchmark/benchmark.h>

#include <vector>

namespace {

constexpr int kObjects = 100000;
constexpr quint16 kVersion = 157;

const std::vector<Bench::Sample>& samples() { return Bench::samples(kObjects); }

QTemporaryDir& folder()
{
    static QTemporaryDir dir;
    return dir;
}

QByteArray readAllOf(const QString& path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

void writeWithTextStream(const QString& path)
{
    TextOutStream out(kVersion);
    out.open(path);
    for (const Bench::Sample& s : samples())
        writeObjectPointer(out, &s);
    out.close();
}

QString number(double value) { return QString::number(value, 'g', QLocale::FloatingPointShortest); }

// The fewest significant digits that read back as the same float.
QString floatNumber(float value)
{
    for (int precision = 1; precision < 9; ++precision) {
        const QString text = QString::number(double(value), 'g', precision);
        if (float(text.toDouble()) == value)
            return text;
    }
    return QString::number(double(value), 'g', 9);
}

QString escaped(QString text)
{
    return text.replace('&', "&amp")
        .replace('<', "&lt")
        .replace('>', "&gt")
        .replace('"', "&quot")
        .replace('\'', "&apos");
}

// The same bytes by hand.
void writeWithQTextStream(const QString& path)
{
    QFile file(path);
    file.open(QIODevice::WriteOnly | QIODevice::Truncate);
    QTextStream out(&file);
    out.setCodec("UTF-8");
    out << "<?xml version=\"1.0\" encoding=\"UTF-16\" standalone=\"yes\" ?>\n\n<StreamData version=\"\">\n"
        << "<ArchiveStream version=\"" << QString::number(kVersion) << "\">\n";
    const auto element = [&](const char* name, const QString& value) {
        out << "        <" << name << '>' << value << "</" << name << ">\n";
    };
    for (const Bench::Sample& s : samples()) {
        out << "    <Sample>\n";
        element("int32", QString::number(s.a));
        element("uint32", QString::number(s.b));
        element("int16", QString::number(s.c));
        element("uint16", QString::number(s.d));
        element("int8", QString::number(s.e));
        element("uint8", QString::number(s.f));
        element("int64", QString::number(s.g));
        element("uint64", QString::number(s.h));
        element("double", number(s.i));
        element("float", floatNumber(s.j));
        element("string", escaped(s.name));
        element("QPointF", number(s.position.x()) + ',' + number(s.position.y()));
        out << "        <vector>\n";
        out << "            <uint32>" << QString::number(s.values.size()) << "</uint32>\n";
        for (quint32 v : s.values)
            out << "            <uint32>" << QString::number(v) << "</uint32>\n";
        out << "        </vector>\n";
        out << "    </Sample>\n";
    }
    out << "</ArchiveStream>\n";
    out.flush();
    file.close();
}

const QString& textFile()
{
    static const QString path = [] {
        const QString p = folder().filePath("objects.tarvt");
        writeWithTextStream(p);
        return p;
    }();
    return path;
}

void readWithTextStream(const QString& path)
{
    TextInStream in;
    in.open(path, kVersion);
    std::vector<std::unique_ptr<Archive::ObjectBase>> objects(kObjects);
    for (auto& object : objects)
        readObjectPointer(in, object);
    benchmark::DoNotOptimize(objects.back().get());
}

// One "<name>value</name>" line: the name checked, the value returned.
QStringRef valueOf(const QString& line, const QString& name)
{
    const int open = line.indexOf('<');
    const int close = line.indexOf('>', open);
    const int end = line.indexOf("</", close);
    if (open < 0 || close < 0 || end < 0 || line.midRef(open + 1, close - open - 1) != name)
        throw std::runtime_error("bad element");
    return line.midRef(close + 1, end - close - 1);
}

void expectLine(QTextStream& in, QString& line, const char* text)
{
    if (!in.readLineInto(&line) || line.trimmed() != QLatin1String(text))
        throw std::runtime_error("bad line");
}

void readWithLineParser(const QString& path)
{
    static const QString kNames[] = {"int32",  "uint32", "int16", "uint16", "int8",    "uint8", "int64",
                                     "uint64", "double", "float", "string", "QPointF", "uint32"};
    QFile file(path);
    file.open(QIODevice::ReadOnly);
    QTextStream in(&file);
    in.setCodec("UTF-8");
    QString line;
    for (int i = 0; i < 4; ++i)
        in.readLineInto(&line);
    std::vector<Archive::ObjectPtr> objects(kObjects);
    bool ok = true;
    for (auto& object : objects) {
        expectLine(in, line, "<Sample>");
        Bench::Sample* s = new Bench::Sample;
        object = Archive::ObjectPtr(s);
        const auto next = [&](int field) {
            in.readLineInto(&line);
            return valueOf(line, kNames[field]);
        };
        s->a = next(0).toInt(&ok);
        s->b = next(1).toUInt(&ok);
        s->c = qint16(next(2).toInt(&ok));
        s->d = quint16(next(3).toUInt(&ok));
        s->e = qint8(next(4).toInt(&ok));
        s->f = quint8(next(5).toUInt(&ok));
        s->g = next(6).toLongLong(&ok);
        s->h = next(7).toULongLong(&ok);
        s->i = next(8).toDouble(&ok);
        s->j = float(next(9).toDouble(&ok));
        s->name = next(10)
                      .toString()
                      .replace("&lt", "<")
                      .replace("&gt", ">")
                      .replace("&quot", "\"")
                      .replace("&apos", "'")
                      .replace("&amp", "&");
        const QVector<QStringRef> parts = next(11).split(',');
        if (parts.size() != 2)
            throw std::runtime_error("bad point");
        s->position = QPointF(parts[0].toDouble(&ok), parts[1].toDouble(&ok));
        expectLine(in, line, "<vector>");
        const quint32 count = next(12).toUInt(&ok);
        s->values.reserve(count);
        for (quint32 k = 0; k < count; ++k)
            s->values.push_back(next(12).toUInt(&ok));
        expectLine(in, line, "</vector>");
        expectLine(in, line, "</Sample>");
    }
    benchmark::DoNotOptimize(objects.back().get());
}

void BM_TextStreamWrite(benchmark::State& state)
{
    const QString path = folder().filePath("ours.tarvt");
    const QString reference = folder().filePath("reference.tarvt");
    writeWithQTextStream(reference);
    if (readAllOf(reference) != readAllOf(textFile())) {
        state.SkipWithError("the reference writes other bytes");
        return;
    }
    Bench::sideBySide(
        state, "qtextstream", [&] { writeWithTextStream(path); }, [&] { writeWithQTextStream(reference); });
    state.SetBytesProcessed(qint64(state.iterations()) * QFile(path).size());
}

void BM_TextStreamRead(benchmark::State& state)
{
    const QString& path = textFile();
    Bench::sideBySide(
        state, "line_parser", [&] { readWithTextStream(path); }, [&] { readWithLineParser(path); });
    state.SetBytesProcessed(qint64(state.iterations()) * QFile(path).size());
}

}  // namespace

BENCHMARK(BM_TextStreamWrite)->UseManualTime()->Unit(benchmark::kMillisecond);
BENCHMARK(BM_TextStreamRead)->UseManualTime()->Unit(benchmark::kMillisecond);

// BENCH_KEEP_TEXT=<path> keeps a copy of the text written, to compare the
// bytes of two builds.
int main(int argc, char** argv)
{
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    const QString keep = qEnvironmentVariable("BENCH_KEEP_TEXT");
    if (!keep.isEmpty()) {
        QFile::remove(keep);
        QFile::copy(textFile(), keep);
    }
    return 0;
}
