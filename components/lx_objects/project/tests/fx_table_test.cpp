#include "components/lx_objects/project/fx_table.h"
#include "components/lx_objects/project/project_replication.h"
#include "components/lx_objects/tests/stream_bytes.h"

#include <gtest/gtest.h>

#include <numeric>
#include <string>

using StreamCheck::kNewest;

TEST(FxTable, DefaultTableAndOlderTablesOfObject17)
{
    const FxTable::Entries& table = FxTable::defaultEntries();
    EXPECT_EQ(table[1], 35972);
    EXPECT_EQ(table[127], 6029);
    EXPECT_EQ(std::accumulate(table.begin(), table.end(), qint64(0)), 3939586);

    // Written as stored: the name, then 128 bare entries.
    FxTable fx;
    fx.name = QStringLiteral("F"), fx.entries[0] = 1, fx.entries[127] = -1;
    CrossfadePath path;
    path.name = fx.name, path.entries = fx.entries;
    const QByteArray golden = hex("00000002 0046 00000001") + QByteArray(126 * 4, '\0') + hex("ffffffff");
    EXPECT_EQ(writtenBytes(fx).toHex(), golden.toHex());
    EXPECT_EQ(writtenBytes(path).toHex(), golden.toHex());
    EXPECT_TRUE(StreamCheck::stableRoundTrip(path, kProjectStreamVersion));

    // A negative entry of object 17 in older data stands for the default table; the whole table is read.
    FxTable stored;
    stored.name = fx.name, stored.entries = table, stored.entries[2] = -1;
    const std::string bytes = writtenBytes(stored).toHex().toStdString();
    const std::vector<StreamCheck::Chunk> layout = {{0, kNewest, bytes.c_str()}, {0, 112, ""}, {120, 125, ""}};
    StreamCheck::expectGateReads<FxTable>(
        layout, kProjectStreamVersion,
        [&](quint16 v) {
            FxTable expected = stored;
            if (v < 112 || (v >= 120 && v < 125))
                expected.entries = table;
            return expected;
        },
        [](FxTable& read, InStream& in) {
            in.setContextValue(InStream::ObjectIdContext, 17u);
            read.read(in);
        });
    ProjectReplication next;
    next.name = QStringLiteral("R"), next.uuid = QUuid("{00112233-4455-6677-8899-aabbccddeeff}");
    EXPECT_EQ(writtenBytes(next).toHex(), hex("00000002 0052 00112233445566778899aabbccddeeff").toHex());
    for (const int context : {16, 17}) {
        FxTable read;
        ProjectReplication after;
        const qint64 left = readBinary(writtenBytes(stored) + writtenBytes(next), 100, [&](InStream& in) {
            in.setContextValue(InStream::ObjectIdContext, context);
            read.read(in), after.read(in);
        });
        EXPECT_TRUE(left == 0 && after == next) << context;
        EXPECT_EQ(read.entries[2], context == 17 ? table[2] : -1);
    }

    DimmerCurve curve;
    curve.name = QStringLiteral("D");
    std::iota(curve.entries.begin(), curve.entries.end(), quint8(0));
    QByteArray ramp(256, '\0');
    std::iota(ramp.begin(), ramp.end(), char(0));
    EXPECT_EQ(writtenBytes(curve).toHex(), (hex("00000002 0044") + ramp).toHex());
    EXPECT_TRUE(StreamCheck::stableRoundTrip(curve, kProjectStreamVersion));
}
