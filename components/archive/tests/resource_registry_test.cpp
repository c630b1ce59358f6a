#include "components/archive/resource_registry.h"

#include "stream_test_types.h"

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
