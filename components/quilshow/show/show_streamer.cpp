#include "components/quilshow/show/show_streamer.h"

#include "seltrane_components/os/report_error.h"

#include <QTextCodec>
#include <QtEndian>

#include <algorithm>
#include <stdexcept>
#include <type_traits>

namespace Quil {

namespace {

const char kReadError[] = "Error reading/writing from file";

// Large enough that a refill is rare next to the values it serves.
const std::size_t kBufferBytes = 64 * 1024;

template <typename T>
T byteReversed(T value)
{
    using Word = typename std::conditional<sizeof(T) == 2, quint16, quint32>::type;
    return static_cast<T>(qbswap(static_cast<Word>(value)));
}

// What Windows' Western code page (Windows-1252) makes of the bytes 0x80 to
// 0x9F, where Latin-1 has control characters; the five it leaves undefined
// stay as Latin-1 has them. From 0xA0 up the two agree.
const char16_t kWindows1252High[32] = {
    u'\u20AC', u'\u0081', u'\u201A', u'\u0192', u'\u201E', u'\u2026', u'\u2020', u'\u2021',
    u'\u02C6', u'\u2030', u'\u0160', u'\u2039', u'\u0152', u'\u008D', u'\u017D', u'\u008F',
    u'\u0090', u'\u2018', u'\u2019', u'\u201C', u'\u201D', u'\u2022', u'\u2013', u'\u2014',
    u'\u02DC', u'\u2122', u'\u0161', u'\u203A', u'\u0153', u'\u009D', u'\u017E', u'\u0178',
};

// Decodes by table, one character per byte: names are decoded in the
// conversion's hot path, and no codec of the platform is needed.
QString fromWindows1252(const char* bytes, int length)
{
    QString text(length, Qt::Uninitialized);
    QChar* out = text.data();
    for (int i = 0; i < length; ++i) {
        const uchar byte = static_cast<uchar>(bytes[i]);
        out[i] = byte >= 0x80 && byte < 0xA0 ? QChar(kWindows1252High[byte - 0x80]) : QChar(byte);
    }
    return text;
}

}  // namespace

void ShowStreamer::throwReadError() { throw std::runtime_error(kReadError); }

QString toQString(const std::string& text)
{
    const std::string::size_type nul = text.find('\0');
    const int length = static_cast<int>(nul == std::string::npos ? text.size() : nul);
    // Most names are plain ASCII, which both decodings read alike: no codec
    // and no converter state for them.
    if (length > 0
        && std::all_of(text.data(), text.data() + length, [](char c) { return static_cast<uchar>(c) < 0x80; }))
        return QString::fromLatin1(text.data(), length);
    // Looked up once: the look-up locks and walks the codec list, and a
    // conversion decodes every name of every item.
    static QTextCodec* const utf8 = QTextCodec::codecForMib(106);
    QTextCodec::ConverterState state(QTextCodec::ConvertInvalidToNull);
    const QString decoded = utf8->toUnicode(text.data(), length, &state);
    if (state.invalidChars == 0 && state.remainingChars == 0)
        return decoded;
    // Names written on Windows: its Western code page.
    return fromWindows1252(text.data(), length);
}

ShowStreamer::ShowStreamer(quint32 fileTypeMagic) : fileTypeMagic(fileTypeMagic) {}

ShowStreamer::~ShowStreamer() = default;

bool ShowStreamer::open(const std::string& path, Mode mode)
{
    this->path = path;
    this->mode = mode;
    if (mode != BINARY_IN && mode != BINARY_OUT) {
        this->mode = CLOSED;
        throw std::logic_error("Unable to open stream, invalid mode");
    }
    m_file.clear();
    resetBuffer();
    if (mode == BINARY_IN)
        m_file.open(path, std::ios::in | std::ios::binary);
    else
        m_file.open(path, std::ios::out | std::ios::binary | std::ios::trunc);
    if (!m_file.is_open()) {
        m_file.clear();
        this->mode = CLOSED;
        this->path.clear();
        return false;
    }
    if (mode == BINARY_OUT) {
        writeHeader();
        return true;
    }
    // The one size query of the whole read.
    m_file.seekg(0, std::ios::end);
    const std::streamoff size = m_file.tellg();
    m_file.seekg(0, std::ios::beg);
    m_fileSize = size > 0 ? static_cast<quint64>(size) : 0;
    m_buffer.resize(kBufferBytes);
    m_next = m_end = m_buffer.data();
    if (!readHeader()) {
        close();
        return false;
    }
    return true;
}

void ShowStreamer::close()
{
    if (!m_file.is_open())
        return;
    m_file.close();
    mode = CLOSED;
    version = 0xFFFF;
    path.clear();
    resetBuffer();
}

void ShowStreamer::resetBuffer()
{
    m_buffer.clear();
    m_buffer.shrink_to_fit();
    m_next = m_end = nullptr;
    m_bufferOffset = 0;
    m_fileSize = 0;
    m_failed = m_pastEnd = m_markerMismatch = false;
    m_markerPosition = 0;
}

bool ShowStreamer::readRawSlow(char* data, std::size_t size)
{
    if (m_failed || m_buffer.empty()) {
        m_failed = m_pastEnd = true;
        return false;
    }
    const std::size_t buffered = static_cast<std::size_t>(m_end - m_next);
    std::memcpy(data, m_next, buffered);
    data += buffered;
    size -= buffered;
    m_bufferOffset += static_cast<quint64>(m_end - m_buffer.data());
    m_next = m_end = m_buffer.data();
    // Through the stream, not its buffer: the stream turns a failing read
    // (a folder, an input/output error) into its state instead of throwing.
    const auto readFile = [this](char* to, std::size_t count) {
        m_file.read(to, static_cast<std::streamsize>(count));
        const std::streamsize n = m_file.gcount();
        // A short read at the end is no failure by itself: a later one may
        // find more of a file that grows.
        if (!m_file.bad())
            m_file.clear();
        return n;
    };
    // Large reads go straight to their destination.
    if (size >= m_buffer.size()) {
        const std::streamsize n = readFile(data, size);
        m_bufferOffset += static_cast<quint64>(std::max<std::streamsize>(n, 0));
        m_failed = m_pastEnd = n != static_cast<std::streamsize>(size);
        return !m_failed;
    }
    const std::streamsize n = readFile(m_buffer.data(), m_buffer.size());
    if (n < static_cast<std::streamsize>(size)) {
        // What was there is consumed, as a plain short read would.
        m_bufferOffset += static_cast<quint64>(std::max<std::streamsize>(n, 0));
        m_failed = m_pastEnd = true;
        return false;
    }
    std::memcpy(data, m_buffer.data(), size);
    m_end = m_buffer.data() + n;
    m_next = m_buffer.data() + size;
    return true;
}

bool ShowStreamer::readHeader()
{
    const quint16 guard1 = rawU16();
    const quint32 magic = rawU32();
    const quint16 guard2 = rawU16();
    if (m_failed)
        return false;
    if (magic == kWildcardMagic)
        return true;
    return guard1 == kGuardWord && guard2 == kGuardWord && magic == fileTypeMagic;
}

void ShowStreamer::writeHeader()
{
    quint8 bytes[8];
    const quint16 guard = m_byteSwap ? qbswap(kGuardWord) : kGuardWord;
    const quint32 magic = m_byteSwap ? qbswap(fileTypeMagic) : fileTypeMagic;
    qToLittleEndian(guard, bytes);
    qToLittleEndian(magic, bytes + 2);
    qToLittleEndian(guard, bytes + 6);
    m_file.write(reinterpret_cast<const char*>(bytes), sizeof bytes);
    m_failed = m_failed || !m_file.good();
    checkState();
}

quint16 ShowStreamer::readVersion()
{
    SELTRANE_ASSERT(mode == BINARY_IN);
    version = rawU16();
    checkState();
    return version;
}

void ShowStreamer::throwMarkerMismatch(quint64 at, quint16 expected)
{
    m_markerMismatch = true;
    m_markerPosition = at;
    throw std::runtime_error("Magic number doesn't match " + std::to_string(expected));
}

void ShowStreamer::checkAvailable(quint64 count, quint64 elementSize)
{
    // count is at most 32 bits and elementSize small, so this cannot wrap.
    if (count * elementSize > bytesLeft()) {
        m_pastEnd = true;
        throwReadError();
    }
}

ShowStreamer& ShowStreamer::readU32Pair(std::pair<quint32, quint32>& value)
{
    readU32(value.first);
    return readU32(value.second);
}

ShowStreamer& ShowStreamer::readU32PairSwapped(std::pair<quint32, quint32>& value)
{
    readU32(value.second);
    return readU32(value.first);
}

ShowStreamer& ShowStreamer::readUuid(std::array<quint8, 16>& value)
{
    readRaw(value.data(), 16);
    checkState();
    if (m_byteSwap) {
        std::reverse(value.begin(), value.begin() + 8);
        std::reverse(value.begin() + 8, value.end());
    }
    return *this;
}

template <typename Container>
void ShowStreamer::readWords(Container& value, quint32 count)
{
    using Word = typename Container::value_type;
    checkAvailable(count, sizeof(Word));
    value.clear();
    // Grown as the bytes arrive, so a count that the file cannot back fails
    // after reading what is there, not after allocating what it claims.
    const quint64 chunk = kChunkBytes / sizeof(Word);
    for (quint64 done = 0; done < count;) {
        const quint64 n = std::min<quint64>(count - done, chunk);
        value.resize(static_cast<std::size_t>(done + n));
        if (!readRaw(&value[static_cast<std::size_t>(done)], static_cast<std::size_t>(n * sizeof(Word))))
            throwReadError();
        if constexpr (sizeof(Word) > 1) {
            if ((Q_BYTE_ORDER == Q_BIG_ENDIAN) != m_byteSwap) {
                for (quint64 i = done; i < done + n; ++i)
                    value[static_cast<std::size_t>(i)] = byteReversed(value[static_cast<std::size_t>(i)]);
            }
        }
        done += n;
    }
}

ShowStreamer& ShowStreamer::readString(std::string& value)
{
    readWords(value, readCount());
    return *this;
}

ShowStreamer& ShowStreamer::readString(ShortString& value)
{
    std::string text;
    readString(text);
    value = text;
    return *this;
}

ShowStreamer& ShowStreamer::readText(ShortString& value)
{
    std::string text;
    readText(text);
    value = text;
    return *this;
}

ShowStreamer& ShowStreamer::readText(std::string& value)
{
    if (version >= kByteTextVersion)
        return readString(value);
    std::u16string wide;
    readWString(wide);
    value = QString::fromUtf16(wide.data(), static_cast<int>(wide.size())).toUtf8().toStdString();
    return *this;
}

ShowStreamer& ShowStreamer::readWString(std::u16string& value)
{
    if (m_byteSwap)
        reportError("Reading in a wstring with a byte swap in ShowStreamer.", __LINE__,
                    sourcePathBelowRoot(__FILE__).c_str());
    readWords(value, readCount());
    return *this;
}

ShowStreamer& ShowStreamer::readBytes(std::vector<quint8>& value)
{
    readWords(value, readCount());
    return *this;
}

template <typename T, typename ReadOne>
void ShowStreamer::readSetOf(std::set<T>& value, quint64 elementSize, ReadOne readOne)
{
    const quint32 count = readCount();
    checkAvailable(count, elementSize);
    for (quint32 i = 0; i < count; ++i) {
        T element = 0;
        (this->*readOne)(element);
        value.insert(element);
    }
}

ShowStreamer& ShowStreamer::readU16Set(std::set<quint16>& value)
{
    readSetOf(value, 2, &ShowStreamer::readU16);
    return *this;
}

ShowStreamer& ShowStreamer::readU32Set(std::set<quint32>& value)
{
    readSetOf(value, 4, &ShowStreamer::readU32);
    return *this;
}

ShowStreamer& ShowStreamer::readU32Vector(std::vector<quint32>& value)
{
    readWords(value, readCount());
    return *this;
}

ShowStreamer& ShowStreamer::readU16PairVector(std::vector<std::pair<quint16, quint16>>& value)
{
    const quint32 count = readCount();
    checkAvailable(count, 4);
    value.clear();
    value.reserve(std::min<quint64>(count, kChunkBytes / sizeof(value[0])));
    for (quint32 i = 0; i < count; ++i) {
        std::pair<quint16, quint16> element;
        element.first = rawU16();
        element.second = rawU16();
        checkState();
        value.push_back(element);
    }
    return *this;
}

ShowStreamer& ShowStreamer::readU32PairMap(std::map<quint32, std::pair<quint32, quint32>>& value)
{
    const quint32 count = readCount();
    checkAvailable(count, 12);
    for (quint32 i = 0; i < count; ++i) {
        quint32 key = 0;
        readU32(key);
        readU32Pair(value[key]);
    }
    return *this;
}

ShowStreamer& ShowStreamer::readU32PairMapVector(std::vector<std::map<quint32, std::pair<quint32, quint32>>>& value)
{
    const quint32 count = readCount();
    checkAvailable(count, countSize());
    value.clear();
    value.reserve(std::min<quint64>(count, kChunkBytes / sizeof(value[0])));
    for (quint32 i = 0; i < count; ++i) {
        value.emplace_back();
        readU32PairMap(value.back());
    }
    return *this;
}

ShowStreamer& ShowStreamer::readU16SetMap(std::map<quint32, std::set<quint16>>& value)
{
    const quint32 count = readCount();
    checkAvailable(count, 4 + countSize());
    for (quint32 i = 0; i < count; ++i) {
        quint32 key = 0;
        readU32(key);
        readU16Set(value[key]);
    }
    return *this;
}

ShowStreamer& ShowStreamer::readU32SetMap(std::map<quint32, std::set<quint32>>& value)
{
    const quint32 count = readCount();
    checkAvailable(count, 4 + countSize());
    for (quint32 i = 0; i < count; ++i) {
        quint32 key = 0;
        readU32(key);
        readU32Set(value[key]);
    }
    return *this;
}

ShowStreamer& ShowStreamer::readGroupMap(std::map<quint32, ShowGroup>& value)
{
    const quint32 count = readCount();
    checkAvailable(count, 4 + 2 * countSize());
    for (quint32 i = 0; i < count; ++i) {
        quint32 key = 0;
        readU32(key);
        ShowGroup& group = value[key];
        readU16Set(group.members);
        readText(group.name);
        checkState();
    }
    return *this;
}

}  // namespace Quil
