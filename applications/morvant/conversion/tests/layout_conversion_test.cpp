#include "applications/morvant/conversion/conversion_report.h"
#include "applications/morvant/conversion/layout_conversion.h"
#include "components/archive/resource_registry.h"
#include "components/quilshow/show/show_settings.h"
#include "components/quilshow/tests/show_writer.h"
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
    // Headers alone, claiming 81 and 67 megapixels or more than follows; an image made longer than is read.
    for (const auto& [name, head] : {std::pair("images/head.ppm", "P6 9000 9000 255\n"),
                                     {"images/wide.ppm", "P6 8192 8192 255\n"},
                                     {"images/short.ppm", "P6 200 200 255\n"}})
        ASSERT_TRUE(writeFile(show.filePath(QLatin1String(name)), QByteArray(head) + QByteArray(48000, 't')));
    ASSERT_TRUE(image.save(show.filePath(QStringLiteral("images/long.png")), "PNG"));
    ASSERT_TRUE(QFile(show.filePath(QStringLiteral("images/long.png"))).resize(kPlanImageMaxBytes + 1));
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
         "Ignoring the plan's background image images/gone.png: the file %1/images/gone.png was not found; put it "
         "there and convert the show again, or set the image in the new project"},
        {"images/notes.png", false,
         "Ignoring the plan's background image images/notes.png: the file %1/images/notes.png does not read as an "
         "image, so it is not packed into the project"},
        {"images", false,
         "Ignoring the plan's background image images: the file %1/images was not found; put it there and convert "
         "the show again, or set the image in the new project"},
        {"", false, nullptr},
        // As Windows shows store them.
        {"images\\plan.png", true, nullptr},
        {".\\images\\..\\images\\plan.png", true, nullptr},
        {"C:\\Shows\\images\\plan.png", false,
         "Ignoring the plan's background image C:\\Shows\\images\\plan.png: the file %1/plan.png (looked for by its "
         "file name beside the show) was not found; put it there and convert the show again, or set the image in the "
         "new project"},
        {"images/head.ppm", false,
         "Ignoring the plan's background image images/head.ppm: the file %1/images/head.ppm is too large to check: "
         "9000 x 9000 (at most 64 MB and 64 megapixels are read), so it is not packed into the project; make it "
         "smaller and convert the show again, or set the image in the new project"},
        {"images/wide.ppm", false,
         "Ignoring the plan's background image images/wide.ppm: the file %1/images/wide.ppm is too large to check: "
         "8192 x 8192 (at most 64 MB and 64 megapixels are read), so it is not packed into the project; make it "
         "smaller and convert the show again, or set the image in the new project"},
        {"images/long.png", false,
         "Ignoring the plan's background image images/long.png: the file %1/images/long.png is too large to check: "
         "65 MB (at most 64 MB and 64 megapixels are read), so it is not packed into the project; make it smaller "
         "and convert the show again, or set the image in the new project"},
        {"images/short.ppm", false,
         "Ignoring the plan's background image images/short.ppm: the file %1/images/short.ppm does not read as an "
         "image, so it is not packed into the project"},
    };
    for (const PlanCase& c : cases) {
        SCOPED_TRACE(c.stored);
        registry->clear();
        const QString stored = QString::fromLatin1(c.stored).replace(QLatin1String("%1"), show.path());
        settings.storedBackgroundImagePath = QFile::encodeName(stored).toStdString();
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

// A bundle's image is found inside it only, whatever way its path would lead out, and neither the messages nor the
// layout name the folder the bundle was expanded into.
TEST(LayoutConversion, ABundlesImageStaysInsideTheBundle)
{
    QTemporaryDir expanded, outside;
    const QString show = expanded.filePath(QStringLiteral("inner"));
    const QString out = outside.filePath(QStringLiteral("out.png"));
    QImage image(4, 3, QImage::Format_RGB32);
    ASSERT_TRUE(QDir().mkpath(show) && image.save(show + "/plan.png", "PNG") && image.save(out, "PNG"));
    ASSERT_TRUE(QFile::link(out, show + "/link.png"));
    const QString leaves = QStringLiteral("Ignoring the plan's background image %1: its path leads out of the bundle "
                                          "/shows/a.kvx, so it is not taken; put the image into the bundle beside "
                                          "the show and convert the show again, or set the image in the new project");
    const std::pair<QString, QString> cases[] = {
        {"C:\\plan.png", QString()},
        {"gone.png",
         "Ignoring the plan's background image %1: the file inner/gone.png in the bundle "
         "/shows/a.kvx was not found; put it there and convert the show again, or set the image in the "
         "new project"},
        {"..\\..\\" + QFileInfo(outside.path()).fileName() + "\\out.png", leaves},
        {out, leaves},
        {"link.png", leaves}};
    for (const auto& [stored, line] : cases) {
        ResourceRegistry::instance()->clear();
        Quil::ShowSettings settings;
        settings.storedBackgroundImagePath = QFile::encodeName(stored).toStdString();
        ConversionReport report;
        LogCapture capture;
        const LayoutProperties plan =
            convertLayoutProperties(settings, show, report, {"/shows/a.kvx", expanded.path()});
        const QString logged = capture.lines().empty() ? QString() : QString::fromStdString(capture.lines()[0].second);
        EXPECT_EQ(logged.trimmed(), line.isEmpty() ? line : line.arg(stored));
        EXPECT_EQ(plan.backgroundImagePath, line.isEmpty() ? QStringLiteral("inner/plan.png") : QString());
    }
    ResourceRegistry::instance()->clear();
}
