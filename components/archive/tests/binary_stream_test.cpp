// Golden bytes and hostile input of the binary object stream.
#include "components/archive/binary_stream.h"

#include "stream_test_types.h"
#include "tests/support/peak_memory.h"
#include "tests/support/stream_check.h"

#include <QBuffer>
#include <QStringList>
#include <QVariant>

#include <cstring>
#include <functional>

using StreamCheck::hex;
using StreamTest::errorOf;
using StreamTest::readFile;
using StreamTest::writeFile;

namespace {

const QByteArray kHeader157 = QByteArray::fromHex("5C5CFF335C5C33FF009DFFFFFFFF");

class BinaryStreamTest : public StreamTest::EncodingTest<BinaryOutStream, BinaryInStream>
{
protected:
    BinaryStreamTest() : EncodingTest(kHeader157, QByteArray()) {}
};

// Bytes behind QIODevice's own 16 KB read buffer, counting what reaches the
// device itself.
class CountingDevice : public QIODevice
{
public:
    explicit CountingDevice(const QByteArray& data) : m_data(data) { open(QIODevice::ReadOnly); }
    qint64 size() const override { return m_data.size(); }
    bool seek(qint64 position) override
    {
        ++m_seeks;
        return QIODevice::seek(position);
    }
    int reads() const { return m_reads; }
    int seeks() const { return m_seeks; }

protected:
    qint64 readData(char* data, qint64 length) override
    {
        ++m_reads;
        const qint64 n = std::min<qint64>(length, m_data.size() - m_position);
        std::memcpy(data, m_data.constData() + m_position, size_t(n));
        m_position += n;
        return n;
    }
    qint64 writeData(const char*, qint64) override { return -1; }

private:
    QByteArray m_data;
    qint64 m_position = 0;
    int m_reads = 0;
    int m_seeks = 0;
};

}  // namespace

TEST_F(BinaryStreamTest, HeaderExtraBytesErrorsAndVersionTooNew)
{
    const QByteArray extra("ab");
    {
        BinaryOutStream out(157);
        out.open(path(), &extra);
    }  // the destructor closes
    EXPECT_EQ(readFile(path()), hex("5C5CFF335C5C33FF009D000000026162"));
    BinaryInStream in;
    QByteArray readExtra;

    // Either half of the magic wrong alone.
    for (const char* bad : {"5C5CFF335C5C33FE009DFFFFFFFF", "5C5CFF345C5C33FF009DFFFFFFFF"}) {
        writeFile(path(), hex(bad));
        EXPECT_EQ(errorOf([&] { in.open(path(), 157); }), "Error file not in valid format") << bad;
    }
    writeFile(path(), hex("5C5CFF335C5C33FF009D000000"));
    EXPECT_EQ(errorOf([&] { in.open(path(), 157); }), "Error reading file header");
    EXPECT_FALSE(in.isOpen());

    writeFile(path(), hex("5C5CFF335C5C33FF009E00000001AA"));
    try {
        in.open(path(), 157, &readExtra);
        FAIL() << "newer file accepted";
    } catch (const version_exception& e) {
        EXPECT_TRUE(std::string(e.what()) == "File version too new" && e.supported() == 157 && e.found() == 158);
    }
    EXPECT_EQ(readExtra, hex("AA"));  // read before the version is judged
    in.open(path(), 158);
    EXPECT_EQ(in.version(), 158);
}

TEST_F(BinaryStreamTest, GoldenBytes)
{
    BitVector bits(9);
    bits.setBit(0);
    bits.setBit(8);
    const ObjectTag tag {3, 1, 2};
    const QByteArray bytes = body([&](OutStream& out) {
        out << 0.1f << QString() << QString(QLatin1String("")) << QStringLiteral("Ab") << true << qint16(-2)
            << quint64(1) << QUuid(QStringLiteral("{00112233-4455-6677-8899-aabbccddeeff}")) << QPoint(-1, 2);
        out << std::vector<quint32> {7, 9} << std::map<qint8, bool> {{1, true}} << std::set<quint8> {3}
            << QList<quint8> {4} << QHash<quint8, quint8> {{5, 6}} << std::list<quint8> {8}
            << std::array<quint8, 2> {{1, 2}} << std::pair<quint8, quint8>(1, 2);
        writeObjectPointer(out, nullptr);
        out << tag << bits << BitVector(0) << DateTime();
    });
    // The float is stored as the double nearest to it.
    EXPECT_EQ(bytes,
              hex("3FB99999A0000000 FFFFFFFF 00000000 0000000400410062 01 FFFE 0000000000000001"
                  "00112233445566778899AABBCCDDEEFF FFFFFFFF00000002"
                  "0006 00000002 00000007 00000009 0008000000010101 00090000000103 001F0000000104"
                  "0014000000010506 00070000000108 0022000000020102 0010000000020102"
                  "0012 0037000000010000000200000003 0018000000090101 001800000000 0023FFFFFF07FFFFFF"));
    read(bytes.mid(51, 8), [](InStream& in) {
        QPoint point;
        in >> point;
        EXPECT_EQ(point, QPoint(-1, 2));  // only the binary form has QPoint
    });
}

TEST_F(BinaryStreamTest, TruncatedBodyFailsAtTheSectionEnd)
{
    StreamTest::Shape shape;
    shape.name = QStringLiteral("lamp");
    shape.points = {{1, 2}, {3, 4}};
    const QByteArray bytes = body([&](OutStream& out) { writeObjectPointer(out, &shape); });
    for (int cut = 1; cut < bytes.size(); ++cut) {
        read(bytes.left(cut), [&](InStream& in) {
            std::unique_ptr<Archive::ObjectBase> object;
            const std::string error = errorOf([&] { readObjectPointer(in, object); });
            EXPECT_TRUE(error.rfind("Error reading from file", 0) == 0 && !object) << "cut " << cut << ": " << error;
        });
    }
}

TEST_F(BinaryStreamTest, BadSectionsHugeCountsAndDeepNesting)
{
    const std::string huge = "Error reading from file, count 4294967295 exceeds the data remaining";
    const std::string bad = "Error reading from file";
    const auto readVariant = [](InStream& in) {
        QVariant v;
        in >> v;
        in.checkStatus();
    };
    const QByteArray wrapper = hex("0000002900");
    const auto nested = [](int depth) { return hex("238F000600000001").repeated(depth) + hex("238F000600000000"); };
    expectErrors({
        {hex("0037"),
         [](InStream& in) {
             in.peekSection();
             in.beginSection(6);
         },
         "Tag mismatch when trying to read opening tag vector"},
        // A peek leaves the section unread; at the end it fails.
        {hex("0037"),
         [](InStream& in) {
             in.peekSection();
             in.beginSection(55);
             in.endSection(55);
             in.peekSection();
         },
         bad},
        {hex("0006FFFFFFFF"), StreamTest::reads<std::vector<QString>>(), huge},
        {hex("0021FFFFFFFF"),
         [](InStream& in) {
             QStringList l;
             in.beginSection(33);
             in >> l;
         },
         huge},
        {hex("0018FFFFFFFF00"), StreamTest::reads<BitVector>(), bad},
        // A QVariantList (type 9) claiming 0x7FFFFFFF elements, a type Qt reads
        // unchecked, both inside a variant (41), and variants nested deeper than
        // any stored value.
        {hex("00000009007FFFFFFF"), readVariant, bad},
        {wrapper + hex("00000009007FFFFFFF"), readVariant, bad},
        {wrapper + hex("00000047007FFFFFFF"), readVariant, bad},
        {wrapper.repeated(200000) + hex("0000000200"), readVariant, bad},
        // Variants nest 64 deep, objects and blocks 511.
        {wrapper.repeated(64) + hex("000000020000000007"), readVariant, std::string()},
        {wrapper.repeated(65) + hex("000000020000000007"), readVariant, bad},
        // An element that runs out stops the container at once.
        {hex("00060000000300000001"), StreamTest::reads<std::vector<quint32>>(), bad},
        {nested(511), StreamTest::reads<StreamTest::Node>(), std::string()},
        {nested(512), StreamTest::reads<StreamTest::Node>(), "Error reading from file, nesting too deep"},
        // A count at the bytes remaining passes the check, one more does not.
        {hex("0006 00000008 0000000100000002"), StreamTest::reads<std::vector<quint32>>(), bad},
        {hex("0006 00000009 0000000100000002"), StreamTest::reads<std::vector<quint32>>(),
         "Error reading from file, count 9 exceeds the data remaining"},
    });
}

TEST_F(BinaryStreamTest, ObjectPointerAcceptsObjectClassesOnly)
{
    // A value code, a primitive code, an abstract or unknown code as an object.
    for (const char* tag : {"0037", "000D", "2390", "03E7"}) {
        read(hex(tag) + QByteArray(16, '\0'), [&](InStream& in) {
            std::unique_ptr<Archive::ObjectBase> object;
            const quint32 code = QByteArray(tag).toUInt(nullptr, 16);
            EXPECT_EQ(errorOf([&] { readObjectPointer(in, object); }),
                      QStringLiteral("Bad registry lookup, id %1").arg(code).toStdString());
        });
    }
    // A typed pointer refuses another class.
    StreamTest::Shape shape;
    read(body([&](OutStream& out) { writeObjectPointer(out, &shape); }), [](InStream& in) {
        std::unique_ptr<StreamTest::ShapeVariant> typed;
        EXPECT_EQ(errorOf([&] { in >> typed; }), "Bad registry lookup, id 9101");
    });
}

TEST_F(BinaryStreamTest, PeeksThroughTheDeviceBufferAcrossItsBoundary)
{
    StreamTest::Shape shape;
    shape.name = QStringLiteral("lamp");
    shape.points = {{1, 2}};
    const QByteArray object = body([&](OutStream& out) { writeObjectPointer(out, &shape); });
    // The object's code starts just before, on and just after the 16 KB
    // boundary of the device's buffer; then a thousand more objects.
    for (const int skip : {16382, 16383, 16384}) {
        CountingDevice device(QByteArray(skip, 'x') + object.repeated(1001));
        BinaryInStream in;
        in.setDevice(&device);
        QByteArray skipped(skip, '\0');
        ASSERT_EQ(in.readRaw(skipped.data(), skip), skip);
        for (int n = 0; n < 1001; ++n) {
            std::unique_ptr<StreamTest::Shape> read;
            in >> read;
            ASSERT_TRUE(read) << skip << " " << n;
            EXPECT_EQ(read->name, shape.name);
        }
        EXPECT_EQ(in.bytesRemaining(), 0);
        EXPECT_EQ(device.seeks(), 0);
        // About one read per 16 KB, not one per object.
        EXPECT_LE(device.reads(), int(device.size() / 16384) + 5);
    }
}

TEST_F(BinaryStreamTest, FileThatShrinksOrGrowsWhileReadFails)
{
    std::vector<quint32> values;
    for (quint32 i = 0; i < 10000; ++i)
        values.push_back(i);
    const QByteArray tenThousand = body([&](OutStream& out) { out << values; });
    // The count says 30 elements, the file holds 10 (40 bytes): within the
    // bytes counted at the start, but the rest only comes later.
    const QByteArray shortCount = hex("00060000001E") + tenThousand.mid(6, 40);
    const auto readVector = [](InStream& in) {
        std::vector<quint32> v;
        in >> v;
        EXPECT_LE(v.capacity(), 10000u);
    };
    // Bytes, the size at opening (a sparse tail when larger), the size after, reader, error.
    const std::tuple<QByteArray, qint64, qint64, std::function<void(InStream&)>, std::string> rows[] = {
        {tenThousand, 0, 20000, readVector, "Error reading from file"},
        {shortCount, 0, 100000, readVector, "Error reading from file"},
        {hex("000600004E20") + tenThousand.mid(6, 40), 0, 100000, readVector,
         "Error reading from file, count 20000 exceeds the data remaining"},
        // 512 MiB of bits counted against a file of 600 MB that then shrinks:
        // the bytes are taken as they come, not allocated up front.
        {hex("0018FFFFFFFF"), 600000000, 3000000, StreamTest::reads<BitVector>(), "Error reading from file"},
    };
    for (const auto& [bytes, sizeAtOpen, newSize, reader, error] : rows) {
        writeFile(path(), kHeader157 + bytes);
        QFile file(path());
        ASSERT_TRUE(sizeAtOpen == 0 || file.resize(sizeAtOpen));
        BinaryInStream in;
        in.open(path(), 157);
        ASSERT_TRUE(file.resize(newSize));
        const qint64 before = TestSupport::resetPeakMemory();
        EXPECT_EQ(errorOf([&, &reader = reader] { reader(in); }), error) << newSize;
        EXPECT_LT(TestSupport::peakMemoryBytes() - before, 64 << 20);
    }
}

TEST_F(BinaryStreamTest, AFileOfManyChunksHoldsWhatADeviceGetsAndAFailedWriteIsReported)
{
    // Values of every writing path, past several of the chunks a file is
    // gathered in, and a raw run larger than one chunk.
    const QByteArray run(600 * 1024, 'r');
    const auto write = [&](OutStream& out) {
        for (quint32 i = 0; i < 100000; ++i) {
            out << i << QStringLiteral("name") << QStringList {QStringLiteral("a")} << QVariant(int(i));
            out << double(i) / 3 << float(i) / 7 << bool(i & 1) << -qint64(i) << quint16(i) << qint8(i);
            out.beginSection(0x21, false);
        }
        out.writeRaw(run.constData(), run.size());
        out << quint8(7);
    };
    const QByteArray inFile = body(write);
    QBuffer device;
    device.open(QIODevice::WriteOnly);
    {
        BinaryOutStream out(157);
        out.setDevice(&device);
        write(out);
        out.close();
    }
    EXPECT_GT(inFile.size(), 4 * 256 * 1024);
    EXPECT_EQ(inFile, device.data());

    // A device that takes nothing: the failure of a later chunk is the close's.
    BinaryOutStream full(157);
    full.open(QStringLiteral("/dev/full"));
    full << quint32(1);
    EXPECT_EQ(errorOf([&] {
                  write(full);
                  full.close();
              }),
              "Error writing to file");
    EXPECT_FALSE(full.isOpen());
}
