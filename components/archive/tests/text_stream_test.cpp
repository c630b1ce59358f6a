// Golden text and hostile input of the text object stream.
#include "components/archive/text_stream.h"

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

}  // namespace

TEST_F(TextStreamTest, HeaderLinesErrorsAndVersionTooNew)
{
    const QByteArray extra("a b%\x01");
    {
        TextOutStream out(157);
        out.open(path(), &extra);
    }  // the destructor closes
    EXPECT_EQ(readFile(path()),
              "<?xml version=\"1.0\" encoding=\"UTF-16\" standalone=\"yes\" ?>\n\n"
              "<StreamData version=\"a%20b%25%01\">\n"
              "<ArchiveStream version=\"157\">\n"
              "</ArchiveStream>\n");
    TextInStream in;

    // Up to two empty lines before StreamData; a third is taken as that line.
    const QByteArray declaration = kHead.left(kHead.indexOf('\n') + 1);
    writeFile(path(), declaration + "\n\n<StreamData version=\"\">\n<ArchiveStream version=\"12\">\n");
    in.open(path(), 157);
    EXPECT_EQ(in.version(), 12);
    const QByteArray streamData = kHead.left(kHead.indexOf("<ArchiveStream"));
    const std::pair<QByteArray, const char*> bad[] = {
        {declaration + "\n\n\n<StreamData version=\"\">\n<ArchiveStream version=\"12\">\n",
         "Error file version information not present"},
        {"<?xml version=\"1.0\"?>\n\n<StreamData version=\"\">\n<ArchiveStream version=\"1\">\n",
         "Error file not in valid format"},
        {streamData + "<ArchiveStream version=\"abc\">\n", "Error file version information not present"},
        {streamData + "<ArchiveStream version=1>\n", "Error file version information not present"},
        {streamData, "Error file version information not present"},
    };
    for (const auto& row : bad) {
        writeFile(path(), row.first);
        EXPECT_EQ(errorOf([&] { in.open(path(), 157); }), row.second) << row.first.constData();
    }
    writeFile(path(), streamData + "<ArchiveStream version=\"158\">\n");
    EXPECT_EQ(errorOf([&] { in.open(path(), 157); }), "File version too new");
}

TEST_F(TextStreamTest, GoldenText)
{
    BitVector bits(12);
    for (int i : {0, 1, 3, 5, 7, 11})
        bits.setBit(quint32(i));
    DateTime dateTime;
    dateTime.setByte(0, 1);
    const ObjectTag tag {3, 1, 2};
    const QByteArray text = body([&](OutStream& out) {
        out << std::vector<quint32> {7, 9} << QStringLiteral("a<b & \"c\"") << QStringLiteral("&amp");
        writeObjectPointer(out, nullptr);
        out << std::map<qint8, bool> {{-1, true}} << QStringLiteral("\u00e9");
        out << 0.1f << 0.1 << 1.0 / 3 << QByteArray("a<b%") << QDate(2026, 12, 6) << QTime(12, 34, 56, 789)
            << QStringList {QStringLiteral("x")} << QVariant(qint32(5)) << bits << QRect(1, 2, 3, 4)
            << QDateTime(QDate(2026, 12, 6), QTime(1, 2, 3), Qt::UTC) << dateTime << tag;
        // A section that is not a container keeps its children on its own line
        // and closes without indentation.
        out.beginSection(StreamCode::ObjectTag, false);
        out << quint32(5);
        out.endSection(StreamCode::ObjectTag);
        out << StreamTest::Point {1, -2};
        out.beginSection(9102, false);  // a shared name carries its code
        out.endSection(9102);
    });
    EXPECT_EQ(text,
              "    <vector>\n"
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
              "    <string>\xC3\xA9</string>\n"  // UTF-8
              "    <float>0.1</float>\n"
              "    <double>0.1</double>\n"
              "    <double>0.3333333333333333</double>\n"
              "    <QByteArray>a%3Cb%25</QByteArray>\n"
              "    <QDate>Sun Dec 6 2026</QDateTime>\n"  // closed as QDateTime, as stored files have it
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
              "    <QRect>1,2,3,4</QRect>\n"
              "    <QDateTime>Sun Dec 6 01:02:03 2026 GMT</QDateTime>\n"
              "    <DateTime>\n"
              "        <uint8>1</uint8>\n"
              "        <uint8>255</uint8>\n"
              "        <uint8>255</uint8>\n"
              "        <uint8>7</uint8>\n"
              "        <uint8>255</uint8>\n"
              "        <uint8>255</uint8>\n"
              "        <uint8>255</uint8>\n"
              "    </DateTime>\n"
              "    <ObjectTag>\n"
              "        <uint32>1</uint32>\n"  // second, third, first
              "        <uint32>2</uint32>\n"
              "        <uint32>3</uint32>\n"
              "    </ObjectTag>\n"
              "    <ObjectTag>        <uint32>5</uint32>\n"
              "</ObjectTag>\n"
              "    <Point>\n"
              "        <int32>1</int32>\n"
              "        <int32>-2</int32>\n"
              "    </Point>\n"
              "    <Shape code=\"9102\"></Shape>\n");
    // Earlier writers left QStringList and QVariant elements empty.
    read("<QStringList></QStringList><QVariant></QVariant>", [](InStream& in) {
        QStringList list {QStringLiteral("kept")};
        QVariant variant(7);
        in >> list >> variant;
        EXPECT_TRUE(list == QStringList {QStringLiteral("kept")} && variant == QVariant(7));
    });
}

TEST_F(TextStreamTest, BadAndShortInput)
{
    const std::string bad = "Error reading from file";
    expectErrors({
        {"<uint32>2</uint32>", StreamTest::reads<qint32>(), "Tag mismatch when trying to read opening tag int32"},
        {"<uint32>2</int32>", StreamTest::reads<quint32>(), "Tag mismatch when trying to read opening tag uint32"},
        {"<uint32>x2</uint32>", StreamTest::reads<quint32>(), bad},
        {"<vector><uint32>4294967295</uint32></vector>", StreamTest::reads<std::vector<QString>>(),
         "Error reading from file, count 4294967295 exceeds the data remaining"},
        {"<bitvector><uint32>16</uint32>AZ00</bitvector>", StreamTest::reads<BitVector>(), bad},
        {"<QVariant>%00%00%00%09%00%7F%FF%FF%FF</QVariant>", StreamTest::reads<QVariant>(), bad},
        // A code attribute must belong to the element's name.
        {"<Shape code=\"55\"></Shape>", [](InStream& in) { in.peekSection(); }, "Bad registry lookup, string Shape"},
        {"<int32>1</int32>", StreamTest::reads<QPoint>(), "Bad registry lookup, number 17"},
    });
    // End of data where a closing tag is due, and then where a tag is.
    writeFile(path(), kHead + "<vector>\n<uint32>0</uint32>\n");
    TextInStream in;
    in.open(path(), 157);
    std::vector<quint8> v;
    EXPECT_EQ(errorOf([&] { in >> v; }), "Tag mismatch when trying to read opening tag vector");
    EXPECT_EQ(errorOf([&] { in.peekSection(); }), bad);
    TextOutStream out(157);
    out.open(path());
    EXPECT_EQ(errorOf([&] { out << QPoint(1, 2); }), "Bad registry lookup, number 17");

    read("<uint8>300</uint8><int8>-1</int8>", [](InStream& in) {
        quint8 a = 0;
        qint8 b = 0;
        in >> a >> b;
        EXPECT_EQ(a, 44);  // the low eight bits
        EXPECT_EQ(b, -1);
    });
}

TEST_F(TextStreamTest, TextAcrossWriteAndReadBlocks)
{
    // Strings longer than a block, with characters outside the BMP and
    // escapes, then tags running over every block boundary.
    const QString piece = QStringLiteral("a<b>&\"'é") + QString::fromUcs4(U"\U0001F4A1") + QStringLiteral(" ");
    std::vector<QString> strings;
    for (int n : {1, 9000, 20000})
        strings.push_back(piece.repeated(n).left(n * piece.size() - (n % 2)));
    std::vector<quint8> bytes(20000);
    for (std::size_t i = 0; i < bytes.size(); ++i)
        bytes[i] = quint8(i * 7);
    const QByteArray text = body([&](OutStream& out) {
        for (const QString& s : strings)
            out << s;
        out << bytes;
    });
    QByteArray expected;
    for (const QString& s : strings)
        expected += "    <string>" + TextOutStream::escape(s).toUtf8() + "</string>\n";
    expected += "    <vector>\n        <uint32>20000</uint32>\n";
    for (quint8 b : bytes)
        expected += "        <uint8>" + QByteArray::number(b) + "</uint8>\n";
    expected += "    </vector>\n";
    EXPECT_TRUE(text == expected);

    read(text, [&](InStream& in) {
        for (const QString& s : strings) {
            QString back;
            in >> back;
            EXPECT_TRUE(back == s) << s.size();
        }
        std::vector<quint8> back;
        in >> back;
        EXPECT_EQ(back, bytes);
    });

    // A tag may hold 4096 characters between its brackets, not one more.
    for (const int spaces : {4090, 4091}) {
        read("<uint32" + QByteArray(spaces, ' ') + ">5</uint32>", [&](InStream& in) {
            quint32 v = 0;
            const std::string error = errorOf([&] { in >> v; });
            EXPECT_EQ(error, spaces == 4090 ? "" : "Error reading from file");
            EXPECT_EQ(v, spaces == 4090 ? 5u : 0u);
        });
    }
}
