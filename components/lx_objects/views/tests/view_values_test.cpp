#include "components/archive/type_registry.h"
#include "components/lx_objects/tests/stream_bytes.h"
#include "components/lx_objects/views/new_interface_data.h"
#include "components/lx_objects/views/view_values.h"
#include "tests/support/stream_check.h"

#include <gtest/gtest.h>

#include <set>
#include <string>
#include <vector>

namespace {

using StreamCheck::Chunk;
using StreamCheck::kNewest;

BrowserModelPath pathOf(const char* bytes)
{
    BrowserModelPath path;
    path.path = hex(bytes);
    return path;
}

const std::string kGradientMessage = "No stream layout is specified for Gradient";

}  // namespace

TEST(ViewValues, TransformsAndEditorState)
{
    EXPECT_EQ(blockBytes(PlanTransformData()).toHex(), hex("00a5 00000064").toHex() + QByteArray(32, '0') + "00");
    const std::vector<Chunk> layout = {
        {0, kNewest, "00000096 3ff8000000000000 c000000000000000"},
        {32, kNewest, "00"},
    };
    StreamCheck::expectGateReads<PlanTransformData>(layout, kProjectStreamVersion, [](quint16 v) {
        PlanTransformData plan;
        plan.scale = 150, plan.offset = QPointF(1.5, -2), plan.flag = v < 32;
        return plan;
    });

    TimelineTransformData timeline;
    EXPECT_EQ(timeline, TimelineTransformData {});
    timeline.valueA = 1, timeline.valueB = -2;
    EXPECT_EQ(blockBytes(timeline).toHex(), hex("00c0 00000001 fffffffe").toHex());
    SourceCodeEditorData editor;
    EXPECT_EQ(blockBytes(editor).toHex(), hex("011d 00000000 00000000 00000000").toHex());
    editor.valueA = 3, editor.valueB = -1, editor.valueC = 7;
    EXPECT_TRUE(StreamCheck::stableRoundTrip(editor, kProjectStreamVersion));
    EXPECT_TRUE(StreamCheck::stableRoundTrip(timeline, kProjectStreamVersion));
    EXPECT_TRUE(everyStrictPrefixFails(PlanTransformData()));
}

TEST(ViewValues, BrowserPathsOrderByWholeElements)
{
    const BrowserModelPath one = pathOf("0100000000000000");
    const BrowserModelPath oneTwo = pathOf("0100000000000000 0200000000000000");
    const BrowserModelPath big = pathOf("0001000000000000");  // 256: the bytes are little-endian
    EXPECT_LT(one, oneTwo);
    EXPECT_FALSE(oneTwo < one);
    EXPECT_LT(pathOf("0200000000000000"), big);
    EXPECT_LT(BrowserModelPath(), one);
    EXPECT_FALSE(pathOf("0100000000000000 00") < one);  // only whole elements count
    EXPECT_FALSE(one < pathOf("0100000000000000 00"));

    // Equal paths, and paths that differ only after their last whole element,
    // are one entry of a set.
    const std::set<BrowserModelPath> paths = {oneTwo, pathOf("0100000000000000 0200000000000000"), one,
                                              pathOf("0100000000000000 ffff")};
    EXPECT_EQ(paths.size(), 2u);

    EXPECT_EQ(blockBytes(one).toHex(), hex("010d 00000008 0100000000000000").toHex());
    EXPECT_TRUE(StreamCheck::damagedReadFails(blockBytes(one), 2, "7fffffff", kProjectStreamVersion,
                                              "Error reading from file", readValue<BrowserModelPath>));
    EXPECT_TRUE(StreamCheck::stableRoundTrip(pathOf("0100000000000000 02"), kProjectStreamVersion));
}

TEST(ViewValues, NewInterfaceStreamsOnlyWithoutPages)
{
    NavigationButtonData button = *ObjectRegistry::createValue<NavigationButtonData>(272);
    EXPECT_EQ(button, NavigationButtonData());
    EXPECT_EQ(blockBytes(button).toHex(), hex("0110 00 ffffffff").toHex());
    button.kind = 0x105, button.targetId = 9;
    EXPECT_EQ(blockBytes(button).toHex(), hex("0110 05 00000009").toHex());
    EXPECT_TRUE(StreamCheck::stableRoundTrip(button, kProjectStreamVersion));

    NewInterfaceData data;
    ASSERT_EQ(data.pages.size(), 1u);
    EXPECT_EQ(data.pages[0], NewInterfacePageData());
    EXPECT_EQ(data.pages[0].modeA, 2);
    EXPECT_EQ(data.pages[0].valueD, 0);
    EXPECT_EQ(data.pages[0].idD, 0xFFFFFFFFu);
    std::string message;
    try {
        blockBytes(data);
    } catch (const std::runtime_error& e) {
        message = e.what();
    }
    EXPECT_EQ(message, kGradientMessage);

    data.pages.clear();
    data.name = QStringLiteral("n"), data.mode = 0x103, data.idSet = {9, 3};
    const QByteArray bytes = hex("00000002 006e 03 ffffffff ffffffff ffffffff 0006 00000000 0009 00000002 "
                                 "00000003 00000009");
    EXPECT_EQ(writtenBytes(data).toHex(), bytes.toHex());
    NewInterfaceData read;
    EXPECT_EQ(readBytes(read, bytes), 0);
    data.mode = 3;
    EXPECT_EQ(read, data);
    EXPECT_TRUE(StreamCheck::stableRoundTrip(read, kProjectStreamVersion));

    const auto readData = [](InStream& in) { NewInterfaceData().read(in); };
    const std::string tooMany = "Error reading from file, count 2147483647 exceeds the data remaining";
    EXPECT_TRUE(StreamCheck::damagedReadFails(bytes, 21, "7fffffff", kProjectStreamVersion, tooMany, readData));
    EXPECT_TRUE(StreamCheck::damagedReadFails(bytes, 27, "7fffffff", kProjectStreamVersion, tooMany, readData));
    // A page is met, and its gradient cannot be read.
    const QByteArray withPage =
        bytes.left(19) + hex("0006 00000001 010f ffffffff 00000001 ffffffff 00000002 00 ffffffff") + bytes.mid(25);
    EXPECT_TRUE(StreamCheck::damagedReadFails(withPage, 0, "", kProjectStreamVersion, kGradientMessage, readData));
}
