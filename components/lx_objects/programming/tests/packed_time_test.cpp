#include "components/lx_objects/programming/packed_time.h"

#include <gtest/gtest.h>

#include <limits>
#include <utility>

TEST(PackedTime, EncodesAtEachStepAndItsEdges)
{
    // Negative times are taken as 0, not as their low bits.
    const qint32 max = std::numeric_limits<qint32>::max(), min = std::numeric_limits<qint32>::min();
    const qint32 times[] = {0,       200,     8191,    8192,     8199,     8200, 10000, 90109, 90110, 120000,
                            1728489, 1728490, 3600000, 34496089, 34496090, max,  -1,    -100,  min};
    const quint16 codes[] = {0,      200,    0x1FFF, 0x2000, 0x2000, 0x2001, 0x20B5, 0x3FFF, 0x4000, 0x412B,
                             0x7FFF, 0x8000, 0x874F, 0xFFFF, 0xFFFF, 0xFFFF, 0,      0,      0};
    for (std::size_t i = 0; i < std::size(times); ++i)
        EXPECT_EQ(codes[i], encodeTime16(times[i])) << times[i];
}

TEST(PackedTime, DecodingIsTheInverseForEveryCode)
{
    const std::pair<quint16, quint32> decoded[] = {
        {0x2001, 8200}, {0x4001, 90190}, {0x8001, 1729090}, {0x1FFF, 8191}, {0xFFFF, 34495090}};
    for (const auto& d : decoded)
        EXPECT_EQ(d.second, Quil::decodePackedTime(d.first)) << d.first;

    // The first code of each step names the time the step before can say too.
    for (quint32 code = 0; code <= 0xFFFF; ++code) {
        const quint16 expected = code == 0x2000 ? 0x1FFE : code == 0x4000 ? 0x3FFE : code == 0x8000 ? 0x7FFC : code;
        ASSERT_EQ(expected, encodeTime16(static_cast<qint32>(Quil::decodePackedTime(static_cast<quint16>(code)))))
            << code;
    }
}
