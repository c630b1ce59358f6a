// The binary object stream: a big-endian QDataStream (version 16) over a file
// or a caller's device. A file starts with the qint64 magic
// 0x5C5CFF335C5C33FF, the qint16 format version and an extra QByteArray; every
// section is a qint16 registry code, every scalar its plain QDataStream form
// (a float is stored as a double).
//
// Reading checks the data, not only the header: endSection, peekSection,
// beginSection and every container count fail with "Error reading from file"
// once the data has run out or is bad, and counts are checked against the
// bytes remaining. The size is taken once, when the file is opened or the
// device set; no value costs a system call of its own (a file is read in
// blocks of its 16 KB buffer, the next section code is peeked from it). Data a
// file gains while it is read stays unread; a file that shrinks fails.
//
// Writing: only a close() that returns means the data is complete; it checks
// the stream, flushes and checks the file, and throws "Error writing to file".
// The destructor closes without throwing.
//
// Ownership: a stream owns its file; a device given by setDevice stays the
// caller's and must outlive the stream. One thread uses a stream at a time.
#ifndef ARCHIVE_BINARY_STREAM_H
#define ARCHIVE_BINARY_STREAM_H

#include "components/archive/in_stream.h"
#include "components/archive/out_stream.h"

#include <QBuffer>
#include <QByteArray>
#include <QDataStream>
#include <QFile>
#include <QtEndian>

class QIODevice;

class BinaryInStream : public InStream
{
public:
    static constexpr qint64 kMagic = 0x5C5CFF335C5C33FFLL;

    BinaryInStream();
    ~BinaryInStream() override;

    // Opens the file and reads its header; the extra bytes go to *extra when
    // given. Throws version_exception when the file is newer than supported.
    void open(const QString& path, quint16 supportedVersion, QByteArray* extra = nullptr);
    // Reads from a device the caller owns and has opened; no header is read
    // and the version stays 0xFFFF (newest).
    void setDevice(QIODevice* device);
    void close();

    bool isOpen() const override;

    using InStream::operator>>;
    InStream& operator>>(QStringList& value) override;
    InStream& operator>>(QVariant& value) override;
    InStream& operator>>(QSizeF& value) override;
    InStream& operator>>(QSize& value) override;
    InStream& operator>>(QRect& value) override;
    InStream& operator>>(QTime& value) override;
    InStream& operator>>(QDate& value) override;
    InStream& operator>>(QDateTime& value) override;
    InStream& operator>>(QUuid& value) override;
    InStream& operator>>(QByteArray& value) override;
    InStream& operator>>(QPointF& value) override;
    InStream& operator>>(QPoint& value) override;
    InStream& operator>>(QString& value) override;
    InStream& operator>>(bool& value) override;
    InStream& operator>>(double& value) override;
    InStream& operator>>(float& value) override;
    InStream& operator>>(quint8& value) override;
    InStream& operator>>(quint16& value) override;
    InStream& operator>>(quint32& value) override;
    InStream& operator>>(quint64& value) override;
    InStream& operator>>(qint8& value) override;
    InStream& operator>>(qint16& value) override;
    InStream& operator>>(qint32& value) override;
    InStream& operator>>(qint64& value) override;

    void beginSection(quint32 code) override;
    void endSection(quint32 code) override;
    int readRaw(char* data, int length) override;
    quint16 peekSection() override;
    void checkStatus() override;
    qint64 bytesRemaining() const override;

private:
    template <class T>
    InStream& readPlain(T& value)
    {
        m_stream >> value;
        return *this;
    }
    QIODevice* activeDevice() const;

    QFile m_file;
    QIODevice* m_device = nullptr;
    QDataStream m_stream;
    qint64 m_size = -1;  // -1 for a sequential device
};

class BinaryOutStream : public OutStream
{
public:
    explicit BinaryOutStream(quint16 version);
    ~BinaryOutStream() override;

    // Creates or truncates the file and writes the header (a null extra array
    // when none is given).
    void open(const QString& path, const QByteArray* extra = nullptr);
    // Writes to a device the caller owns and has opened; no header.
    void setDevice(QIODevice* device);

    bool isOpen() const override;
    void close() override;

    using OutStream::operator<<;
    OutStream& operator<<(const QStringList& value) override;
    OutStream& operator<<(const QVariant& value) override;
    OutStream& operator<<(const QSizeF& value) override;
    OutStream& operator<<(const QSize& value) override;
    OutStream& operator<<(const QRect& value) override;
    OutStream& operator<<(const QTime& value) override;
    OutStream& operator<<(const QDate& value) override;
    OutStream& operator<<(const QDateTime& value) override;
    OutStream& operator<<(const QUuid& value) override;
    OutStream& operator<<(const QByteArray& value) override;
    OutStream& operator<<(const QPointF& value) override;
    OutStream& operator<<(const QPoint& value) override;
    OutStream& operator<<(const QString& value) override;
    OutStream& operator<<(bool value) override;
    OutStream& operator<<(double value) override;
    OutStream& operator<<(float value) override;
    OutStream& operator<<(quint8 value) override;
    OutStream& operator<<(quint16 value) override;
    OutStream& operator<<(quint32 value) override;
    OutStream& operator<<(quint64 value) override;
    OutStream& operator<<(qint8 value) override;
    OutStream& operator<<(qint16 value) override;
    OutStream& operator<<(qint32 value) override;
    OutStream& operator<<(qint64 value) override;

    void beginSection(quint32 code, bool container) override;
    void endSection(quint32 code) override;
    int writeRaw(const char* data, int length) override;

private:
    // A file is written in chunks gathered in memory: a file device's own
    // buffer costs more per value than the value's encoding. Values of a
    // fixed size are stored straight into the chunk, big-endian as
    // QDataStream stores them; the others go through m_stream, which writes
    // into the same buffer from m_used on.
    template <class T>
    OutStream& writeFixed(T value)
    {
        if (m_used + qint64(sizeof(T)) > m_room) {
            if (m_room == 0)
                return writePlain(value);
            writeChunk();
        }
        qToBigEndian(value, m_chunkData + m_used);
        m_used += qint64(sizeof(T));
        return *this;
    }
    template <class T>
    OutStream& writePlain(const T& value)
    {
        beforeStreamWrite();
        m_stream << value;
        afterStreamWrite();
        return *this;
    }
    void beforeStreamWrite()
    {
        if (m_room > 0 && m_chunk.pos() != m_used)
            m_chunk.seek(m_used);
    }
    void afterStreamWrite()
    {
        if (m_room == 0)
            return;
        // A long value may have grown the buffer, and moved it.
        m_used = m_chunk.pos();
        m_chunkData = m_chunkBytes.data();
        if (m_used >= m_room)
            writeChunk();
    }
    void writeChunk();
    void finish(bool quiet);

    static constexpr qint64 kChunkBytes = 256 * 1024;

    QFile m_file;
    QByteArray m_chunkBytes;
    QBuffer m_chunk {&m_chunkBytes};
    char* m_chunkData = nullptr;
    qint64 m_used = 0;  // the chunk's bytes written so far
    qint64 m_room = 0;  // kChunkBytes while a file is open, 0 for a device or none
    QIODevice* m_device = nullptr;
    QDataStream m_stream;
};

#endif  // ARCHIVE_BINARY_STREAM_H
