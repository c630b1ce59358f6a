#include "components/archive/fields.h"
#include "components/archive/type_registry.h"

#include "tests/support/stream_check.h"

#include <QMap>

#include <map>
#include <tuple>
#include <vector>

using StreamCheck::Chunk;
using StreamCheck::hex;
using StreamCheck::kNewest;

namespace {

enum class Kind : quint16 { Plain = 1, Wide = 0x1F7 };

constexpr quint16 kVersion = 160;

// One entry of every kind a field list offers.
struct Sample
{
    quint8 first = 0;
    quint32 fromNewKept = 7;          // since 62, older keeps it
    quint32 fromNewFallback = 2;      // since 81, older sets 9
    bool predicate = false;           // 56 and later except 62; else true
    quint32 wideByte = 0;             // held in 32 bits, stored in 8
    Kind kind = Kind::Plain;          // an enumeration stored in 8 bits
    qint32 signedByte = 0;            // stored in 8 bits, sign-extended
    std::map<qint32, QString> texts;  // keys stored as quint32; one text below 38
    QMap<qint16, quint32> levels;     // keys as quint8, values as quint16
    std::vector<int> steps;           // elements as quint8
    quint16 type = 0;
    quint32 typeOneValue = 0;

    template <class F, class Self>
    static void fields(F& f, Self& s)
    {
        f(s.first).since(62, s.fromNewKept);
        f.since(81, s.fromNewFallback).orSet(9);
        f.when([](quint16 v) { return v >= 56 && v != 62; }, s.predicate).orSet(true);
        f.droppedWhen([](quint16 v) { return v < 112 || (v >= 120 && v < 125); }, quint32());
        f(Archive::storedAs<quint8>(s.wideByte), Archive::storedAs<quint8>(s.kind),
          Archive::storedAs<qint8>(s.signedByte));
        f.since(38, Archive::mapStoredAs<quint32>(s.texts)).orRead([](InStream& in, auto& texts) {
            texts.map.clear();
            in >> texts.map[0];
        });
        f(Archive::mapStoredAs<quint8, quint16>(s.levels), Archive::elementsStoredAs<quint8>(s.steps));
        f(s.type);
        switch (s.type) {
        case 1:
            f(s.typeOneValue);
            break;
        default:
            break;
        }
    }

    quint32 typeCode() const { return 9300; }
    void read(InStream& in)
    {
        Archive::FieldReader r(in);
        fields(r, *this);
    }
    void write(OutStream& out) const
    {
        Archive::FieldWriter w(out);
        fields(w, *this);
    }
};

Sample filled()
{
    Sample s;
    s.first = 0x11, s.fromNewKept = 0x22, s.fromNewFallback = 0x33, s.predicate = true;
    s.wideByte = 0x1FF, s.kind = Kind::Wide, s.signedByte = -2;
    s.texts = {{-1, QStringLiteral("a")}};
    s.levels = {{3, 0x12345}};
    s.steps = {1, 0x102};
    s.type = 1, s.typeOneValue = 0x44;
    return s;
}

QByteArray written(const Sample& s)
{
    return StreamCheck::binaryBytes(kVersion, [&](OutStream& out) { s.write(out); });
}

}  // namespace

TEST(Fields, WriterWritesEveryFieldInTheNewestLayout)
{
    ObjectRegistry::registerCoreTypes();
    // Narrow forms are cut to their width: 0x1FF as ff, 0x1F7 as f7, 0x12345 as 2345.
    EXPECT_EQ(written(filled()).toHex(),
              hex("11 00000022 00000033 01"
                  "ff f7 fe"
                  "0008 00000001 ffffffff 00000002 0061"
                  "0008 00000001 03 2345"
                  "0006 00000002 01 02"
                  "0001 00000044")
                  .toHex());
    EXPECT_TRUE(StreamCheck::stableRoundTrip(filled(), kVersion));
}

TEST(Fields, ReaderTestsEachGate)
{
    ObjectRegistry::registerCoreTypes();
    // The sample's layout as the versions held it.
    const std::vector<Chunk> layout = {
        {0, kNewest, "11"},
        {62, kNewest, "00000022"},
        {81, kNewest, "00000033"},
        {56, 62, "00"},
        {63, kNewest, "00"},
        {0, 112, "deadbeef"},
        {120, 125, "deadbeef"},
        {0, kNewest, "ff f7 fe"},
        {38, kNewest, "0008 00000001 ffffffff 00000002 0061"},
        {0, 38, "00000002 0062"},
        {0, kNewest, "0008 00000001 03 2345  0006 00000002 01 02  0001 00000044"},
    };
    const std::vector<quint16> versions = StreamCheck::gateVersions(layout, kVersion);
    EXPECT_EQ(versions, (std::vector<quint16> {37, 38, 55, 56, 61, 62, 63, 80, 81, 111, 112, 119, 120, 124, 125, 160}));
    for (const quint16 v : versions) {
        SCOPED_TRACE(v);
        Sample s;
        const QByteArray bytes = StreamCheck::bytesAt(v, layout);
        ASSERT_EQ(StreamCheck::readBinary(bytes, v, [&](InStream& in) { s.read(in); }), 0);
        // The predicate's field is 00 where present; absent at 62 and below 56,
        // it falls back to true. Narrow fields are zero- or sign-extended.
        EXPECT_EQ(std::make_tuple(s.first, s.fromNewKept, s.fromNewFallback, s.predicate, s.wideByte, s.kind,
                                  s.signedByte, s.typeOneValue),
                  std::make_tuple(quint8(0x11), v >= 62 ? 0x22u : 7u, v >= 81 ? 0x33u : 9u, !(v >= 56 && v != 62),
                                  0xFFu, Kind(0xF7), -2, 0x44u));
        EXPECT_EQ(s.texts,
                  v >= 38 ? (std::map<qint32, QString> {{-1, QStringLiteral("a")}})
                          : (std::map<qint32, QString> {{0, QStringLiteral("b")}}));
        EXPECT_EQ(s.levels, (QMap<qint16, quint32> {{3, 0x2345}}));
        EXPECT_EQ(s.steps, (std::vector<int> {1, 2}));
    }

    // Containers read through an adaptor replace what was there, and refuse a
    // count the data cannot hold before allocating.
    Sample used = filled();
    used.steps = {9, 9, 9};
    ASSERT_EQ(StreamCheck::readBinary(written(filled()), kVersion, [&](InStream& in) { used.read(in); }), 0);
    EXPECT_EQ(used.steps, (std::vector<int> {1, 2}));
    QByteArray hostile = written(filled());
    hostile.replace(hostile.indexOf(hex("0006 00000002")) + 2, 4, hex("7fffffff"));
    EXPECT_THROW(StreamCheck::readBinary(hostile, kVersion, [&](InStream& in) { used.read(in); }), std::runtime_error);
}

TEST(Fields, AnyCountArrayKeepsWhatFitsAndResetsTheRest)
{
    quint8 lead = 7;
    std::array<quint8, 3> values {1, 2, 3};
    const QByteArray bytes = StreamCheck::binaryBytes(
        kVersion, [&](OutStream& out) { out << Archive::anyCountArray(std::as_const(lead), std::as_const(values)); });
    EXPECT_EQ(bytes.toHex(), hex("0022 00000004 07 01 02 03").toHex());
    // Values are stored in the element's own width: a longer section is cut,
    // a shorter one leaves zeros, the lead taken from the front.
    const auto read = [&](const char* stored) {
        StreamCheck::readBinary(hex(stored), kVersion, [&](InStream& in) { in >> Archive::anyCountArray(values); });
        return values;
    };
    EXPECT_EQ(read("0022 00000005 09 08 07 06 05"), (std::array<quint8, 3> {9, 8, 7}));
    EXPECT_EQ(read("0022 00000001 04"), (std::array<quint8, 3> {4, 0, 0}));
    EXPECT_THROW(read("0022 7fffffff 01"), std::runtime_error);
}
