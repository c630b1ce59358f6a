// Golden text and hostile input of the text object stream.
#include "components/archive/text_stream.h"

#include "seltrane_components/os/bit_vector.h"
#include "seltrane_components/os/date_time.h"

#include "stream_test_types.h"

using StreamTest::errorOf;
using StreamTest::readFile;
using StreamTest::writeFile;

namespace {

const QByteArray kHead = "<?xml version=\"1.0\" encoding=\"UTF-16\" standalone=\"yes\" ?>\n\n"
                         "<StreamData version=\"\">\n"
                         "<ArchiveStream version=\"157\">\n";
const QByteArray kTail = "</ArchiveStream>\n";

class TextStreamTest : public StreamTest::EncodingTest<TextOutStream, TextInStream>
{
protected:
    TextStreamTest() : EncodingTest(kHead, kTail) {}
};

} // namespace

TEST_F(TextStreamTest, HeaderLinesAndExtraBytes)
{
    EXPECT_EQ(body([](OutStream&) {}), QByteArray());

    const QByteArray extra("a b%\x01");
    {
        TextOutStream out(157);
        out.open(path(), &extra);
    } // the destructor closes
    EXPECT_EQ(readFile(path()), "<?xml version=\"1.0\" encoding=\"UTF-16\" standalone=\"yes\" ?>\n\n"
                                "<StreamData version=\"a%20b%25%01\">\n"
                                "<ArchiveStream version=\"157\">\n"
                                "</ArchiveStream>\n");
    TextInStream in;
    QByteArray readExtra;
    in.open(path(), 157, &readExtra);
    EXPECT_EQ(readExtra, extra);
    EXPECT_EQ(in.version(), 157);
    in.open(path(), 157); // no extra asked for: the line is still consumed

    // Up to two empty lines before StreamData; a third is taken as that line.
    writeFile(path(), "<?xml version=\"1.0\" encoding=\"UTF-16\" standalone=\"yes\" ?>\n\n\n"
                      "<StreamData version=\"\">\n<ArchiveStream version=\"12\">\n");
    in.open(path(), 157);
    EXPECT_EQ(in.version(), 12);
    writeFile(path(), "<?xml version=\"1.0\" encoding=\"UTF-16\" standalone=\"yes\" ?>\n\n\n\n"
                      "<StreamData version=\"\">\n<ArchiveStream version=\"12\">\n");
    EXPECT_EQ(errorOf([&] { in.open(path(), 157); }), "Error file version information not present");
}

TEST_F(TextStreamTest, HeaderErrorsAndVersionTooNew)
{
    TextInStream in;
    writeFile(path(), "<?xml version=\"1.0\"?>\n\n<StreamData version=\"\">\n<ArchiveStream version=\"1\">\n");
    EXPECT_EQ(errorOf([&] { in.open(path(), 157); }), "Error file not in valid format");
    for (const char* line : {"<ArchiveStream version=\"abc\">", "<ArchiveStream version=1>", ""}) {
        writeFile(path(), kHead.left(kHead.indexOf("<ArchiveStream")) + line + "\n");
        EXPECT_EQ(errorOf([&] { in.open(path(), 157); }), "Error file version information not present")
            << line;
    }
    writeFile(path(), kHead.left(kHead.indexOf("<ArchiveStream")) + "<ArchiveStream version=\"158\">\n");
    try {
        in.open(path(), 157);
        FAIL();
    } catch (const version_exception& e) {
        EXPECT_EQ(e.supported(), 157);
        EXPECT_EQ(e.found(), 158);
    }
}

TEST_F(TextStreamTest, IndentationContainersAndEscapes)
{
    const QByteArray text = body([](OutStream& out) {
        out << std::vector<quint32>{7, 9};
        out << QStringLiteral("a<b & \"c\"") << QStringLiteral("&amp");
        writeObjectPointer(out, nullptr);
        out << std::map<qint8, bool>{{-1, true}};
        out << QStringLiteral("\u00e9");
    });
    EXPECT_EQ(text, "    <vector>\n"
                    "        <uint32>2</uint32>\n"
                    "        <uint32>7</uint32>\n"
                    "        <uint32>9</uint32>\n"
                    "    </vector>\n"
                    "    <string>a&ltb &amp &quotc&quot</string>\n"
                    "    <string>&ampamp</string>\n"
                    "    <NULL></NULL>\n"
                    "    <map>\n"
                    "        <uint32>1</uint32>\n"
                    "        <int8>-1</int8>\n"
                    "        <bool>1</bool>\n"
                    "    </map>\n"
                    "    <string>\xC3\xA9</string>\n"); // UTF-8
    read(text, [](InStream& in) {
        std::vector<quint32> v;
        QString a, b;
        std::unique_ptr<Archive::ObjectBase> object(new Archive::ObjectBase);
        std::map<qint8, bool> m;
        QString e;
        in >> v >> a >> b >> object >> m >> e;
        EXPECT_EQ(e, QStringLiteral("\u00e9"));
        EXPECT_EQ(v, (std::vector<quint32>{7, 9}));
        EXPECT_EQ(a, QStringLiteral("a<b & \"c\""));
        EXPECT_EQ(b, QStringLiteral("&amp"));
        EXPECT_EQ(object, nullptr);
        EXPECT_EQ(m.at(-1), true);
    });
}

TEST_F(TextStreamTest, ValueTexts)
{
    BitVector bits(12);
    for (int i : {0, 1, 3, 5, 7, 11})
        bits.setBit(quint32(i));
    const QByteArray text = body([&](OutStream& out) {
        out << 0.1f << 0.1 << 1.0 / 3 << QByteArray("a<b%") << QDate(2026, 12, 6)
            << QTime(12, 34, 56, 789) << QStringList{QStringLiteral("x")} << QVariant(qint32(5)) << bits
            << QRect(1, 2, 3, 4);
    });
    EXPECT_EQ(text, "    <float>0.1</float>\n"
                    "    <double>0.1</double>\n"
                    "    <double>0.3333333333333333</double>\n"
                    "    <QByteArray>a%3Cb%25</QByteArray>\n"
                    "    <QDate>Sun Dec 6 2026</QDateTime>\n" // closed as QDateTime, as stored files have it
                    "    <QTime>12:34:56.789</QTime>\n"
                    "    <QStringList>\n"
                    "        <uint32>1</uint32>\n"
                    "        <string>x</string>\n"
                    "    </QStringList>\n"
                    "    <QVariant>%00%00%00%02%00%00%00%00%05</QVariant>\n"
                    "    <bitvector>\n"
                    "        <uint32>12</uint32>\n"
                    "        AB08\n"
                    "    </bitvector>\n"
                    "    <QRect>1,2,3,4</QRect>\n");

    // Earlier writers left QStringList and QVariant elements empty.
    read("    <QStringList></QStringList>\n    <QVariant></QVariant>\n", [](InStream& in) {
        QStringList list{QStringLiteral("kept")};
        QVariant variant(7);
        in >> list >> variant;
        EXPECT_EQ(list, QStringList{QStringLiteral("kept")});
        EXPECT_EQ(variant, QVariant(7));
    });
}

TEST_F(TextStreamTest, ArchiveBlocksAndScalarSections)
{
    DateTime dateTime;
    dateTime.setByte(0, 1);
    ObjectTag tag;
    tag.first = 3;
    tag.second = 1;
    tag.third = 2;
    const QByteArray text = body([&](OutStream& out) {
        out << dateTime << tag;
        // A section that is not a container keeps its children on its own line
        // and closes without indentation.
        out.beginSection(StreamCode::ObjectTag, false);
        out << quint32(5);
        out.endSection(StreamCode::ObjectTag);
        out << QDateTime(QDate(2026, 12, 6), QTime(1, 2, 3), Qt::UTC);
    });
    EXPECT_EQ(text, "    <DateTime>\n"
                    "        <uint8>1</uint8>\n"
                    "        <uint8>255</uint8>\n"
                    "        <uint8>255</uint8>\n"
                    "        <uint8>7</uint8>\n"
                    "        <uint8>255</uint8>\n"
                    "        <uint8>255</uint8>\n"
                    "        <uint8>255</uint8>\n"
                    "    </DateTime>\n"
                    "    <ObjectTag>\n"
                    "        <uint32>1</uint32>\n" // second, third, first
                    "        <uint32>2</uint32>\n"
                    "        <uint32>3</uint32>\n"
                    "    </ObjectTag>\n"
                    "    <ObjectTag>        <uint32>5</uint32>\n"
                    "</ObjectTag>\n"
                    "    <QDateTime>Sun Dec 6 01:02:03 2026 GMT</QDateTime>\n");
    read(text, [&](InStream& in) {
        DateTime readDateTime;
        ObjectTag readTag;
        in >> readDateTime;
        EXPECT_EQ(in.peekSection(), StreamCode::ObjectTag);
        in >> readTag;
        EXPECT_EQ(readDateTime.bytes(), dateTime.bytes());
        EXPECT_EQ(readTag, tag);
        quint32 value = 0;
        in.beginSection(StreamCode::ObjectTag);
        in >> value;
        in.endSection(StreamCode::ObjectTag);
        EXPECT_EQ(value, 5u);
        QDateTime dateTimeQt;
        in >> dateTimeQt;
        EXPECT_EQ(dateTimeQt, QDateTime(QDate(2026, 12, 6), QTime(1, 2, 3), Qt::UTC));
    });
}

TEST_F(TextStreamTest, QPointHasNoTextForm)
{
    TextOutStream out(157);
    out.open(path());
    EXPECT_EQ(errorOf([&] { out << QPoint(1, 2); }), "Bad registry lookup, number 17");
    out.close();
    read("    <int32>1</int32>\n", [](InStream& in) {
        QPoint p;
        EXPECT_EQ(errorOf([&] { in >> p; }), "Bad registry lookup, number 17");
    });
}

TEST_F(TextStreamTest, SharedNamesCarryTheirCode)
{
    StreamTest::ShapeVariant variant;
    variant.name = QStringLiteral("v");
    StreamTest::Shape shape;
    const QByteArray text = body([&](OutStream& out) {
        writeObjectPointer(out, &variant);
        writeObjectPointer(out, &shape);
    });
    EXPECT_TRUE(text.startsWith("    <Shape code=\"9102\">\n        <string>v</string>\n")) << text.constData();
    EXPECT_TRUE(text.contains("\n    </Shape>\n    <Shape>\n"));
    read(text, [](InStream& in) {
        std::unique_ptr<Archive::ObjectBase> first, second;
        EXPECT_EQ(in.peekSection(), 9102);
        readObjectPointer(in, first);
        readObjectPointer(in, second);
        EXPECT_EQ(first->typeCode(), 9102u);
        EXPECT_EQ(dynamic_cast<StreamTest::ShapeVariant*>(first.get())->name, QStringLiteral("v"));
        EXPECT_EQ(second->typeCode(), 9101u);
    });
    // A code attribute must belong to the element's name.
    read("    <Shape code=\"55\"></Shape>\n", [](InStream& in) {
        EXPECT_EQ(errorOf([&] { in.peekSection(); }), "Bad registry lookup, string Shape");
    });
}

TEST_F(TextStreamTest, BadAndShortInput)
{
    read("    <uint32>2</uint32>\n", [](InStream& in) {
        qint32 v = 0;
        EXPECT_EQ(errorOf([&] { in >> v; }), "Tag mismatch when trying to read opening tag int32");
    });
    read("    <uint32>2</int32>\n", [](InStream& in) {
        quint32 v = 0;
        EXPECT_EQ(errorOf([&] { in >> v; }), "Tag mismatch when trying to read opening tag uint32");
    });
    read("    <uint32>x2</uint32>\n", [](InStream& in) {
        quint32 v = 0;
        EXPECT_EQ(errorOf([&] { in >> v; }), "Error reading from file");
    });
    // End of data where a closing tag is due.
    writeFile(path(), kHead + "    <vector>\n        <uint32>0</uint32>\n");
    {
        TextInStream in;
        in.open(path(), 157);
        std::vector<quint8> v;
        EXPECT_EQ(errorOf([&] { in >> v; }), "Tag mismatch when trying to read opening tag vector");
        EXPECT_EQ(errorOf([&] { in.peekSection(); }), "Error reading from file");
    }
    read("    <vector>\n        <uint32>4294967295</uint32>\n    </vector>\n", [](InStream& in) {
        std::vector<QString> v;
        EXPECT_EQ(errorOf([&] { in >> v; }),
                  "Error reading from file, count 4294967295 exceeds the data remaining");
    });
    read("    <bitvector>\n        <uint32>16</uint32>\n        AZ00\n    </bitvector>\n", [](InStream& in) {
        BitVector bits;
        EXPECT_EQ(errorOf([&] { in >> bits; }), "Error reading from file");
    });
    read("    <QVariant>%00%00%00%09%00%7F%FF%FF%FF</QVariant>\n", [](InStream& in) {
        QVariant v;
        EXPECT_EQ(errorOf([&] { in >> v; }), "Error reading from file");
    });
    read("    <uint8>300</uint8>\n    <int8>-1</int8>\n", [](InStream& in) {
        quint8 a = 0;
        qint8 b = 0;
        in >> a >> b;
        EXPECT_EQ(a, 44); // the low eight bits
        EXPECT_EQ(b, -1);
    });
}
