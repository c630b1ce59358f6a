#include "components/lx_objects/programming/preset_categories.h"
#include "components/lx_objects/project/object_types.h"

#include <gtest/gtest.h>

#include <QStringList>

#include <set>

namespace {

std::set<int> members(const boost::dynamic_bitset<>& bits)
{
    std::set<int> result;
    for (auto i = bits.find_first(); i != boost::dynamic_bitset<>::npos; i = bits.find_next(i))
        result.insert(int(i));
    return result;
}

// "0-13 200" as {0, ..., 13, 200}.
std::set<int> ids(const char* runs)
{
    std::set<int> result;
    for (const QString& run : QString::fromLatin1(runs).split(QLatin1Char(' '))) {
        const QStringList ends = run.split(QLatin1Char('-'));
        for (int i = ends.first().toInt(); i <= ends.last().toInt(); ++i)
            result.insert(i);
    }
    return result;
}

}  // namespace

TEST(PresetCategories, TheRelationBothWays)
{
    registerObjectTypes();
    const std::set<int> expected[] = {ids("0-13"),    ids("0 2-5 8-11 13 200-211 213-219"),  ids("100"),
                                      ids("300-303"), ids("0 3-5 10 11 13 200-205 207-214"), ids("200 208")};
    for (int category = 0; category < 6; ++category) {
        EXPECT_EQ(members(presetTypesOfCategory(category)), expected[category]) << category;
        for (const int type : expected[category])
            EXPECT_TRUE(categoriesOfPresetType(type).test(std::size_t(category))) << type;
    }
    EXPECT_EQ(members(categoriesOfPresetType(212)), (std::set<int> {4}));
    EXPECT_EQ(members(categoriesOfPresetType(100)), (std::set<int> {2}));
    EXPECT_TRUE(presetTypesOfCategory(6).empty());
    EXPECT_TRUE(categoriesOfPresetType(14).empty());

    // Entering a pair again, or a negative number, changes nothing.
    registerPresetTypeCategories();
    registerTimelineKindPair(-1, 2);
    registerTimelineKindPair(100, -3);
    EXPECT_EQ(members(presetTypesOfCategory(2)), (std::set<int> {100}));
    EXPECT_EQ(categoriesOfPresetType(100).size(), 3u);
}
