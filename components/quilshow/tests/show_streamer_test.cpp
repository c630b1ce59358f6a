#include "components/quilshow/show/show_streamer.h"

#include "show_writer.h"

#include <QFile>
#include <QTemporaryDir>
#include <gtest/gtest.h>

#include <functional>

using Quil::ShowStreamer;

namespace {

class ShowStreamerTest : public ::testing::Test
{
protected:
    // Writes `body` after a header of `version` and opens it, expecting 0x8484.
    void openWith(quint16 version, const QByteArray& body)
    {
        ShowWriter w(version);
        w.header(0x8484).raw(body);
        ASSERT_TRUE(w.save(path()));
        ASSERT_TRUE(in.open(path().toStdString(), ShowStreamer::BINARY_IN));
        ASSERT_EQ(version, in.readVersion());
    }

    QString path() const { return dir.filePath("show.kvq"); }

    QTemporaryDir dir;
    ShowStreamer in{0x8484};
};

TEST_F(ShowStreamerTest, HeaderMatchesExpectedMagicOrWildcard)
{
    const struct
    {
        quint32 stored;
        quint16 guard;
        quint32 expected;
        bool opens;
    } cases[] = {
        {0x8484, 0xFF33, 0x8484, true},   {0x9393, 0xFF33, 0x9393, true},
        {0x7575, 0xFF33, 0x7575, true},   {0x8484, 0xFF33, 0x9393, false},
        {0x8484, 0x1234, 0x8484, false},  {0x006C6971, 0x1234, 0x7575, true},
        {0x006C6971, 0xFF33, 0, true},    {0x8484, 0xFF33, 0, false},
    };
    for (const auto& c : cases) {
        ShowWriter w(454);
        w.header(c.stored, c.guard);
        ASSERT_TRUE(w.save(path()));
        ShowStreamer streamer(c.expected);
        EXPECT_EQ(c.opens, streamer.open(path().toStdString(), ShowStreamer::BINARY_IN))
            << std::hex << c.stored << " expected " << c.expected;
        EXPECT_EQ(c.opens ? ShowStreamer::BINARY_IN : ShowStreamer::CLOSED, streamer.mode);
        if (c.opens) {
            EXPECT_EQ(454, streamer.readVersion());
        }
    }
    // The wildcard is the letters "qil" and a NUL in file order.
    ShowWriter w;
    w.u16(0).raw(QByteArray("qil\0", 4)).u16(0).u16(1);
    ASSERT_TRUE(w.save(path()));
    EXPECT_TRUE(ShowStreamer(0x8484).open(path().toStdString(), ShowStreamer::BINARY_IN));

    EXPECT_FALSE(ShowStreamer(0x8484).open(dir.filePath("missing").toStdString(), ShowStreamer::BINARY_IN));
    ASSERT_TRUE(writeFile(path(), QByteArray("\x33\xFF\x84", 3)));
    EXPECT_FALSE(ShowStreamer(0x8484).open(path().toStdString(), ShowStreamer::BINARY_IN));
}

TEST_F(ShowStreamerTest, WritesHeaderAndRefusesOtherModes)
{
    ShowStreamer out(0x9393);
    ASSERT_TRUE(out.open(path().toStdString(), ShowStreamer::BINARY_OUT));
    out.close();
    QFile file(path());
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    EXPECT_EQ(QByteArray::fromHex("33ff93930000" "33ff"), file.readAll());

    try {
        ShowStreamer(0).open(path().toStdString(), ShowStreamer::CLOSED);
        FAIL() << "no error";
    } catch (const std::logic_error& e) {
        EXPECT_STREQ("Unable to open stream, invalid mode", e.what());
    }
}

TEST_F(ShowStreamerTest, CountsAndTextsByVersion)
{
    // Counts are 16-bit below version 98.
    std::string value;
    for (const auto& c : {std::make_pair(97, "0300616263"), std::make_pair(98, "03000000616263")}) {
        openWith(static_cast<quint16>(c.first), QByteArray::fromHex(c.second));
        in.readString(value);
        EXPECT_EQ("abc", value);
        in.close();
    }

    // Texts are UTF-16 below version 10, and kept whole however long.
    ShowWriter body(9);
    body.text(QString::fromUtf8("Caf\xC3\xA9 \xE2\x82\xAC")).text(QString(300, QChar('x')));
    openWith(9, body.data);
    in.readText(value);
    EXPECT_EQ(QString::fromUtf8("Caf\xC3\xA9 \xE2\x82\xAC"), Quil::toQString(value));
    in.readText(value);
    EXPECT_EQ(300u, value.size());
    in.close();

    openWith(10, QByteArray::fromHex("0300" "41e942"));
    in.readText(value);
    EXPECT_EQ(std::string("A\xE9" "B"), value);
    // Not UTF-8: Latin-1.
    EXPECT_EQ(QString::fromLatin1("A\xE9" "B"), Quil::toQString(value));
    EXPECT_EQ(QString("ab"), Quil::toQString(std::string("ab\0cd", 5)));
}

TEST_F(ShowStreamerTest, MarkersAndValues)
{
    openWith(454, QByteArray::fromHex("1401" "1501" "ff" "02" "3412" "78563412" "0100000002000000" "0100000002000000"));
    EXPECT_EQ(0x0114, in.expectMarker(0x0114));
    EXPECT_EQ("Magic number doesn't match 276", errorOf([&] { in.expectMarker(276); }));
    quint8 byte = 0;
    bool flag = false;
    quint16 word = 0;
    quint32 dword = 0;
    std::pair<quint32, quint32> pair;
    in.readU8(byte).readBool(flag).readU16(word).readU32(dword);
    EXPECT_EQ(0xFF, byte);
    EXPECT_TRUE(flag);
    EXPECT_EQ(0x1234, word);
    EXPECT_EQ(0x12345678u, dword);
    in.readU32Pair(pair);
    EXPECT_EQ(std::make_pair(1u, 2u), pair);
    in.readU32PairSwapped(pair);
    EXPECT_EQ(std::make_pair(2u, 1u), pair);

    EXPECT_EQ(0x0102, in.marker(0x0102, 0x0101));
    in.version = 16;
    EXPECT_EQ(0x0101, in.marker(0x0102, 0x0101));
}

TEST_F(ShowStreamerTest, Collections)
{
    ShowWriter body(454);
    body.count(3).u16(5).u16(2).u16(5);                       // u16 set
    body.count(2).u32(7).u32(70000);                          // u32 set
    body.count(2).u32(9).u32(8);                              // u32 vector
    body.count(1).u16(1).u16(2);                              // u16 pair vector
    body.count(2).u32(4).u32(1).u32(2).u32(4).u32(3).u32(5);  // pair map, key repeated
    body.count(2).u32(1).count(1).u16(3).u32(1).count(1).u16(4);  // u16 set map, merged
    body.count(1).u32(6).count(1).u32(60);                    // u32 set map
    body.count(2).u32(1).count(1).u16(9).text("G").u32(1).count(1).u16(8).text("H");
    body.count(2).u8(1).u8(2);                                // bytes
    openWith(454, body.data);

    std::set<quint16> u16s;
    in.readU16Set(u16s);
    EXPECT_EQ((std::set<quint16>{2, 5}), u16s);
    std::set<quint32> u32s;
    in.readU32Set(u32s);
    EXPECT_EQ((std::set<quint32>{7, 70000}), u32s);
    std::vector<quint32> vector{1, 2, 3, 4};
    in.readU32Vector(vector);
    EXPECT_EQ((std::vector<quint32>{9, 8}), vector);
    std::vector<std::pair<quint16, quint16>> pairs;
    in.readU16PairVector(pairs);
    EXPECT_EQ(1u, pairs.size());
    EXPECT_EQ(std::make_pair(quint16(1), quint16(2)), pairs[0]);
    std::map<quint32, std::pair<quint32, quint32>> pairMap;
    in.readU32PairMap(pairMap);
    EXPECT_EQ(1u, pairMap.size());
    EXPECT_EQ(std::make_pair(3u, 5u), pairMap[4]);
    std::map<quint32, std::set<quint16>> setMap;
    in.readU16SetMap(setMap);
    EXPECT_EQ((std::set<quint16>{3, 4}), setMap[1]);
    std::map<quint32, std::set<quint32>> u32SetMap;
    in.readU32SetMap(u32SetMap);
    EXPECT_EQ((std::set<quint32>{60}), u32SetMap[6]);
    std::map<quint32, Quil::ShowGroup> groups;
    in.readGroupMap(groups);
    EXPECT_EQ((std::set<quint16>{8, 9}), groups[1].members);
    EXPECT_EQ("H", groups[1].name);
    std::vector<quint8> bytes;
    in.readBytes(bytes);
    EXPECT_EQ((std::vector<quint8>{1, 2}), bytes);
    EXPECT_EQ(0u, in.bytesLeft());
}

TEST_F(ShowStreamerTest, ShortOrHostileDataFailsWithoutAllocating)
{
    const char* error = "Error reading/writing from file";
    openWith(454, QByteArray::fromHex("785634"));
    quint32 value = 0;
    EXPECT_EQ(error, errorOf([&] { in.readU32(value); }));
    in.close();

    // Counts far beyond the file: refused before anything is sized to them.
    std::string text;
    std::vector<quint8> bytes;
    std::vector<quint32> vector;
    std::vector<std::map<quint32, std::pair<quint32, quint32>>> maps;
    std::map<quint32, Quil::ShowGroup> groups;
    const std::pair<quint16, std::function<void()>> reads[] = {
        {454, [&] { in.readString(text); }},    {454, [&] { in.readBytes(bytes); }},
        {454, [&] { in.readU32Vector(vector); }}, {454, [&] { in.readU32PairMapVector(maps); }},
        {454, [&] { in.readGroupMap(groups); }},  {9, [&] { in.readText(text); }},
    };
    for (const auto& read : reads) {
        openWith(read.first, QByteArray::fromHex(read.first < 98 ? "ffff" : "ffffffff") + QByteArray(64, '\0'));
        EXPECT_EQ(error, errorOf(read.second));
        in.close();
    }

    // Exactly enough is fine; closing twice is harmless.
    openWith(454, QByteArray::fromHex("02000000" "6869"));
    EXPECT_EQ(path().toStdString(), in.path);
    in.readString(text);
    EXPECT_EQ("hi", text);
    for (int i = 0; i < 2; ++i) {
        in.close();
        EXPECT_EQ(ShowStreamer::CLOSED, in.mode);
        EXPECT_EQ(0xFFFF, in.version);
        EXPECT_TRUE(in.path.empty());
    }
}

}  // namespace
