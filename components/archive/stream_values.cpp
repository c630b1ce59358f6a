// The DateTime and BitVector stream forms, written once over the other stream
// operations so that both encodings share them.
#include "components/archive/in_stream.h"
#include "components/archive/out_stream.h"

#include "seltrane_components/os/bit_vector.h"
#include "seltrane_components/os/date_time.h"

InStream& InStream::operator>>(DateTime& value)
{
    beginSection(StreamCode::DateTime);
    for (quint8& byte : value.bytes())
        *this >> byte;
    endSection(StreamCode::DateTime);
    return *this;
}

OutStream& OutStream::operator<<(const DateTime& value)
{
    beginSection(StreamCode::DateTime, true);
    for (quint8 byte : value.bytes())
        *this << byte;
    endSection(StreamCode::DateTime);
    return *this;
}

InStream& InStream::operator>>(BitVector& value)
{
    beginSection(StreamCode::BitVector);
    quint32 bitCount = 0;
    *this >> bitCount;
    checkStatus();
    // 64-bit arithmetic: a count near 2^32 must not wrap to a small buffer.
    const quint64 byteCount = BitVector::byteCountFor(bitCount);
    if (qint64(byteCount) > bytesRemaining())
        throw std::runtime_error("Error reading from file");
    // Grown with what is read, so that data which is not there (a file that
    // shrank, or a hole) costs no more memory than was read.
    constexpr int kChunk = 1 << 20;
    QByteArray bytes;
    while (quint64(bytes.size()) < byteCount) {
        const int at = bytes.size();
        const int length = int(std::min<quint64>(kChunk, byteCount - quint64(at)));
        bytes.resize(at + length);
        if (readRaw(bytes.data() + at, length) != length)
            throw std::runtime_error("Error reading from file");
        checkStatus();
    }
    value.setRawBytes(bitCount, bytes);  // bits at and beyond the count are dropped
    endSection(StreamCode::BitVector);
    return *this;
}

OutStream& OutStream::operator<<(const BitVector& value)
{
    beginSection(StreamCode::BitVector, true);
    *this << quint32(value.size());
    const QByteArray bytes = value.rawBytes();
    writeRaw(bytes.constData(), bytes.size());
    endSection(StreamCode::BitVector);
    return *this;
}
