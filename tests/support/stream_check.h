// Checks every stream test shares: an object's bytes in a headerless binary
// stream, a read at a chosen version, the gate table that says which bytes a
// version held, and the round trip through both encodings. Header-only: a
// test executable that links the archive component includes it. One thread.
//
// A gate table is written from what the versions stored, not from the code:
//     const std::vector<StreamCheck::Chunk> layout = {
//         {0, kNewest, "0001"},          // every version
//         {62, kNewest, "00000007"},     // from 62 on
//         {0, 112, "deadbeef"},          // a word only older data carries
//         {0, 150, ""},                  // a fix-up of older values: both edges read
//     };
//     StreamCheck::expectGateReads<Mask>(layout, kNewestVersion, [](quint16 v) { Mask m; ...; return m; });
// compares the whole value read at every version next to an edge with the
// whole value expected there, so a moved fix-up edge or a changed fallback
// fails as surely as a moved byte. A count or a type selector gets a targeted
// damage row: StreamCheck::damagedReadFails(bytes, offset, "ffffffff", ...).
#ifndef TESTS_SUPPORT_STREAM_CHECK_H
#define TESTS_SUPPORT_STREAM_CHECK_H

#include "components/archive/binary_stream.h"
#include "components/archive/text_stream.h"

#include <gtest/gtest.h>

#include <QBuffer>
#include <QByteArray>
#include <QTemporaryDir>

#include <algorithm>
#include <functional>
#include <string>
#include <vector>

namespace StreamCheck {

// Open-ended: present up to the newest version.
constexpr quint16 kNewest = 0xFFFF;

// A run of bytes (hex, blanks allowed) present in the versions [from, until).
struct Chunk
{
    quint16 from;
    quint16 until;
    const char* bytes;
};

inline QByteArray hex(const char* text) { return QByteArray::fromHex(text); }

// The bytes that data of `version` holds.
inline QByteArray bytesAt(quint16 version, const std::vector<Chunk>& chunks)
{
    QByteArray bytes;
    for (const Chunk& chunk : chunks) {
        if (version >= chunk.from && version < chunk.until)
            bytes += QByteArray::fromHex(chunk.bytes);
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

// `bytes` with the run at `offset` replaced by `replacement` (hex), read by
// `read` at `version`: the read must fail with exactly `message`.
inline ::testing::AssertionResult damagedReadFails(QByteArray bytes, int offset, const char* replacement,
                                                   quint16 version, const std::string& message,
                                                   const std::function<void(InStream&)>& read)
{
    const QByteArray patch = QByteArray::fromHex(replacement);
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

}  // namespace StreamCheck

#endif  // TESTS_SUPPORT_STREAM_CHECK_H
