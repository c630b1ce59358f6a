// Golden bytes and hostile input of the binary object stream.
#include "components/archive/binary_stream.h"

#include "seltrane_components/os/bit_vector.h"
#include "seltrane_components/os/date_time.h"

#include "stream_test_types.h"

#include <QBuffer>

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

QByteArray hex(const char* text)
{
    return QByteArray::fromHex(text);
}

// A device whose every write fails.
class FailingDevice : public QIODevice
{
protected:
    qint64 readData(char*, qint64) override { return -1; }
    qint64 writeData(const char*, qint64) override { return -1; }
};

} // namespace

TEST_F(BinaryStreamTest, HeaderWithAndWithoutExtraBytes)
{
    EXPECT_EQ(body([](OutStream&) {}), QByteArray());

    const QByteArray extra("ab");
    {
        BinaryOutStream out(157);
        out.open(path(), &extra);
        out << quint8(0x7E);
        out.close();
    }
    EXPECT_EQ(readFile(path()), hex("5C5CFF335C5C33FF009D00000002616" "27E"));

    BinaryInStream in;
    QByteArray readExtra;
    in.open(path(), 157, &readExtra);
    EXPECT_EQ(in.version(), 157);
    EXPECT_EQ(readExtra, extra);
    quint8 byte = 0;
    in >> byte;
    EXPECT_EQ(byte, 0x7E);
}

TEST_F(BinaryStreamTest, ScalarsStringsAndQtValues)
{
    const QByteArray bytes = body([](OutStream& out) {
        out << 0.1f << QString() << QString(QLatin1String("")) << QStringLiteral("Ab") << true << qint16(-2)
            << quint64(1) << QUuid(QStringLiteral("{00112233-4455-6677-8899-aabbccddeeff}"))
            << QPoint(-1, 2);
    });
    EXPECT_EQ(bytes, hex("3FB99999A0000000" // the float as the double nearest to it
                         "FFFFFFFF" "00000000" "0000000400410062" "01" "FFFE" "0000000000000001"
                         "00112233445566778899AABBCCDDEEFF" "FFFFFFFF00000002"));
    read(bytes.right(8), [](InStream& in) {
        QPoint point;
        in >> point;
        EXPECT_EQ(point, QPoint(-1, 2)); // only the binary form has QPoint
    });
}

TEST_F(BinaryStreamTest, ContainersNullPointerAndValueBlocks)
{
    const QByteArray bytes = body([](OutStream& out) {
        out << std::vector<quint32>{7, 9} << std::map<qint8, bool>{{1, true}} << std::set<quint8>{3}
            << QList<quint8>{4} << QHash<quint8, quint8>{{5, 6}} << std::list<quint8>{8}
            << std::array<quint8, 2>{{1, 2}} << std::pair<quint8, quint8>(1, 2);
        writeObjectPointer(out, nullptr);
        ObjectTag tag;
        tag.first = 3;
        tag.second = 1;
        tag.third = 2;
        out << tag;
    });
    EXPECT_EQ(bytes, hex("0006"
                         "00000002"
                         "00000007"
                         "00000009"
                         "0008000000010101"
                         "00090000000103"
                         "001F0000000104"
                         "0014000000010506"
                         "00070000000108"
                         "0022000000020102"
                         "0010000000020102"
                         "0012"
                         "0037000000010000000200000003"));

    read(bytes, [](InStream& in) {
        std::vector<quint32> v{1};
        std::map<qint8, bool> m;
        std::set<quint8> s;
        QList<quint8> l;
        QHash<quint8, quint8> h;
        std::list<quint8> sl;
        std::array<quint8, 2> a{};
        std::pair<quint8, quint8> p;
        std::unique_ptr<Archive::ObjectBase> object(new Archive::ObjectBase);
        ObjectTag tag;
        in >> v >> m >> s >> l >> h >> sl >> a >> p;
        EXPECT_EQ(in.peekSection(), 18);
        in >> object >> tag;
        EXPECT_EQ(v, (std::vector<quint32>{7, 9}));
        EXPECT_EQ(m, (std::map<qint8, bool>{{1, true}}));
        EXPECT_EQ(h.value(5), 6);
        EXPECT_EQ(a[1], 2);
        EXPECT_EQ(p.second, 2);
        EXPECT_EQ(object, nullptr); // the old object is destroyed
        EXPECT_EQ(tag.first, 3u);
        EXPECT_EQ(tag.second, 1u);
        EXPECT_EQ(tag.third, 2u);
    });
}

TEST_F(BinaryStreamTest, BitVectorAndDateTime)
{
    BitVector bits(9);
    bits.setBit(0);
    bits.setBit(8);
    const QByteArray bytes = body([&](OutStream& out) { out << bits << BitVector(0) << DateTime(); });
    EXPECT_EQ(bytes, hex("0018000000090101" "001800000000" "0023FFFFFF07FFFFFF"));

    // Stray bits beyond the count are dropped on reading.
    read(hex("00180000000901FF"), [](InStream& in) {
        BitVector v;
        in >> v;
        EXPECT_EQ(v.size(), 9u);
        EXPECT_EQ(v.words(), std::vector<std::uint32_t>{0x101});
    });
}

TEST_F(BinaryStreamTest, HeaderErrorsAndVersionTooNew)
{
    BinaryInStream in;
    writeFile(path(), hex("5C5CFF335C5C33FE009DFFFFFFFF"));
    EXPECT_EQ(errorOf([&] { in.open(path(), 157); }), "Error file not in valid format");
    writeFile(path(), hex("5C5CFF335C5C33FF009D000000"));
    EXPECT_EQ(errorOf([&] { in.open(path(), 157); }), "Error reading file header");
    EXPECT_FALSE(in.isOpen());

    writeFile(path(), hex("5C5CFF335C5C33FF009E00000001AA"));
    QByteArray extra;
    try {
        in.open(path(), 157, &extra);
        FAIL() << "newer file accepted";
    } catch (const version_exception& e) {
        EXPECT_STREQ(e.what(), "File version too new");
        EXPECT_EQ(e.supported(), 157);
        EXPECT_EQ(e.found(), 158);
    }
    EXPECT_EQ(extra, hex("AA")); // read before the version is judged
    in.open(path(), 158);
    EXPECT_EQ(in.version(), 158);
}

TEST_F(BinaryStreamTest, SectionsPeekAndTagMismatch)
{
    const QByteArray bytes = body([](OutStream& out) {
        out.beginSection(55, true);
        out.endSection(55);
    });
    read(bytes, [](InStream& in) {
        EXPECT_EQ(in.peekSection(), 55);
        EXPECT_EQ(in.peekSection(), 55);
        EXPECT_EQ(errorOf([&] { in.beginSection(6); }), "Tag mismatch when trying to read opening tag vector");
    });
    read(bytes, [](InStream& in) {
        in.beginSection(55);
        in.endSection(55);
        EXPECT_EQ(errorOf([&] { in.peekSection(); }), "Error reading from file");
    });
}

TEST_F(BinaryStreamTest, TruncatedBodyFailsAtTheSectionEnd)
{
    StreamTest::Shape shape;
    shape.name = QStringLiteral("lamp");
    shape.points = {{1, 2}, {3, 4}};
    const QByteArray bytes = body([&](OutStream& out) { writeObjectPointer(out, &shape); });
    for (int cut = 1; cut < bytes.size(); ++cut) {
        writeFile(path(), kHeader157 + bytes.left(cut));
        BinaryInStream in;
        in.open(path(), 157);
        std::unique_ptr<Archive::ObjectBase> object;
        const std::string error = errorOf([&] { readObjectPointer(in, object); });
        EXPECT_EQ(error.rfind("Error reading from file", 0), 0u) << "cut " << cut << ": " << error;
        EXPECT_EQ(object, nullptr);
    }
}

TEST_F(BinaryStreamTest, HugeCountsFailAtOnce)
{
    // 20 bytes: header, a vector tag and a count of 0xFFFFFFFF.
    const char* const message = "Error reading from file, count 4294967295 exceeds the data remaining";
    read(hex("0006FFFFFFFF"), [&](InStream& in) {
        std::vector<QString> v;
        EXPECT_EQ(errorOf([&] { in >> v; }), message);
    });
    EXPECT_EQ(readFile(path()).size(), 20);
    read(hex("0021FFFFFFFF"), [&](InStream& in) {
        QStringList list;
        in.beginSection(33);
        EXPECT_EQ(errorOf([&] { in >> list; }), message);
    });
    read(hex("FFFFFFFF"), [&](InStream& in) {
        QStringList list;
        EXPECT_EQ(errorOf([&] { in >> list; }), message);
    });
    read(hex("0018FFFFFFFF00"), [&](InStream& in) {
        BitVector bits;
        EXPECT_EQ(errorOf([&] { in >> bits; }), "Error reading from file");
    });
    // A QVariantList (type 9) claiming 0x7FFFFFFF elements.
    read(hex("00000009007FFFFFFF"), [&](InStream& in) {
        QVariant v(5);
        in >> v;
        EXPECT_FALSE(v.isValid());
        EXPECT_EQ(errorOf([&] { in.checkStatus(); }), "Error reading from file");
    });
    // An element that runs out stops the container at once.
    read(hex("00060000000300000001"), [&](InStream& in) {
        std::vector<quint32> v;
        EXPECT_EQ(errorOf([&] { in >> v; }), "Error reading from file");
    });
}

TEST_F(BinaryStreamTest, NestingDepthIsBounded)
{
    const auto nested = [](int depth) {
        QByteArray bytes;
        for (int i = 0; i < depth; ++i)
            bytes += hex("238F000600000001");
        bytes += hex("238F000600000000");
        return bytes;
    };
    read(nested(100), [](InStream& in) {
        StreamTest::Node root;
        in >> root;
        EXPECT_EQ(root.children.size(), 1u);
    });
    read(nested(600), [](InStream& in) {
        StreamTest::Node root;
        EXPECT_EQ(errorOf([&] { in >> root; }), "Error reading from file, nesting too deep");
    });
}

TEST_F(BinaryStreamTest, ObjectPointerAcceptsObjectClassesOnly)
{
    StreamTest::ShapeVariant variant;
    variant.name = QStringLiteral("v");
    const QByteArray bytes = body([&](OutStream& out) { writeObjectPointer(out, &variant); });
    read(bytes, [](InStream& in) {
        std::unique_ptr<Archive::ObjectBase> object;
        readObjectPointer(in, object);
        ASSERT_NE(dynamic_cast<StreamTest::ShapeVariant*>(object.get()), nullptr);
    });
    // A value code, a primitive code, an abstract or unknown code as an object.
    for (const char* tag : {"0037", "000D", "2390", "03E7"}) {
        read(hex(tag) + hex("00000000000000000000000000000000"), [&](InStream& in) {
            std::unique_ptr<Archive::ObjectBase> object;
            const std::string error = errorOf([&] { readObjectPointer(in, object); });
            const quint32 code = hex(tag).toHex().toUInt(nullptr, 16);
            EXPECT_EQ(error, QStringLiteral("Bad registry lookup, id %1").arg(code).toStdString());
        });
    }
    // A typed pointer refuses another class.
    StreamTest::Shape shape;
    const QByteArray base = body([&](OutStream& out) { writeObjectPointer(out, &shape); });
    read(base, [](InStream& in) {
        std::unique_ptr<StreamTest::ShapeVariant> typed;
        EXPECT_EQ(errorOf([&] { in >> typed; }), "Bad registry lookup, id 9101");
    });
}

TEST_F(BinaryStreamTest, FailedDeviceWritesSurfaceInClose)
{
    FailingDevice device;
    device.open(QIODevice::WriteOnly);
    BinaryOutStream out(157);
    out.setDevice(&device);
    out << qint32(1);
    EXPECT_EQ(errorOf([&] { out.close(); }), "Error writing to file");

    QBuffer buffer;
    buffer.open(QIODevice::WriteOnly);
    out.setDevice(&buffer);
    out << qint32(2);
    out.close();
    EXPECT_EQ(buffer.data(), hex("00000002"));
}
