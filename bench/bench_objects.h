// Objects of varied content shared by the stream and database benchmarks, and
// the plain-QDataStream reference reader of one: the same reads, checks and
// allocations as the object stream, without it.
#ifndef BENCH_BENCH_OBJECTS_H
#define BENCH_BENCH_OBJECTS_H

#include "components/archive/in_stream.h"
#include "components/archive/out_stream.h"
#include "components/archive/type_registry.h"

#include <QDataStream>
#include <QFile>
#include <QIODevice>
#include <QPointF>
#include <QString>

#include <vector>

namespace Bench {

constexpr quint32 kSampleCode = 9500;
constexpr qint16 kVectorCode = 6;

class Sample : public Archive::ObjectBase
{
public:
    qint32 a = 0;
    quint32 b = 0;
    qint16 c = 0;
    quint16 d = 0;
    qint8 e = 0;
    quint8 f = 0;
    qint64 g = 0;
    quint64 h = 0;
    double i = 0;
    float j = 0;
    QString name;
    QPointF position;
    std::vector<quint32> values;

    quint32 typeCode() const override { return kSampleCode; }
    Archive::ObjectBase* clone() const override { return new Sample(*this); }
    void read(InStream& in) override
    {
        in >> a >> b >> c >> d >> e >> f >> g >> h >> i >> j >> name >> position >> values;
    }
    void write(OutStream& out) const override
    {
        out << a << b << c << d << e << f << g << h << i << j << name << position << values;
    }
};

inline void registerSample()
{
    static const bool done = [] {
        ObjectRegistry::registerCoreTypes();
        ObjectRegistry::registerType(ObjectRegistry::objectRecord<Sample>(kSampleCode, QStringLiteral("Sample")));
        return true;
    }();
    (void)done;
}

// Object n of a run: names of 0 to 60 characters, 0 to 11 values.
inline Sample makeSample(int n)
{
    static const QString kNames[] = {QString(), QStringLiteral("fixture"), QStringLiteral("wash 12"),
                                     QStringLiteral("stage left, upper truss, pixel bar 7"),
                                     QStringLiteral("façade – lower ring, segment 0042, DALI group 15, scene 3")};
    Sample s;
    s.a = n * 31 - 7;
    s.b = quint32(n) * 2654435761u;
    s.c = qint16(n % 3000 - 1500);
    s.d = quint16(n * 7);
    s.e = qint8(n % 200 - 100);
    s.f = quint8(n);
    s.g = qint64(n) * -1000003;
    s.h = quint64(n) << 20;
    s.i = n / 7.0;
    s.j = float(n % 1000) / 4.0f;
    s.name = kNames[n % 5] + (n % 3 ? QString::number(n) : QString());
    s.position = QPointF(n % 640, n / 640.0);
    for (int k = 0; k < (n * 13) % 12; ++k)
        s.values.push_back(quint32(n + k * 977));
    return s;
}

// The objects 0 to count - 1, made once.
inline const std::vector<Sample>& samples(int count)
{
    static const std::vector<Sample> all = [count] {
        registerSample();
        std::vector<Sample> v;
        for (int n = 0; n < count; ++n)
            v.push_back(makeSample(n));
        return v;
    }();
    return all;
}

// A binary stream file opened by hand: QDataStream version 16, then the
// magic, version and extra bytes read; false when they are not there.
inline bool openReference(QFile& file, QDataStream& in)
{
    if (!file.open(QIODevice::ReadOnly))
        return false;
    in.setDevice(&file);
    in.setVersion(QDataStream::Qt_5_4);
    qint64 magic = 0;
    qint16 version = 0;
    QByteArray extra;
    in >> magic >> version >> extra;
    return magic == 0x5C5CFF335C5C33FFLL && in.status() == QDataStream::Ok;
}

// What the object stream does for one Sample, by hand: the section code
// peeked and checked, a new object, its fields, the vector's code and
// count checked against the bytes left of the size taken once, room
// reserved, every element read and the status checked.
inline Archive::ObjectPtr readSampleReference(QDataStream& in, QIODevice& device, qint64 size)
{
    char tag[2];
    if (device.peek(tag, 2) != 2 || ((uchar(tag[0]) << 8) | uchar(tag[1])) != kSampleCode)
        throw std::runtime_error("bad section");
    qint16 code = 0;
    in >> code;
    Sample* sample = new Sample;
    Archive::ObjectPtr object(sample);
    Sample& s = *sample;
    // A float goes as a double, as in the object stream.
    in >> s.a >> s.b >> s.c >> s.d >> s.e >> s.f >> s.g >> s.h >> s.i >> s.j >> s.name >> s.position;
    qint16 vectorCode = 0;
    quint32 count = 0;
    in >> vectorCode >> count;
    if (in.status() != QDataStream::Ok || vectorCode != kVectorCode || count > size - device.pos())
        throw std::runtime_error("bad vector");
    s.values.reserve(count);
    for (quint32 k = 0; k < count; ++k) {
        quint32 v = 0;
        in >> v;
        if (in.status() != QDataStream::Ok)
            throw std::runtime_error("short");
        s.values.push_back(v);
    }
    return object;
}

}  // namespace Bench

#endif  // BENCH_BENCH_OBJECTS_H
