#include "components/archive/type_registry.h"
#include "components/lx_objects/common/location_data.h"
#include "components/lx_objects/tests/stream_bytes.h"
#include "tests/support/stream_check.h"

#include <gtest/gtest.h>

TEST(LocationData, StoredFormsOfThePlaceAndItsRules)
{
    EXPECT_EQ(blockBytes(LocationData()).toHex(),
              hex("017a ff000000 ff000000 0000 ffffffff 00000000 0000 00000000 0000 00").toHex());
    EXPECT_EQ(*ObjectRegistry::createValue<LocationData>(378), LocationData());

    GeoCoord north;
    north.direction = 0, north.degrees = 51, north.minutes = 30, north.seconds = 7;
    EXPECT_EQ(blockBytes(north).toHex(), hex("0076 00331e07").toHex());
    DaylightSavingRule rule;
    rule.byteA = 1, rule.byteB = 2, rule.byteC = 3, rule.byteD = 4, rule.word = 0x0506;
    EXPECT_EQ(blockBytes(rule).toHex(), hex("0077 01020304 0506").toHex());
    EXPECT_EQ(*ObjectRegistry::createValue<GeoCoord>(118), GeoCoord());
    EXPECT_EQ(*ObjectRegistry::createValue<DaylightSavingRule>(119), DaylightSavingRule());

    LocationData place;
    place.groupA = north, place.offset = -60, place.name = QStringLiteral("x"), place.ruleB = rule;
    place.enabled = true;
    const QByteArray bytes = hex("00331e07 ff000000 ffc4 00000002 0078 00000000 0000 01020304 0506 01");
    EXPECT_EQ(writtenBytes(place).toHex(), bytes.toHex());
    LocationData read;
    EXPECT_EQ(readBytes(read, bytes), 0);
    EXPECT_EQ(read, place);
    EXPECT_TRUE(StreamCheck::stableRoundTrip(place, kProjectStreamVersion));
    EXPECT_TRUE(everyStrictPrefixFails(place));
}
