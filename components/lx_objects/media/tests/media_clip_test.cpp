#include "components/lx_objects/media/media_clip.h"
#include "components/lx_objects/tests/stream_bytes.h"

#include <gtest/gtest.h>

using StreamCheck::kNewest;

TEST(MediaClip, StreamFormOlderLayoutsAndTheSideTable)
{
    MediaClip clip;
    clip.name = QStringLiteral("A"), clip.number = 3;
    clip.resourceId = QUuid(QStringLiteral("{11111111-2222-4333-8444-555555555555}"));
    clip.filePath = QStringLiteral("p");
    const std::vector<StreamCheck::Chunk> layout = {
        {0, kNewest, "00000002 0041 00000003"},
        {0, 15, "00000002 0042"},  // an old file name, dropped
        {15, 62, "00000009"},      // an old file number, parked
        {62, kNewest, "11111111222243338444555555555555 00000002 0070"},
        {0, 108, "3ff0000000000000 4000000000000000"},  // dropped from here on
        {12, 108, "00000001 00000002"},
        {100, 108, "00000002 0043"},
    };
    EXPECT_EQ(writtenBytes(clip).toHex(), StreamCheck::bytesAt(kProjectStreamVersion, layout).toHex());
    StreamCheck::expectGateReads<MediaClip>(layout, kProjectStreamVersion, [&](quint16 v) {
        MediaClip expected = clip;
        if (v < 62)
            expected.resourceId = QUuid(), expected.filePath.clear();
        return expected;
    });
    EXPECT_TRUE(StreamCheck::stableRoundTrip(clip, kProjectStreamVersion));
    EXPECT_TRUE(everyStrictPrefixFails(clip));

    mediaClipSideTable().clear();
    for (const char* file : {"ffffffff", "00000009"}) {
        QByteArray bytes = StreamCheck::bytesAt(61, layout);
        bytes.replace(10, 4, hex(file));
        ASSERT_EQ(readBinary(bytes, 61,
                             [](InStream& in) {
                                 in.setContextValue(InStream::ObjectIdContext, 4);
                                 MediaClip().read(in);
                             }),
                  0);
    }
    EXPECT_EQ(mediaClipSideTable().size(), 1u);
    EXPECT_EQ(mediaClipSideTable().find(4), 9u);
}
