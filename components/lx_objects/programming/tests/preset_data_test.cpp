#include "components/lx_objects/programming/preset_data.h"
#include "components/lx_objects/tests/stream_bytes.h"

#include <gtest/gtest.h>

#include <list>
#include <string>
#include <type_traits>

using StreamCheck::Chunk;
using StreamCheck::kNewest;

namespace {

const char kContour[] = "00c2 0000 0000 0000 00010000 0001";
const char kEmptyGradient[] = "00b9 0000";

QByteArray typeAndColours(int type, const std::vector<RGBData>& colours)
{
    return streamBytes([&](OutStream& out) {
        out << quint32(type);
        writeColourList(out, colours);
    });
}

// A preset of the type holding the part (of the type's own layout).
PresetData preset(int type, const std::vector<RGBData>& colours, const PresetPart& part)
{
    PresetData data;
    data.reset(type);
    data.colours = colours;
    std::visit(
        [&](const auto& record) {
            using P = std::decay_t<decltype(record)>;
            if constexpr (!std::is_same_v<P, std::monostate>) {
                EXPECT_TRUE(data.part<P>()) << type;
                if (data.part<P>())
                    *data.part<P>() = record;
            }
        },
        part);
    return data;
}

Archive::ValuePtr<ColourGradient> gradient()
{
    auto g = Archive::ValuePtr<ColourGradient>::make();
    g->addPoint(0x10, RGBData(1, 2, 3, 4));
    return g;
}

ContourParameters contour()
{
    ContourParameters c;
    c.kind = 1, c.a = 2, c.b = -3, c.c = 4, c.d = 5;
    return c;
}

// The colours a preset of version v holds when the given ones are stored
// with it (from 100 on): older than 103 a kind reads as 31 when it was 1, else 0.
std::vector<RGBData> coloursAt(std::vector<RGBData> colours, quint16 v)
{
    if (v >= 100 && v < 103) {
        for (RGBData& c : colours)
            c.kind = c.kind == 1 ? 31 : 0;
    }
    return colours;
}

// Keeps the hex of a gate row alive while the layout names it.
const char* kept(const QByteArray& bytes)
{
    static std::list<std::string> texts;
    return texts.emplace_back(bytes.toHex().toStdString()).c_str();
}

}  // namespace

TEST(PresetData, EveryTypeResetsToItsDefaults)
{
    const QByteArray text = blockBytes(DynamicText()) + blockBytes(TextProperties());
    ASSERT_EQ(text.toHex(), hex("00c5 ffffffff 0007 00000000 00c3 ffffffff 000000000000 00000000 00 0004").toHex());
    const std::pair<std::vector<int>, QByteArray> rows[] = {
        {{-1, 0, 13, 14, 99, 101, 199, 220, 299, 304}, QByteArray()},
        {{1}, hex(kEmptyGradient) + hex("0000 0000")},
        {{2}, hex("00 00000000 0000 00000000 0000 0000 0000 0000 00")},
        {{3}, hex("00 00000000 00000000 00 0000 0000 00 00000000")},
        {{4}, hex("00000000 00000000 00")},
        {{5}, hex("00000000 00000000")},
        {{6}, hex("00 00000000 00000000 00000000 0000 0000 00 00")},
        {{7}, hex("00 00000000 0000 0000 0000 00 0000 0000 00")},
        {{8, 11}, hex("00 00000000 0000 0000 0000 00000000 00 0000 0000")},
        {{9}, hex(kEmptyGradient) + hex("00000000 0000 00 0000 0000 0000 0000 00")},
        {{10}, hex("00")},
        {{12}, hex("00 00000000 0000 0000 0000 00 0000 00 0000 0000")},
        {{100}, hex("00000000")},
        {{200}, hex("00000000 00 00000000 00000000 00000000 00 0000 00 00 00000000 00000000 00000000 00000000 0000")},
        {{201}, hex("00 00000000") + hex(kContour) + hex("00")},
        {{202}, hex(kEmptyGradient) + hex(kContour)},
        {{203}, hex("0000 0000 0000 00 0000000000000000")},
        {{204}, hex("00 00000000 0000") + hex(kContour) + hex("0000 0000 00 00")},
        {{205}, hex("0000 0000 00000000 00000000 00000000 00000000 0000")},
        {{206}, hex("00000000 00 00000000 00b7 0008 00000000")},
        {{207}, hex(kEmptyGradient) + hex("00 00000000 0000 0000 0000 0000 0000 0000")},
        {{208}, hex("00 00000000 0000") + text},
        {{209}, hex("00 00000000 0000 00000000 00") + hex(kContour) + hex("00")},
        {{210}, blockBytes(ParticleSystem())},
        {{211, 212, 213}, hex("00 00000000 0000 0000000000000000 0000000000000000 00000000 00 0000")},
        {{214}, hex(kEmptyGradient) + hex("00 00000000 00000000 00 00 00 00 00 0000")},
        {{215}, hex(kEmptyGradient) + hex("00 00000000 0000 00 0000 0000")},
        {{216}, hex(kEmptyGradient) + hex("000000ff801f 00 00000001 0014 0014 0014 0028 0000")},
        {{217},
         hex("00 00000000") + hex(kEmptyGradient)
             + hex("0000 0000 0000 0000000000000000 0000 0000 00000000 0000 0000")},
        {{218}, hex("00 00000000 0000") + hex(kContour) + hex("00 0000 00 0000 0000")},
        {{219}, hex("00 00000000 0000 0000 00 0000 00000000 00000000 00 0000 0000")},
        {{300, 301}, hex("00 00")},
        {{302}, hex("000000ff801f 00")},
        {{303}, hex("00 00 00")},
    };
    int count = 0;
    for (const auto& [types, part] : rows) {
        for (const int type : types) {
            ++count;
            PresetData data;
            data.reset(type);
            EXPECT_EQ(data.presetType(), type);
            EXPECT_EQ(writtenBytes(data).toHex(), (typeAndColours(type, {}) + part).toHex()) << type;
            data.colours = {RGBData(1, 2, 3, 4), RGBData()};
            PresetData read;
            EXPECT_EQ(readBytes(read, writtenBytes(data)), 0) << type;
            if (type == 0) {  // read as type 11
                EXPECT_EQ(read, preset(11, data.colours, PresetPart11 {true, 1000, 0, 128, 128, 0, 0, 1, 1}));
                continue;
            }
            EXPECT_EQ(read, data) << type;
            EXPECT_TRUE(StreamCheck::stableRoundTrip(data, kProjectStreamVersion)) << type;
        }
    }
    EXPECT_EQ(count, 47);
    EXPECT_EQ(PresetData().presetType(), -1);
}

TEST(PresetData, EveryLayoutStreamsItsFieldsInOrder)
{
    DynamicText dynamic;
    dynamic.setText(QStringLiteral("a<b>"));
    TextProperties properties;
    properties.param1 = 7, properties.param5 = 9;
    CustomPresetPropertyMap map;
    map.properties[QStringLiteral("a")].index = 3;
    ParticleSystem particles;
    particles.word3 = 77;
    const QByteArray g = blockBytes(*gradient());
    const QByteArray c = blockBytes(contour());
    const std::tuple<std::vector<int>, PresetPart, QByteArray> rows[] = {
        {{1}, PresetPart1 {gradient(), 2, 3}, g + hex("0002 0003")},
        {{2}, PresetPart2 {true, 2, 3, -4, 5, 6, 7, 8, 9}, hex("01 00000002 0003 fffffffc 0005 0006 0007 0008 09")},
        {{3}, PresetPart3 {true, 2, 3, 4, 5, 6, 7, 8}, hex("01 00000002 00000003 04 0005 0006 07 00000008")},
        {{4}, PresetPart4 {-1, 2, 3}, hex("ffffffff 00000002 03")},
        {{5}, PresetPart5 {-1, 2}, hex("ffffffff 00000002")},
        {{6}, PresetPart6 {true, 2, -3, 4, 5, 6, 7, 8}, hex("01 00000002 fffffffd 00000004 0005 0006 07 08")},
        {{7}, PresetPart7 {true, 2, 3, 4, 5, 6, 7, 8, 9}, hex("01 00000002 0003 0004 0005 06 0007 0008 09")},
        {{8, 11}, PresetPart11 {true, 2, 3, 4, 5, 6, 7, 8, 9}, hex("01 00000002 0003 0004 0005 00000006 07 0008 0009")},
        {{9}, PresetPart9 {gradient(), -2, 3, 4, 5, 6, 7, 8, 9}, g + hex("fffffffe 0003 04 0005 0006 0007 0008 09")},
        {{10}, PresetPart10 {1}, hex("01")},
        {{12}, PresetPart12 {true, 2, 3, 4, 5, 6, 7, 8, 9, 10}, hex("01 00000002 0003 0004 0005 06 0007 08 0009 000a")},
        {{100}, PresetPart100 {0x01020304}, hex("01020304")},
        {{200},
         PresetPart200 {1, true, 3, -4, -5, 6, 7, 8, 9, 10, 11, 12, 13, 14},
         hex("00000001 01 00000003 fffffffc fffffffb 06 0007 08 09 0000000a 0000000b 0000000c 0000000d 000e")},
        {{201}, PresetPart201 {true, 2, contour(), 4}, hex("01 00000002") + c + hex("04")},
        {{202}, PresetPart202 {gradient(), contour()}, g + c},
        {{203}, PresetPart203 {1, 2, 3, 4, 0.5f}, hex("0001 0002 0003 04 3fe0000000000000")},
        {{204},
         PresetPart204 {true, 2, 3, contour(), 5, 6, 7, 8},
         hex("01 00000002 0003") + c + hex("0005 0006 07 08")},
        {{205}, PresetPart205 {1, 2, 3, 4, 5, 6, 7}, hex("0001 0002 00000003 00000004 00000005 00000006 0007")},
        {{206}, PresetPart206 {1, true, 3, map}, hex("00000001 01 00000003") + blockBytes(map)},
        {{207},
         PresetPart207 {gradient(), true, 3, 4, 5, 6, 7, 8, 9},
         g + hex("01 00000003 0004 0005 0006 0007 0008 0009")},
        {{208},
         PresetPart208 {true, 2, 3, dynamic, properties},
         hex("01 00000002 0003") + blockBytes(dynamic) + blockBytes(properties)},
        {{209}, PresetPart209 {true, 2, 3, -4, 5, contour(), 7}, hex("01 00000002 0003 fffffffc 05") + c + hex("07")},
        {{210}, PresetPart210 {particles}, blockBytes(particles)},
        {{211, 212, 213},
         PresetPart211 {true, 2, 3, 1.5f, 2.5f, 6, 7, 8},
         hex("01 00000002 0003 3ff8000000000000 4004000000000000 00000006 07 0008")},
        {{214},
         PresetPart214 {gradient(), true, 3, -4, 5, 6, 7, 8, 9, 10},
         g + hex("01 00000003 fffffffc 05 06 07 08 09 000a")},
        {{215}, PresetPart215 {gradient(), true, 3, 4, 5, 6, 7}, g + hex("01 00000003 0004 05 0006 0007")},
        {{216},
         PresetPart216 {gradient(), rgb(1, 2, 3, 4, 5, 6), true, 4, 5, 6, 7, 8, 9},
         g + hex("010203040506 01 00000004 0005 0006 0007 0008 0009")},
        {{217},
         PresetPart217 {true, 2, gradient(), 4, 5, 6, 0.5f, 8, 9, -10, 11, 12},
         hex("01 00000002") + g + hex("0004 0005 0006 3fe0000000000000 0008 0009 fffffff6 000b 000c")},
        {{218},
         PresetPart218 {true, 2, 3, contour(), 5, 6, 7, 8, 9},
         hex("01 00000002 0003") + c + hex("05 0006 07 0008 0009")},
        {{219},
         PresetPart219 {true, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11},
         hex("01 00000002 0003 0004 05 0006 00000007 00000008 09 000a 000b")},
        {{300, 301}, PresetPart300 {1, 2}, hex("01 02")},
        {{302}, PresetPart302 {rgb(1, 2, 3, 4, 5, 6), 7}, hex("010203040506 07")},
        {{303}, PresetPart303 {1, 2, 3}, hex("01 02 03")},
    };
    for (const auto& [types, part, bytes] : rows) {
        for (const int type : types) {
            const PresetData data = preset(type, {rgb(1, 2, 3, 4, 5, 1)}, part);
            const QByteArray written = typeAndColours(type, {rgb(1, 2, 3, 4, 5, 1)}) + bytes;
            EXPECT_EQ(writtenBytes(data).toHex(), written.toHex()) << type;
            PresetData read;
            EXPECT_EQ(readBytes(read, written), 0) << type;
            EXPECT_EQ(read, data) << type;
            EXPECT_TRUE(StreamCheck::stableRoundTrip(data, kProjectStreamVersion)) << type;
            // Cut short anywhere, the data does not read.
            for (int length = 0; length < written.size(); ++length) {
                EXPECT_THROW(readBinary(written.left(length), kProjectStreamVersion,
                                        [](InStream& in) {
                                            PresetData cut;
                                            cut.read(in);
                                            in.checkStatus();
                                        }),
                             std::runtime_error)
                    << type << " " << length;
            }
        }
    }
    // The colour count is checked before anything is read for it.
    EXPECT_TRUE(StreamCheck::damagedReadFails(typeAndColours(2, {}), 4 + 2, "7fffffff", kProjectStreamVersion,
                                              "Error reading from file, count 2147483647 exceeds the data remaining",
                                              [](InStream& in) { PresetData().read(in); }));
}

TEST(PresetData, ResetKeepsOrRenewsThePartAndCopiesOwnTheirs)
{
    PresetData data;
    data.reset(216);
    data.colours = {RGBData(1, 2, 3, 4)};
    data.part<PresetPart216>()->gradient->addPoint(5, RGBData(9, 9, 9, 9));
    data.part<PresetPart216>()->f9 = 9;
    const PresetData before = data;
    data.reset(216);
    EXPECT_EQ(data, before);

    data.reset(1);
    ASSERT_TRUE(data.part<PresetPart1>() && data.part<PresetPart1>()->gradient);
    EXPECT_TRUE(data.part<PresetPart1>()->gradient->stops().empty());
    EXPECT_FALSE(data.part<PresetPart216>());
    EXPECT_EQ(data.colours, before.colours);

    // Two types of one inline layout: the part starts afresh all the same.
    data.reset(211);
    data.part<PresetPart211>()->f2 = 5;
    data.reset(212);
    EXPECT_EQ(*data.part<PresetPart211>(), PresetPart211());

    PresetData source;
    source.reset(207);
    source.part<PresetPart207>()->gradient->addPoint(1, RGBData(1, 1, 1, 1));
    PresetData copy = source;
    PresetData assigned;
    assigned.reset(216);
    assigned = source;
    copy.part<PresetPart207>()->gradient->addPoint(2, RGBData(2, 2, 2, 2));
    assigned.part<PresetPart207>()->gradient->addPoint(3, RGBData(3, 3, 3, 3));
    EXPECT_EQ(source.part<PresetPart207>()->gradient->stops().size(), 1u);
    EXPECT_NE(copy.part<PresetPart207>()->gradient.get(), source.part<PresetPart207>()->gradient.get());
    const PresetData& self = assigned;
    assigned = self;
    EXPECT_EQ(assigned.part<PresetPart207>()->gradient->stops().size(), 2u);

    // A part without its gradient writes an empty one and reads one back.
    source.part<PresetPart207>()->gradient = nullptr;
    PresetData read;
    EXPECT_EQ(readBytes(read, writtenBytes(source)), 0);
    EXPECT_TRUE(read.part<PresetPart207>()->gradient->stops().empty());
}

TEST(PresetData, OlderLayoutsAndTheirConversions)
{
    struct Row
    {
        const char* name;
        int type;
        std::vector<RGBData> colours;  // stored with the preset
        std::vector<Chunk> part;
        std::function<PresetData(quint16)> expected;
    };
    const std::vector<RGBData> none;
    const std::vector<RGBData> one = {rgb(1, 2, 3, 4, 5, 1)};
    const std::vector<RGBData> two = {rgb(1, 2, 3, 100, 5, 1), rgb(6, 7, 8, 51, 9, 0x10)};
    const std::vector<RGBData> three = {rgb(1, 2, 3, 4, 5, 1), RGBData(), RGBData()};
    const std::vector<RGBData> four = {rgb(1, 2, 3, 4, 5, 1), RGBData(), RGBData(), RGBData()};
    // Kind 0 reads as 0 at every version.
    const RGBData c0 = rgb(1, 2, 3, 4, 5, 0);
    const RGBData c1 = rgb(6, 7, 8, 9, 10, 0);
    const auto olderScale = [](quint16 v) { return v < 58 || v == 62; };
    // The last two only add versions to read at: 60 keeps the count.
    const std::vector<Chunk> scaleEdges = {{0, 58, ""}, {62, 63, ""}, {60, 61, ""}};
    const auto type6 = [&](const char* name, const std::vector<RGBData>& colours, const char* stored, quint32 newer,
                           quint32 older) {
        std::vector<Chunk> part = {
            {0, kNewest, kept(hex("01") + hex(stored) + hex("fffffffd 00000004 0005 0006 07 02"))}};
        part.insert(part.end(), scaleEdges.begin(), scaleEdges.end());
        return Row {name, 6, colours, part, [=](quint16 v) {
                        return preset(6, coloursAt(colours, v),
                                      PresetPart6 {true, olderScale(v) ? older : newer, -3, 4, 5, 6, 7, 2});
                    }};
    };
    const auto type8 = [&](const char* name, const char* levelAndMode, quint8 channel) {
        const QByteArray level = hex(levelAndMode).left(2);
        const QByteArray mode = hex(levelAndMode).mid(2);
        const QByteArray older = level + hex("0190 01 00000004") + mode + hex("0006 00000007 08 0009 000a");
        const quint16 l1 = quint16((quint8(level[0]) << 8) | quint8(level[1]));
        const quint16 l5 = quint16((quint8(mode[0]) << 8) | quint8(mode[1]));
        return Row {name,
                    8,
                    two,
                    {{0, 111, kept(older)}, {111, kNewest, "01 00000002 0003 0004 0005 00000006 07 0008 0009"}},
                    [=](quint16 v) {
                        if (v >= 111)
                            return preset(8, coloursAt(two, v), PresetPart11 {true, 2, 3, 4, 5, 6, 7, 8, 9});
                        return preset(8, {rgb(channel, channel, channel, 255, 255, 0x1F)},
                                      PresetPart11 {true, 4, l5, l1, 6, 7, 8, 9, 10});
                    }};
    };
    const auto type208 = [&](const char* name, const std::vector<RGBData>& colours, const char* flag,
                             const std::vector<RGBData>& older) {
        const char* text = kept(blockBytes(DynamicText()) + blockBytes(TextProperties()));
        return Row {
            name, 208, colours, {{0, kNewest, "01 00000002 0003"}, {0, 103, flag}, {0, kNewest, text}}, [=](quint16 v) {
                return preset(208, v < 103 ? older : colours,
                              PresetPart208 {true, 2, 3, DynamicText(), TextProperties()});
            }};
    };
    const auto type211 = [&](const char* name, int type, const char* divisor, float stored, quint32 older) {
        return Row {name,
                    type,
                    none,
                    {{0, kNewest, kept(hex("01 00000002 0003 3ff8000000000000") + hex(divisor))},
                     {89, kNewest, "00000006"},
                     {0, kNewest, "07 0008"}},
                    [=](quint16 v) {
                        return preset(type, none, PresetPart211 {true, 2, 3, 1.5f, stored, v >= 89 ? 6 : older, 7, 8});
                    }};
    };
    const auto type207 = [&](const char* name, const char* fourth, quint16 newer, quint16 older) {
        return Row {name,
                    207,
                    none,
                    {{0, kNewest, kept(hex("00b9 0000 01 00000002 0003 0004 0005") + hex(fourth) + hex("0007 0008"))},
                     {0, 84, ""}},
                    [=](quint16 v) {
                        PresetPart207 p {.f2 = true, .f3 = 2, .f4 = 3, .f5 = 4, .f6 = 5, .f8 = 7, .f9 = 8};
                        p.f7 = v < 84 ? older : newer;
                        return preset(207, none, p);
                    }};
    };
    const auto type203 = [&](const char* name, const std::vector<RGBData>& colours, quint8 olderFlag, float olderReal,
                             const std::vector<RGBData>& olderColours) {
        return Row {name,
                    203,
                    colours,
                    {{0, kNewest, "0001 0002"}, {86, kNewest, "0003"}, {90, kNewest, "04 3fe0000000000000"}},
                    [=](quint16 v) {
                        if (v >= 90)
                            return preset(203, coloursAt(colours, v), PresetPart203 {1, 2, 3, 4, 0.5f});
                        return preset(203, olderColours,
                                      PresetPart203 {1, 2, quint16(v >= 86 ? 3 : 12345), olderFlag, olderReal});
                    }};
    };
    const Row rows[] = {
        {"type 2",
         2,
         none,
         {{0, kNewest, "01 00000002 0003 fffffffc 0005 0006 0007 0008"}, {121, kNewest, "09"}},
         [&](quint16 v) {
             return preset(2, none, PresetPart2 {true, 2, 3, -4, 5, 6, 7, 8, quint8(v >= 121 ? 9 : 1)});
         }},
        {"type 3",
         3,
         none,
         {{0, kNewest, "01 00000002 00000003 04 0005 0006 07"}, {29, kNewest, "00000008"}},
         [&](quint16 v) {
             return preset(3, none, PresetPart3 {true, 2, 3, 4, 5, 6, 7, v >= 29 ? 8u : 65536u});
         }},
        {"type 200",
         200,
         none,
         {{0, kNewest, "00000001 01 00000003 fffffffc fffffffb 06 0007 08 09"},
          {105, 109, "00000001 00000002 00000003 00000004"},
          {109, kNewest, "0000000a 0000000b 0000000c 0000000d"},
          {120, kNewest, "000e"},
          {106, 107, ""}},  // adds 106 to the versions read
         [&](quint16 v) {
             PresetPart200 p {1, true, 3, -4, -5, 6, 7, 8, 9};
             if (v >= 109)
                 p.f10 = 10, p.f11 = 11, p.f12 = 12, p.f13 = 13;
             else if (v >= 105)
                 p.f10 = 1, p.f12 = 2;
             p.f14 = v >= 120 ? 14 : 0;
             return preset(200, none, p);
         }},
        {"type 205",
         205,
         none,
         {{0, kNewest, "0001 0002"}, {123, kNewest, "00000003 00000004 00000005 00000006"}, {120, kNewest, "0007"}},
         [&](quint16 v) {
             const quint32 n = v >= 123 ? 1 : 0;
             return preset(205, none, PresetPart205 {1, 2, 3 * n, 4 * n, 5 * n, 6 * n, quint16(v >= 120 ? 7 : 0)});
         }},
        {"type 209",
         209,
         three,
         {{0, kNewest, kept(hex("01 00000384 0003 fffffffc 02") + blockBytes(contour()))},
          {100, kNewest, "07"},
          scaleEdges[0],
          scaleEdges[1],
          scaleEdges[2]},
         [&](quint16 v) {
             return preset(
                 209, coloursAt(three, v),
                 PresetPart209 {true, olderScale(v) ? 1200u : 900u, 3, -4, 2, contour(), quint8(v >= 100 ? 7 : 0)});
         }},
        {"type 0",
         0,
         one,
         {},
         [&](quint16 v) {
             return preset(11, coloursAt(one, v), PresetPart11 {true, 1000, 0, 128, 128, 0, 0, 1, 1});
         }},
        type6("type 6, four colours", four, "000003e8", 1000, 1500),
        type6("type 6, one colour", one, "000003e8", 1000, 1000),
        type6("type 6, no colour", none, "000003e8", 1000, 1000),
        type6("type 6, two colours, no overflow", {RGBData(), RGBData()}, "f0000000", 0xF0000000, 0xF0000000),
        type6("type 6, held at the largest word", three, "ffffffff", 0xFFFFFFFF, 0xFFFFFFFF),
        type6("type 6, just below the largest word", three, "bfffffff", 0xBFFFFFFF, 0xFFFFFFFE),
        type6("type 6, held from the largest word + 1", three, "c0000000", 0xC0000000, 0xFFFFFFFF),
        type6("type 6, held above it", three, "c0000001", 0xC0000001, 0xFFFFFFFF),
        type8("type 8, level 255", "00ff 0000", 255),
        type8("type 8, level 254", "00fe 0000", 254),
        type8("type 8, level 256 held", "0100 0000", 255),
        type8("type 8, level 40000 held", "9c40 0000", 255),
        type8("type 8, level 128", "0080 0000", 128),
        type8("type 8, level 128 unscaled", "0080 0003", 255),
        type203("type 203, two colours", two, 1, 0.2f, {rgb(1, 2, 3, 255, 5, 0x09), rgb(6, 7, 8, 255, 9, 0x18)}),
        type203("type 203, one colour", {rgb(1, 2, 3, 200, 5, 1)}, 0, 1.0f, {rgb(1, 2, 3, 255, 5, 0x09)}),
        type203("type 203, no colour", none, 0, 1.0f, none),
        type203("type 203, alpha 127", {rgb(1, 2, 3, 127, 5, 1)}, 1, 1.0f, {rgb(1, 2, 3, 255, 5, 0x09)}),
        type203("type 203, alpha 128", {rgb(1, 2, 3, 128, 5, 1)}, 0, 1.0f, {rgb(1, 2, 3, 255, 5, 0x09)}),
        type203("type 203, alpha 129", {rgb(1, 2, 3, 129, 5, 1)}, 0, 1.0f, {rgb(1, 2, 3, 255, 5, 0x09)}),
        type207("type 207, 12 capped", "000c", 12, 8),
        type207("type 207, 5 kept", "0005", 5, 5),
        type207("type 207, 7 kept", "0007", 7, 7),
        type207("type 207, 8 kept", "0008", 8, 8),
        type207("type 207, 9 capped", "0009", 9, 8),
        type208("type 208, flag 0", {c0}, "00", {c0, RGBData(0, 0, 0, 0)}),
        type208("type 208, flag 1", {c0, c1}, "01", {rgb(1, 2, 3, 0, 5, 0x08), c1, c0}),
        type208("type 208, flag 7, no colour", none, "07", {RGBData(0, 0, 0, 0)}),
        type211("type 212, 2.5", 212, "4004000000000000", 2.5f, 1410),
        type211("type 211, 0", 211, "0000000000000000", 0.0f, 0),
        type211("type 213, -2.5", 213, "c004000000000000", -2.5f, 0),
        type211("type 211, 1e-9", 211, "3e112e0be0000000", 1e-9f, 0),
        type211("type 211, 3525", 211, "40ab8a0000000000", 3525.0f, 1),
        type211("type 211, the largest count", 211, "3eab8a0020000000", 0x1.b8a002p-21f, 4294966998u),
        type211("type 211, the largest count + 1", 211, "3eab8a0000000000", 0x1.b8ap-21f, 0),
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        std::vector<Chunk> layout = {{100, kNewest, kept(typeAndColours(row.type, row.colours))}};
        layout.insert(layout.end(), row.part.begin(), row.part.end());
        StreamCheck::expectGateReads<PresetData>(layout, kProjectStreamVersion, row.expected,
                                                 [&row](PresetData& data, InStream& in) {
                                                     // Older data: the element has read these.
                                                     if (in.version() < 100) {
                                                         data.reset(row.type);
                                                         data.colours = row.colours;
                                                     }
                                                     data.read(in);
                                                 });
    }
}

TEST(PresetData, Categories)
{
    const std::pair<int, int> rows[] = {{-1, 6},  {0, 0},   {13, 0},  {14, 6},  {99, 6},  {100, 2}, {101, 6}, {200, 3},
                                        {201, 1}, {206, 5}, {219, 1}, {220, 6}, {299, 6}, {300, 4}, {303, 4}, {304, 6}};
    for (const auto& [type, category] : rows)
        EXPECT_EQ(presetTypeCategory(type), category) << type;
}
