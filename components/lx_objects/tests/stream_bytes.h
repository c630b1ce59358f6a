// Helpers of the stream tests: the bytes an object or value writes into a
// binary stream without header, bytes built field by field, and reading bytes
// back as a stream of a chosen version.
#ifndef LX_OBJECTS_TESTS_STREAM_BYTES_H
#define LX_OBJECTS_TESTS_STREAM_BYTES_H

#include "components/archive/binary_stream.h"
#include "components/lx_objects/project_database.h"

#include <QBuffer>
#include <QByteArray>

#include <functional>

// What writeFields writes, as the binary stream stores it.
inline QByteArray streamBytes(const std::function<void(OutStream&)>& writeFields)
{
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    BinaryOutStream out(kProjectStreamVersion);
    out.setDevice(&buffer);
    writeFields(out);
    out.close();
    return bytes;
}

template <class T>
QByteArray writtenBytes(const T& value)
{
    return streamBytes([&](OutStream& out) { value.write(out); });
}

// Reads bytes into value as data of the given version; answers the number of
// bytes left unread.
template <class T>
qint64 readBytes(T& value, QByteArray bytes, quint16 version = kProjectStreamVersion)
{
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::ReadOnly);
    BinaryInStream in;
    in.setDevice(&buffer);
    in.setVersion(version);
    value.read(in);
    return buffer.bytesAvailable();
}

#endif  // LX_OBJECTS_TESTS_STREAM_BYTES_H
