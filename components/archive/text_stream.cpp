#include "components/archive/text_stream.h"

#include "components/archive/type_registry.h"
#include "components/archive/variant_codec.h"

#include "seltrane_components/os/file_utils.h"

#include <QBuffer>
#include <QDataStream>
#include <QLocale>
#include <QTextCodec>

#include <cerrno>
#include <cmath>
#include <limits>
#include <stdexcept>

namespace {

constexpr int kMaxTagLength = 4096;
constexpr int kMaxHeaderLineLength = 16 << 20;
const char kStreamDataStart[] = "<StreamData version=\"";
const QChar kNewLine = QLatin1Char('\n');

// The shortest text that reads back as the same value.
QString formatDouble(double value)
{
    if (value == 0 && std::signbit(value))
        return QStringLiteral("-0");
    return QString::number(value, 'g', QLocale::FloatingPointShortest);
}

double parseDouble(const QString& text)
{
    bool ok = false;
    const double value = text.trimmed().toDouble(&ok);
    if (!ok)
        StreamCode::fail("Error reading from file");
    return value;
}

// Rounds as the hardware does, without converting an out-of-range value:
// beyond the midpoint between the largest float and 2^128 lies infinity.
float toFloat(double value)
{
    constexpr float kMax = std::numeric_limits<float>::max();
    static const double kInfinityFrom = std::ldexp(1.0, 128) - std::ldexp(1.0, 103);
    if (std::isfinite(value) && std::fabs(value) > double(kMax)) {
        if (std::fabs(value) >= kInfinityFrom)
            return std::signbit(value) ? -std::numeric_limits<float>::infinity()
                                       : std::numeric_limits<float>::infinity();
        return std::signbit(value) ? -kMax : kMax;
    }
    return float(value);
}

QString formatFloat(float value)
{
    if (!std::isfinite(value))
        return formatDouble(double(value));
    for (int precision = 1; precision < 9; ++precision) {
        const QString text = QString::number(double(value), 'g', precision);
        if (toFloat(text.toDouble()) == value)
            return text;
    }
    return QString::number(double(value), 'g', 9);
}

// Qt::TextDate forms in English whatever the user's locale (Qt's own writer
// uses the locale's names, which its reader does not take), with milliseconds
// only where there are any, so that a value reads back as it was written.
QString formatTime(const QTime& time)
{
    if (!time.isValid())
        return QString();
    return time.toString(time.msec() ? QStringLiteral("hh:mm:ss.zzz") : QStringLiteral("hh:mm:ss"));
}

QString formatDate(const QDate& date)
{
    return date.isValid() ? QLocale::c().toString(date, QStringLiteral("ddd MMM d yyyy")) : QString();
}

QString formatDateTime(const QDateTime& dateTime)
{
    if (!dateTime.isValid())
        return QString();
    const QLocale c = QLocale::c();
    QString text = c.toString(dateTime.date(), QStringLiteral("ddd MMM d")) + QLatin1Char(' ')
        + formatTime(dateTime.time()) + QLatin1Char(' ') + c.toString(dateTime.date(), QStringLiteral("yyyy"));
    if (dateTime.timeSpec() == Qt::UTC) {
        text += QLatin1String(" GMT");
    } else if (dateTime.timeSpec() != Qt::LocalTime) {
        // A named zone is kept as its offset at that moment: the same instant.
        const int offset = dateTime.offsetFromUtc();
        const int minutes = std::abs(offset) / 60;
        text += QStringLiteral(" GMT%1%2%3")
                    .arg(offset < 0 ? QLatin1Char('-') : QLatin1Char('+'))
                    .arg(minutes / 60, 2, 10, QLatin1Char('0'))
                    .arg(minutes % 60, 2, 10, QLatin1Char('0'));
    }
    return text;
}

int parseInt(const QString& text)
{
    bool ok = false;
    const int value = text.trimmed().toInt(&ok);
    if (!ok)
        StreamCode::fail("Error reading from file");
    return value;
}

// "a,b" or "a,b,c,d": the separated parts, exactly count of them.
QStringList splitParts(const QString& text, int count)
{
    const QStringList parts = text.split(QLatin1Char(','));
    if (parts.size() != count)
        StreamCode::fail("Error reading from file");
    return parts;
}

int hexValue(QChar c)
{
    const ushort u = c.unicode();
    if (u >= '0' && u <= '9')
        return u - '0';
    if (u >= 'A' && u <= 'F')
        return u - 'A' + 10;
    if (u >= 'a' && u <= 'f')
        return u - 'a' + 10;
    return -1;
}

}  // namespace

// --- TextInStream -----------------------------------------------------------

TextInStream::TextInStream() = default;

TextInStream::~TextInStream() { close(); }

void TextInStream::close()
{
    m_text.setDevice(nullptr);
    if (m_file.isOpen())
        m_file.close();
    m_buffer.clear();
    m_bufferPos = 0;
    m_charsBefore = 0;
    m_tagOpen = false;
    m_hasPending = false;
}

void TextInStream::open(const QString& path, quint16 supportedVersion, QByteArray* extra)
{
    close();
    openFile(m_file, path);
    m_size = m_file.size();
    m_text.setDevice(&m_file);
    m_text.setCodec("UTF-8");

    try {
        QString line;
        if (!readLine(line) || line != QLatin1String(kTextStreamHeader))
            StreamCode::fail("Error file not in valid format");
        // The StreamData line: the first non-empty one of the next three.
        for (int i = 0; i < 3; ++i) {
            if (!readLine(line) || !line.isEmpty())
                break;
        }
        const int start = int(sizeof kStreamDataStart) - 1;
        if (extra && line.startsWith(QLatin1String(kStreamDataStart)) && line.size() >= start + 2)
            *extra = QByteArray::fromPercentEncoding(line.mid(start, line.size() - start - 2).toLatin1());

        if (!readLine(line))
            line.clear();
        const int first = line.indexOf(QLatin1Char('"'));
        const int second = first < 0 ? -1 : line.indexOf(QLatin1Char('"'), first + 1);
        bool ok = false;
        const quint16 version = second < 0 ? 0 : line.mid(first + 1, second - first - 1).toUShort(&ok);
        if (!ok)
            StreamCode::fail("Error file version information not present");
        acceptVersion(version, supportedVersion);
    } catch (...) {
        close();
        throw;
    }
}

bool TextInStream::isOpen() const { return m_file.isOpen() && m_file.isReadable(); }

bool TextInStream::fill()
{
    if (m_bufferPos < m_buffer.size())
        return true;
    if (!m_file.isOpen())
        return false;
    m_charsBefore += m_buffer.size();
    m_buffer = m_text.read(kReadBlock);
    m_bufferPos = 0;
    return !m_buffer.isEmpty();
}

bool TextInStream::nextChar(QChar& c)
{
    if (!fill())
        return false;
    c = m_buffer.at(m_bufferPos++);
    return true;
}

// Consumes text up to the next stop character, appending it to *into when
// given; true when the stop was found (and consumed), false at the end of
// the data. Fails once more than limit characters would be gathered.
bool TextInStream::scanTo(QChar stop, QString* into, int limit)
{
    while (fill()) {
        const int at = m_buffer.indexOf(stop, m_bufferPos);
        const int end = at >= 0 ? at : m_buffer.size();
        if (into) {
            if (limit >= 0 && into->size() + (end - m_bufferPos) > limit)
                StreamCode::fail("Error reading from file");
            into->append(m_buffer.constData() + m_bufferPos, end - m_bufferPos);
        }
        m_bufferPos = end;
        if (at >= 0) {
            ++m_bufferPos;
            return true;
        }
    }
    return false;
}

const QString& TextInStream::nameOf(quint32 code)
{
    const auto found = m_names.find(code);
    if (found != m_names.end())
        return found->second;
    return m_names.emplace(code, ObjectRegistry::nameForCode(code)).first->second;
}

bool TextInStream::readLine(QString& line)
{
    line.clear();
    QChar c;
    bool any = false;
    while (nextChar(c)) {
        any = true;
        if (c == QLatin1Char('\n'))
            break;
        if (line.size() > kMaxHeaderLineLength)
            StreamCode::fail("Error file not in valid format");
        line += c;
    }
    if (line.endsWith(QLatin1Char('\r')))
        line.chop(1);
    return any;
}

// The next tag, read once and kept until a section takes it. End of data is
// "Error reading from file", or a tag mismatch where a closing tag is due.
const TextInStream::Tag& TextInStream::nextTag(quint32 closingExpected)
{
    if (m_hasPending)
        return m_pending;
    const auto endOfData = [&] {
        if (closingExpected != 0xFFFFFFFFu)
            tagMismatch(closingExpected);
        StreamCode::fail("Error reading from file");
    };
    if (!m_tagOpen && !scanTo(QLatin1Char('<'), nullptr, -1))
        endOfData();
    m_tagOpen = false;
    Tag& tag = m_pending;
    tag.raw.resize(0);
    if (!scanTo(QLatin1Char('>'), &tag.raw, kMaxTagLength))
        endOfData();

    const QString& raw = tag.raw;
    tag.closing = false;
    tag.code = 0;
    tag.hasCode = false;
    if (raw.startsWith(QLatin1Char('/'))) {
        tag.closing = true;
        tag.nameFrom = 1;
        tag.nameLength = raw.size() - 1;
    } else {
        const int space = raw.indexOf(QLatin1Char(' '));
        tag.nameFrom = 0;
        tag.nameLength = space < 0 ? raw.size() : space;
        static const QString key = QStringLiteral("code=\"");
        const int at = space < 0 ? -1 : raw.indexOf(key, space);
        if (at >= 0) {
            const int from = at + key.size();
            const int end = raw.indexOf(QLatin1Char('"'), from);
            bool ok = false;
            tag.code = end < 0 ? 0 : raw.midRef(from, end - from).toUInt(&ok);
            if (!ok)
                StreamCode::fail("Error reading from file");
            tag.hasCode = true;
        }
    }
    m_hasPending = true;
    return m_pending;
}

bool TextInStream::nextTagIsClosing() { return nextTag(0xFFFFFFFFu).closing; }

quint16 TextInStream::peekSection()
{
    if (!isOpen())
        StreamCode::fail("Error reading from file");
    const Tag& tag = nextTag(0xFFFFFFFFu);
    // A closing tag is looked up with its slash, and fails.
    const QString name = tag.raw.left(tag.nameFrom + tag.nameLength);
    if (!tag.hasCode) {
        const auto found = m_codes.constFind(name);
        if (found != m_codes.constEnd())
            return quint16(found.value());
        const quint32 code = ObjectRegistry::codeForName(name);
        m_codes.insert(name, code);
        return quint16(code);
    }
    // A code attribute must be a code registered under the element's name.
    const ObjectRegistry::Record* record = ObjectRegistry::instance().find(tag.code);
    if (!record || record->name != name || tag.code > 0xFFFFu)
        throw std::runtime_error(QStringLiteral("Bad registry lookup, string %1").arg(name).toLatin1().toStdString());
    return quint16(tag.code);
}

void TextInStream::beginSection(quint32 code)
{
    if (!isOpen())
        StreamCode::fail("Error reading from file");
    const QString& expected = nameOf(code);
    const Tag& tag = nextTag(0xFFFFFFFFu);
    if (tag.closing || tag.name() != expected || (tag.hasCode && tag.code != code))
        tagMismatch(code);
    m_hasPending = false;
}

void TextInStream::endSection(quint32 code)
{
    if (!isOpen())
        StreamCode::fail("Error reading from file");
    const QString& expected = nameOf(code);
    const Tag& tag = nextTag(code);
    if (!tag.closing || tag.name() != expected)
        tagMismatch(code);
    m_hasPending = false;
}

// The element's text: everything up to the next '<', which opens the closing tag.
QString TextInStream::readText()
{
    QString text;
    if (m_hasPending)
        return text;
    m_tagOpen = scanTo(QLatin1Char('<'), &text, -1);
    return text;
}

QString TextInStream::readElement(quint32 openCode, quint32 closeCode)
{
    beginSection(openCode);
    const QString text = readText();
    endSection(closeCode);
    return text;
}

template <class T>
InStream& TextInStream::readInteger(quint32 code, T& value)
{
    const QString text = readElement(code, code).trimmed();
    bool ok = false;
    // Out-of-range text keeps its low bits, as a narrowing C++ cast does.
    if (std::is_unsigned<T>::value) {
        qulonglong v = text.toULongLong(&ok);
        if (!ok)
            v = qulonglong(text.toLongLong(&ok));
        value = T(v);
    } else {
        qlonglong v = text.toLongLong(&ok);
        if (!ok)
            v = qlonglong(text.toULongLong(&ok));
        value = T(v);
    }
    if (!ok)
        StreamCode::fail("Error reading from file");
    return *this;
}

InStream& TextInStream::operator>>(QStringList& value)
{
    beginSection(StreamCode::StringList);
    readText();
    // Files of earlier writers hold an empty element: the value stays as it is.
    if (!nextTagIsClosing()) {
        const quint32 count = readCount();
        value.clear();
        for (quint32 i = 0; i < count; ++i) {
            QString element;
            *this >> element;
            value.append(element);
        }
    }
    endSection(StreamCode::StringList);
    return *this;
}

InStream& TextInStream::operator>>(QVariant& value)
{
    const QString text = readElement(StreamCode::Variant, StreamCode::Variant).trimmed();
    if (text.isEmpty())  // earlier writers stored no content
        return *this;
    QByteArray bytes = QByteArray::fromPercentEncoding(text.toLatin1());
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::ReadOnly);
    QDataStream stream(&buffer);
    stream.setVersion(StreamCode::kQtDataStreamVersion);
    VariantCodec::read(stream, value);
    if (stream.status() != QDataStream::Ok)
        StreamCode::fail("Error reading from file");
    return *this;
}

InStream& TextInStream::operator>>(QSizeF& value)
{
    const QStringList parts = splitParts(readElement(StreamCode::SizeF, StreamCode::SizeF), 2);
    value = QSizeF(parseDouble(parts[0]), parseDouble(parts[1]));
    return *this;
}

InStream& TextInStream::operator>>(QSize& value)
{
    const QStringList parts = splitParts(readElement(StreamCode::Size, StreamCode::Size), 2);
    value = QSize(parseInt(parts[0]), parseInt(parts[1]));
    return *this;
}

InStream& TextInStream::operator>>(QRect& value)
{
    const QStringList parts = splitParts(readElement(StreamCode::Rect, StreamCode::Rect), 4);
    value = QRect(parseInt(parts[0]), parseInt(parts[1]), parseInt(parts[2]), parseInt(parts[3]));
    return *this;
}

InStream& TextInStream::operator>>(QTime& value)
{
    value = QTime::fromString(readElement(StreamCode::Time, StreamCode::Time), Qt::TextDate);
    return *this;
}

InStream& TextInStream::operator>>(QDate& value)
{
    // Opened as QDate and closed as QDateTime, as the stored files have it.
    value = QDate::fromString(readElement(StreamCode::Date, StreamCode::DateTimeQt), Qt::TextDate);
    return *this;
}

InStream& TextInStream::operator>>(QDateTime& value)
{
    value = QDateTime::fromString(readElement(StreamCode::DateTimeQt, StreamCode::DateTimeQt), Qt::TextDate);
    return *this;
}

InStream& TextInStream::operator>>(QUuid& value)
{
    value = QUuid(readElement(StreamCode::Uuid, StreamCode::Uuid).trimmed());
    return *this;
}

InStream& TextInStream::operator>>(QByteArray& value)
{
    value = QByteArray::fromPercentEncoding(readElement(StreamCode::ByteArray, StreamCode::ByteArray).toLatin1());
    return *this;
}

InStream& TextInStream::operator>>(QPointF& value)
{
    const QStringList parts = splitParts(readElement(StreamCode::PointF, StreamCode::PointF), 2);
    value = QPointF(parseDouble(parts[0]), parseDouble(parts[1]));
    return *this;
}

InStream& TextInStream::operator>>(QPoint& value)
{
    // Code 17 has no registered name: this fails in the registry lookup.
    const QStringList parts = splitParts(readElement(StreamCode::Point, StreamCode::Point), 2);
    value = QPoint(parseInt(parts[0]), parseInt(parts[1]));
    return *this;
}

InStream& TextInStream::operator>>(QString& value)
{
    value = TextOutStream::unescape(readElement(StreamCode::String, StreamCode::String));
    return *this;
}

InStream& TextInStream::operator>>(bool& value)
{
    value = readElement(StreamCode::Bool, StreamCode::Bool).trimmed() == QLatin1String("1");
    return *this;
}

InStream& TextInStream::operator>>(double& value)
{
    value = parseDouble(readElement(StreamCode::Double, StreamCode::Double));
    return *this;
}

InStream& TextInStream::operator>>(float& value)
{
    value = toFloat(parseDouble(readElement(StreamCode::Float, StreamCode::Float)));
    return *this;
}

InStream& TextInStream::operator>>(quint8& value) { return readInteger(StreamCode::UInt8, value); }
InStream& TextInStream::operator>>(quint16& value) { return readInteger(StreamCode::UInt16, value); }
InStream& TextInStream::operator>>(quint32& value) { return readInteger(StreamCode::UInt32, value); }
InStream& TextInStream::operator>>(quint64& value) { return readInteger(StreamCode::UInt64, value); }
InStream& TextInStream::operator>>(qint8& value) { return readInteger(StreamCode::Int8, value); }
InStream& TextInStream::operator>>(qint16& value) { return readInteger(StreamCode::Int16, value); }
InStream& TextInStream::operator>>(qint32& value) { return readInteger(StreamCode::Int32, value); }
InStream& TextInStream::operator>>(qint64& value) { return readInteger(StreamCode::Int64, value); }

int TextInStream::readRaw(char* data, int length)
{
    if (length <= 0)
        return 0;
    if (m_hasPending)
        StreamCode::fail("Error reading from file");
    QChar c;
    do {
        if (!nextChar(c))
            StreamCode::fail("Error reading from file");
    } while (c.isSpace());
    for (int i = 0; i < length; ++i) {
        if (i > 0 && !nextChar(c))
            StreamCode::fail("Error reading from file");
        const int high = hexValue(c);
        QChar low;
        if (!nextChar(low))
            StreamCode::fail("Error reading from file");
        const int lowValue = hexValue(low);
        if (high < 0 || lowValue < 0)
            StreamCode::fail("Error reading from file");
        data[i] = char(high * 16 + lowValue);
    }
    return length;
}

void TextInStream::checkStatus()
{
    if (!isOpen())
        StreamCode::fail("Error reading from file");
}

qint64 TextInStream::bytesRemaining() const
{
    // Every character takes at least one byte of UTF-8.
    // Against the size taken at opening: asking the file is a system call.
    return m_file.isOpen() ? std::max<qint64>(0, m_size - (m_charsBefore + m_bufferPos)) : 0;
}

// --- TextOutStream ----------------------------------------------------------

TextOutStream::TextOutStream(quint16 version) : OutStream(version) {}

TextOutStream::~TextOutStream() { finish(true); }

QString TextOutStream::escape(const QString& text)
{
    QString result = text;
    result.replace(QLatin1Char('&'), QLatin1String("&amp"));
    result.replace(QLatin1Char('<'), QLatin1String("&lt"));
    result.replace(QLatin1Char('>'), QLatin1String("&gt"));
    result.replace(QLatin1Char('"'), QLatin1String("&quot"));
    result.replace(QLatin1Char('\''), QLatin1String("&apos"));
    return result;
}

QString TextOutStream::unescape(const QString& text)
{
    // The ampersand last, so that an escaped entity text comes back as text.
    QString result = text;
    result.replace(QLatin1String("&lt"), QLatin1String("<"));
    result.replace(QLatin1String("&gt"), QLatin1String(">"));
    result.replace(QLatin1String("&quot"), QLatin1String("\""));
    result.replace(QLatin1String("&apos"), QLatin1String("'"));
    result.replace(QLatin1String("&amp"), QLatin1String("&"));
    return result;
}

void TextOutStream::open(const QString& path, const QByteArray* extra)
{
    finish(true);
    createFile(m_file, path);
    // No byte-order mark, as QTextStream writes UTF-8; the encoder keeps a
    // surrogate pair whole across two flushes.
    m_encoder.reset(QTextCodec::codecForName("UTF-8")->makeEncoder(QTextCodec::IgnoreHeader));
    m_writeFailed = false;
    m_pending.clear();
    m_pending.reserve(kFlushSize + 4096);
    m_atLineStart = true;
    m_containerDepths.clear();
    const QByteArray encoded = extra ? extra->toPercentEncoding() : QByteArray();
    write(QLatin1String(kTextStreamHeader) + QLatin1String("\n\n"));
    write(QLatin1String(kStreamDataStart) + QString::fromLatin1(encoded) + QLatin1String("\">\n"));
    write(QStringLiteral("<ArchiveStream version=\"%1\">\n").arg(version()));
    m_depth = 1;
}

bool TextOutStream::isOpen() const { return m_file.isOpen() && m_file.isWritable(); }

void TextOutStream::close() { finish(false); }

void TextOutStream::finish(bool quiet)
{
    if (!m_file.isOpen())
        return;
    write(QStringLiteral("</ArchiveStream>\n"));
    m_depth = 0;
    m_containerDepths.clear();
    flushPending();
    const bool ok = !m_writeFailed;
    m_encoder.reset();
    m_pending.clear();
    m_pending.squeeze();
    reportClose(closeFile(m_file) && ok, quiet, "TextOutStream file flush failed");
}

void TextOutStream::flushPending()
{
    if (m_pending.isEmpty())
        return;
    const QByteArray bytes = m_encoder->fromUnicode(m_pending);
    errno = 0;
    if (!m_writeFailed && m_file.write(bytes) != bytes.size()) {
        noteFileError();
        m_writeFailed = true;
    }
    m_pending.resize(0);
}

void TextOutStream::append(const QChar* text, int length)
{
    if (length <= 0)
        return;
    m_pending.append(text, length);
    m_atLineStart = text[length - 1] == QLatin1Char('\n');
    if (m_pending.size() >= kFlushSize)
        flushPending();
}

void TextOutStream::write(const QString& text) { append(text.constData(), text.size()); }

void TextOutStream::indent(int depth)
{
    static const QString kSpaces(256, QLatin1Char(' '));
    for (int n = std::max(depth, 0) * 4; n > 0; n -= kSpaces.size())
        append(kSpaces.constData(), std::min(n, kSpaces.size()));
}

const TextOutStream::Element& TextOutStream::element(quint32 code)
{
    const auto found = m_elements.find(code);
    if (found != m_elements.end())
        return found->second;
    Element element;
    const QString name = ObjectRegistry::nameForCode(code);
    element.open = QLatin1Char('<') + name;
    // A shared name reads back as its lowest code; any other code says so.
    if (ObjectRegistry::codeForName(name) != code)
        element.open += QStringLiteral(" code=\"%1\"").arg(code);
    element.open += QLatin1Char('>');
    element.close = QLatin1String("</") + name + QLatin1String(">\n");
    return m_elements.emplace(code, std::move(element)).first->second;
}

void TextOutStream::beginSection(quint32 code, bool container)
{
    const Element& tag = element(code);
    indent(m_depth);
    write(tag.open);
    if (container) {
        append(&kNewLine, 1);
        m_containerDepths.push_back(m_depth);
    }
    ++m_depth;
}

void TextOutStream::endSection(quint32 code)
{
    const Element& tag = element(code);
    --m_depth;
    if (!m_containerDepths.empty() && m_containerDepths.back() == m_depth) {
        indent(m_depth);
        m_containerDepths.pop_back();
    }
    write(tag.close);
}

int TextOutStream::writeRaw(const char* data, int length)
{
    if (length <= 0)
        return 0;
    const QString hex = QString::fromLatin1(QByteArray::fromRawData(data, length).toHex().toUpper());
    if (m_atLineStart) {
        indent(m_depth);
        write(hex);
        append(&kNewLine, 1);
    } else {
        write(hex);
    }
    return length;
}

OutStream& TextOutStream::writeElement(quint32 openCode, quint32 closeCode, const QString& text)
{
    beginSection(openCode, false);
    write(text);
    endSection(closeCode);
    return *this;
}

OutStream& TextOutStream::operator<<(const QStringList& value)
{
    beginSection(StreamCode::StringList, true);
    writeCount(std::size_t(value.size()));
    for (const QString& element : value)
        *this << element;
    endSection(StreamCode::StringList);
    return *this;
}

OutStream& TextOutStream::operator<<(const QVariant& value)
{
    QByteArray bytes;
    QDataStream stream(&bytes, QIODevice::WriteOnly);
    stream.setVersion(StreamCode::kQtDataStreamVersion);
    VariantCodec::write(stream, value);
    return writeElement(StreamCode::Variant, StreamCode::Variant, QString::fromLatin1(bytes.toPercentEncoding()));
}

OutStream& TextOutStream::operator<<(const QSizeF& value)
{
    return writeElement(StreamCode::SizeF, StreamCode::SizeF,
                        formatDouble(value.width()) + QLatin1Char(',') + formatDouble(value.height()));
}

OutStream& TextOutStream::operator<<(const QSize& value)
{
    return writeElement(StreamCode::Size, StreamCode::Size,
                        QStringLiteral("%1,%2").arg(value.width()).arg(value.height()));
}

OutStream& TextOutStream::operator<<(const QRect& value)
{
    return writeElement(StreamCode::Rect, StreamCode::Rect,
                        QStringLiteral("%1,%2,%3,%4")
                            .arg(value.left())
                            .arg(value.top())
                            .arg(value.right() - value.left() + 1)
                            .arg(value.bottom() - value.top() + 1));
}

OutStream& TextOutStream::operator<<(const QTime& value)
{
    return writeElement(StreamCode::Time, StreamCode::Time, formatTime(value));
}

OutStream& TextOutStream::operator<<(const QDate& value)
{
    return writeElement(StreamCode::Date, StreamCode::DateTimeQt, formatDate(value));
}

OutStream& TextOutStream::operator<<(const QDateTime& value)
{
    return writeElement(StreamCode::DateTimeQt, StreamCode::DateTimeQt, formatDateTime(value));
}

OutStream& TextOutStream::operator<<(const QUuid& value)
{
    return writeElement(StreamCode::Uuid, StreamCode::Uuid, value.toString());
}

OutStream& TextOutStream::operator<<(const QByteArray& value)
{
    return writeElement(StreamCode::ByteArray, StreamCode::ByteArray, QString::fromLatin1(value.toPercentEncoding()));
}

OutStream& TextOutStream::operator<<(const QPointF& value)
{
    return writeElement(StreamCode::PointF, StreamCode::PointF,
                        formatDouble(value.x()) + QLatin1Char(',') + formatDouble(value.y()));
}

OutStream& TextOutStream::operator<<(const QPoint& value)
{
    return writeElement(StreamCode::Point, StreamCode::Point, QStringLiteral("%1,%2").arg(value.x()).arg(value.y()));
}

OutStream& TextOutStream::operator<<(const QString& value)
{
    return writeElement(StreamCode::String, StreamCode::String, escape(value));
}

OutStream& TextOutStream::operator<<(bool value)
{
    return writeElement(StreamCode::Bool, StreamCode::Bool, value ? QStringLiteral("1") : QStringLiteral("0"));
}

OutStream& TextOutStream::operator<<(double value)
{
    return writeElement(StreamCode::Double, StreamCode::Double, formatDouble(value));
}

OutStream& TextOutStream::operator<<(float value)
{
    return writeElement(StreamCode::Float, StreamCode::Float, formatFloat(value));
}

OutStream& TextOutStream::operator<<(quint8 value)
{
    return writeElement(StreamCode::UInt8, StreamCode::UInt8, QString::number(value));
}
OutStream& TextOutStream::operator<<(quint16 value)
{
    return writeElement(StreamCode::UInt16, StreamCode::UInt16, QString::number(value));
}
OutStream& TextOutStream::operator<<(quint32 value)
{
    return writeElement(StreamCode::UInt32, StreamCode::UInt32, QString::number(value));
}
OutStream& TextOutStream::operator<<(quint64 value)
{
    return writeElement(StreamCode::UInt64, StreamCode::UInt64, QString::number(value));
}
OutStream& TextOutStream::operator<<(qint8 value)
{
    return writeElement(StreamCode::Int8, StreamCode::Int8, QString::number(value));
}
OutStream& TextOutStream::operator<<(qint16 value)
{
    return writeElement(StreamCode::Int16, StreamCode::Int16, QString::number(value));
}
OutStream& TextOutStream::operator<<(qint32 value)
{
    return writeElement(StreamCode::Int32, StreamCode::Int32, QString::number(value));
}
OutStream& TextOutStream::operator<<(qint64 value)
{
    return writeElement(StreamCode::Int64, StreamCode::Int64, QString::number(value));
}
