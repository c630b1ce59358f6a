// Scenes and cue lists: the two owners of a look.
#include "components/lx_objects/programming/cuelist.h"
#include "components/lx_objects/programming/scene.h"
#include "components/lx_objects/tests/stream_bytes.h"

#include <gtest/gtest.h>

using StreamCheck::Chunk;
using StreamCheck::kNewest;

namespace {

// The rows before, a default look fading in 200 ms behind its block code as each version holds it, the rows after.
std::vector<Chunk> aroundDefaultLook(std::vector<Chunk> before, const std::vector<Chunk>& after)
{
    before.insert(before.end(),
                  {{0, kNewest, "00ad 0006 00000000 00c8 0000 0000"},
                   {112, 120, "0008 00000000"},
                   {125, kNewest, "0008 00000000"},
                   {0, kNewest, "0006 00000000"},
                   {62, kNewest, "0006 00000000"}});
    before.insert(before.end(), after.begin(), after.end());
    return before;
}

int offsetAt(quint16 version, const std::vector<Chunk>& layout, std::size_t row, int within)
{
    return StreamCheck::bytesAt(version, {layout.begin(), layout.begin() + row}).size() + within;
}

DaliEl daliEl(quint8 kind, std::array<quint8, 3> values, quint8 extra)
{
    DaliEl el;
    el.kind = kind, el.values = values, el.extra = extra;
    return el;
}

}  // namespace

TEST(Scene, DefaultGatesAndDaliElements)
{
    EXPECT_EQ(writtenBytes(Scene()).toHex(),
              hex("ffffffff ffff ffffffff 00ad 0006 00000000 00c8 0000 0000 0008 00000000 "
                  "0006 00000000 0006 00000000 0008 00000000 0001 0001")
                  .toHex());
    const std::vector<Chunk> layout =
        aroundDefaultLook({{0, kNewest, "00000002 0053 0007"}, {11, kNewest, "00000003"}, {0, 19, "deadbeef"}},
                          {{92, kNewest, "0008 00000002 00000001 0113"},
                           {120, kNewest, "00"},
                           {92, kNewest, "05 09 00000002 0113"},
                           {92, 120, "07"},
                           {120, kNewest, "03"},
                           {92, kNewest, "08"},
                           {0, kNewest, "0002 0003"}});
    StreamCheck::expectGateReads<Scene>(layout, kProjectStreamVersion, [](quint16 v) {
        Scene scene;
        scene.name = QStringLiteral("S"), scene.number = 7, scene.linkId = v >= 11 ? 3 : -1;
        scene.option1 = 2, scene.option2 = 3;
        if (v >= 92) {
            scene.daliEls[1] = daliEl(0, {5, 255, 255}, 9);
            scene.daliEls[2] = v >= 120 ? daliEl(3, {255, 255, 255}, 8) : daliEl(0, {7, 255, 255}, 8);
        }
        return scene;
    });
    const QByteArray bytes = StreamCheck::bytesAt(kProjectStreamVersion, layout);
    EXPECT_TRUE(StreamCheck::damagedReadFails(bytes, offsetAt(kProjectStreamVersion, layout, 8, 2), "ffffffff",
                                              kProjectStreamVersion,
                                              "Error reading from file, count 4294967295 exceeds the data remaining",
                                              [](InStream& in) { Scene().read(in); }));

    const std::pair<DaliEl, const char*> forms[] = {{daliEl(0, {5, 255, 255}, 9), "00 05 09"},
                                                    {daliEl(1, {5, 6, 7}, 9), "01 05 06 07 09"},
                                                    {daliEl(2, {5, 6, 255}, 9), "02 05 06 09"},
                                                    {daliEl(3, {255, 255, 255}, 9), "03 09"}};
    for (const auto& [el, form] : forms) {
        DaliEl read;
        EXPECT_EQ(writtenBytes(el).toHex(), hex(form).toHex());
        EXPECT_TRUE(readBytes(read, hex(form)) == 0 && read == el) << form;
    }
    EXPECT_TRUE(StreamCheck::damagedReadFails(hex("0113 03 09"), 2, "01", kProjectStreamVersion,
                                              "Error reading from file", readValue<DaliEl>));
    Scene scene;
    scene.daliEls[4] = daliEl(1, {1, 2, 3}, 4), scene.look.lkels.resize(2);
    EXPECT_TRUE(StreamCheck::stableRoundTrip(scene, kProjectStreamVersion));
    EXPECT_TRUE(everyStrictPrefixFails(scene));
}

TEST(Cuelist, CuesMacrosAndOlderLayouts)
{
    Cuelist empty;
    EXPECT_EQ(writtenBytes(empty).toHex(), hex("0006 00000000").toHex());
    EXPECT_TRUE(readBytes(empty, hex("0006 00000000")) == 0 && empty.cues.empty());

    // Before 91 a cue held a time, bare (kind, value) pairs and the time that holds.
    const std::vector<Chunk> layout = aroundDefaultLook({{0, kNewest, "0006 00000001 00ae"}},
                                                        {{0, 91, "00000005 0001 0003 00000007 00000009"},
                                                         {91, kNewest, "0006 00000001 0112 0003"},
                                                         {91, 120, "00000007"},
                                                         {120, kNewest, "0000000000000007"},
                                                         {91, kNewest, "00000009"}});
    Cuelist list;
    list.cues.resize(1);
    list.cues[0].time = 9, list.cues[0].macros = {CueMacro {3, 7}};
    StreamCheck::expectGateReads<Cuelist>(layout, kProjectStreamVersion, [&](quint16) { return list; });
    EXPECT_EQ(writtenBytes(list).toHex(), StreamCheck::bytesAt(kProjectStreamVersion, layout).toHex());
    EXPECT_TRUE(StreamCheck::stableRoundTrip(list, kProjectStreamVersion));
    EXPECT_TRUE(everyStrictPrefixFails(list));
    const auto read = [](InStream& in) { Cuelist().read(in); };
    const std::string tooLarge = "Error reading from file, count %1 exceeds the data remaining";
    EXPECT_TRUE(StreamCheck::damagedReadFails(writtenBytes(list), 2, "ffffffff", kProjectStreamVersion,
                                              QString::fromStdString(tooLarge).arg(0xFFFFFFFFu).toStdString(), read));
    EXPECT_TRUE(StreamCheck::damagedReadFails(writtenBytes(list), offsetAt(kProjectStreamVersion, layout, 7, 2),
                                              "ffffffff", kProjectStreamVersion,
                                              QString::fromStdString(tooLarge).arg(0xFFFFFFFFu).toStdString(), read));
    EXPECT_TRUE(StreamCheck::damagedReadFails(StreamCheck::bytesAt(90, layout), offsetAt(90, layout, 6, 4), "ffff", 90,
                                              QString::fromStdString(tooLarge).arg(0xFFFF).toStdString(), read));

    // Before 120 a macro value had 32 bits; kind 5 repeated its top byte in the high word.
    for (const auto& [bytes, value] :
         {std::pair {"0005 12345678", 0x0000001212345678ull}, std::pair {"0004 12345678", 0x0000000012345678ull}}) {
        CueMacro macro;
        EXPECT_TRUE(readBytes(macro, hex(bytes), 100) == 0 && macro.value == value) << bytes;
    }
    EXPECT_EQ(writtenBytes(CueMacro {5, 0x0000001212345678}).toHex(), hex("0005 0000001212345678").toHex());
}
