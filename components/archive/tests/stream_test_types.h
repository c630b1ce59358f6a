// Test types for the object stream tests: the idiom every class follows (a
// nested value block, containers, a version gate), and file helpers.
#pragma once

#include "components/archive/in_stream.h"
#include "components/archive/object_base.h"
#include "components/archive/out_stream.h"
#include "components/archive/type_registry.h"

#include <QFile>

#include <map>
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

inline void writeFile(const QString& path, const QByteArray& bytes)
{
    QFile file(path);
    if (file.open(QIODevice::WriteOnly | QIODevice::Truncate))
        file.write(bytes);
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

} // namespace StreamTest
