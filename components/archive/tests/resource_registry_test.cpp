#include "components/archive/resource_registry.h"

#include "stream_test_types.h"

#include <array>
#include <tuple>

TEST(ResourceRegistry, IdentifiesFilesByWholeContent)
{
    ResourceRegistry* registry = ResourceRegistry::instance();
    QTemporaryDir dir;
    const auto file = [&](const QString& name, const QByteArray& data) {
        StreamTest::writeFile(dir.filePath(name), data);
        return dir.filePath(name);
    };
    const int kMiB = 1024 * 1024;
    const QByteArray big(kMiB + 10, 'x');
    const QUuid a = registry->addFile(file("a.bin", big));
    EXPECT_EQ(registry->addFile(file("copy of a.dat", big)), a);
    // Same size and same first MiB, different after it: two media files.
    QByteArray other = big;
    other[kMiB + 5] = 'y';
    EXPECT_NE(registry->addFile(file("b.bin", other)), a);
    EXPECT_EQ(registry->count(), 2);
    registry->clear();
}

TEST(ResourceRegistry, UsesAreCountedInTheLowestCategoryBit)
{
    ResourceRegistry* registry = ResourceRegistry::instance();
    QTemporaryDir dir;
    StreamTest::writeFile(dir.filePath("font.ttf"), "font");
    const QUuid id = registry->addFile(dir.filePath("font.ttf"));
    // Use (+) or release (-) with a category value, then the mask and the counters of bits 1, 2 and 4 (indexes 0-2).
    const std::tuple<char, unsigned, quint32, std::array<quint32, 3>> rows[] = {
        {'+', 0, 0, {0, 0, 0}},                      // no category: nothing
        {'-', 2, 0, {0, 0, 0}},                      // a release below zero stays at zero
        {'+', 6, 2, {0, 1, 0}},                      // bits 2 and 4: counted in 2 only, and only 2 marked
        {'+', 4, 6, {0, 1, 1}},                      //
        {'-', 6, 4, {0, 0, 1}},                      // released with both bits: 4 is still in use
        {'-', 4, 0, {0, 0, 0}},                      //
        {'+', 0x80000000u, 0x80000000u, {0, 0, 0}},  // the highest bit
        {'-', 0x80000000u, 0, {0, 0, 0}}};
    for (const auto& [sign, category, mask, counts] : rows) {
        registry->updateUsage(id, category, sign == '+');
        EXPECT_EQ(registry->categoryMask(id), mask) << sign << category;
        for (int i = 0; i < 3; ++i)
            EXPECT_EQ(registry->usageCount(id, i), counts[std::size_t(i)]) << sign << category << " " << i;
    }
    // An unknown id changes nothing and answers 0.
    const QUuid unknown = QUuid::createUuid();
    registry->updateUsage(unknown, 1, true);
    EXPECT_TRUE(registry->categoryMask(unknown) == 0 && registry->usageCount(unknown, 0) == 0
                && registry->count() == 1);
    registry->clear();
}
