#include "components/lx_objects/programming/particle_system.h"
#include "components/lx_objects/tests/stream_bytes.h"

#include <gtest/gtest.h>

#include <cstring>

using StreamCheck::Chunk;
using StreamCheck::kNewest;

namespace {

const char kZeroPoint[] = "0000000000000000 0000000000000000";
const char kZeroReal[] = "0000000000000000";

// Everything behind the image of a default value.
QByteArray defaultTail()
{
    return hex("000000 00 80 1f") + hex(kZeroPoint) + hex(kZeroPoint)
        + hex("4059000000000000 0000000000000000 0000000000000000 4076800000000000") + hex(kZeroPoint) + hex(kZeroReal)
        + hex(kZeroReal) + hex(kZeroReal) + hex(kZeroReal) + hex(kZeroReal)
        + hex("3fc3333340000000 3fe8000000000000 0000000000000000 000000ff8018 000000ff8018 00 0004"
              "3fc99999a0000000 0000000000000000 3fe8000000000000");
}

const char kDefaultHead[] = "000007d0 000007d0 00000014 0000 4059000000000000";

Image twoByTwo()
{
    Image image(2, 2, 5);
    for (quint32 i = 0; i < image.byteCount(0); ++i)
        image.bits(0)[i] = quint8(i + 1);
    return image;
}

}  // namespace

TEST(ParticleSystem, StreamFormsAndOwnPixels)
{
    const ParticleSystem fresh;
    EXPECT_EQ(writtenBytes(fresh).toHex(),
              (hex(kDefaultHead) + hex("00000000 00000000 00000000 00000000") + defaultTail()).toHex());
    EXPECT_TRUE(StreamCheck::stableRoundTrip(fresh, kProjectStreamVersion));
    EXPECT_TRUE(everyStrictPrefixFails(fresh));

    ParticleSystem withImage;
    Image source = twoByTwo();
    withImage.setParticleImage(source);
    source.bits(0)[0] = 0xEE;  // the value keeps its own pixels
    const QByteArray imageBytes = hex("00000002 00000002 00000005 00000010 0102030405060708090a0b0c0d0e0f10");
    EXPECT_EQ(writtenBytes(withImage).toHex(), (hex(kDefaultHead) + imageBytes + defaultTail()).toHex());
    EXPECT_TRUE(StreamCheck::stableRoundTrip(withImage, kProjectStreamVersion));
    EXPECT_TRUE(everyStrictPrefixFails(withImage));
    EXPECT_FALSE(withImage == fresh);

    // A copy shares the pixels but never writes through them.
    ParticleSystem copy = withImage;
    copy.setParticleImage(Image(1, 1, 24));
    EXPECT_EQ(withImage.particleImage(), twoByTwo());
}

TEST(ParticleSystem, OlderVersions)
{
    // colour1 kind 1 and colour3 kind 7: older than 103 they read 31 and 0.
    const std::vector<Chunk> layout = {
        {0, kNewest, "00000001 00000002 00000003 0004 3ff0000000000000 00000000 00000000 00000000 00000000"},
        {0, kNewest, "010203 04 05 01"},
        {0, kNewest, "3ff0000000000000 4000000000000000 0000000000000000 0000000000000000"},
        {0, kNewest, "0000000000000000 0000000000000000 0000000000000000 0000000000000000"},
        {0, kNewest, "0000000000000000 0000000000000000"},
        {0, kNewest, "0000000000000000 0000000000000000 0000000000000000 0000000000000000 0000000000000000"},
        {0, kNewest, "0000000000000000 0000000000000000 0000000000000000"},
        {0, kNewest, "000000ff8018 0a0b0c0d0e07"},
        {90, kNewest, "01"},
        {0, kNewest, "0009 0000000000000000 0000000000000000 0000000000000000"},
        {0, 103, ""},
    };
    StreamCheck::expectGateReads<ParticleSystem>(layout, kProjectStreamVersion, [](quint16 v) {
        ParticleSystem p;
        p.word1 = 1, p.word2 = 2, p.word3 = 3, p.half1 = 4, p.real1 = 1.0f;
        p.colour1.red = 1, p.colour1.green = 2, p.colour1.blue = 3, p.colour1.alpha = 4, p.colour1.extra = 5;
        p.colour1.kind = v < 103 ? 31 : 1;
        p.point1 = QPointF(1, 2);
        p.real2 = p.real3 = p.real4 = p.real5 = p.real11 = p.real12 = p.real14 = p.real16 = 0.0f;
        p.colour3.red = 10, p.colour3.green = 11, p.colour3.blue = 12, p.colour3.alpha = 13, p.colour3.extra = 14;
        p.colour3.kind = v < 103 ? 0 : 7;
        p.colour2.kind = v < 103 ? 0 : 0x18;
        p.flag1 = v >= 90;
        p.half2 = 9;
        return p;
    });
}

TEST(ParticleSystem, HostileImageHeaders)
{
    // Header, byte array, and what the image reads as.
    struct Row
    {
        const char* header;
        const char* bytes;
        Image expected;
    };
    Image longer(1, 1, 24);
    longer.bits(0)[0] = 0xAA, longer.bits(0)[3] = 0xDD;
    Image shorter(2, 1, 5);
    shorter.bits(0)[0] = 0x11;
    const Row rows[] = {
        {"000186a0 000186a0 00000005", "00000004 01020304", Image()},      // 100000 x 100000: 40 GB asked
        {"00004001 00000400 00000005", "00000000", Image()},               // 64 MiB and 4 KiB
        {"00001000 00001000 00000005", "00000000", Image(4096, 4096, 5)},  // exactly 64 MiB
        {"00000001 00000001 00000018", "00000006 aa0000dd0506", longer},   // padding kept, the rest dropped
        {"00000002 00000001 00000005", "00000001 11", shorter},
        {"00000002 00000002 00000006", "00000002 0102", Image()},  // no such format
        {"ffffffff 00000002 00000005", "00000001 01", Image()},
        {"00000002 00000002 00000005", "ffffffff", Image(2, 2, 5)},  // a null array
    };
    for (const Row& row : rows) {
        ParticleSystem read;
        const QByteArray bytes = hex(kDefaultHead) + hex(row.header) + hex(row.bytes) + defaultTail();
        ASSERT_EQ(readBytes(read, bytes), 0) << row.header;
        ParticleSystem expected;
        expected.setParticleImage(row.expected);
        EXPECT_TRUE(read == expected) << row.header;
    }
    // A byte array longer than the data fails at the block's end.
    const QByteArray block = blockBytes(ParticleSystem());
    EXPECT_TRUE(StreamCheck::damagedReadFails(block, 2 + 4 + 4 + 4 + 2 + 8 + 12, "7fffffff", kProjectStreamVersion,
                                              "Error reading from file", readValue<ParticleSystem>));
}
