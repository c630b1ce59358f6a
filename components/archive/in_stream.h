// InStream: the abstract object stream that every version-2 object, value and
// database file is read through; BinaryInStream and TextInStream implement it.
//
// A class reads and writes through its one field list (fields.h), which
// states each field once with its version gates:
//     f(s.name)(s.flags).since(62, s.extra);
// and hands it a FieldReader over this stream. Scalars and Qt value types are virtual operators; containers, nested
// value blocks (any type with read(InStream&), write(OutStream&) const and typeCode()), enums stored as one byte
// (asByte) and owned object pointers are templates below, written once for both encodings.
//
// Failures throw: std::runtime_error with the stream's fixed texts,
// version_exception when opening newer data, and the registry's errors. Counts
// read from the stream are checked against the data remaining before anything
// is allocated. One thread uses a stream at a time.
#ifndef ARCHIVE_IN_STREAM_H
#define ARCHIVE_IN_STREAM_H

#include "components/archive/object_base.h"
#include "components/archive/stream_codes.h"
#include "components/archive/stream_traits.h"

#include <QDate>
#include <QDateTime>
#include <QHash>
#include <QList>
#include <QMap>
#include <QPoint>
#include <QPointF>
#include <QRect>
#include <QSet>
#include <QSize>
#include <QSizeF>
#include <QString>
#include <QStringList>
#include <QTime>
#include <QUuid>
#include <QVariant>
#include <QVector>

#include <algorithm>
#include <array>
#include <list>
#include <map>
#include <memory>
#include <set>
#include <stdexcept>
#include <type_traits>
#include <utility>
#include <vector>

class BitVector;
class DateTime;
class QFile;

// Data newer than the program can read.
class version_exception : public std::runtime_error
{
public:
    version_exception(quint16 supported, quint16 found)
        : std::runtime_error("File version too new"), m_supported(supported), m_found(found)
    {}
    quint16 supported() const { return m_supported; }
    quint16 found() const { return m_found; }

private:
    quint16 m_supported;
    quint16 m_found;
};

class InStream
{
public:
    InStream();
    virtual ~InStream();
    InStream(const InStream&) = delete;
    InStream& operator=(const InStream&) = delete;

    // The format version of the data being read; 0xFFFF until a file is opened.
    quint16 version() const { return m_version; }
    void setVersion(quint16 version) { m_version = version; }

    // Facts the owner of the stream passes down to the object readers: while
    // a database array is read, the id of the object being read and the id of
    // its array.
    enum ContextSlot : int { ObjectIdContext = 0, ArrayIdContext = 1 };
    void setContextValue(int index, const QVariant& value);
    QVariant contextValue(int index) const;

    virtual bool isOpen() const = 0;

    InStream& operator>>(DateTime& value);
    InStream& operator>>(BitVector& value);
    virtual InStream& operator>>(QStringList& value) = 0;
    virtual InStream& operator>>(QVariant& value) = 0;
    virtual InStream& operator>>(QSizeF& value) = 0;
    virtual InStream& operator>>(QSize& value) = 0;
    virtual InStream& operator>>(QRect& value) = 0;
    virtual InStream& operator>>(QTime& value) = 0;
    virtual InStream& operator>>(QDate& value) = 0;
    virtual InStream& operator>>(QDateTime& value) = 0;
    virtual InStream& operator>>(QUuid& value) = 0;
    virtual InStream& operator>>(QByteArray& value) = 0;
    virtual InStream& operator>>(QPointF& value) = 0;
    virtual InStream& operator>>(QPoint& value) = 0;
    virtual InStream& operator>>(QString& value) = 0;
    virtual InStream& operator>>(bool& value) = 0;
    virtual InStream& operator>>(double& value) = 0;
    virtual InStream& operator>>(float& value) = 0;
    virtual InStream& operator>>(quint8& value) = 0;
    virtual InStream& operator>>(quint16& value) = 0;
    virtual InStream& operator>>(quint32& value) = 0;
    virtual InStream& operator>>(quint64& value) = 0;
    virtual InStream& operator>>(qint8& value) = 0;
    virtual InStream& operator>>(qint16& value) = 0;
    virtual InStream& operator>>(qint32& value) = 0;
    virtual InStream& operator>>(qint64& value) = 0;

    // Fails with "Tag mismatch when trying to read opening tag %1" unless the
    // next section carries the code.
    virtual void beginSection(quint32 code) = 0;
    virtual void endSection(quint32 code) = 0;
    // Reads exactly length untagged bytes (the caller knows the length).
    virtual int readRaw(char* data, int length) = 0;
    // The code of the next section, which stays unread.
    virtual quint16 peekSection() = 0;

    // Throws "Error reading from file" once the data has run out or is bad.
    virtual void checkStatus() = 0;
    // Upper bound of the bytes still unread.
    virtual qint64 bytesRemaining() const = 0;

    // An element count: every element takes at least one byte, so a count
    // above the bytes remaining is refused before anything is allocated.
    quint32 readCount();
    // The same check for a count read in another form: throws "Error reading
    // from file, count %1 exceeds the data remaining".
    void checkCount(quint64 count) const;
    // A count whose list also has a limit of its own: one above `limit` throws
    // "Error reading from file, count %1 is above the limit %2" before the
    // data remaining is weighed.
    void checkCount(quint64 count, quint64 limit) const;

    // Held while a nested block or object is read: a type that contains
    // itself must not let the data drive the recursion past the stack.
    class NestingGuard
    {
    public:
        explicit NestingGuard(InStream& in);
        ~NestingGuard() { --m_in.m_nesting; }
        NestingGuard(const NestingGuard&) = delete;
        NestingGuard& operator=(const NestingGuard&) = delete;

    private:
        InStream& m_in;
    };

protected:
    // The shared steps of opening a file: it is opened read-only, failing with
    // "Unable to open file" (", file doesn't exist" when it is missing) ...
    static void openFile(QFile& file, const QString& path);
    // ... and the version its header names is taken, throwing
    // version_exception when it is newer than supported.
    void acceptVersion(quint16 found, quint16 supported);
    [[noreturn]] static void tagMismatch(quint32 expected);

private:
    static constexpr int kMaxNesting = 512;

    int m_nesting = 0;
    quint16 m_version = 0xFFFF;
    QVector<QVariant> m_context;
};

template <class E>
InStream& operator>>(InStream& in, ByteEnum<E> e)
{
    static_assert(!std::is_const<E>::value, "cannot read into a constant");
    quint8 byte = 0;
    in >> byte;
    e.value = static_cast<E>(byte);
    return in;
}

// Reads one polymorphic object: an empty section of code 18 gives null;
// any other code must be a registered object class ("Bad registry lookup, id
// %1" otherwise), whose new instance replaces what the pointer held.
void readObjectPointer(InStream& in, std::unique_ptr<Archive::ObjectBase>& target);
// Throws "Bad registry lookup, id %1": no object of a fitting class has the code.
[[noreturn]] void badObjectLookup(quint32 code);

template <class T>
void readObjectPointer(InStream& in, std::unique_ptr<T>& target)
{
    std::unique_ptr<Archive::ObjectBase> object;
    const quint16 code = in.peekSection();
    readObjectPointer(in, object);
    if (object && !dynamic_cast<T*>(object.get()))
        badObjectLookup(code);
    target.reset(static_cast<T*>(object.release()));
}

template <class T, std::enable_if_t<std::is_base_of<Archive::ObjectBase, T>::value, int> = 0>
InStream& operator>>(InStream& in, std::unique_ptr<T>& target)
{
    readObjectPointer(in, target);
    return in;
}

namespace StreamDetail {

template <class C, class = void>
struct HasReserve : std::false_type
{};
template <class C>
struct HasReserve<C, std::void_t<typename C::value_type, decltype(std::declval<C&>().reserve(1))>> : std::true_type
{};

// Room for what the data can hold, and never more than 1 MiB ahead of the
// elements actually read: past that the container grows with what is read,
// so a count that a sparse or shrinking file cannot back fails after reading
// at most what is there.
template <class C>
void reserveFor(InStream& in, C& container, quint32 count, qint64 minElementBytes = 1)
{
    if constexpr (HasReserve<C>::value) {
        using T = typename C::value_type;
        const qint64 byMemory = std::max<qint64>(1, (qint64(1) << 20) / qint64(sizeof(T)));
        const qint64 n = std::min({qint64(count), in.bytesRemaining() / minElementBytes, byMemory});
        container.reserve(static_cast<int>(n));
    }
}

// The shared frame of every container: section, count, elements, section.
template <class C, class ReadOne>
void readContainer(InStream& in, quint32 code, C& container, ReadOne readOne)
{
    in.beginSection(code);
    const quint32 count = in.readCount();
    container.clear();
    reserveFor(in, container, count);
    for (quint32 i = 0; i < count; ++i) {
        readOne();
        in.checkStatus();
    }
    in.endSection(code);
}

template <class C>
void readSequence(InStream& in, quint32 code, C& container)
{
    readContainer(in, code, container, [&] {
        typename C::value_type element {};
        in >> element;
        container.push_back(std::move(element));
    });
}

template <class C>
void readSet(InStream& in, quint32 code, C& container)
{
    readContainer(in, code, container, [&] {
        typename C::value_type element {};
        in >> element;
        container.insert(std::move(element));
    });
}

// Per entry the key, then the value read into the entry for that key.
template <class C, class K>
void readMap(InStream& in, quint32 code, C& container)
{
    readContainer(in, code, container, [&] {
        K key {};
        in >> key;
        in >> container[key];
    });
}

}  // namespace StreamDetail

// A nested value or object held by value: a block of its own code.
template <class T, std::enable_if_t<StreamDetail::IsBlock<T>::value, int> = 0>
InStream& operator>>(InStream& in, T& value)
{
    const InStream::NestingGuard guard(in);
    const quint32 code = value.typeCode();
    in.beginSection(code);
    value.read(in);
    in.endSection(code);
    return in;
}

template <class T, class A>
InStream& operator>>(InStream& in, std::vector<T, A>& v)
{
    StreamDetail::readSequence(in, StreamCode::Vector, v);
    return in;
}

template <class T>
InStream& operator>>(InStream& in, QVector<T>& v)
{
    StreamDetail::readSequence(in, StreamCode::Vector, v);
    return in;
}

template <class T, class A>
InStream& operator>>(InStream& in, std::list<T, A>& l)
{
    StreamDetail::readSequence(in, StreamCode::List, l);
    return in;
}

template <class T>
InStream& operator>>(InStream& in, QList<T>& l)
{
    StreamDetail::readSequence(in, StreamCode::QtList, l);
    return in;
}

template <class K, class V, class C, class A>
InStream& operator>>(InStream& in, std::map<K, V, C, A>& m)
{
    StreamDetail::readMap<std::map<K, V, C, A>, K>(in, StreamCode::Map, m);
    return in;
}

template <class K, class V>
InStream& operator>>(InStream& in, QMap<K, V>& m)
{
    StreamDetail::readMap<QMap<K, V>, K>(in, StreamCode::Map, m);
    return in;
}

template <class K, class V>
InStream& operator>>(InStream& in, QHash<K, V>& h)
{
    StreamDetail::readMap<QHash<K, V>, K>(in, StreamCode::Hash, h);
    return in;
}

template <class T, class C, class A>
InStream& operator>>(InStream& in, std::set<T, C, A>& s)
{
    StreamDetail::readSet(in, StreamCode::Set, s);
    return in;
}

template <class T>
InStream& operator>>(InStream& in, QSet<T>& s)
{
    StreamDetail::readSet(in, StreamCode::Set, s);
    return in;
}

// A fixed-size array carries its size, which must match.
template <class T, std::size_t N>
InStream& operator>>(InStream& in, std::array<T, N>& a)
{
    in.beginSection(StreamCode::Array);
    const quint32 count = in.readCount();
    if (count != N)
        throw std::runtime_error("Error reading from file");
    for (T& element : a) {
        in >> element;
        in.checkStatus();
    }
    in.endSection(StreamCode::Array);
    return in;
}

// A pair is a container of two: count 2, first, second.
template <class A, class B>
InStream& operator>>(InStream& in, std::pair<A, B>& p)
{
    in.beginSection(StreamCode::Pair);
    if (in.readCount() != 2)
        throw std::runtime_error("Error reading from file");
    in >> p.first >> p.second;
    in.endSection(StreamCode::Pair);
    return in;
}

#endif  // ARCHIVE_IN_STREAM_H
