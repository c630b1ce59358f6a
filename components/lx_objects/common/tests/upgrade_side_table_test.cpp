#include "components/lx_objects/common/upgrade_side_table.h"
#include "components/lx_objects/tests/stream_bytes.h"

#include <gtest/gtest.h>

#include <QString>

#include <thread>
#include <vector>

TEST(UpgradeSideTable, KeysFromTheStreamAndEntriesReplaced)
{
    UpgradeSideTable<quint32, QString> table;
    readBinary(QByteArray(), kProjectStreamVersion, [&](InStream& in) {
        // No context: key 0; a value that is no number: key 0.
        EXPECT_EQ(sideTableKey(in), 0u);
        in.setContextValue(InStream::ObjectIdContext, QStringLiteral("x"));
        EXPECT_EQ(sideTableKey(in), 0u);
        in.setContextValue(InStream::ObjectIdContext, 0xFFFFFFFEu);
        in.setContextValue(InStream::ArrayIdContext, 23);
        EXPECT_EQ(sideTableKey(in), 0xFFFFFFFEu);
        EXPECT_EQ(sideTableArrayKey(in), std::make_pair(23u, 0xFFFFFFFEu));
        table.put(sideTableKey(in), QStringLiteral("old"));
        table.put(sideTableKey(in), QStringLiteral("new"));
    });
    EXPECT_EQ(table.size(), 1u);
    EXPECT_EQ(table.find(0xFFFFFFFEu), QStringLiteral("new"));
    EXPECT_FALSE(table.find(1).has_value());

    // Arrays are read on several threads at once.
    std::vector<std::thread> readers;
    for (quint32 t = 0; t < 4; ++t) {
        readers.emplace_back([&table, t] {
            for (quint32 i = 0; i < 500; ++i) {
                table.put(t * 1000 + i, QString::number(i));
                table.find(i);
            }
        });
    }
    for (std::thread& reader : readers)
        reader.join();
    EXPECT_EQ(table.size(), 2001u);
    table.clear();
    EXPECT_EQ(table.size(), 0u);
}
