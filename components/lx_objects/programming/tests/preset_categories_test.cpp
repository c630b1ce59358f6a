#include "components/lx_objects/programming/preset_categories.h"
#include "components/lx_objects/project/object_types.h"

#include <gtest/gtest.h>

#include <QStringList>

#include <algorithm>

namespace {

using Bits = boost::dynamic_bitset<>;

// "0-13 200": the bits 0 to 13 and 200, grown only as far as the highest.
Bits bits(const char* runs)
{
    Bits result;
    for (const QString& run : QString::fromLatin1(runs).split(QLatin1Char(' '))) {
        const QStringList ends = run.split(QLatin1Char('-'));
        for (std::size_t i = ends.first().toUInt(); i <= ends.last().toUInt(); ++i)
            result.resize(std::max(result.size(), i + 1)), result.set(i);
    }
    return result;
}

}  // namespace

TEST(PresetCategories, TheRelationBothWays)
{
    registerObjectTypes();
    const Bits expected[] = {bits("0-13"),    bits("0 2-5 8-11 13 200-211 213-219"),  bits("100"),
                             bits("300-303"), bits("0 3-5 10 11 13 200-205 207-214"), bits("200 208")};
    for (int category = 0; category < 6; ++category) {
        const Bits& types = expected[category];
        EXPECT_EQ(presetTypesOfCategory(category), types) << category;
        for (auto type = types.find_first(); type != Bits::npos; type = types.find_next(type))
            EXPECT_TRUE(categoriesOfPresetType(int(type)).test(std::size_t(category))) << type;
    }
    EXPECT_EQ(categoriesOfPresetType(212), bits("4"));
    EXPECT_TRUE(presetTypesOfCategory(6).empty());
    EXPECT_TRUE(categoriesOfPresetType(14).empty());

    // Entering a pair again, or a negative number, changes nothing.
    registerPresetTypeCategories();
    registerTimelineKindPair(-1, 2);
    registerTimelineKindPair(100, -3);
    EXPECT_EQ(presetTypesOfCategory(2), bits("100"));
    EXPECT_EQ(categoriesOfPresetType(100), bits("2"));
}
