// Checks every stream test shares: an object's bytes in a headerless binary
// stream, a read at a chosen version, the gate table that says which bytes a
// version held, the round trip through both encodings and the table of a
// type's stream forms. Header-only: a test executable that links the archive
// component includes it. One thread.
//
// Bytes are written as hex with blanks; "00*2046" repeats the run before the
// star, 'ab' is a QString as the stream holds it (00000004 00610062), '#' and
// '%' may mark a count and are skipped.
//
// A gate table is written from what the versions stored, not from the code,
// one row "from-until: bytes" a line (an end left out is 0 or the newest;
// ";" parts short rows on one line, "//" starts a comment):
//     const auto layout = StreamCheck::chunks(R"(
//         -:     0001          // every version
//         62-:   00000007      // from 62 on
//         -112:  deadbeef      // a word only older data carries
//         -150:                // a fix-up of older values: both edges read
//     )");
//     StreamCheck::expectGateReads<Mask>(layout, kNewestVersion, [](quint16 v) { Mask m; ...; return m; });
// compares the whole value read at every version next to an edge with the
// whole value expected there, so a moved fix-up edge or a changed fallback
// fails as surely as a moved byte. Where older data's meaning is best said in
// the newest bytes, a row "135-: 0000004d | ffffffff" says that data before
// 135 reads as ffffffff, and expectGateReadsAsNewest<T>(layout, newest) reads
// the expected values from those bytes.
//
// The newest forms of a type are one table: each form's golden bytes as its
// owner stores it, read back whole over every other form, the round trip, the
// clone, every strict prefix failing, and a targeted damage row for each
// count or type selector (one named run replaced, the exact message):
//     StreamCheck::checkForms<Mask>(version, {{Mask(), "0000"}, {sample(), "0102 'a'"}},
//                                   {{1, 2, "7fffffff", "Error reading ..."},        // at offset 2 of form 1
//                                    {1, 2, "7fffffff", "Error reading ...", "0102"}});  // 2 past "0102"
#ifndef TESTS_SUPPORT_STREAM_CHECK_H
#define TESTS_SUPPORT_STREAM_CHECK_H

#include "components/archive/binary_stream.h"
#include "components/archive/text_stream.h"

#include <gtest/gtest.h>

#include <QBuffer>
#include <QByteArray>
#include <QRegularExpression>
#include <QTemporaryDir>

#include <algorithm>
#include <cctype>
#include <cstring>
#include <functional>
#include <memory>
#include <stdexcept>
#include <string>
#include <utility>
#include <vector>

namespace StreamCheck {

// Open-ended: present up to the newest version.
constexpr quint16 kNewest = 0xFFFF;

// A run of bytes (hex, blanks allowed) present in the versions [from, until).
// A run open to the newest version may say what older data reads as, in the
// newest layout's bytes: `before` (none when empty). A chunk parsed from text
// keeps its strings in `text`.
struct Chunk
{
    quint16 from;
    quint16 until;
    const char* bytes;
    const char* before = "";
    std::shared_ptr<const std::pair<std::string, std::string>> text = {};
};

// The bytes `text` writes (see the header comment); '#' and '%' may mark a
// count and are skipped. Anything else in it fails the test.
inline QByteArray hex(const char* text)
{
    QByteArray bytes, digits;
    int runStart = 0;  // where in `digits` the run since the last blank starts
    const auto fail = [text](const char* what) { ADD_FAILURE() << what << " in hex \"" << text << "\""; };
    const auto flush = [&] {
        if (digits.size() % 2 != 0)
            fail("an odd number of digits");
        bytes += QByteArray::fromHex(digits);
        digits.clear(), runStart = 0;
    };
    for (const char* c = text; *c; ++c) {
        if (std::isxdigit(static_cast<unsigned char>(*c))) {
            digits += *c;
        } else if (std::isspace(static_cast<unsigned char>(*c))) {
            runStart = digits.size();
        } else if (*c == '*') {
            const QByteArray run = digits.mid(runStart);
            digits.truncate(runStart);
            flush();
            int count = 0;
            while (std::isdigit(static_cast<unsigned char>(c[1])))
                count = count * 10 + (*++c - '0');
            if (run.isEmpty() || run.size() % 2 != 0 || count == 0)
                fail("a repeat without a whole run or a count");
            bytes += QByteArray::fromHex(run).repeated(count);
        } else if (*c == '\'') {
            flush();
            const char* close = std::strchr(c + 1, '\'');
            if (!close)
                return fail("an open quote"), bytes;
            const QString string = QString::fromLatin1(c + 1, int(close - c - 1));
            bytes += QByteArray::fromHex(QByteArray::number(string.size() * 2, 16).rightJustified(8, '0'));
            for (const QChar ch : string)
                bytes += char(ch.unicode() >> 8), bytes += char(ch.unicode() & 0xFF);
            c = close;
        } else if (*c != '#' && *c != '%') {
            return fail("a stray character"), bytes;
        }
    }
    flush();
    return bytes;
}

inline QByteArray hex(const std::string& text) { return hex(text.c_str()); }

// Byte strings written as hex rows, one a line or parted by ";" ("//"
// starts a comment).
inline std::vector<QByteArray> hexRows(const std::string& text)
{
    std::vector<QByteArray> rows;
    for (const QString& line : QString::fromStdString(text).split(QLatin1Char('\n'))) {
        for (const QString& row : line.left(line.indexOf(QLatin1String("//"))).split(QLatin1Char(';'))) {
            if (!row.trimmed().isEmpty())
                rows.push_back(hex(row.toStdString()));
        }
    }
    return rows;
}

// A gate table written as rows "from-until: bytes" (see the header comment);
// "from-: bytes | before" fills Chunk::before.
inline std::vector<Chunk> chunks(const std::string& table)
{
    std::vector<Chunk> result;
    for (QString row : QString::fromStdString(table).split(QRegularExpression(QStringLiteral("[\n;]")))) {
        row = row.left(row.indexOf(QLatin1String("//"))).trimmed();
        if (row.isEmpty())
            continue;
        const QRegularExpressionMatch m = QRegularExpression(QStringLiteral("^(\\d*)-(\\d*):(.*)$")).match(row);
        if (!m.hasMatch()) {
            ADD_FAILURE() << "not a gate row: \"" << row.toStdString() << "\"";
            continue;
        }
        const quint16 from = quint16(m.captured(1).toUInt());
        const quint16 until = m.captured(2).isEmpty() ? kNewest : quint16(m.captured(2).toUInt());
        const QStringList parts = m.captured(3).split(QLatin1Char('|'));
        const auto text = std::make_shared<const std::pair<std::string, std::string>>(
            parts[0].trimmed().toStdString(), parts.value(1).trimmed().toStdString());
        result.push_back({from, until, text->first.c_str(), text->second.c_str(), text});
    }
    return result;
}

// The bytes that data of `version` holds.
inline QByteArray bytesAt(quint16 version, const std::vector<Chunk>& chunks)
{
    QByteArray bytes;
    for (const Chunk& chunk : chunks) {
        if (version >= chunk.from && version < chunk.until)
            bytes += hex(chunk.bytes);
    }
    return bytes;
}

// The newest layout's bytes of what data of `version` reads as: every run
// open to the newest version, its `before` where the version predates it.
inline QByteArray newestBytesAt(quint16 version, const std::vector<Chunk>& chunks)
{
    QByteArray bytes;
    for (const Chunk& chunk : chunks) {
        if (chunk.until == kNewest)
            bytes += hex(version >= chunk.from ? chunk.bytes : chunk.before);
    }
    return bytes;
}

// Every version at which a chunk starts or stops, the one before it, and the
// newest: each gate seen from both sides.
inline std::vector<quint16> gateVersions(const std::vector<Chunk>& chunks, quint16 newest)
{
    std::vector<quint16> versions {newest};
    for (const Chunk& chunk : chunks) {
        for (const quint16 edge : {chunk.from, chunk.until}) {
            if (edge == 0 || edge == kNewest || edge > newest)
                continue;
            versions.push_back(edge);
            versions.push_back(quint16(edge - 1));
        }
    }
    std::sort(versions.begin(), versions.end());
    versions.erase(std::unique(versions.begin(), versions.end()), versions.end());
    return versions;
}

inline QByteArray binaryBytes(quint16 version, const std::function<void(OutStream&)>& writeFields)
{
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    BinaryOutStream out(version);
    out.setDevice(&buffer);
    writeFields(out);
    out.close();
    return bytes;
}

// Answers the number of bytes left unread.
inline qint64 readBinary(QByteArray bytes, quint16 version, const std::function<void(InStream&)>& readFields)
{
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::ReadOnly);
    BinaryInStream in;
    in.setDevice(&buffer);
    in.setVersion(version);
    readFields(in);
    return buffer.bytesAvailable();
}

inline std::string hexOf(const QByteArray& bytes) { return bytes.toHex().toStdString(); }

// What a read says of a count larger than the data left.
inline std::string countExceeds(quint64 count)
{
    return "Error reading from file, count " + std::to_string(count) + " exceeds the data remaining";
}
inline const std::string kCountTooLarge = "Error reading from file, count 2147483647 exceeds the data remaining";
// What a read says of a count above its list's own limit.
inline std::string countAboveLimit(quint64 count, quint64 limit)
{
    return "Error reading from file, count " + std::to_string(count) + " is above the limit " + std::to_string(limit);
}
// The 32-bit vector form's limit, and what a count one above it gets.
inline const std::string kVector32CountAboveLimit = countAboveLimit(0x40000000, 0x3FFFFFFF);

// Reads the bytes that each version next to an edge of `layout` holds into a
// fresh T (by read(value, stream)) and compares the whole value with
// expected(version); a mismatch shows both as written bytes.
template <class T>
void expectGateReads(
    const std::vector<Chunk>& layout, quint16 newest, const std::function<T(quint16)>& expected,
    const std::function<void(T&, InStream&)>& read = [](T& value, InStream& in) { value.read(in); })
{
    for (const quint16 version : gateVersions(layout, newest)) {
        T value;
        const qint64 left = readBinary(bytesAt(version, layout), version, [&](InStream& in) { read(value, in); });
        EXPECT_EQ(left, 0) << "version " << version;
        const T want = expected(version);
        if (!(value == want)) {
            const auto written = [newest](const T& v) {
                return hexOf(binaryBytes(newest, [&](OutStream& out) { v.write(out); }));
            };
            ADD_FAILURE() << "version " << version << " read a different value\n  read:     " << written(value)
                          << "\n  expected: " << written(want);
        }
    }
}

// expectGateReads with the value expected at each version read, at the
// newest version, from newestBytesAt(): the layout says what older data means.
template <class T>
void expectGateReadsAsNewest(const std::vector<Chunk>& layout, quint16 newest)
{
    expectGateReads<T>(layout, newest, [&](quint16 version) {
        T value;
        const QByteArray bytes = newestBytesAt(version, layout);
        EXPECT_EQ(readBinary(bytes, newest, [&](InStream& in) { value.read(in); }), 0) << "version " << version;
        return value;
    });
}

// `bytes` with the run at `offset` replaced by `replacement` (hex), read by
// `read` at `version`: the read must fail with exactly `message`.
inline ::testing::AssertionResult damagedReadFails(QByteArray bytes, int offset, const char* replacement,
                                                   quint16 version, const std::string& message,
                                                   const std::function<void(InStream&)>& read)
{
    const QByteArray patch = hex(replacement);
    if (offset < 0 || offset + patch.size() > bytes.size())
        return ::testing::AssertionFailure() << "offset " << offset << " lies outside the " << bytes.size() << " bytes";
    bytes.replace(offset, patch.size(), patch);
    try {
        readBinary(bytes, version, read);
    } catch (const std::exception& e) {
        if (e.what() == message)
            return ::testing::AssertionSuccess();
        return ::testing::AssertionFailure() << "failed with \"" << e.what() << "\", expected \"" << message << "\"";
    }
    return ::testing::AssertionFailure() << "read without failing";
}

// Written, read into a fresh T and written again, a value gives the same
// bytes through the binary and the text stream.
template <class T>
::testing::AssertionResult stableRoundTrip(const T& value, quint16 version)
{
    const QByteArray first = binaryBytes(version, [&](OutStream& out) { value.write(out); });
    T read;
    const qint64 left = readBinary(first, version, [&](InStream& in) { read.read(in); });
    if (left != 0)
        return ::testing::AssertionFailure() << left << " bytes left unread";
    const QByteArray second = binaryBytes(version, [&](OutStream& out) { read.write(out); });
    if (second != first)
        return ::testing::AssertionFailure()
            << "binary\n  first:  " << first.toHex().constData() << "\n  second: " << second.toHex().constData();

    QTemporaryDir folder;
    const QString path = folder.filePath(QStringLiteral("value.txt"));
    {
        TextOutStream out(version);
        out.open(path);
        value.write(out);
        out.close();
    }
    T fromText;
    {
        TextInStream in;
        in.open(path, version);
        fromText.read(in);
    }
    const QByteArray third = binaryBytes(version, [&](OutStream& out) { fromText.write(out); });
    if (third != first)
        return ::testing::AssertionFailure()
            << "text\n  first: " << first.toHex().constData() << "\n  text:  " << third.toHex().constData();
    return ::testing::AssertionSuccess();
}

// A value as its owner stores it: a block behind its code, an object's fields.
template <class T>
QByteArray ownerBytes(const T& value, quint16 version)
{
    return binaryBytes(version, [&](OutStream& out) {
        if constexpr (StreamDetail::IsBlock<T>::value)
            out << value;
        else
            value.write(out);
    });
}

template <class T>
void ownerRead(InStream& in, T& value)
{
    if constexpr (StreamDetail::IsBlock<T>::value)
        in >> value;
    else
        value.read(in);
}

// One stream form of a type: a value and its golden bytes.
template <class T>
struct Form
{
    T value;
    std::string golden;
};

// A targeted damage of form `form`'s golden bytes at `offset`, counted from
// the first `after` in them when given: the read fails with `message`.
struct Damage
{
    std::size_t form;
    int offset;
    const char* replacement;
    std::string message;
    const char* after = nullptr;
};

// The checks of the header comment, at `version`.
template <class T>
void checkForms(quint16 version, const std::vector<Form<T>>& forms, const std::vector<Damage>& damages = {})
{
    const auto fresh = [](InStream& in) {
        T value;
        ownerRead(in, value);
    };
    for (const Form<T>& form : forms) {
        SCOPED_TRACE(::testing::Message() << "form " << form.golden);
        const QByteArray golden = hex(form.golden.c_str()), written = ownerBytes(form.value, version);
        EXPECT_EQ(hexOf(written), hexOf(golden));
        if (written != golden)
            continue;
        for (const Form<T>& start : forms) {
            T read = start.value;
            EXPECT_EQ(readBinary(golden, version, [&](InStream& in) { ownerRead(in, read); }), 0);
            EXPECT_TRUE(read == form.value) << "read over " << start.golden;
        }
        EXPECT_TRUE(stableRoundTrip(form.value, version));
        if constexpr (requires { form.value.clone(); }) {
            EXPECT_TRUE(*std::unique_ptr<T>(static_cast<T*>(form.value.clone())) == form.value) << "the clone differs";
        }
        for (int length = 0; length < golden.size(); ++length)
            EXPECT_THROW(readBinary(golden.left(length), version, fresh), std::runtime_error)
                << "a prefix of " << length << " bytes read";
    }
    for (const Damage& d : damages) {
        const QByteArray golden = hex(forms.at(d.form).golden.c_str());
        const int start = d.after ? int(golden.indexOf(hex(d.after))) : 0;
        EXPECT_GE(start, 0) << d.after << " is not in form " << d.form;
        EXPECT_TRUE(damagedReadFails(golden, start + d.offset, d.replacement, version, d.message, fresh))
            << "form " << d.form << " at " << d.offset << (d.after ? " after " : "") << (d.after ? d.after : "");
    }
}

}  // namespace StreamCheck

#endif  // TESTS_SUPPORT_STREAM_CHECK_H
