#include "components/lx_objects/programming/packed_time.h"

#include <gtest/gtest.h>

#include <limits>
#include <utility>

namespace {

TEST(PackedTime, EncodesAtEachStepAndItsEdges)
{
    const std::pair<qint32, quint16> cases[] = {{0, 0},
                                                {200, 200},
                                                {8191, 0x1FFF},
                                                {8192, 0x2000},
                                                {8199, 0x2000},
                                                {8200, 0x2001},
                                                {10000, 0x20B5},
                                                {90109, 0x3FFF},
                                                {90110, 0x4000},
                                                {120000, 0x412B},
                                                {1728489, 0x7FFF},
                                                {1728490, 0x8000},
                                                {3600000, 0x874F},
                                                {34496089, 0xFFFF},
                                                {34496090, 0xFFFF},
                                                {std::numeric_limits<qint32>::max(), 0xFFFF},
                                                // Negative times are taken as 0, not as their low bits.
                                                {-1, 0},
                                                {-100, 0},
                                                {std::numeric_limits<qint32>::min(), 0}};
    for (const auto& [milliseconds, code] : cases)
        EXPECT_EQ(code, encodeTime16(milliseconds)) << milliseconds;
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

}  // namespace
