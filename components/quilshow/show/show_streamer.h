// ShowStreamer: the binary stream through which a version-1 show file is read.
//
// It owns the open file, knows the stream's format version and the file-type
// magic that the caller expects, and offers one read operation per value kind.
// Every record of a show is framed by a begin and an end marker checked with
// expectMarker(). The only writing operation is the header of BINARY_OUT.
//
// Counts read from the file are checked against the bytes left in it before
// anything is allocated, and strings and arrays then grow a chunk at a time as
// their bytes arrive: a damaged or hostile file, or one that delivers less
// than its size promised (sparse, shrinking), ends in a std::runtime_error
// ("Error reading/writing from file"), never in a huge allocation.
//
// Reading goes through a buffer of the streamer's own; the position is kept
// here and the file's size is taken once at open, so no value costs a system
// call.
//
// Thread safety: one streamer is used by one thread at a time.
#ifndef QUILSHOW_SHOW_SHOW_STREAMER_H
#define QUILSHOW_SHOW_SHOW_STREAMER_H

#include "components/quilshow/show/short_string.h"
#include "components/quilshow/show/show_group.h"
#include "seltrane_components/os/report_error.h"

#include <QString>
#include <QtEndian>
#include <QtGlobal>

#include <array>
#include <cstddef>
#include <cstring>
#include <fstream>
#include <map>
#include <set>
#include <string>
#include <utility>
#include <vector>

namespace Quil {

// Decodes an 8-bit show text: up to its first NUL, as UTF-8 when that is
// valid, else as Windows' Western code page (Windows-1252), which the
// version-1 program wrote them in.
QString toQString(const std::string& text);

class ShowStreamer
{
public:
    enum Mode { BINARY_IN = 0, BINARY_OUT = 1, CLOSED = 2 };

    // Guard word around the file-type magic in the header.
    static constexpr quint16 kGuardWord = 0xFF33;
    // The file-type magic that opens with any expected magic ("qil" and a NUL).
    static constexpr quint32 kWildcardMagic = 0x006C6971;
    // Streams from this version carry 32-bit counts instead of 16-bit ones.
    static constexpr quint16 kWideCountVersion = 98;
    // Streams from this version carry 8-bit texts instead of UTF-16 ones.
    static constexpr quint16 kByteTextVersion = 10;
    // Streams below this version use the old record markers.
    static constexpr quint16 kNewMarkerVersion = 17;

    explicit ShowStreamer(quint32 fileTypeMagic = 0);
    ~ShowStreamer();

    ShowStreamer(const ShowStreamer&) = delete;
    ShowStreamer& operator=(const ShowStreamer&) = delete;

    // Opens `path`; throws std::logic_error for a mode other than BINARY_IN or
    // BINARY_OUT. Returns false when the file does not open or (BINARY_IN) its
    // header does not match; BINARY_OUT writes the header.
    bool open(const std::string& path, Mode mode);
    void close();

    bool readHeader();
    void writeHeader();
    // Reads the stream version that follows the header.
    quint16 readVersion();

    // Throws "Error reading/writing from file" once a read ran short or the
    // file stream failed.
    void checkState()
    {
        if (m_failed)
            throwReadError();
    }
    // Reads a marker; throws "Magic number doesn't match <expected>" when it
    // differs.
    Q_ALWAYS_INLINE quint16 expectMarker(quint16 expected)
    {
        SELTRANE_ASSERT(mode == BINARY_IN);
        const quint64 at = position();
        const quint16 found = rawU16();
        checkState();
        if (found != expected)
            throwMarkerMismatch(at, expected);
        return found;
    }
    // The marker of a record: `current` from version 17, `old` below it.
    quint16 marker(quint16 current, quint16 old) const { return version < kNewMarkerVersion ? old : current; }

    // Throws the read error unless `count` elements of at least `elementSize`
    // bytes each can still be in the file.
    void checkAvailable(quint64 count, quint64 elementSize);
    // Bytes between the read position and the end of the file as it was
    // when opened.
    quint64 bytesLeft() const
    {
        const quint64 at = position();
        return at < m_fileSize ? m_fileSize - at : 0;
    }

    // The byte the next read starts at.
    quint64 position() const { return m_bufferOffset + static_cast<quint64>(m_next - m_buffer.data()); }
    // Where the read that failed stopped: the start of a record marker that
    // did not match, else the read position.
    quint64 failurePosition() const { return m_markerMismatch ? m_markerPosition : position(); }
    // Whether a read, or a count checked against the bytes left, needed
    // bytes beyond the end of the file.
    bool ranPastEnd() const { return m_pastEnd; }

    // Reads a count: u16 below version 98, u32 from it.
    quint32 readCount()
    {
        const quint32 count = version < kWideCountVersion ? rawU16() : rawU32();
        checkState();
        return count;
    }
    // Width of a count in this stream's version.
    quint32 countSize() const { return version < kWideCountVersion ? 2 : 4; }

    // The single values are read here, where every record's reader can
    // inline them: a show is millions of them.
    Q_ALWAYS_INLINE ShowStreamer& readU8(quint8& value)
    {
        readRaw(&value, 1);
        checkState();
        return *this;
    }
    Q_ALWAYS_INLINE ShowStreamer& readBool(bool& value)
    {
        quint8 byte = 0;
        readU8(byte);
        value = byte != 0;
        return *this;
    }
    Q_ALWAYS_INLINE ShowStreamer& readU16(quint16& value)
    {
        value = rawU16();
        checkState();
        return *this;
    }
    Q_ALWAYS_INLINE ShowStreamer& readU32(quint32& value)
    {
        value = rawU32();
        checkState();
        return *this;
    }
    ShowStreamer& readU32Pair(std::pair<quint32, quint32>& value);
    ShowStreamer& readU32PairSwapped(std::pair<quint32, quint32>& value);
    ShowStreamer& readUuid(std::array<quint8, 16>& value);
    ShowStreamer& readString(std::string& value);
    // A show text: bytes from version 10, UTF-16 before (held as UTF-8).
    ShowStreamer& readText(std::string& value);
    ShowStreamer& readString(ShortString& value);
    ShowStreamer& readText(ShortString& value);
    ShowStreamer& readWString(std::u16string& value);
    ShowStreamer& readBytes(std::vector<quint8>& value);
    ShowStreamer& readU16Set(std::set<quint16>& value);
    ShowStreamer& readU32Set(std::set<quint32>& value);
    ShowStreamer& readU32Vector(std::vector<quint32>& value);
    ShowStreamer& readU16PairVector(std::vector<std::pair<quint16, quint16>>& value);
    ShowStreamer& readU32PairMap(std::map<quint32, std::pair<quint32, quint32>>& value);
    ShowStreamer& readU32PairMapVector(std::vector<std::map<quint32, std::pair<quint32, quint32>>>& value);
    ShowStreamer& readU16SetMap(std::map<quint32, std::set<quint16>>& value);
    ShowStreamer& readU32SetMap(std::map<quint32, std::set<quint32>>& value);
    ShowStreamer& readGroupMap(std::map<quint32, ShowGroup>& value);

    quint16 version = 0xFFFF;
    Mode mode = CLOSED;
    std::string path;
    quint32 fileTypeMagic;

    // Strings and arrays are read in steps of this many bytes: a count grows
    // its destination by at most this much beyond the bytes read so far.
    static constexpr quint64 kChunkBytes = 1024 * 1024;

private:
    [[noreturn]] static void throwReadError();
    [[noreturn]] void throwMarkerMismatch(quint64 at, quint16 expected);

    // Reads `size` raw bytes; false, and the stream failed, when the file
    // ends first. The caller checks the state.
    Q_ALWAYS_INLINE bool readRaw(void* data, std::size_t size)
    {
        if (static_cast<std::size_t>(m_end - m_next) >= size) {
            std::memcpy(data, m_next, size);
            m_next += size;
            return true;
        }
        return readRawSlow(static_cast<char*>(data), size);
    }
    bool readRawSlow(char* data, std::size_t size);
    void resetBuffer();
    // Zero for the bytes past a short read, which leaves the stream failed.
    Q_ALWAYS_INLINE quint16 rawU16()
    {
        quint8 bytes[2] = {0, 0};
        readRaw(bytes, 2);
        const quint16 value = qFromLittleEndian<quint16>(bytes);
        return m_byteSwap ? qbswap(value) : value;
    }
    Q_ALWAYS_INLINE quint32 rawU32()
    {
        quint8 bytes[4] = {0, 0, 0, 0};
        readRaw(bytes, 4);
        const quint32 value = qFromLittleEndian<quint32>(bytes);
        return m_byteSwap ? qbswap(value) : value;
    }
    // `count` words of the container's element type, grown a chunk at a time.
    template <typename Container>
    void readWords(Container& value, quint32 count);
    template <typename T, typename ReadOne>
    void readSetOf(std::set<T>& value, quint64 elementSize, ReadOne readOne);

    std::fstream m_file;
    std::vector<char> m_buffer;
    // The unread part of the buffer; the file offset of the buffer's start.
    const char* m_next = nullptr;
    const char* m_end = nullptr;
    quint64 m_bufferOffset = 0;
    // Taken once, at open.
    quint64 m_fileSize = 0;
    bool m_failed = false;
    bool m_pastEnd = false;
    bool m_markerMismatch = false;
    quint64 m_markerPosition = 0;
    // Nothing in this program sets it; every read honours it.
    bool m_byteSwap = false;
};

}  // namespace Quil

#endif  // QUILSHOW_SHOW_SHOW_STREAMER_H
