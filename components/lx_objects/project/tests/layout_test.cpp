#include "components/lx_objects/project/layout.h"
#include "components/lx_objects/tests/stream_bytes.h"

#include <gtest/gtest.h>

using StreamCheck::kNewest;

namespace {

const char kImageId[] = "{11111111-2222-4333-8444-555555555555}";

LayoutProperties sampleLayout()
{
    LayoutProperties properties;
    properties.size = QSize(1024, 768), properties.backgroundColour = 0xFF112233;
    properties.backgroundImageId = QUuid(QString::fromLatin1(kImageId));
    properties.backgroundImagePath = QStringLiteral("p"), properties.backgroundMode = 3;
    properties.gridVisible = false, properties.gridSpacing = 1;
    return properties;
}

}  // namespace

TEST(Layout, StreamForms)
{
    EXPECT_EQ(writtenBytes(LayoutProperties()).toHex(),
              hex("00000320 00000258 ffffffff 00000000000000000000000000000000 ffffffff 00 01 ffa0a0a4 00000018 "
                  "00000004")
                  .toHex());
    Layout layout;
    layout.layoutKind = 1, layout.name = QStringLiteral("L"), layout.properties = sampleLayout();
    EXPECT_EQ(writtenBytes(layout).toHex(),
              hex("00000001 00000002 004c 00a9 00000400 00000300 ff112233 11111111222243338444555555555555 "
                  "00000002 0070 03 00 ffa0a0a4 00000001 00000004")
                  .toHex());
    EXPECT_TRUE(StreamCheck::stableRoundTrip(layout, kProjectStreamVersion));
    EXPECT_TRUE(everyStrictPrefixFails(layout));
    EXPECT_EQ(*std::unique_ptr<Layout>(static_cast<Layout*>(layout.clone())), layout);
}

TEST(Layout, OlderPropertiesAndTheSideTable)
{
    // Stored spacing 0 reads as 1 at every version.
    const std::vector<StreamCheck::Chunk> layout = {
        {0, kNewest, "00000400 00000300 ff112233"},
        {0, 13, "00000002 0041"},  // an old image name, dropped
        {13, 62, "00000007"},      // an old image number, parked
        {62, kNewest, "11111111222243338444555555555555 00000002 0070"},
        {0, kNewest, "03 00 ffa0a0a4 00000000 00000004"},
    };
    StreamCheck::expectGateReads<LayoutProperties>(layout, kProjectStreamVersion, [](quint16 v) {
        LayoutProperties expected = sampleLayout();
        if (v < 62)
            expected.backgroundImageId = QUuid(), expected.backgroundImagePath.clear();
        return expected;
    });

    const auto readAt40 = [](const char* image) {
        const QByteArray bytes =
            hex("00000400 00000300 ff112233") + hex(image) + hex("03 00 ffa0a0a4 00000018 00000004");
        return readBinary(bytes, 40, [](InStream& in) {
            in.setContextValue(InStream::ObjectIdContext, 5);
            in.setContextValue(InStream::ArrayIdContext, Layout::kArrayId);
            LayoutProperties().read(in);
        });
    };
    const std::pair<quint32, quint32> key(Layout::kArrayId, 5);
    layoutSideTable().clear();
    ASSERT_EQ(readAt40("ffffffff"), 0);
    EXPECT_EQ(layoutSideTable().size(), 0u);
    ASSERT_EQ(readAt40("00000007"), 0);
    EXPECT_EQ(layoutSideTable().find(key), 7u);
}
