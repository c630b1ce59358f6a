// OutStream: the abstract object stream that every version-2 object, value and
// database file is written through; BinaryOutStream and TextOutStream
// implement it. Writers write the newest layout and never test a version.
//
// A class writes through its one field list (fields.h), handing it a
// FieldWriter over this stream: every field in the newest layout, no version
// tested. Scalars and Qt value types are virtual operators; containers, nested value
// blocks (any type with read(InStream&), write(OutStream&) const and
// typeCode()), enums stored as one byte (asByte) and owned object pointers are
// templates below. Characters, pointers (C strings too) and bare enumerations
// are refused at compile time, so nothing is written in a form the reader does
// not expect.
//
// close() ends the output and reports a failed write by throwing
// "Error writing to file"; only a close() that returns means the data is
// complete. The destructor closes without throwing. One thread uses a stream
// at a time.
#ifndef ARCHIVE_OUT_STREAM_H
#define ARCHIVE_OUT_STREAM_H

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

#include <array>
#include <list>
#include <map>
#include <memory>
#include <set>
#include <type_traits>
#include <utility>
#include <vector>

class BitVector;
class DateTime;
class QFile;

class OutStream
{
public:
    explicit OutStream(quint16 version);
    virtual ~OutStream();
    OutStream(const OutStream&) = delete;
    OutStream& operator=(const OutStream&) = delete;

    // The format version written into the header.
    quint16 version() const { return m_version; }

    virtual bool isOpen() const = 0;

    OutStream& operator<<(const DateTime& value);
    OutStream& operator<<(const BitVector& value);
    virtual OutStream& operator<<(const QStringList& value) = 0;
    virtual OutStream& operator<<(const QVariant& value) = 0;
    virtual OutStream& operator<<(const QSizeF& value) = 0;
    virtual OutStream& operator<<(const QSize& value) = 0;
    virtual OutStream& operator<<(const QRect& value) = 0;
    virtual OutStream& operator<<(const QTime& value) = 0;
    virtual OutStream& operator<<(const QDate& value) = 0;
    virtual OutStream& operator<<(const QDateTime& value) = 0;
    virtual OutStream& operator<<(const QUuid& value) = 0;
    virtual OutStream& operator<<(const QByteArray& value) = 0;
    virtual OutStream& operator<<(const QPointF& value) = 0;
    virtual OutStream& operator<<(const QPoint& value) = 0;
    virtual OutStream& operator<<(const QString& value) = 0;
    virtual OutStream& operator<<(bool value) = 0;
    virtual OutStream& operator<<(double value) = 0;
    virtual OutStream& operator<<(float value) = 0;
    virtual OutStream& operator<<(quint8 value) = 0;
    virtual OutStream& operator<<(quint16 value) = 0;
    virtual OutStream& operator<<(quint32 value) = 0;
    virtual OutStream& operator<<(quint64 value) = 0;
    virtual OutStream& operator<<(qint8 value) = 0;
    virtual OutStream& operator<<(qint16 value) = 0;
    virtual OutStream& operator<<(qint32 value) = 0;
    virtual OutStream& operator<<(qint64 value) = 0;

    OutStream& operator<<(char) = delete;
    template <class T>
    OutStream& operator<<(const T*) = delete;  // would be written as a bool
    template <class E, std::enable_if_t<std::is_enum<E>::value, int> = 0>
    OutStream& operator<<(E) = delete;

    // container: the section holds a sequence of values (layout of the text form).
    virtual void beginSection(quint32 code, bool container) = 0;
    virtual void endSection(quint32 code) = 0;
    virtual int writeRaw(const char* data, int length) = 0;

    // Ends the output; throws "Error writing to file" when anything failed.
    virtual void close() = 0;
    // The errno of the first failure of the stream's file (to open, write,
    // flush or close it); 0 when there was none.
    int fileError() const { return m_fileError; }

    // An element count as uint32; larger containers are refused.
    void writeCount(std::size_t count);
    // Refuses a container of `size` entries whose stored count holds at most
    // `limit`, before the count is written: a cut count would desync
    // everything after it. Throws std::runtime_error "Too many entries for
    // their stored count: <size>, at most <limit>".
    static void checkCountFits(quint64 size, quint64 limit);

protected:
    // Creates or truncates the file, failing with "Unable to open file".
    void createFile(QFile& file, const QString& path);
    // Flushes and closes the file: false when not all of the data reached it
    // (a full disk shows here at the latest).
    bool closeFile(QFile& file);
    // Keeps errno as the file's failure, unless an earlier one was kept.
    void noteFileError();
    // The end of every close: a failed write throws "Error writing to file",
    // or, from a destructor (quiet), is only logged with the warning.
    static void reportClose(bool ok, bool quiet, const char* warning);

private:
    quint16 m_version;
    int m_fileError = 0;
};

template <class E>
OutStream& operator<<(OutStream& out, ByteEnum<E> e)
{
    using U = std::underlying_type_t<std::remove_const_t<E>>;
    return out << quint8(static_cast<U>(e.value) & 0xFF);
}

// An empty section of code 18 for null, else a block of the object's code.
void writeObjectPointer(OutStream& out, const Archive::ObjectBase* object);

template <class T, std::enable_if_t<std::is_base_of<Archive::ObjectBase, T>::value, int> = 0>
OutStream& operator<<(OutStream& out, const std::unique_ptr<T>& object)
{
    writeObjectPointer(out, object.get());
    return out;
}

namespace StreamDetail {

template <class C, class WriteOne>
void writeContainer(OutStream& out, quint32 code, const C& container, WriteOne writeOne)
{
    out.beginSection(code, true);
    out.writeCount(std::size_t(container.size()));
    for (const auto& element : container)
        writeOne(element);
    out.endSection(code);
}

template <class C>
void writeSequence(OutStream& out, quint32 code, const C& container)
{
    writeContainer(out, code, container, [&](const auto& element) { out << element; });
}

template <class C>
void writeStdMap(OutStream& out, quint32 code, const C& container)
{
    writeContainer(out, code, container, [&](const auto& entry) { out << entry.first << entry.second; });
}

template <class C>
void writeQtMap(OutStream& out, quint32 code, const C& container)
{
    out.beginSection(code, true);
    out.writeCount(std::size_t(container.size()));
    for (auto it = container.cbegin(); it != container.cend(); ++it)
        out << it.key() << it.value();
    out.endSection(code);
}

}  // namespace StreamDetail

template <class T, std::enable_if_t<StreamDetail::IsBlock<T>::value, int> = 0>
OutStream& operator<<(OutStream& out, const T& value)
{
    const quint32 code = value.typeCode();
    out.beginSection(code, true);
    value.write(out);
    out.endSection(code);
    return out;
}

template <class T, class A>
OutStream& operator<<(OutStream& out, const std::vector<T, A>& v)
{
    StreamDetail::writeSequence(out, StreamCode::Vector, v);
    return out;
}

template <class T>
OutStream& operator<<(OutStream& out, const QVector<T>& v)
{
    StreamDetail::writeSequence(out, StreamCode::Vector, v);
    return out;
}

template <class T, class A>
OutStream& operator<<(OutStream& out, const std::list<T, A>& l)
{
    StreamDetail::writeSequence(out, StreamCode::List, l);
    return out;
}

template <class T>
OutStream& operator<<(OutStream& out, const QList<T>& l)
{
    StreamDetail::writeSequence(out, StreamCode::QtList, l);
    return out;
}

template <class K, class V, class C, class A>
OutStream& operator<<(OutStream& out, const std::map<K, V, C, A>& m)
{
    StreamDetail::writeStdMap(out, StreamCode::Map, m);
    return out;
}

template <class K, class V>
OutStream& operator<<(OutStream& out, const QMap<K, V>& m)
{
    StreamDetail::writeQtMap(out, StreamCode::Map, m);
    return out;
}

template <class K, class V>
OutStream& operator<<(OutStream& out, const QHash<K, V>& h)
{
    StreamDetail::writeQtMap(out, StreamCode::Hash, h);
    return out;
}

template <class T, class C, class A>
OutStream& operator<<(OutStream& out, const std::set<T, C, A>& s)
{
    StreamDetail::writeSequence(out, StreamCode::Set, s);
    return out;
}

template <class T>
OutStream& operator<<(OutStream& out, const QSet<T>& s)
{
    StreamDetail::writeSequence(out, StreamCode::Set, s);
    return out;
}

template <class T, std::size_t N>
OutStream& operator<<(OutStream& out, const std::array<T, N>& a)
{
    StreamDetail::writeSequence(out, StreamCode::Array, a);
    return out;
}

template <class A, class B>
OutStream& operator<<(OutStream& out, const std::pair<A, B>& p)
{
    out.beginSection(StreamCode::Pair, true);
    out.writeCount(2);
    out << p.first << p.second;
    out.endSection(StreamCode::Pair);
    return out;
}

#endif  // ARCHIVE_OUT_STREAM_H
