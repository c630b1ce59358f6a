// The checks of stream_check.h, compiled once for every test executable.
#include "tests/support/stream_check.h"

#include <QBuffer>
#include <QRegularExpression>
#include <QTemporaryDir>

#include <algorithm>
#include <cctype>
#include <cstring>

namespace StreamCheck {

QByteArray hex(const char* text)
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

std::vector<QByteArray> hexRows(const std::string& text)
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

std::vector<Chunk> chunks(const std::string& table)
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

QByteArray bytesAt(quint16 version, const std::vector<Chunk>& chunks)
{
    QByteArray bytes;
    for (const Chunk& chunk : chunks) {
        if (version >= chunk.from && version < chunk.until)
            bytes += hex(chunk.bytes);
    }
    return bytes;
}

QByteArray newestBytesAt(quint16 version, const std::vector<Chunk>& chunks)
{
    QByteArray bytes;
    for (const Chunk& chunk : chunks) {
        if (chunk.until == kNewest)
            bytes += hex(version >= chunk.from ? chunk.bytes : chunk.before);
    }
    return bytes;
}

std::vector<quint16> gateVersions(const std::vector<Chunk>& chunks, quint16 newest)
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

QByteArray binaryBytes(quint16 version, Callback<void(OutStream&)> writeFields)
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

qint64 readBinary(QByteArray bytes, quint16 version, Callback<void(InStream&)> readFields)
{
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::ReadOnly);
    BinaryInStream in;
    in.setDevice(&buffer);
    in.setVersion(version);
    readFields(in);
    return buffer.bytesAvailable();
}

::testing::AssertionResult damagedReadFails(QByteArray bytes, int offset, const char* replacement, quint16 version,
                                            const std::string& message, Callback<void(InStream&)> read)
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

namespace Detail {

namespace {

// A value seen through its operations, so that a check reads as it would on
// the type itself.
struct Seen
{
    const ValueOps& ops;
    const void* value;

    bool operator==(const Seen& other) const { return ops.equal(value, other.value); }
    QByteArray written(quint16 version) const
    {
        return binaryBytes(version, [&](OutStream& out) { ops.write(value, out); });
    }
};

::testing::AssertionResult stableRoundTrip(const Seen& value, quint16 version)
{
    return stableRoundTrip(value.value, value.ops, version);
}

}  // namespace

void expectGateReads(const std::vector<Chunk>& layout, quint16 newest, const ValueOps& ops,
                     Callback<void*(quint16)> expected, Callback<void(void*, InStream&)> read)
{
    for (const quint16 version : gateVersions(layout, newest)) {
        const Owned value(ops);
        const qint64 left = readBinary(bytesAt(version, layout), version, [&](InStream& in) { read(value.get(), in); });
        EXPECT_EQ(left, 0) << "version " << version;
        const Owned want(ops, expected(version));
        if (!(Seen {ops, value.get()} == Seen {ops, want.get()})) {
            const auto written = [&](const Owned& v) { return hexOf(Seen {ops, v.get()}.written(newest)); };
            ADD_FAILURE() << "version " << version << " read a different value\n  read:     " << written(value)
                          << "\n  expected: " << written(want);
        }
    }
}

void expectGateReadsAsNewest(const std::vector<Chunk>& layout, quint16 newest, const ValueOps& ops)
{
    expectGateReads(
        layout, newest, ops,
        [&](quint16 version) {
            Owned value(ops);
            const QByteArray bytes = newestBytesAt(version, layout);
            EXPECT_EQ(readBinary(bytes, newest, [&](InStream& in) { ops.read(value.get(), in); }), 0)
                << "version " << version;
            return value.release();
        },
        ops.read);
}

::testing::AssertionResult stableRoundTrip(const void* value, const ValueOps& ops, quint16 version)
{
    const QByteArray first = binaryBytes(version, [&](OutStream& out) { ops.write(value, out); });
    const Owned read(ops);
    const qint64 left = readBinary(first, version, [&](InStream& in) { ops.read(read.get(), in); });
    if (left != 0)
        return ::testing::AssertionFailure() << left << " bytes left unread";
    const QByteArray second = binaryBytes(version, [&](OutStream& out) { ops.write(read.get(), out); });
    if (second != first)
        return ::testing::AssertionFailure()
            << "binary\n  first:  " << first.toHex().constData() << "\n  second: " << second.toHex().constData();

    QTemporaryDir folder;
    const QString path = folder.filePath(QStringLiteral("value.txt"));
    {
        TextOutStream out(version);
        out.open(path);
        ops.write(value, out);
        out.close();
    }
    const Owned fromText(ops);
    {
        TextInStream in;
        in.open(path, version);
        ops.read(fromText.get(), in);
    }
    const QByteArray third = binaryBytes(version, [&](OutStream& out) { ops.write(fromText.get(), out); });
    if (third != first)
        return ::testing::AssertionFailure()
            << "text\n  first: " << first.toHex().constData() << "\n  text:  " << third.toHex().constData();
    return ::testing::AssertionSuccess();
}

void checkForms(quint16 version, const ValueOps& ops, const std::vector<FormRef>& forms,
                const std::vector<Damage>& damages)
{
    const auto fresh = [&](InStream& in) {
        const Owned value(ops);
        ops.ownerRead(value.get(), in);
    };
    for (const FormRef& ref : forms) {
        const struct
        {
            Seen value;
            const std::string& golden;
        } form {{ops, ref.value}, *ref.golden};
        SCOPED_TRACE(::testing::Message() << "form " << form.golden);
        const QByteArray golden = hex(form.golden.c_str());
        const QByteArray written = binaryBytes(version, [&](OutStream& out) { ops.ownerWrite(ref.value, out); });
        EXPECT_EQ(hexOf(written), hexOf(golden));
        if (written != golden)
            continue;
        for (const FormRef& start : forms) {
            const Owned copy(ops, ops.copy(start.value));
            const Seen read {ops, copy.get()};
            EXPECT_EQ(readBinary(golden, version, [&](InStream& in) { ops.ownerRead(copy.get(), in); }), 0);
            EXPECT_TRUE(read == form.value) << "read over " << *start.golden;
        }
        EXPECT_TRUE(stableRoundTrip(form.value, version));
        if (ops.clone) {
            const Owned clone(ops, ops.clone(ref.value));
            EXPECT_TRUE((Seen {ops, clone.get()}) == form.value) << "the clone differs";
        }
        for (int length = 0; length < golden.size(); ++length)
            EXPECT_THROW(readBinary(golden.left(length), version, fresh), std::runtime_error)
                << "a prefix of " << length << " bytes read";
    }
    for (const Damage& d : damages) {
        const QByteArray golden = hex(forms.at(d.form).golden->c_str());
        const int start = d.after ? int(golden.indexOf(hex(d.after))) : 0;
        EXPECT_GE(start, 0) << d.after << " is not in form " << d.form;
        EXPECT_TRUE(damagedReadFails(golden, start + d.offset, d.replacement, version, d.message, fresh))
            << "form " << d.form << " at " << d.offset << (d.after ? " after " : "") << (d.after ? d.after : "");
    }
}

}  // namespace Detail

}  // namespace StreamCheck
