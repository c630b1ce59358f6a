#include "components/quilshow/show/dali.h"
#include "components/quilshow/show/dynamic_text.h"
#include "components/quilshow/show/output_node.h"
#include "components/quilshow/tests/show_load_fixture.h"
#include "tests/support/peak_memory.h"

#include <QFile>

#include <functional>
#include <tuple>

using namespace Quil;

namespace {

typedef ShowLoadFixture ShowStreamerTest;

TEST_F(ShowStreamerTest, HeaderMagicAndModes)
{
    // Stored magic and guard words, expected magic, opens: each guard word wrong alone fails.
    const std::tuple<quint32, quint16, quint16, quint32, bool> cases[] = {
        {0x9393, 0xFF33, 0xFF33, 0x9393, true},     {0x8484, 0xFF33, 0xFF33, 0x9393, false},
        {0x8484, 0xFF32, 0xFF33, 0x8484, false},    {0x8484, 0xFF33, 0xFF34, 0x8484, false},
        {0x006C6971, 0x1234, 0x4321, 0x7575, true}, {0x006C6971, 0xFF33, 0xFF33, 0, true},
        {0x8484, 0xFF33, 0xFF33, 0, false}};
    for (const auto& [magic, guard1, guard2, expected, opens] : cases) {
        ASSERT_TRUE(writeFile(path(), ShowWriter().header(magic, guard1, guard2).data));
        ShowStreamer streamer(expected);
        EXPECT_EQ(opens, streamer.open(path().toStdString(), ShowStreamer::BINARY_IN)) << magic << " " << guard1;
        EXPECT_EQ(opens ? ShowStreamer::BINARY_IN : ShowStreamer::CLOSED, streamer.mode);
    }
    // The wildcard is the letters "qil" and a NUL in file order.
    ASSERT_TRUE(writeFile(path(), QByteArray("\0\0qil\0\0\0\x01\0", 10)));
    EXPECT_TRUE(ShowStreamer(0x8484).open(path().toStdString(), ShowStreamer::BINARY_IN));
    ASSERT_TRUE(writeFile(path(), QByteArray("\x33\xFF\x84", 3)));
    EXPECT_FALSE(ShowStreamer(0x8484).open(path().toStdString(), ShowStreamer::BINARY_IN));

    ShowStreamer out(0x9393);
    ASSERT_TRUE(out.open(path().toStdString(), ShowStreamer::BINARY_OUT));
    out.close();
    QFile file(path());
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    EXPECT_EQ(QByteArray::fromHex("33ff9393000033ff"), file.readAll());
    EXPECT_EQ("Unable to open stream, invalid mode",
              errorOf<std::logic_error>([&] { ShowStreamer(0).open(path().toStdString(), ShowStreamer::CLOSED); }));
}

TEST_F(ShowStreamerTest, CountsTextsAndMarkersByVersion)
{
    // Counts are 16-bit below version 98 (every gate sweep reads both); texts are UTF-16 below version 10.
    std::string value;
    open(ShowWriter(9).text(QString::fromUtf8("Caf\xC3\xA9 \xE2\x82\xAC"))).readText(value);
    EXPECT_EQ(QString::fromUtf8("Caf\xC3\xA9 \xE2\x82\xAC"), Quil::toQString(value));
    // Not UTF-8: Windows' Western code page, Latin-1 from 0xA0 up.
    open(hexBody(10, "0300 41e942 1501")).readText(value);
    EXPECT_EQ(QString::fromLatin1("A\xE9\x42"), Quil::toQString(value));
    EXPECT_EQ(QString("ab"), Quil::toQString(std::string("ab\0cd", 5)));
    // Plain ASCII, up to 0x7F, reads the same without the codec; one byte above it does not.
    EXPECT_EQ(QString::fromLatin1("Spot \x7f"), Quil::toQString("Spot \x7f"));
    EXPECT_EQ(QString::fromUtf8("Spot \xE2\x82\xAC"), Quil::toQString("Spot \x80"));
    // Its euro sign, dashes, quotes and ellipsis; the five bytes it leaves undefined stay as Latin-1 has them.
    EXPECT_EQ(QString::fromUtf16(u"Stage \u2013 Left \u2014 \u2018a\u2019 \u201Cb\u201D \u2026 \u20AC5 "
                                 u"\u0081\u008D\u008F\u0090\u009D\u00A0\u00FF"),
              Quil::toQString("Stage \x96 Left \x97 \x91"
                              "a\x92 \x93"
                              "b\x94 \x85 \x80"
                              "5 \x81\x8D\x8F\x90\x9D\xA0\xFF"));
    EXPECT_EQ("Magic number doesn't match 276", errorOf([&] { in.expectMarker(276); }));
    EXPECT_EQ(0x0101, in.marker(0x0102, 0x0101));
    // The wrong marker is placed where it starts, after the 10-byte header and the 5-byte text; the file is whole.
    EXPECT_EQ(17u, in.position());
    EXPECT_EQ(15u, in.failurePosition());
    EXPECT_FALSE(in.ranPastEnd());

    // A read or a count beyond the end is told apart from a record that is not what it should be.
    quint32 word = 0;
    open(hexBody(454, "0100"));
    EXPECT_EQ("Error reading/writing from file", errorOf([&] { in.readU32(word).checkState(); }));
    EXPECT_TRUE(in.ranPastEnd());
    open(hexBody(454, "0100 0000 ffffffff"));
    EXPECT_EQ("Error reading/writing from file", errorOf([&] { in.checkAvailable(3, 4); }));
    EXPECT_TRUE(in.ranPastEnd());
    EXPECT_EQ(10u, in.failurePosition());
}

TEST_F(ShowStreamerTest, Collections)
{
    ShowWriter body(454);
    body.count(2).u32(4).u32(1).u32(2).u32(4).u32(3).u32(5);      // pair map, key repeated
    body.count(2).u32(1).count(1).u16(3).u32(1).count(1).u16(4);  // u16 set map, merged
    body.count(2).u32(1).count(1).u16(9).text("G").u32(1).count(1).u16(8).text("H");
    open(body);
    std::map<quint32, std::pair<quint32, quint32>> pairMap;
    in.readU32PairMap(pairMap);
    EXPECT_EQ((std::map<quint32, std::pair<quint32, quint32>> {{4, {3, 5}}}), pairMap);
    std::map<quint32, std::set<quint16>> setMap;
    in.readU16SetMap(setMap);
    EXPECT_EQ((std::set<quint16> {3, 4}), setMap[1]);
    std::map<quint32, Quil::ShowGroup> groups;
    in.readGroupMap(groups);
    EXPECT_EQ((std::set<quint16> {8, 9}), groups[1].members);
    EXPECT_EQ("H", groups[1].name);
    EXPECT_EQ(0u, in.bytesLeft());
}

TEST_F(ShowStreamerTest, ShortOrHostileDataFailsWithoutAllocating)
{
    const char* error = "Error reading/writing from file";
    open(hexBody(454, "785634"));
    quint32 value = 0;
    EXPECT_EQ(error, errorOf([&] { in.readU32(value); }));
    // Counts far beyond the file: refused before anything is sized to them.
    std::string text;
    std::vector<quint8> bytes;
    std::vector<quint32> vector;
    std::vector<std::map<quint32, std::pair<quint32, quint32>>> maps;
    std::map<quint32, Quil::ShowGroup> groups;
    const std::pair<quint16, std::function<void()>> reads[] = {
        {454, [&] { in.readString(text); }},      {454, [&] { in.readBytes(bytes); }},
        {454, [&] { in.readU32Vector(vector); }}, {454, [&] { in.readU32PairMapVector(maps); }},
        {454, [&] { in.readGroupMap(groups); }},  {9, [&] { in.readText(text); }}};
    for (const auto& read : reads) {
        open(hexBody(read.first, read.first < 98 ? "ffff" : "ffffffff").raw(QByteArray(64, '\0')));
        EXPECT_EQ(error, errorOf(read.second));
    }

    // Exactly enough is fine.
    open(hexBody(454, "02000000 6869")).readString(text);
    EXPECT_EQ("hi", text);
}

TEST_F(ShowStreamerTest, ACountBeyondWhatTheFileDeliversFailsAfterReadingIt)
{
    // The show of sparse-show-in-tar.kvx: a version-454 header whose header
    // text claims 0xF0000000 bytes, followed by a hole to 4.5 GB. The size
    // taken at open backs the count; the file then delivers its 35 bytes only.
    const QByteArray header = QByteArray::fromHex("33ff8484000033ffc6010302"
                                                  "01cdab5a5a5a5a5a5a5a5a5a5a5a5a5a5a5a5a00"
                                                  "0000f0");
    ASSERT_EQ(35, header.size());
    ASSERT_TRUE(writeFile(path(), header));
    QFile file(path());
    ASSERT_TRUE(file.resize(4500000000LL));
    const qint64 baseline = TestSupport::resetPeakMemory();
    ASSERT_TRUE(in.open(path().toStdString(), ShowStreamer::BINARY_IN));
    EXPECT_EQ(4500000000ULL - 8, in.bytesLeft());
    ASSERT_TRUE(file.resize(header.size()));
    EXPECT_EQ(454, in.readVersion());
    quint8 savedBy[3];
    quint16 word = 0;
    std::array<quint8, 16> id;
    in.readU8(savedBy[0]).readU8(savedBy[1]).readU8(savedBy[2]).readU16(word).readUuid(id);
    std::string text;
    EXPECT_EQ("Error reading/writing from file", errorOf([&] { in.readString(text); }));
    EXPECT_LE(text.capacity(), ShowStreamer::kChunkBytes + 1);
    EXPECT_LT(TestSupport::peakMemoryBytes() - baseline, 100LL << 20);
}

TEST_F(ShowStreamerTest, DaliScheduleFormsAndRefusedItems)
{
    ShowWriter w(454);
    w.u8(1).u8(0).u8(0).u8(3).u8(0x41);                       // weeks
    w.u8(2).u8(0).u8(0).u8(4).u8(1).u32(0x80000001);          // months, day set
    w.u8(3).u8(0).u8(0).u8(1).u16(0x0800).u8(1).u8(6).u8(2);  // years, week and weekday
    w.u8(4).u8(0).u8(0);
    open(w);
    DaliTestSchedule s;
    s.stream(in);
    EXPECT_EQ(0x41, s.weekdays);
    s.stream(in);
    EXPECT_EQ(0x80000001u, s.days);
    s.stream(in);
    EXPECT_EQ(0x0800, s.months);
    EXPECT_EQ(6, s.monthWeek);
    EXPECT_EQ("Unsupported version-1 section: DALI test schedule", errorOf([&] { s.stream(in); }));

    DALIShowComponent dali;
    const char* names[] = {"interfaces", "scenes"};
    for (int which = 0; which < 2; ++which) {
        open(ShowWriter(416).u16(which == 0).u16(0).u16(which == 1));
        EXPECT_EQ(std::string("Unsupported version-1 section: DALI ") + names[which], errorOf([&] { dali.read(in); }));
    }
}

TEST_F(ShowStreamerTest, OutputNodesDropBadIdsAndRepeatedLinks)
{
    ShowWriter w(454);
    w.u16(2);
    for (quint16 id : {40, 1}) {
        w.u16(0x0132).u16(id).u8(0).count(0).count(0).count(0).u16(0);
        w.u16(2).u16(4).u16(9).u8(1).u16(4).u16(9).u8(2);  // second key id 4 dropped
        w.u16(0x0133);
    }
    w.u16(3).u32(1).u32(2).u32(1).u32(3).u32(5).u32(2);
    w.count(2).u16(6).u8(1).u32(10).u16(5).u8(1).u32(11);  // kinds 5 and 6 are one device
    open(w);
    OutputNodeShowComponent nodes;
    nodes.read(in);
    ASSERT_EQ(1u, nodes.nodes.size());
    EXPECT_EQ(1, nodes.nodes.find(1)->universeKeys.find(4)->key.number);
    EXPECT_EQ(1, nodes.lookupId(2));
    EXPECT_EQ(-1, nodes.lookupId(3));
    ASSERT_EQ(1u, nodes.remoteDevices.size());
    EXPECT_EQ(11u, nodes.remoteDevices.begin()->second);

    open(ShowWriter(454).u16(1).u16(0x0132).u16(1).u8(0).count(0).count(0).count(0).u16(0).u16(0).u16(0x0134));
    OutputNodeShowComponent failing;
    EXPECT_EQ("Magic number doesn't match 307", errorOf([&] { failing.read(in); }));
}

TEST_F(ShowStreamerTest, OldTextPresetsTakeTheirOffsetFromTheFont)
{
    // The provider fills the font's metrics once; the offset is value A less metrics word 1.
    open(250, ShowTables().dynamicText);
    DynamicTextShowComponent text;
    int calls = 0;
    text.metricsProvider = [&calls](const FontData&, FontData::Metrics& metrics) {
        ++calls;
        metrics[1] = 10;
    };
    text.read(in);
    EXPECT_EQ(1, calls);
    EXPECT_EQ(30u, text.getTextPreset(5).offset);

    // A preset naming a font the show lacks is kept, on zero metrics.
    ShowWriter w(250);
    w.u16(0).u16(0).u16(1);
    w.u16(0x0142).u16(4).u32(0).count(0).count(0).u32(9).u16(1).u8(0).u16(0).u16(0).u8(0).u8(0);
    w.u16(0).u16(0).u16(0).u16(70).u16(80).u16(0x0143).count(0).count(0);
    open(w);
    DynamicTextShowComponent missing;
    missing.read(in);
    EXPECT_EQ(0u, in.bytesLeft());
    EXPECT_EQ(80u, missing.getTextPreset(4).offset);
}

}  // namespace
