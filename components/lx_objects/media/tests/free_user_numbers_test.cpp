#include "components/lx_objects/media/free_user_numbers.h"
#include "components/lx_objects/tests/stream_bytes.h"

#include <gtest/gtest.h>

TEST(FreeUserNumbers, HandsOutNumbersInOrder)
{
    FreeUserNumbers numbers;
    EXPECT_EQ(numbers.nextFree(), 1u);
    numbers.take(1, true);
    EXPECT_EQ(numbers.nextFree(), 2u);
    numbers.take(65535, true);
    EXPECT_EQ(numbers.hint(), 0u);
    EXPECT_FALSE(numbers.isFree(65536));
    EXPECT_FALSE(numbers.isFree(0));
    EXPECT_TRUE(numbers.isFree(2));
    // A number the set does not hold, such as nextFree()'s "none", is no take.
    const FreeUserNumbers before = numbers;
    numbers.take(70000, true);
    numbers.take(FreeUserNumbers::kNone, false);
    EXPECT_EQ(numbers, before);

    // Nothing free after the hint: the search starts again after 0.
    FreeUserNumbers eight(8);
    eight.take(5, true);
    eight.take(6, false);
    eight.take(7, false);
    EXPECT_EQ(eight.nextFree(), 1u);
    // Every number but 0 taken: 0.
    for (quint32 n = 1; n < 5; ++n)
        eight.take(n, true);
    EXPECT_EQ(eight.usedCount(), eight.capacity());
    EXPECT_EQ(eight.nextFree(), 0u);
}

TEST(FreeUserNumbers, StreamForm)
{
    const FreeUserNumbers ten(10);
    const QByteArray bytes = hex("0018 0000000a fe03 00000000 00000001 0000000a");
    EXPECT_EQ(writtenBytes(ten).toHex(), bytes.toHex());
    EXPECT_TRUE(StreamCheck::stableRoundTrip(ten, kProjectStreamVersion));
    EXPECT_TRUE(everyStrictPrefixFails(ten));
    FreeUserNumbers read;
    ASSERT_EQ(readBytes(read, bytes), 0);
    EXPECT_EQ(read, ten);
    // Stored with nothing free but not all counted as taken: none.
    ASSERT_EQ(readBytes(read, hex("0018 00000004 00 00000000 00000001 00000004")), 0);
    EXPECT_EQ(read.nextFree(), FreeUserNumbers::kNone);
    EXPECT_TRUE(StreamCheck::damagedReadFails(bytes, 2, "7fffffff", kProjectStreamVersion, "Error reading from file",
                                              [](InStream& in) { FreeUserNumbers().read(in); }));
}
