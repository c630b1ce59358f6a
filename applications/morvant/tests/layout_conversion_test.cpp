#include "applications/morvant/layout_conversion.h"
#include "components/archive/resource_registry.h"
#include "components/quilshow/show/show_settings.h"

#include <QFile>
#include <QTemporaryDir>
#include <gtest/gtest.h>

TEST(LayoutConversion, PlanFromShowSettings)
{
    ResourceRegistry* registry = ResourceRegistry::instance();
    registry->clear();
    QTemporaryDir folder;
    const QString image = folder.filePath(QStringLiteral("plan.png"));
    QFile file(image);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly) && file.write("png") == 3);
    file.close();

    Quil::ShowSettings settings;
    settings.planWidth = 1024, settings.planHeight = 0xFFFFFFFF, settings.backgroundColour = {0x12, 0x34, 0x56};
    settings.gridVisible = true, settings.gridSpacing = 0;
    settings.backgroundImagePath = QFile::encodeName(image).toStdString();
    const LayoutProperties plan = convertLayoutProperties(settings);
    LayoutProperties expected;
    expected.size = QSize(1024, 0x7FFFFFFF), expected.backgroundColour = 0xFF123456, expected.backgroundMode = 3;
    expected.gridVisible = true, expected.gridSpacing = 1;
    expected.backgroundImagePath = image, expected.backgroundImageId = plan.backgroundImageId;
    EXPECT_EQ(plan, expected);
    EXPECT_FALSE(plan.backgroundImageId.isNull());
    EXPECT_EQ(registry->count(), 1);
    EXPECT_EQ(registry->usageCount(plan.backgroundImageId, 1), 1u);  // category bit 2
    EXPECT_EQ(registry->categoryMask(plan.backgroundImageId), kPlanImageCategory);

    // A missing file, or a folder, is no image; nothing is registered.
    for (const QString& missing : {folder.filePath(QStringLiteral("gone.png")), folder.path()}) {
        settings.backgroundImagePath = QFile::encodeName(missing).toStdString();
        settings.gridSpacing = 12;
        expected.backgroundImagePath.clear(), expected.backgroundImageId = QUuid(), expected.gridSpacing = 12;
        EXPECT_EQ(convertLayoutProperties(settings), expected);
    }
    EXPECT_EQ(registry->count(), 1);
    registry->clear();
}
