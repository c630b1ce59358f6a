#include "applications/morvant/conversion/conversion_report.h"
#include "applications/morvant/conversion/layout_conversion.h"
#include "components/archive/resource_registry.h"
#include "components/quilshow/show/show_settings.h"
#include "tests/support/log_capture.h"

#include <QDir>
#include <QFile>
#include <QImage>
#include <QTemporaryDir>
#include <gtest/gtest.h>

namespace {

struct PlanCase
{
    const char* stored;  // the path as the show stores it
    bool registered;
    const char* line;  // the warning, %1 the show's folder
};

}  // namespace

// A relative image path is the show's folder's, whatever the current folder; what is missing or no image is said
// and never registered.
TEST(LayoutConversion, PlanFromShowSettings)
{
    ResourceRegistry* registry = ResourceRegistry::instance();
    registry->clear();
    QTemporaryDir show, elsewhere;
    ASSERT_TRUE(QDir(show.path()).mkpath(QStringLiteral("images")));
    QImage image(4, 3, QImage::Format_RGB32);
    image.fill(Qt::red);
    ASSERT_TRUE(image.save(show.filePath(QStringLiteral("images/plan.png")), "PNG"));
    QFile text(show.filePath(QStringLiteral("images/notes.png")));
    ASSERT_TRUE(text.open(QIODevice::WriteOnly) && text.write("not an image") == 12);
    text.close();
    // The current folder holds files of the same names, which must not be taken.
    ASSERT_TRUE(QDir(elsewhere.path()).mkpath(QStringLiteral("images")));
    ASSERT_TRUE(image.save(elsewhere.filePath(QStringLiteral("images/gone.png")), "PNG"));
    const QString current = QDir::currentPath();
    ASSERT_TRUE(QDir::setCurrent(elsewhere.path()));

    Quil::ShowSettings settings;
    settings.planWidth = 1024, settings.planHeight = 0xFFFFFFFF, settings.backgroundColour = {0x12, 0x34, 0x56};
    settings.gridVisible = true, settings.gridSpacing = 0;
    LayoutProperties expected;
    expected.size = QSize(1024, 0x7FFFFFFF), expected.backgroundColour = 0xFF123456, expected.backgroundMode = 3;
    expected.gridVisible = true, expected.gridSpacing = 1;

    const PlanCase cases[] = {
        {"images/plan.png", true, nullptr},
        {"%1/images/plan.png", true, nullptr},
        {"images/../images/plan.png", true, nullptr},
        {"images/gone.png", false,
         "Ignoring the plan's background image %1/images/gone.png: the file was not found; put it there (beside "
         "the show, or into its bundle) and convert the show again, or set the image in the new project"},
        {"images/notes.png", false,
         "Ignoring the plan's background image %1/images/notes.png: the file does not read as an image, so it is "
         "not packed into the project"},
        {"images", false,
         "Ignoring the plan's background image %1/images: the file was not found; put it there (beside the show, "
         "or into its bundle) and convert the show again, or set the image in the new project"},
        {"", false, nullptr},
    };
    for (const PlanCase& c : cases) {
        SCOPED_TRACE(c.stored);
        registry->clear();
        const QString stored = QString::fromLatin1(c.stored).replace(QLatin1String("%1"), show.path());
        settings.backgroundImagePath = QFile::encodeName(stored).toStdString();
        ConversionReport report;
        LogCapture capture;
        const LayoutProperties plan = convertLayoutProperties(settings, show.path(), report);
        expected.backgroundImageId = plan.backgroundImageId;
        expected.backgroundImagePath = c.registered ? show.filePath(QStringLiteral("images/plan.png")) : QString();
        EXPECT_EQ(plan, expected);
        EXPECT_EQ(plan.backgroundImageId.isNull(), !c.registered);
        EXPECT_EQ(registry->count(), c.registered ? 1 : 0);
        if (c.registered) {
            EXPECT_EQ(registry->usageCount(plan.backgroundImageId, 1), 1u);  // category bit 2
            EXPECT_EQ(registry->categoryMask(plan.backgroundImageId), kPlanImageCategory);
        }
        EXPECT_EQ(report.converted(ReportKind::PlanImages), c.registered ? 1u : 0u);
        EXPECT_EQ(report.ignoredTotal(), c.line ? 1u : 0u);
        std::vector<std::string> lines;
        for (const auto& line : capture.lines())
            lines.push_back(QString::fromStdString(line.second).trimmed().toStdString());
        const QString line = QString::fromLatin1(c.line).replace(QLatin1String("%1"), show.path());
        EXPECT_EQ(lines, c.line ? std::vector<std::string> {line.toStdString()} : std::vector<std::string>());
    }
    QDir::setCurrent(current);
    registry->clear();
}
