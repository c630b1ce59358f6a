#include "components/archive/type_registry.h"
#include "components/lx_objects/fixtures/fixture.h"
#include "components/lx_objects/fixtures/fixture_element.h"
#include "components/lx_objects/programming/look.h"
#include "components/lx_objects/programming/packed_time.h"
#include "components/lx_objects/tests/stream_bytes.h"

#include <gtest/gtest.h>

#include <QTemporaryDir>

using StreamCheck::Chunk;
using StreamCheck::kNewest;

namespace {

const std::string kCountTooLarge = "Error reading from file, count 4294967295 exceeds the data remaining";

// The offset of a run within row `row` of a layout as the newest version holds it.
int offsetIn(const std::vector<Chunk>& layout, std::size_t row, int within = 0)
{
    return StreamCheck::bytesAt(kProjectStreamVersion, {layout.begin(), layout.begin() + row}).size() + within;
}

Lkel lkel(quint32 kind, quint32 elementId = 0)
{
    Lkel l;
    l.set(Lkel::Kind, kind), l.set(Lkel::ElementId, elementId);
    return l;
}

// Adds, pending in the open edit, a fixture numbered `number` with `count` new elements; answers their ids.
std::vector<quint32> addFixture(quint16 number, int count)
{
    auto* fixture = new Fixture;
    fixture->number = number;
    Archive::ObjectPtr handle(fixture);
    Archive::ObjectId fixtureId = Archive::kNoObjectId;
    Archive::addObject(Fixture::kArrayId, fixtureId, handle);
    for (int n = 0; n < count; ++n) {
        auto* element = new FixtureElement;
        element->setOwner(fixtureId, quint16(n));
        Archive::ObjectPtr added(element);
        Archive::ObjectId id = Archive::kNoObjectId;
        Archive::addObject(FixtureElement::kArrayId, id, added);
        fixture->elementIds.push_back(id);
    }
    return fixture->elementIds;
}

// The fade and offset codes of each level after computeOffsets with a fade of 1000 ms.
std::vector<std::pair<quint32, quint32>> spread(quint16 type, quint16 direction, const std::vector<quint32>& ids)
{
    Look look;
    look.setFadeTime(1000), look.skewType = type, look.skewDirection = direction;
    for (const quint32 id : ids)
        look.lkels.push_back(lkel(0, id));
    look.computeOffsets();
    std::vector<std::pair<quint32, quint32>> times;
    for (const Lkel& l : look.lkels)
        times.emplace_back(l.get(Lkel::FadeTime), l.get(Lkel::OffsetTime));
    return times;
}

}  // namespace

TEST(Lkel, SettersStreamFormsAndOlderLayouts)
{
    const struct
    {
        quint32 kind;
        qint32 a, b, c;
        quint32 exponent, n1, n2, n3;
    } values[] = {{0, 5000, 20, 7, 1, 500, 2, 0},
                  {0, 40000, 0, 0, 1, 4000, 0, 0},
                  {0, 41000, 0, 0, 2, 410, 0, 0},
                  {5, 41000, 20, 5000, 2, 410, 0, 904},
                  {6, 0x7FFFFFFF, 9, 9, 6, 2147, 0, 0},
                  {9, 5000, 9, 9, 7, 904, 0, 0},
                  {0, -5, 3, -1, 0, 0, 3, 0}};
    for (const auto& row : values) {
        Lkel l = lkel(row.kind);
        l.set(Lkel::Exponent, 7), l.set(Lkel::ByteValue, 0x5A);
        l.setValues(row.a, row.b, row.c);
        EXPECT_EQ((std::vector<quint32> {l.get(Lkel::Exponent), l.get(Lkel::Number1), l.get(Lkel::Number2),
                                         l.get(Lkel::Number3), l.get(Lkel::ByteValue)}),
                  (std::vector<quint32> {row.exponent, row.n1, row.n2, row.n3, 0x5Au}))
            << row.kind << " " << row.a;
    }
    Lkel nine = lkel(9);
    nine.set(Lkel::Exponent, 6), nine.set(Lkel::Number1, 0xFFF), nine.setByte(0x1A5);
    EXPECT_EQ(nine.words()[2], 0xFFF52040u);  // aux 5, sub mode 2, exponent 1
    Lkel zero = lkel(0);
    EXPECT_EQ((zero.set(Lkel::Number2, 0xFFF), zero.setByte(0xA5), zero.words()[3]), 0x000FFFA5u);

    // Kinds 0, 4 and 6, every field set; then the same bytes with every field overfull.
    const char* const forms[] = {"7f 0123 0456 0789", "0123 beef cafe", "0123 01 02 03 04"};
    for (const quint32 kind : {0u, 4u, 6u}) {
        Lkel l = lkel(kind, 0x1234);
        const quint32 set[][2] = {{Lkel::FunctionId, 0x56}, {Lkel::SubIndex, 0xFFF}, {Lkel::Parameter, 0xABCD},
                                  {Lkel::CrossfadePath, 3}, {Lkel::Flags, 0x15},     {Lkel::FxTable, 0x11},
                                  {Lkel::Number1, 0x123},   {Lkel::Exponent, 5},     {Lkel::SubMode, 6},
                                  {Lkel::OffsetStyle, 0xE}, {Lkel::Aux, 9},          {Lkel::FadeTime, 0x2001},
                                  {Lkel::OffsetTime, 0x102}};
        for (const auto& [field, value] : set)
            l.set(Lkel::Field(field), value);
        if (kind == 0)
            l.set(Lkel::ByteValue, 0x7F), l.set(Lkel::Number2, 0x456), l.set(Lkel::Number3, 0x789);
        else
            l.set(Lkel::Word1, kind == 4 ? 0xBEEF : 0x0201), l.set(Lkel::Word2, kind == 4 ? 0xCAFE : 0x0403);
        const QByteArray golden = hex("1234 56 0fff") + char(kind) + hex("abcd 03 15 11") + hex(forms[kind / 3])
            + hex("05 06 0e 09 2001 0102");
        EXPECT_EQ(writtenBytes(l).toHex(), golden.toHex()) << kind;
        QByteArray overfull = golden;
        const int tail = golden.size() - 8;
        const std::pair<int, int> patches[] = {{3, 0xFF},        {5, int(0xF0 | kind)},  {8, 0xF3},    {9, 0xF5},
                                               {10, 0xF1},       {kind ? 11 : 12, 0xF1}, {tail, 0xFD}, {tail + 1, 0xFE},
                                               {tail + 2, 0xFE}, {tail + 3, 0xF9}};
        for (const auto& [at, byte] : patches)
            overfull[at] = char(byte);
        Lkel masked;
        EXPECT_TRUE(readBytes(masked, overfull) == 0 && masked == l) << kind;
        EXPECT_TRUE(StreamCheck::stableRoundTrip(l, kProjectStreamVersion));
    }
    EXPECT_TRUE(StreamCheck::damagedReadFails(blockBytes(lkel(4)), 7, "00", kProjectStreamVersion,
                                              "Error reading from file", readValue<Lkel>));

    // A kind-6 parameter unpacked where no aux byte is stored.
    const std::vector<Chunk> six = {{0, kNewest, "0001 02 0fff 06 abcd 00 00 00 0123 01020304 00 00 00"},
                                    {57, 62, "03"},
                                    {63, kNewest, "03"},
                                    {0, kNewest, "0000 0000"},
                                    {0, 51, ""}};
    StreamCheck::expectGateReads<Lkel>(six, kProjectStreamVersion, [](quint16 v) {
        Lkel l = lkel(6, 1);
        l.set(Lkel::FunctionId, 2), l.set(Lkel::SubIndex, 0xFFF), l.set(Lkel::Number1, 0x123);
        l.set(Lkel::Word1, 0x0201), l.set(Lkel::Word2, 0x0403);
        if (v >= 57 && v != 62)
            return l.set(Lkel::Parameter, 0xABCD), l.set(Lkel::Aux, 3), l;
        l.set(Lkel::OffsetStyle, 0xD), l.set(Lkel::SubMode, 0xBC & 7), l.set(Lkel::FxTable, 0xBC >> 3);
        return l.set(Lkel::Aux, 0xA), l.set(Lkel::Parameter, 255), l;
    });
    // Kind 11 exchanged its byte value and offset time below 146 and at 150.
    const std::vector<Chunk> eleven = {{0, kNewest, "0001 00 0000 0b 0000 00 00 00 40 0001 0002 0003 00 00 00"},
                                       {57, 62, "00"},
                                       {63, kNewest, "00"},
                                       {0, kNewest, "0000 1234"},
                                       {0, 146, ""},
                                       {150, 151, ""}};
    StreamCheck::expectGateReads<Lkel>(eleven, kProjectStreamVersion, [](quint16 v) {
        Lkel l = lkel(11, 1);
        l.set(Lkel::Number1, 1), l.set(Lkel::Number2, 2), l.set(Lkel::Number3, 3);
        const bool exchanged = v < 146 || v == 150;
        return l.set(Lkel::ByteValue, exchanged ? 255 : 0x40), l.set(Lkel::OffsetTime, exchanged ? 0x40 : 0x1234), l;
    });
}

TEST(Look, GatesGoldenBytesAndDamage)
{
    const std::vector<Chunk> layout = {
        {0, kNewest, "0006 00000001 00ab 0007 00 0000 00 0000 00 00 00 00 0000 0000 0000 00 00 00"},
        {57, 62, "00"},
        {63, kNewest, "00"},
        {0, kNewest, "0000 0000 00c8 0001 0004"},
        {112, 120, "0008 00000001 00000007 012a"},  // row 4: selections
        {125, kNewest, "0008 00000001 00000007 012a"},
        {113, 120, "00000001"},
        {132, kNewest, "00000001"},
        {112, 120, "fffffffe 00000001 00000005 0018 00000009 0800"},
        {125, kNewest, "fffffffe 00000001 00000005 0018 00000009 0800"},  // row 9
        {0, kNewest, "0006 00000001 00ac 0008 00000001 00000003 0006 00000002 00000001 00000002"},
        {62, kNewest, "0006 00000001 00fb 0000000a 00000014 00c1"},  // row 11: fragments
        {62, 100, "ffffffff"},
        {62, kNewest, "0009 00000000 00000000 00000000 00000000 00000001 00000001"},
        {62, 100, "0006 00000000"},
        {62, kNewest, "ffffffff"},
        {100, kNewest, "ffffffff 0006 00000000"},
    };
    const auto lookAt = [](quint16 v) {
        Look look;
        look.lkels.push_back(lkel(0, 7));
        look.fadeTime = 200, look.skewType = 1, look.skewDirection = 4;
        if ((v >= 112 && v < 120) || v >= 125)
            look.selections[7].byKey[-2].entries.push_back({5, BitVector(9, 3)});
        LookSequence sequence;
        sequence.valuesByFunction[3] = {1, 2};
        EXPECT_EQ(look.appendEntry(sequence), 0u);
        if (v >= 62)
            look.fragments.push_back({10, 20, TimelineEl()});
        return look;
    };
    StreamCheck::expectGateReads<Look>(layout, kProjectStreamVersion, lookAt);
    const Look look = lookAt(kProjectStreamVersion);
    EXPECT_EQ(writtenBytes(look).toHex(), StreamCheck::bytesAt(kProjectStreamVersion, layout).toHex());
    EXPECT_TRUE(StreamCheck::stableRoundTrip(look, kProjectStreamVersion));  // 298 named "Look" in the text
    EXPECT_EQ(ObjectRegistry::codeForName(QStringLiteral("Look")), Look::kTypeCode);
    EXPECT_TRUE(everyStrictPrefixFails(look));
    const QByteArray bytes = writtenBytes(look);
    const auto read = [](InStream& in) { Look().read(in); };
    for (const int at :
         {offsetIn(layout, 0, 2), offsetIn(layout, 5, 2), offsetIn(layout, 7), offsetIn(layout, 9, 4),
          offsetIn(layout, 10, 2), offsetIn(layout, 10, 10), offsetIn(layout, 10, 20), offsetIn(layout, 11, 2)})
        EXPECT_TRUE(StreamCheck::damagedReadFails(bytes, at, "ffffffff", kProjectStreamVersion, kCountTooLarge, read))
            << at;
}

TEST(Look, ComputeOffsetsRanksTargetsOfTheOpenEdit)
{
    QTemporaryDir folder;
    ScratchDatabase database(folder.filePath(QStringLiteral("archive.tarv")));
    Archive::EditContext context(database.id());
    const quint32 e30 = addFixture(30, 1)[0], e10 = addFixture(10, 1)[0], e20 = addFixture(20, 1)[0];
    const quint32 e40 = addFixture(40, 1)[0];
    using Times = std::vector<std::pair<quint32, quint32>>;
    EXPECT_EQ(spread(0, 0, {e30, e10, e20}), (Times {{1000, 0}, {1000, 0}, {1000, 0}}));
    EXPECT_EQ(spread(1, 0, {e30, e10, e20}), (Times {{0, 1000}, {0, 0}, {0, 500}}));
    EXPECT_EQ(spread(5, 0, {e10, e20, e30, e40}), (Times {{1000, 0}, {750, 250}, {500, 500}, {250, 750}}));
    EXPECT_EQ(spread(1, 2, {e20, e10}), (Times {{1000, 0}, {1000, 0}}));
    EXPECT_EQ(spread(1, 0, {e20, e20, e10}), (Times {{0, 1000}, {0, 1000}, {0, 0}}));
    EXPECT_EQ(spread(1, 0, {e10, 9000, 9001}), (Times {{0, 0}, {0, 500}, {0, 500}}));  // no such elements
    EXPECT_EQ(spread(1, 1, {e10, e20, e30}), (Times {{0, 1000}, {0, 500}, {0, 0}}));

    // A one-hour fade over 1,200 targets: the last one waits the whole fade.
    Look hour;
    hour.fadeTime = 0x874F, hour.skewType = 1;
    for (const quint32 id : addFixture(50, 1200))
        hour.lkels.push_back(lkel(0, id));
    hour.computeOffsets();
    EXPECT_EQ(hour.lkels.back().get(Lkel::OffsetTime), 0x874Fu);
    EXPECT_EQ(hour.lkels[600].get(Lkel::OffsetTime), encodeTime16(qint32(3599090ll * 600 / 1199)));

    // Random: element 0 (fixture 30) has rank 3 and seeds the order; the highest rank stays last.
    ASSERT_EQ(e30, 0u);
    const quint32 e5 = addFixture(5, 1)[0];
    EXPECT_EQ(spread(1, 4, {e30, e10, e20, e40, e5}), (Times {{0, 500}, {0, 0}, {0, 750}, {0, 1000}, {0, 250}}));
    std::vector<quint16> order {9};
    seededShuffle(order, 0, 1, 1, 1);
    EXPECT_EQ(order, std::vector<quint16> {9});
    seededShuffle(order, 10, 12345, 1, 1);
    EXPECT_EQ(order, (std::vector<quint16> {4, 0, 5, 3, 8, 7, 2, 1, 6, 9}));
    seededShuffle(order, 40000, 7, 1, 1);  // two draws per number from 32,768 on
    EXPECT_EQ(std::vector<quint16>(order.begin(), order.begin() + 5),
              (std::vector<quint16> {14180, 5036, 25031, 38104, 17095}));
    EXPECT_EQ(order.back(), 39999);
}
