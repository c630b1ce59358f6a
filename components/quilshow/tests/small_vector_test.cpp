#include "components/quilshow/show/small_vector.h"

#include <gtest/gtest.h>

#include <utility>
#include <vector>

using namespace Quil;

namespace {

typedef SmallVector<quint16> Ids;

std::vector<quint16> valuesOf(const Ids& ids) { return std::vector<quint16>(ids.begin(), ids.end()); }

TEST(SmallVectorTest, ValuesSurviveTheStepFromInlineToHeap)
{
    static_assert(sizeof(Ids) == 16 && sizeof(SmallVector<std::pair<quint16, quint16>>) == 16);
    Ids ids;
    EXPECT_EQ(4u, ids.capacity());
    for (quint16 i = 1; i <= 4; ++i)
        ids.push_back(i);
    EXPECT_EQ(4u, ids.capacity());
    // The fifth value moves the four to the heap; a value of its own storage is pushed safely.
    ids.push_back(ids.front());
    ids.emplace_back(ids[2]);
    EXPECT_EQ(std::vector<quint16>({1, 2, 3, 4, 1, 3}), valuesOf(ids));
    EXPECT_GT(ids.capacity(), 4u);

    // Copies and moves from either storage keep every value and leave the source usable.
    for (const std::vector<quint16>& values :
         {std::vector<quint16> {7, 8, 9, 10}, std::vector<quint16> {1, 2, 3, 4, 5}}) {
        Ids source;
        source = values;
        Ids copy(source);
        EXPECT_EQ(values, valuesOf(copy));
        Ids moved(std::move(source));
        EXPECT_EQ(values, valuesOf(moved));
        EXPECT_TRUE(source.empty());
        source.push_back(6);
        EXPECT_EQ(std::vector<quint16>({6}), valuesOf(source));
        copy = moved;
        const Ids& alias = copy;
        copy = alias;
        EXPECT_TRUE(copy == moved && moved == values);
        ids = std::move(moved);
        EXPECT_EQ(values, valuesOf(ids));
    }

    // Resize fills with zeros, also after a shrink left old values behind; assign shrinks back into place.
    ids = {5, 6, 7};
    ids.resize(1);
    ids.resize(6);
    EXPECT_EQ(std::vector<quint16>({5, 0, 0, 0, 0, 0}), valuesOf(ids));
    ids.assign(ids.begin() + 1, ids.begin() + 3);
    EXPECT_EQ(std::vector<quint16>({0, 0}), valuesOf(ids));
    EXPECT_FALSE(ids == Ids({0, 0, 0}));
}

}  // namespace
