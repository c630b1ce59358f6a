#include "components/quilshow/show/short_string.h"
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

TEST(SmallVectorTest, OwningValuesAreMovedCopiedAndReleasedOnce)
{
    // Strings past ShortString's inline room own heap blocks: a double free or a leak shows under the sanitizers.
    typedef SmallVector<ShortString, 1> Names;
    const std::vector<ShortString> values {"a name beyond the inline room", "short", "another long name on the heap"};
    Names names;
    for (const ShortString& value : values)
        names.push_back(value);
    EXPECT_TRUE(names == values);
    Names one {values[0]};
    Names copy(one);
    Names moved(std::move(one));
    EXPECT_TRUE(one.empty() && copy == moved && moved == std::vector<ShortString> {values[0]});
    // Assign over more, then fewer values than are held; resize down and up; move over a heap vector.
    copy = names;
    EXPECT_TRUE(copy == values);
    copy = moved;
    EXPECT_TRUE(copy == moved);
    names.resize(1);
    names.resize(2);
    EXPECT_TRUE(names == (std::vector<ShortString> {values[0], ShortString()}));
    names = std::move(moved);
    EXPECT_TRUE(names == std::vector<ShortString> {values[0]});
    // Inserting at the front of a full inline vector moves it to the heap, first value first.
    names.insert(names.begin(), values[2]);
    names.insert(names.begin() + 1, values[1]);
    EXPECT_TRUE(names == (std::vector<ShortString> {values[2], values[1], values[0]}));
    names.clear();
    EXPECT_TRUE(names.empty());
}

}  // namespace
