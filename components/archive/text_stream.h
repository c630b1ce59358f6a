// The text object stream: a readable, XML-like UTF-8 text. After a fixed
// declaration line, a StreamData line (the extra bytes, percent-encoded) and
// an ArchiveStream line (the format version), every value is one element
// named after its registry code, indented four spaces per level:
//
//     <vector>
//         <uint32>2</uint32>
//         <uint32>7</uint32>
//         <uint32>9</uint32>
//     </vector>
//
// A name shared by several codes carries code="N" where N is not the code the
// name reads back as. Strings are escaped without semicolons (&lt, &amp...),
// byte arrays and QVariant bytes percent-encoded, raw bytes upper-case hex;
// floating-point values are written in the shortest form that reads back
// exactly; dates and times in the English Qt::TextDate form whatever the
// locale, with milliseconds where there are any.
//
// Writing: only a close() that returns means the data is complete (it throws
// "Error writing to file"); the destructor closes without throwing.
// Ownership: each stream owns its file. One thread uses a stream at a time.
#ifndef ARCHIVE_TEXT_STREAM_H
#define ARCHIVE_TEXT_STREAM_H

#include "components/archive/in_stream.h"
#include "components/archive/out_stream.h"

#include <QFile>
#include <QHash>
#include <QTextStream>

#include <deque>
#include <memory>
#include <unordered_map>

class QTextEncoder;

class TextInStream : public InStream
{
public:
    TextInStream();
    ~TextInStream() override;

    // Opens the file and reads its header lines; the extra bytes go to *extra
    // when given. Throws version_exception when the file is newer than supported.
    void open(const QString& path, quint16 supportedVersion, QByteArray* extra = nullptr);
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
    // The text between '<' and '>', read into one reused string.
    struct Tag
    {
        QString raw;
        int nameFrom = 0;
        int nameLength = 0;
        bool closing = false;
        quint32 code = 0;  // from a code attribute, else the name's code
        bool hasCode = false;
        QStringRef name() const { return raw.midRef(nameFrom, nameLength); }
    };
    static constexpr int kReadBlock = 64 * 1024;  // characters decoded at a time

    bool fill();
    bool nextChar(QChar& c);
    bool scanTo(QChar stop, QString* into, int limit);
    const QString& nameOf(quint32 code);
    bool readLine(QString& line);
    const Tag& nextTag(quint32 closingExpected);
    bool nextTagIsClosing();
    QString readText();
    QString readElement(quint32 openCode, quint32 closeCode);
    template <class T>
    InStream& readInteger(quint32 code, T& value);

    QFile m_file;
    QTextStream m_text;
    QString m_buffer;
    int m_bufferPos = 0;
    qint64 m_charsBefore = 0;  // characters of the blocks before m_buffer
    // Element names by code and codes by name, looked up once per stream.
    std::unordered_map<quint32, QString> m_names;
    QHash<QString, quint32> m_codes;
    qint64 m_size = 0;       // the file's size when it was opened
    bool m_tagOpen = false;  // the '<' of the next tag is consumed
    bool m_hasPending = false;
    Tag m_pending;
};

class TextOutStream : public OutStream
{
public:
    explicit TextOutStream(quint16 version);
    ~TextOutStream() override;

    // Creates or truncates the file and writes the four header lines.
    void open(const QString& path, const QByteArray* extra = nullptr);

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

    // The string as the text form stores it: & < > " ' as &amp &lt &gt &quot
    // &apos, without semicolons.
    static QString escape(const QString& text);
    static QString unescape(const QString& text);

private:
    // The text of an element's tags, made once per code and stream.
    struct Element
    {
        QString open;   // "<name>" or "<name code="N">"
        QString close;  // "</name>\n"
    };
    static constexpr int kFlushSize = 64 * 1024;  // characters

    OutStream& writeElement(quint32 openCode, quint32 closeCode, const QString& text);
    const Element& element(quint32 code);
    void write(const QString& text);
    void append(const QChar* text, int length);
    void indent(int depth);
    void flushPending();
    void finish(bool quiet);

    QFile m_file;
    // Text is gathered here and encoded in blocks of kFlushSize.
    QString m_pending;
    std::unique_ptr<QTextEncoder> m_encoder;
    bool m_writeFailed = false;
    std::unordered_map<quint32, Element> m_elements;
    int m_depth = 0;
    std::deque<int> m_containerDepths;
    bool m_atLineStart = true;
};

#endif  // ARCHIVE_TEXT_STREAM_H
