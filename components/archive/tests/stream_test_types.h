// Test support shared by the archive tests: object classes that follow the
// idiom every class follows (a nested value block, containers, a version
// gate), a sample of every stream form, streams of either encoding, a fixture
// for golden stream bodies, and file helpers. One test thread.
#ifndef ARCHIVE_TESTS_STREAM_TEST_TYPES_H
#define ARCHIVE_TESTS_STREAM_TEST_TYPES_H

#include "components/archive/binary_stream.h"
#include "components/archive/object_base.h"
#include "components/archive/text_stream.h"
#include "components/archive/type_registry.h"

#include "seltrane_components/os/bit_vector.h"
#include "seltrane_components/os/date_time.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <functional>
#include <limits>
#include <list>
#include <map>
#include <memory>
#include <mutex>
#include <set>
#include <tuple>
#include <vector>

namespace StreamTest {

// A nested value: a block of its own code around its fields.
struct Point
{
    qint32 x = 0;
    qint32 y = 0;

    quint32 typeCode() const { return 9100; }
    void read(InStream& in) { in >> x >> y; }
    void write(OutStream& out) const { out << x << y; }
};

enum class Mode { Off, Steady = 3, Blink = 0x1F7 };

class Shape : public Archive::ObjectBase
{
public:
    QString name;
    quint8 flags = 0;
    Mode mode = Mode::Off;
    Point origin;
    std::vector<Point> points;
    std::map<qint32, QString> labels;

    quint32 typeCode() const override { return 9101; }
    void read(InStream& in) override
    {
        in >> name;
        if (in.version() >= 150)
            in >> flags;
        in >> asByte(mode) >> origin >> points >> labels;
    }
    void write(OutStream& out) const override { out << name << flags << asByte(mode) << origin << points << labels; }
    Shape* clone() const override { return new Shape(*this); }
};

// Registered under Shape's name with a higher code.
class ShapeVariant : public Shape
{
public:
    quint32 typeCode() const override { return 9102; }
    ShapeVariant* clone() const override { return new ShapeVariant(*this); }
};

// A value that holds values of its own type: the data decides the depth.
struct Node
{
    std::vector<Node> children;

    quint32 typeCode() const { return 9103; }
    void read(InStream& in) { in >> children; }
    void write(OutStream& out) const { out << children; }
};

inline void registerTestTypes()
{
    static std::once_flag once;
    std::call_once(once, [] {
        ObjectRegistry::registerCoreTypes();
        ObjectRegistry::registerType(ObjectRegistry::valueRecord<Point>(9100, QStringLiteral("Point")));
        ObjectRegistry::registerType(ObjectRegistry::objectRecord<ShapeVariant>(9102, QStringLiteral("Shape")));
        ObjectRegistry::registerType(ObjectRegistry::objectRecord<Shape>(9101, QStringLiteral("Shape")));
        ObjectRegistry::registerType(ObjectRegistry::valueRecord<Node>(9103, QStringLiteral("Node")));
    });
}

// A bit of every stream form: Qt values, scalars at their limits, containers,
// nested and recursive blocks, variants and object pointers.
struct Sample
{
    DateTime dateTime;
    BitVector bits {70};
    QStringList strings {QString(), QStringLiteral("\u03b1 <&> \u03b2"), QStringLiteral("line\nbreak")};
    QVariant variant;
    QSizeF sizeF {1.25, -1e-300};
    QSize size {-3, 4};
    QRect rect {-1, 2, 30, 40};
    QTime time {23, 59, 58, 7};
    QDate date {1999, 2, 28};
    std::array<QDateTime, 4> dateTimes = {QDateTime(QDate(2026, 12, 6), QTime(1, 2, 3), Qt::UTC),
                                          QDateTime(QDate(2026, 12, 6), QTime(1, 2, 3, 400), Qt::LocalTime),
                                          QDateTime(QDate(2026, 1, 6), QTime(1, 2, 3), Qt::OffsetFromUTC, -5400),
                                          QDateTime()};
    QUuid uuid = QUuid(QStringLiteral("{0a112233-4455-6677-8899-aabbccddeeff}"));
    QByteArray bytes = QByteArray("\0\x01<>%\xFF", 6);
    QPointF pointF {0.1, -2.5e10};
    QString text = QStringLiteral("&lt; stays &lt; and \"quotes\" 'too'");
    bool flag = true;
    std::array<double, 5> reals = {0.1, -0.0, 1e308, std::numeric_limits<double>::denorm_min(),
                                   std::numeric_limits<double>::infinity()};
    std::array<float, 4> floats = {0.1f, 3.4028235e38f, 1e-45f, -7.0f};
    quint8 u8 = 255;
    quint64 u64 = 0xFFFFFFFFFFFFFFFFull;
    qint8 i8 = -128;
    qint64 i64 = std::numeric_limits<qint64>::min();
    std::list<std::pair<qint32, QString>> pairs {{1, QStringLiteral("one")}};
    QHash<QString, QVector<quint16>> hash {{QStringLiteral("h"), {1, 2}}};
    QMap<quint32, std::set<qint64>> qmap {{5, {-1, 1}}, {6, {}}};
    std::array<ObjectTag, 2> tags {};
    QList<Point> qlist {{1, -1}};
    QSet<quint32> qset {4, 8};
    std::vector<bool> flags {true, false, true};
    std::unique_ptr<Shape> shape = std::make_unique<ShapeVariant>();  // a shared name
    std::unique_ptr<Archive::ObjectBase> none;
    Node tree;

    Sample()
    {
        dateTime.setByte(3, 0x05);
        bits.setBit(0);
        bits.setBit(69);
        tags[1].first = 1;
        const QVariant inner(QVariantList {QStringLiteral("inner"), 5});
        const QVariant map =
            QVariantMap {{QStringLiteral("k"),
                          QVariantList {1, QStringLiteral("two"), 3.5, QStringList {QStringLiteral("x")},
                                        QByteArray("yz"), dateTimes[0]}}};
        variant = QVariantList {map, QVariant(int(QMetaType::QVariant), &inner)};
        shape->name = QStringLiteral("shape");
        shape->mode = Mode::Blink;
        shape->points = {{1, 2}, {3, 4}};
        shape->labels = {{-1, QStringLiteral("l")}, {2, QString()}};
        tree.children.resize(2);
        tree.children[1].children.resize(1);
    }

    // The one field list, for writing and reading.
    template <class Self, class F>
    static void each(Self& v, F f)
    {
        f(v.dateTime, v.bits, v.strings, v.variant, v.sizeF, v.size, v.rect, v.time, v.date, v.dateTimes, v.uuid,
          v.bytes, v.pointF, v.text, v.flag, v.reals, v.floats, v.u8, v.u64, v.i8, v.i64, v.pairs, v.hash, v.qmap,
          v.tags, v.qlist, v.qset, v.flags, v.shape, v.none, v.tree);
    }
    void write(OutStream& out) const
    {
        each(*this, [&](const auto&... field) { (out << ... << field); });
    }
    void read(InStream& in)
    {
        each(*this, [&](auto&... field) { (in >> ... >> field); });
    }
};

inline QByteArray readFile(const QString& path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

// Writes bytes to path, making its folder first.
inline void writeFile(const QString& path, const QByteArray& bytes)
{
    QDir().mkpath(QFileInfo(path).path());
    QFile file(path);
    EXPECT_TRUE(file.open(QIODevice::WriteOnly | QIODevice::Truncate) && file.write(bytes) == bytes.size())
        << path.toStdString();
}

// A version-157 stream of the text or the binary encoding, opened on path.
template <class Stream, class... Args>
std::unique_ptr<Stream> opened(std::unique_ptr<Stream> stream, const QString& path, Args... args)
{
    stream->open(path, args...);
    return stream;
}

inline std::unique_ptr<OutStream> openWriter(const QString& path, bool text, const QByteArray* extra = nullptr)
{
    if (text)
        return opened(std::make_unique<TextOutStream>(157), path, extra);
    return opened(std::make_unique<BinaryOutStream>(157), path, extra);
}

inline std::unique_ptr<InStream> openReader(const QString& path, bool text, QByteArray* extra = nullptr)
{
    if (text)
        return opened(std::make_unique<TextInStream>(), path, quint16(157), extra);
    return opened(std::make_unique<BinaryInStream>(), path, quint16(157), extra);
}

// A reader of one T, for tables of hostile input.
template <class T>
std::function<void(InStream&)> reads()
{
    return [](InStream& in) {
        T value;
        in >> value;
    };
}

// The message of the std::exception that f throws, or "" when none.
template <class F>
std::string errorOf(F f)
{
    try {
        f();
    } catch (const std::exception& e) {
        return e.what();
    }
    return std::string();
}

// Fixture for one encoding: body() gives what a write puts between the
// file's fixed head and tail, read() reads a file of head, body and tail.
template <class Out, class In>
class EncodingTest : public ::testing::Test
{
protected:
    EncodingTest(const QByteArray& head, const QByteArray& tail) : m_head(head), m_tail(tail) {}
    void SetUp() override
    {
        ASSERT_TRUE(dir.isValid());
        registerTestTypes();
    }

    QString path(const char* name = "a") const { return dir.filePath(QLatin1String(name)); }

    QByteArray body(const std::function<void(OutStream&)>& write)
    {
        Out out(157);
        out.open(path());
        write(out);
        out.close();
        const QByteArray bytes = readFile(path());
        EXPECT_TRUE(bytes.startsWith(m_head) && bytes.endsWith(m_tail)) << bytes.toHex().constData();
        return bytes.mid(m_head.size(), bytes.size() - m_head.size() - m_tail.size());
    }

    void read(const QByteArray& bodyBytes, const std::function<void(InStream&)>& reader)
    {
        writeFile(path(), m_head + bodyBytes + m_tail);
        In in;
        in.open(path(), 157);
        reader(in);
    }

    // Rows of a body, what reads it and the error that stops it ("" for none).
    using Rows = std::vector<std::tuple<QByteArray, std::function<void(InStream&)>, std::string>>;
    void expectErrors(const Rows& rows)
    {
        for (const auto& row : rows) {
            read(std::get<0>(row), [&](InStream& in) {
                EXPECT_EQ(errorOf([&] { std::get<1>(row)(in); }), std::get<2>(row))
                    << std::get<0>(row).toHex().left(40).constData();
            });
        }
    }

    QTemporaryDir dir;

private:
    QByteArray m_head;
    QByteArray m_tail;
};

}  // namespace StreamTest

#endif  // ARCHIVE_TESTS_STREAM_TEST_TYPES_H
