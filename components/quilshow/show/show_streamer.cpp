#include "components/quilshow/show/show_streamer.h"

#include "seltrane_components/os/report_error.h"

#include <QTextCodec>
#include <QtEndian>

#include <algorithm>
#include <stdexcept>

namespace Quil {

namespace {

const char kReadError[] = "Error reading/writing from file";

[[noreturn]] void throwReadError()
{
    throw std::runtime_error(kReadError);
}

}  // namespace

QString toQString(const std::string& text)
{
    const std::string::size_type nul = text.find('\0');
    const int length = static_cast<int>(nul == std::string::npos ? text.size() : nul);
    QTextCodec* utf8 = QTextCodec::codecForMib(106);
    QTextCodec::ConverterState state(QTextCodec::ConvertInvalidToNull);
    const QString decoded = utf8->toUnicode(text.data(), length, &state);
    if (state.invalidChars == 0 && state.remainingChars == 0)
        return decoded;
    return QString::fromLatin1(text.data(), length);
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
    m_file.seekg(0, std::ios::end);
    const std::streamoff size = m_file.tellg();
    m_file.seekg(0, std::ios::beg);
    m_fileSize = size > 0 ? static_cast<quint64>(size) : 0;
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
    m_fileSize = 0;
}

bool ShowStreamer::readHeader()
{
    const quint16 guard1 = rawU16();
    const quint32 magic = rawU32();
    const quint16 guard2 = rawU16();
    if (!m_file.good())
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
    checkState();
}

quint16 ShowStreamer::readVersion()
{
    SELTRANE_ASSERT(mode == BINARY_IN);
    version = rawU16();
    checkState();
    return version;
}

void ShowStreamer::checkState()
{
    if (!m_file.good())
        throwReadError();
}

quint16 ShowStreamer::expectMarker(quint16 expected)
{
    SELTRANE_ASSERT(mode == BINARY_IN);
    const quint16 found = rawU16();
    checkState();
    if (found != expected)
        throw std::runtime_error("Magic number doesn't match " + std::to_string(expected));
    return found;
}

quint64 ShowStreamer::bytesLeft()
{
    const std::streamoff position = m_file.tellg();
    if (position < 0 || static_cast<quint64>(position) > m_fileSize)
        return 0;
    return m_fileSize - static_cast<quint64>(position);
}

void ShowStreamer::checkAvailable(quint64 count, quint64 elementSize)
{
    // count is at most 32 bits and elementSize small, so this cannot wrap.
    if (count * elementSize > bytesLeft())
        throwReadError();
}

void ShowStreamer::readRaw(void* data, std::streamsize size)
{
    m_file.read(static_cast<char*>(data), size);
}

quint16 ShowStreamer::rawU16()
{
    quint8 bytes[2] = {0, 0};
    readRaw(bytes, 2);
    const quint16 value = qFromLittleEndian<quint16>(bytes);
    return m_byteSwap ? qbswap(value) : value;
}

quint32 ShowStreamer::rawU32()
{
    quint8 bytes[4] = {0, 0, 0, 0};
    readRaw(bytes, 4);
    const quint32 value = qFromLittleEndian<quint32>(bytes);
    return m_byteSwap ? qbswap(value) : value;
}

quint32 ShowStreamer::readCount()
{
    const quint32 count = version < kWideCountVersion ? rawU16() : rawU32();
    checkState();
    return count;
}

ShowStreamer& ShowStreamer::readU8(quint8& value)
{
    readRaw(&value, 1);
    checkState();
    return *this;
}

ShowStreamer& ShowStreamer::readBool(bool& value)
{
    quint8 byte = 0;
    readU8(byte);
    value = byte != 0;
    return *this;
}

ShowStreamer& ShowStreamer::readU16(quint16& value)
{
    value = rawU16();
    checkState();
    return *this;
}

ShowStreamer& ShowStreamer::readU32(quint32& value)
{
    value = rawU32();
    checkState();
    return *this;
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

ShowStreamer& ShowStreamer::readString(std::string& value)
{
    const quint32 count = readCount();
    checkAvailable(count, 1);
    value.assign(count, '\0');
    if (count > 0)
        readRaw(&value[0], count);
    checkState();
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
    const quint32 count = readCount();
    checkAvailable(count, 2);
    value.clear();
    value.reserve(count);
    for (quint32 i = 0; i < count; ++i)
        value.push_back(static_cast<char16_t>(rawU16()));
    checkState();
    return *this;
}

ShowStreamer& ShowStreamer::readBytes(std::vector<quint8>& value)
{
    const quint32 count = readCount();
    checkAvailable(count, 1);
    value.assign(count, 0);
    if (count > 0)
        readRaw(value.data(), count);
    checkState();
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
    const quint32 count = readCount();
    checkAvailable(count, 4);
    value.assign(count, 0);
    for (quint32& element : value)
        readU32(element);
    return *this;
}

ShowStreamer& ShowStreamer::readU16PairVector(std::vector<std::pair<quint16, quint16>>& value)
{
    const quint32 count = readCount();
    checkAvailable(count, 4);
    value.assign(count, {0, 0});
    for (auto& element : value) {
        readU16(element.first);
        readU16(element.second);
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

ShowStreamer& ShowStreamer::readU32PairMapVector(
    std::vector<std::map<quint32, std::pair<quint32, quint32>>>& value)
{
    const quint32 count = readCount();
    checkAvailable(count, countSize());
    value.assign(count, {});
    for (auto& map : value)
        readU32PairMap(map);
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
