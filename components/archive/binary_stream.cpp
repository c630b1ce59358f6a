#include "components/archive/binary_stream.h"

#include "components/archive/type_registry.h"
#include "components/archive/variant_codec.h"

#include <bit>
#include <cerrno>
#include <stdexcept>

namespace {}  // namespace

// --- BinaryInStream ---------------------------------------------------------

BinaryInStream::BinaryInStream() = default;

BinaryInStream::~BinaryInStream() { close(); }

void BinaryInStream::close()
{
    m_stream.setDevice(nullptr);
    m_device = nullptr;
    m_size = -1;
    if (m_file.isOpen())
        m_file.close();
}

void BinaryInStream::open(const QString& path, quint16 supportedVersion, QByteArray* extra)
{
    close();
    openFile(m_file, path);
    m_stream.setDevice(&m_file);
    m_stream.setVersion(StreamCode::kQtDataStreamVersion);
    m_stream.resetStatus();
    m_size = m_file.size();

    try {
        qint64 magic = 0;
        m_stream >> magic;
        if (m_stream.status() != QDataStream::Ok || magic != kMagic)
            StreamCode::fail("Error file not in valid format");
        qint16 version = 0;
        QByteArray header;
        m_stream >> version >> header;
        if (m_stream.status() != QDataStream::Ok)
            StreamCode::fail("Error reading file header");
        if (extra)
            *extra = header;
        acceptVersion(quint16(version), supportedVersion);
    } catch (...) {
        close();
        throw;
    }
}

void BinaryInStream::setDevice(QIODevice* device)
{
    close();
    m_device = device;
    m_stream.setDevice(device);
    m_stream.setVersion(StreamCode::kQtDataStreamVersion);
    m_stream.resetStatus();
    m_size = device && !device->isSequential() ? device->size() : -1;
}

bool BinaryInStream::isOpen() const { return m_device != nullptr || (m_file.isOpen() && m_file.isReadable()); }

QIODevice* BinaryInStream::activeDevice() const { return m_stream.device(); }

InStream& BinaryInStream::operator>>(QStringList& value)
{
    // QDataStream's own reader reserves the stored count unchecked.
    const quint32 count = readCount();
    value.clear();
    StreamDetail::reserveFor(*this, value, count, 4);
    for (quint32 i = 0; i < count; ++i) {
        QString element;
        m_stream >> element;
        checkStatus();
        value.append(element);
    }
    return *this;
}

InStream& BinaryInStream::operator>>(QVariant& value)
{
    VariantCodec::read(m_stream, value);
    return *this;
}

InStream& BinaryInStream::operator>>(QSizeF& value) { return readPlain(value); }
InStream& BinaryInStream::operator>>(QSize& value) { return readPlain(value); }
InStream& BinaryInStream::operator>>(QRect& value) { return readPlain(value); }
InStream& BinaryInStream::operator>>(QTime& value) { return readPlain(value); }
InStream& BinaryInStream::operator>>(QDate& value) { return readPlain(value); }
InStream& BinaryInStream::operator>>(QDateTime& value) { return readPlain(value); }
InStream& BinaryInStream::operator>>(QUuid& value) { return readPlain(value); }
InStream& BinaryInStream::operator>>(QByteArray& value) { return readPlain(value); }
InStream& BinaryInStream::operator>>(QPointF& value) { return readPlain(value); }
InStream& BinaryInStream::operator>>(QPoint& value) { return readPlain(value); }
InStream& BinaryInStream::operator>>(QString& value) { return readPlain(value); }
InStream& BinaryInStream::operator>>(bool& value) { return readPlain(value); }
InStream& BinaryInStream::operator>>(double& value) { return readPlain(value); }
InStream& BinaryInStream::operator>>(float& value) { return readPlain(value); }
InStream& BinaryInStream::operator>>(quint8& value) { return readPlain(value); }
InStream& BinaryInStream::operator>>(quint16& value) { return readPlain(value); }
InStream& BinaryInStream::operator>>(quint32& value) { return readPlain(value); }
InStream& BinaryInStream::operator>>(quint64& value) { return readPlain(value); }
InStream& BinaryInStream::operator>>(qint8& value) { return readPlain(value); }
InStream& BinaryInStream::operator>>(qint16& value) { return readPlain(value); }
InStream& BinaryInStream::operator>>(qint32& value) { return readPlain(value); }
InStream& BinaryInStream::operator>>(qint64& value) { return readPlain(value); }

void BinaryInStream::beginSection(quint32 code)
{
    qint16 tag = 0;
    m_stream >> tag;
    checkStatus();
    if (quint16(tag) != code)
        tagMismatch(code);
}

void BinaryInStream::endSection(quint32)
{
    // The binary form has no closing tag; this is where a short or bad body
    // shows, before the caller takes the section as read.
    checkStatus();
}

int BinaryInStream::readRaw(char* data, int length) { return m_stream.readRawData(data, length); }

quint16 BinaryInStream::peekSection()
{
    checkStatus();
    // From the device's own buffer: a backwards seek would make a buffered
    // file drop its buffer and read it again for every object.
    uchar tag[2];
    if (activeDevice()->peek(reinterpret_cast<char*>(tag), 2) != 2)
        StreamCode::fail("Error reading from file");
    return quint16((tag[0] << 8) | tag[1]);
}

void BinaryInStream::checkStatus()
{
    // Data beyond the size taken at the start (a file that grew meanwhile) is
    // not this stream's.
    const QIODevice* device = activeDevice();
    if (m_stream.status() != QDataStream::Ok || !device || (m_size >= 0 && device->pos() > m_size))
        StreamCode::fail("Error reading from file");
}

qint64 BinaryInStream::bytesRemaining() const
{
    const QIODevice* device = activeDevice();
    if (!device)
        return 0;
    // The size taken once: asking a file for it is a system call.
    return m_size >= 0 ? std::max<qint64>(0, m_size - device->pos()) : device->bytesAvailable();
}

// --- BinaryOutStream --------------------------------------------------------

BinaryOutStream::BinaryOutStream(quint16 version) : OutStream(version) {}

BinaryOutStream::~BinaryOutStream() { finish(true); }

void BinaryOutStream::open(const QString& path, const QByteArray* extra)
{
    finish(true);
    createFile(m_file, path);
    m_chunkBytes.resize(int(kChunkBytes));
    m_chunkData = m_chunkBytes.data();
    m_used = 0;
    m_room = kChunkBytes;
    m_chunk.open(QIODevice::WriteOnly);
    m_chunk.seek(0);
    m_stream.setDevice(&m_chunk);
    m_stream.setVersion(StreamCode::kQtDataStreamVersion);
    m_stream.resetStatus();
    m_stream << BinaryInStream::kMagic << qint16(version()) << (extra ? *extra : QByteArray());
    afterStreamWrite();
    if (m_stream.status() != QDataStream::Ok)
        StreamCode::fail("Error writing to file");
}

void BinaryOutStream::setDevice(QIODevice* device)
{
    finish(true);
    m_device = device;
    m_stream.setDevice(device);
    m_stream.setVersion(StreamCode::kQtDataStreamVersion);
    m_stream.resetStatus();
}

bool BinaryOutStream::isOpen() const { return m_device != nullptr || (m_file.isOpen() && m_file.isWritable()); }

void BinaryOutStream::close() { finish(false); }

void BinaryOutStream::writeChunk()
{
    errno = 0;
    if (m_used > 0 && m_stream.status() == QDataStream::Ok && m_file.write(m_chunkData, m_used) != m_used) {
        noteFileError();
        m_stream.setStatus(QDataStream::WriteFailed);
    }
    m_used = 0;
}

void BinaryOutStream::finish(bool quiet)
{
    if (!m_stream.device())
        return;
    if (!m_device) {
        writeChunk();
        m_chunk.close();
        m_room = 0;
    }
    bool ok = m_stream.status() == QDataStream::Ok;
    m_stream.setDevice(nullptr);
    m_stream.resetStatus();
    if (m_device)
        m_device = nullptr;
    else
        ok = closeFile(m_file) && ok;
    reportClose(ok, quiet, "BinaryOutStream file flush failed");
}

OutStream& BinaryOutStream::operator<<(const QStringList& value)
{
    writeCount(std::size_t(value.size()));
    for (const QString& element : value)
        writePlain(element);
    return *this;
}

OutStream& BinaryOutStream::operator<<(const QVariant& value)
{
    beforeStreamWrite();
    VariantCodec::write(m_stream, value);
    afterStreamWrite();
    return *this;
}

OutStream& BinaryOutStream::operator<<(const QSizeF& value) { return writePlain(value); }
OutStream& BinaryOutStream::operator<<(const QSize& value) { return writePlain(value); }
OutStream& BinaryOutStream::operator<<(const QRect& value) { return writePlain(value); }
OutStream& BinaryOutStream::operator<<(const QTime& value) { return writePlain(value); }
OutStream& BinaryOutStream::operator<<(const QDate& value) { return writePlain(value); }
OutStream& BinaryOutStream::operator<<(const QDateTime& value) { return writePlain(value); }
OutStream& BinaryOutStream::operator<<(const QUuid& value) { return writePlain(value); }
OutStream& BinaryOutStream::operator<<(const QByteArray& value) { return writePlain(value); }
OutStream& BinaryOutStream::operator<<(const QPointF& value) { return writePlain(value); }
OutStream& BinaryOutStream::operator<<(const QPoint& value) { return writePlain(value); }
OutStream& BinaryOutStream::operator<<(const QString& value) { return writePlain(value); }
OutStream& BinaryOutStream::operator<<(bool value) { return writeFixed(qint8(value)); }
OutStream& BinaryOutStream::operator<<(double value) { return writeFixed(std::bit_cast<quint64>(value)); }
OutStream& BinaryOutStream::operator<<(float value) { return writeFixed(std::bit_cast<quint64>(double(value))); }
OutStream& BinaryOutStream::operator<<(quint8 value) { return writeFixed(value); }
OutStream& BinaryOutStream::operator<<(quint16 value) { return writeFixed(value); }
OutStream& BinaryOutStream::operator<<(quint32 value) { return writeFixed(value); }
OutStream& BinaryOutStream::operator<<(quint64 value) { return writeFixed(value); }
OutStream& BinaryOutStream::operator<<(qint8 value) { return writeFixed(value); }
OutStream& BinaryOutStream::operator<<(qint16 value) { return writeFixed(value); }
OutStream& BinaryOutStream::operator<<(qint32 value) { return writeFixed(value); }
OutStream& BinaryOutStream::operator<<(qint64 value) { return writeFixed(value); }

void BinaryOutStream::beginSection(quint32 code, bool) { writeFixed(qint16(code)); }

void BinaryOutStream::endSection(quint32) {}

int BinaryOutStream::writeRaw(const char* data, int length)
{
    beforeStreamWrite();
    const int written = m_stream.writeRawData(data, length);
    afterStreamWrite();
    return written;
}
