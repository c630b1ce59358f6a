// Value types without version gates share one table: each row is a value
// with its fields set and its golden bytes at the newest version. The value
// must write them, read back to the same bytes through both encodings, and
// fail on every strict prefix of its block. Types with gates or fix-ups of
// old data have tests of their own.
#include "components/lx_objects/fixtures/fixture_model.h"
#include "components/lx_objects/media/composition.h"
#include "components/lx_objects/project/resource_keys.h"
#include "components/lx_objects/tests/stream_bytes.h"

#include <gtest/gtest.h>

#include <functional>

namespace {

// A row: the value's checks, run under its name.
struct ValueRow
{
    const char* name;
    std::function<void()> check;
};

template <class T>
ValueRow valueRow(const char* name, const T& value, const QByteArray& golden)
{
    return {name, [value, golden] {
                EXPECT_EQ(writtenBytes(value).toHex(), golden.toHex());
                EXPECT_TRUE(StreamCheck::stableRoundTrip(value, kProjectStreamVersion));
                EXPECT_TRUE(everyStrictPrefixFails(value));
            }};
}

}  // namespace

TEST(ValueTypes, GoldenBytesRoundTripsAndPrefixes)
{
    // ---- controllers, fixtures, media, project ----
    HueTable hue;
    hue.header = 1, hue.table[0] = 2, hue.table[2047] = 3;
    ResourceKeys keys;
    keys.keys = {{1, QStringLiteral("a")}, {7, QString()}};
    const ValueRow fixturesMediaProject[] = {
        valueRow("ContentTargetInstance", ContentTargetInstance {QPointF(0, 0.25), 7},
                 hex("0000000000000000 3fd0000000000000 07")),
        valueRow("FixtureModelKey", FixtureModelKey {5, 6, 7}, hex("0005 0006 07")),
        valueRow("RangeMode", RangeMode {0x101}, hex("0101")),
        valueRow("ParamRange", ParamRange {0, 255, QStringLiteral("r"), 0x22, {0x101}},
                 hex("0000 00ff 000000020072 0022 0070 0101")),
        valueRow("ConstChanInfo", ConstChanInfo {1, 0xAA}, hex("0001 aa")),
        valueRow("PatchMapEntry", PatchMapEntry {1, 0}, hex("01 0000")),
        valueRow("DuplicateChanInfo", DuplicateChanInfo {2, 3}, hex("0002 0003")),
        valueRow("HueTable", hue, hex("01 0022 00000800 02") + QByteArray(2046, '\0') + hex("03")),
        valueRow("ResourceKeys", keys, hex("0008 00000002 0000000100000002 0061 00000007ffffffff")),
    };
    // ---- end of controllers, fixtures, media, project ----
    for (const ValueRow& row : fixturesMediaProject) {
        SCOPED_TRACE(row.name);
        row.check();
    }
}
