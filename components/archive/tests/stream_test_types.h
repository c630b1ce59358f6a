// Test support shared by the archive tests: object classes that follow the
// idiom every class follows (a nested value block, containers, a version
// gate), streams of either encoding, a fixture for golden stream bodies, and
// file helpers. One test thread.
#pragma once

#include "components/archive/binary_stream.h"
#include "components/archive/object_base.h"
#include "components/archive/text_stream.h"
#include "components/archive/type_registry.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <functional>
#include <map>
#include <memory>
#include <mutex>
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
    friend bool operator==(const Point& a, const Point& b) { return a.x == b.x && a.y == b.y; }
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
    void write(OutStream& out) const override
    {
        out << name << flags << asByte(mode) << origin << points << labels;
    }
    Shape* clone() const override { return new Shape(*this); }

    bool sameAs(const Shape& o) const
    {
        return name == o.name && flags == o.flags && mode == o.mode && origin == o.origin
            && points == o.points && labels == o.labels;
    }
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
inline std::unique_ptr<OutStream> openWriter(const QString& path, bool text, const QByteArray* extra = nullptr)
{
    if (text) {
        auto out = std::make_unique<TextOutStream>(157);
        out->open(path, extra);
        return out;
    }
    auto out = std::make_unique<BinaryOutStream>(157);
    out->open(path, extra);
    return out;
}

inline std::unique_ptr<InStream> openReader(const QString& path, bool text, QByteArray* extra = nullptr)
{
    if (text) {
        auto in = std::make_unique<TextInStream>();
        in->open(path, 157, extra);
        return in;
    }
    auto in = std::make_unique<BinaryInStream>();
    in->open(path, 157, extra);
    return in;
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
    EncodingTest(const QByteArray& head, const QByteArray& tail) : head_(head), tail_(tail) {}
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
        EXPECT_TRUE(bytes.startsWith(head_) && bytes.endsWith(tail_)) << bytes.toHex().constData();
        return bytes.mid(head_.size(), bytes.size() - head_.size() - tail_.size());
    }

    void read(const QByteArray& bodyBytes, const std::function<void(InStream&)>& reader)
    {
        writeFile(path(), head_ + bodyBytes + tail_);
        In in;
        in.open(path(), 157);
        reader(in);
    }

    QTemporaryDir dir;

private:
    QByteArray head_;
    QByteArray tail_;
};

} // namespace StreamTest
