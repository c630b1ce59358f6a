#include "components/archive/fields.h"
#include "components/archive/type_registry.h"
#include "components/archive/value_ptr.h"

#include "tests/support/peak_memory.h"
#include "tests/support/stream_check.h"

#include <QMap>

#include <map>
#include <memory>
#include <tuple>
#include <vector>

using StreamCheck::Chunk;
using StreamCheck::hex;
using StreamCheck::kNewest;

namespace {

enum class Kind : quint16 { Plain = 1, Wide = 0x1F7 };

constexpr quint16 kVersion = 160;

// One entry of every kind a field list offers.
class Sample
{
public:
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
    quint8 oldOnly = 5;  // stored before 100 only

    quint32 typeCode() const { return 9300; }
    void read(InStream& in) { Archive::readFields(in, *this); }
    void write(OutStream& out) const { Archive::writeFields(out, *this); }
    bool operator==(const Sample&) const = default;

private:
    friend class Archive::FieldAccess;
    template <class F, class Self>
    static void fields(F& f, Self& s)
    {
        f(s.first);
        f.since(62, s.fromNewKept);
        f.since(81, s.fromNewFallback).orSet(9);
        f.onlyBefore(100, s.oldOnly);
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
        {0, 100, "66"},
        {56, 62, "00"},
        {63, kNewest, "00"},
        {0, 112, "deadbeef"},
        {120, 125, "deadbeef"},
        {0, kNewest, "ff f7 fe"},
        {38, kNewest, "0008 00000001 ffffffff 00000002 0061"},
        {0, 38, "00000002 0062"},
        {0, kNewest, "0008 00000001 03 2345  0006 00000002 01 02  0001 00000044"},
    };
    EXPECT_EQ(StreamCheck::gateVersions(layout, kVersion),
              (std::vector<quint16> {37, 38, 55, 56, 61, 62, 63, 80, 81, 99, 100, 111, 112, 119, 120, 124, 125, 160}));
    // Narrow fields are zero- or sign-extended; the predicate's field is 00
    // where present, and absent (at 62 and below 56) it falls back to true.
    const auto expectedAt = [](quint16 v) {
        Sample s;
        s.first = 0x11, s.fromNewKept = v >= 62 ? 0x22 : 7, s.fromNewFallback = v >= 81 ? 0x33 : 9;
        s.oldOnly = v < 100 ? 0x66 : 5, s.predicate = !(v >= 56 && v != 62);
        s.wideByte = 0xFF, s.kind = Kind(0xF7), s.signedByte = -2;
        s.texts = {{v >= 38 ? -1 : 0, QString::fromLatin1(v >= 38 ? "a" : "b")}};
        s.levels = {{3, 0x2345}}, s.steps = {1, 2}, s.type = 1, s.typeOneValue = 0x44;
        return s;
    };
    StreamCheck::expectGateReads<Sample>(layout, kVersion, expectedAt);

    // Containers read through an adaptor replace what was there, and refuse a
    // count the data cannot hold before allocating.
    // Reading starts from a default value: what older data lacks is not
    // left over from before.
    Sample used = filled();
    used.steps = {9, 9, 9}, used.oldOnly = 1;
    ASSERT_EQ(StreamCheck::readBinary(written(filled()), kVersion, [&](InStream& in) { used.read(in); }), 0);
    Sample fresh;
    StreamCheck::readBinary(written(filled()), kVersion, [&](InStream& in) { fresh.read(in); });
    EXPECT_EQ(used, fresh);
    EXPECT_TRUE(StreamCheck::damagedReadFails(
        written(filled()), written(filled()).indexOf(hex("0006 00000002")) + 2, "7fffffff", kVersion,
        "Error reading from file, count 2147483647 exceeds the data remaining", [&](InStream& in) { used.read(in); }));
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
    try {
        read("0022 7fffffff 01");
        ADD_FAILURE() << "read a count beyond the data";
    } catch (const std::runtime_error& e) {
        EXPECT_EQ(e.what(), StreamCheck::kCountTooLarge);
    }
    // With a fill value, what a short section lacks takes that value.
    StreamCheck::readBinary(hex("0022 00000001 04"), kVersion,
                            [&](InStream& in) { in >> Archive::anyCountArray(values, quint8(0xFF)); });
    EXPECT_EQ(values, (std::array<quint8, 3> {4, 0xFF, 0xFF}));
}

namespace {

// A bare-counted list of pairs and a map filed by a hook that keeps the
// first entry of a key; the tag survives a read, as a class's own reset rule
// says.
struct Marks
{
    std::vector<std::pair<qint32, quint32>> marks;
    std::map<quint32, QString> texts;
    int tag = 0;

    void read(InStream& in) { Archive::readFields(in, *this); }
    void write(OutStream& out) const { Archive::writeFields(out, *this); }
    bool operator==(const Marks&) const = default;

private:
    friend class Archive::FieldAccess;
    template <class F, class Self>
    static void fields(F& f, Self& s)
    {
        f(Archive::counted<quint32>(s.marks));
        f(Archive::counted<quint16>(s.texts, [](auto& texts, auto&& entry) { texts.insert(entry); }));
    }
    void resetForRead()
    {
        const int kept = tag;
        *this = Marks();
        tag = kept;
    }
};

}  // namespace

TEST(Fields, CountedSequencesAndTheResetRule)
{
    ObjectRegistry::registerCoreTypes();
    Marks m;
    m.marks = {{10, 1}, {-20, 2}};
    m.texts = {{7, QStringLiteral("a")}};
    const QByteArray bytes = StreamCheck::binaryBytes(kVersion, [&](OutStream& out) { m.write(out); });
    EXPECT_EQ(bytes.toHex(), hex("00000002 0000000a 00000001 ffffffec 00000002  0001 00000007 00000002 0061").toHex());
    EXPECT_TRUE(StreamCheck::stableRoundTrip(m, kVersion));

    // A key stored twice: the hook keeps the first. The tag is the class's
    // to keep; everything else starts again.
    Marks read;
    read.tag = 3, read.marks = {{1, 1}};
    ASSERT_EQ(StreamCheck::readBinary(hex("00000000 0002 00000007 00000002 0061 00000007 00000002 0062"), kVersion,
                                      [&](InStream& in) { read.read(in); }),
              0);
    EXPECT_TRUE(read.marks.empty());
    EXPECT_EQ(read.texts, (std::map<quint32, QString> {{7, QStringLiteral("a")}}));
    EXPECT_EQ(read.tag, 3);

    // A count the data cannot back fails before anything is read or kept.
    EXPECT_TRUE(StreamCheck::damagedReadFails(bytes, 0, "7fffffff", kVersion,
                                              "Error reading from file, count 2147483647 exceeds the data remaining",
                                              [&](InStream& in) { read.read(in); }));
    // A full count is written; one entry more is refused on writing (the one way every writer refuses a count
    // its width cannot hold), with the stream's documented exception type.
    Marks tooMany;
    for (quint32 i = 0; i < 0xFFFF; ++i)
        tooMany.texts.emplace(i, QString());
    const auto writeMarks = [&] {
        return StreamCheck::binaryBytes(kVersion, [&](OutStream& out) { tooMany.write(out); });
    };
    EXPECT_EQ(writeMarks().size(), 4 + 2 + 0xFFFF * 8);
    tooMany.texts.emplace(0xFFFF, QString());
    try {
        writeMarks();
        ADD_FAILURE() << "written";
    } catch (const std::runtime_error& e) {
        EXPECT_STREQ(e.what(), "Too many entries for their stored count: 65536, at most 65535");
    }
}

namespace {

struct Outline
{
    virtual ~Outline() = default;
    virtual Outline* clone() const { return new Outline(*this); }
    virtual int corners() const { return 0; }
    bool operator==(const Outline& other) const { return corners() == other.corners(); }
};

struct SquareOutline : Outline
{
    SquareOutline* clone() const override { return new SquareOutline(*this); }
    int corners() const override { return 4; }
};

}  // namespace

TEST(Fields, ValuePtrCopiesAndComparesWhatItOwns)
{
    Archive::ValuePtr<std::vector<int>> a = Archive::ValuePtr<std::vector<int>>::make(3, 1);
    Archive::ValuePtr<std::vector<int>> b = a;
    EXPECT_NE(a.get(), b.get());
    EXPECT_EQ(a, b);
    b->push_back(2);
    EXPECT_NE(a, b);
    EXPECT_EQ(a->size(), 3u);
    const Archive::ValuePtr<std::vector<int>> none;
    EXPECT_EQ(none, Archive::ValuePtr<std::vector<int>>());
    EXPECT_NE(none, a);
    b = none;
    EXPECT_FALSE(b);

    // A base pointer copies the derived object whole.
    const Archive::ValuePtr<Outline> square(new SquareOutline);
    const Archive::ValuePtr<Outline> copy = square;
    EXPECT_EQ(copy->corners(), 4);
    EXPECT_EQ(copy, square);
}

TEST(Fields, Vector32StoredFormAndCountLimits)
{
    const std::vector<quint32> none;
    EXPECT_EQ(StreamCheck::binaryBytes(kVersion, [&](OutStream& out) { out << Archive::vector32(none); }).toHex(),
              "000600000000");
    const std::vector<qint32> values {-1, 7};
    const QByteArray bytes = hex("0006 00000002 ffffffff 00000007");
    EXPECT_EQ(StreamCheck::binaryBytes(kVersion, [&](OutStream& out) { out << Archive::vector32(values); }), bytes);
    std::vector<qint32> read {5, 5, 5};
    const auto readInto = [&read](InStream& in) { in >> Archive::vector32(read); };
    EXPECT_EQ(StreamCheck::readBinary(bytes, kVersion, readInto), 0);
    EXPECT_EQ(read, values);
    EXPECT_EQ(StreamCheck::readBinary(hex("0006 00000000"), kVersion, readInto), 0);
    EXPECT_TRUE(read.empty());

    // The stored format's own limit comes first, then the data remaining;
    // neither reserves what the count asks for.
    const qint64 before = TestSupport::resetPeakMemory();
    EXPECT_TRUE(
        StreamCheck::damagedReadFails(bytes, 2, "40000000", kVersion, StreamCheck::kVector32CountAboveLimit, readInto));
    EXPECT_TRUE(StreamCheck::damagedReadFails(bytes, 2, "ffffffff", kVersion,
                                              StreamCheck::countAboveLimit(0xFFFFFFFF, 0x3FFFFFFF), readInto));
    EXPECT_TRUE(StreamCheck::damagedReadFails(bytes, 2, "3fffffff", kVersion,
                                              "Error reading from file, count 1073741823 exceeds the data remaining",
                                              readInto));
    const QByteArray twenty = hex("0006 000f4240") + QByteArray(14, '\x01');
    EXPECT_TRUE(StreamCheck::damagedReadFails(
        twenty, 0, "", kVersion, "Error reading from file, count 1000000 exceeds the data remaining", readInto));
    EXPECT_LT(TestSupport::peakMemoryBytes() - before, 16 << 20);
}

namespace {

// An object on the one base: a list with a gate and a fix-up of old data.
class Counter : public Archive::Object<Counter>
{
public:
    static constexpr quint32 kTypeCode = 9301;

    quint32 count = 0;
    quint16 step = 1;  // since 90; older data had steps of twice the count
    int fixUps = 0;    // how often the hook ran on this value

    bool operator==(const Counter&) const = default;

private:
    friend class Archive::FieldAccess;
    template <class F, class Self>
    static void fields(F& f, Self& s)
    {
        f(s.count);
        f.since(90, s.step);
    }
    void afterRead(InStream& in)
    {
        ++fixUps;
        if (in.version() < 90)
            step = quint16(count * 2);
    }
};

// A value on the one base, streamed as a block of its code.
class Span : public Archive::Value<Span>
{
public:
    static constexpr quint32 kTypeCode = 9302;

    qint16 from = 0;
    qint16 to = 0;

    bool operator==(const Span&) const = default;

private:
    friend class Archive::FieldAccess;
    template <class F, class Self>
    static void fields(F& f, Self& s)
    {
        f(s.from, s.to);
    }
};

}  // namespace

TEST(Fields, TheOneBaseStreamsTheListAndRunsTheFixUps)
{
    ObjectRegistry::registerCoreTypes();
    Counter counter;
    counter.count = 5, counter.step = 3;
    counter.setId(12);
    const Archive::ObjectBase& object = counter;
    EXPECT_EQ(object.typeCode(), 9301u);
    const QByteArray bytes = StreamCheck::binaryBytes(kVersion, [&](OutStream& out) { object.write(out); });
    EXPECT_EQ(bytes.toHex(), hex("00000005 0003").toHex());

    // A clone is the same class with the same content and no id.
    const std::unique_ptr<Archive::ObjectBase> copy(object.clone());
    ASSERT_NE(dynamic_cast<Counter*>(copy.get()), nullptr);
    EXPECT_EQ(*static_cast<Counter*>(copy.get()), counter);
    EXPECT_EQ(copy->getId(), Archive::kNoObjectId);

    // Reading through the base keeps the id and runs the hook once, after
    // the list: at 89 the step comes from the count just read.
    Counter read;
    read.setId(7);
    Archive::ObjectBase& target = read;
    ASSERT_EQ(StreamCheck::readBinary(hex("00000004"), 89, [&](InStream& in) { target.read(in); }), 0);
    EXPECT_EQ(read.count, 4u);
    EXPECT_EQ(read.step, 8);
    EXPECT_EQ(read.fixUps, 1);
    EXPECT_EQ(read.getId(), 7u);
    ASSERT_EQ(StreamCheck::readBinary(hex("00000004 0003"), 90, [&](InStream& in) { target.read(in); }), 0);
    EXPECT_EQ(read.step, 3);
    EXPECT_EQ(read.fixUps, 1);  // the reset starts from a fresh value before the hook

    // A value on the base answers its code and streams its list.
    const Span span {{}, -1, 2};
    EXPECT_EQ(span.typeCode(), 9302u);
    EXPECT_TRUE(StreamCheck::stableRoundTrip(span, kVersion));
    EXPECT_EQ(StreamCheck::binaryBytes(kVersion, [&](OutStream& out) { span.write(out); }).toHex(),
              hex("ffff 0002").toHex());
}

namespace {

// A count of tenths held as a double and stored as a word.
struct TenthsAsWord
{
    using Stored = quint32;
    static quint32 store(double value) { return quint32(value * 10 + 0.5); }
    static double load(quint32 tenths) { return tenths / 10.0; }
};

// A pair held as one word and stored as two bytes, high first.
struct WordAsBytes
{
    using Stored = std::tuple<quint8, quint8>;
    static Stored store(quint16 word) { return {quint8(word >> 8), quint8(word)}; }
    static quint16 load(const Stored& bytes) { return quint16(std::get<0>(bytes) << 8 | std::get<1>(bytes)); }
};

}  // namespace

TEST(Fields, StoredViaConvertsEachWay)
{
    ObjectRegistry::registerCoreTypes();
    double seconds = 2.5;
    quint16 word = 0x1234;
    const QByteArray bytes = StreamCheck::binaryBytes(kVersion, [&](OutStream& out) {
        out << Archive::storedVia<TenthsAsWord>(seconds) << Archive::storedVia<WordAsBytes>(word);
    });
    EXPECT_EQ(bytes.toHex(), hex("00000019 12 34").toHex());

    double readSeconds = 0;
    quint16 readWord = 0;
    EXPECT_EQ(StreamCheck::readBinary(bytes, kVersion,
                                      [&](InStream& in) {
                                          in >> Archive::storedVia<TenthsAsWord>(readSeconds)
                                              >> Archive::storedVia<WordAsBytes>(readWord);
                                      }),
              0);
    EXPECT_EQ(readSeconds, 2.5);
    EXPECT_EQ(readWord, 0x1234);
    // A stored form cut short fails like the values it is made of.
    EXPECT_THROW(StreamCheck::readBinary(bytes.left(5), kVersion,
                                         [&](InStream& in) {
                                             in >> Archive::storedVia<TenthsAsWord>(readSeconds)
                                                 >> Archive::storedVia<WordAsBytes>(readWord);
                                             in.checkStatus();
                                         }),
                 std::runtime_error);
}
