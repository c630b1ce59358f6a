#include "applications/morvant/conversion_report.h"
#include "applications/morvant/layout_conversion.h"
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
         "Ignoring the plan's background image images/gone.png: the file %1/images/gone.png was not found; put it "
         "there and convert the show again, or set the image in the new project"},
        {"images/notes.png", false,
         "Ignoring the plan's background image images/notes.png: the file %1/images/notes.png does not read as an "
         "image, so it is not packed into the project"},
        {"images", false,
         "Ignoring the plan's background image images: the file %1/images was not found; put it there and convert "
         "the show again, or set the image in the new project"},
        {"", false, nullptr},
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

namespace {

// A PNG's signature and header chunk claiming width x height, then `text` where its image data should be.
QByteArray pngHead(quint32 width, quint32 height, const QByteArray& text)
{
    QByteArray chunk("IHDR");
    for (const quint32 value : {width, height})
        chunk += QByteArray(1, char(value >> 24)) + char(value >> 16) + char(value >> 8) + char(value);
    chunk += QByteArray("\x08\x02\x00\x00\x00", 5);
    quint32 crc = 0xFFFFFFFFu;  // the PNG's own CRC-32, reflected
    for (const char byte : chunk) {
        crc ^= quint8(byte);
        for (int bit = 0; bit < 8; ++bit)
            crc = crc & 1 ? (crc >> 1) ^ 0xEDB88320u : crc >> 1;
    }
    crc = ~crc;
    return QByteArray("\x89PNG\r\n\x1a\n\x00\x00\x00\x0d", 12) + chunk + char(crc >> 24) + char(crc >> 16)
        + char(crc >> 8) + char(crc) + QByteArray(2, '\0') + char(text.size() >> 8) + char(text.size()) + "IDAT" + text;
}

bool writeBytes(const QString& path, const QByteArray& bytes)
{
    QFile file(path);
    return file.open(QIODevice::WriteOnly) && file.write(bytes) == bytes.size();
}

// The stored path's line (empty when the image is registered) and the path the layout keeps, after a conversion
// of settings naming `stored` in the show's folder `folder`.
std::pair<QString, QString> convertedImage(const QString& stored, const QString& folder, const ShowBundle& bundle = {})
{
    ResourceRegistry::instance()->clear();
    Quil::ShowSettings settings;
    settings.storedBackgroundImagePath = QFile::encodeName(stored).toStdString();
    ConversionReport report;
    LogCapture capture;
    const LayoutProperties plan = convertLayoutProperties(settings, folder, report, bundle);
    QString line;
    for (const auto& logged : capture.lines())
        line += QString::fromStdString(logged.second).trimmed();
    EXPECT_EQ(plan.backgroundImageId.isNull(), !line.isEmpty()) << qPrintable(stored);
    EXPECT_EQ(ResourceRegistry::instance()->count(), line.isEmpty() ? 1 : 0) << qPrintable(stored);
    return {line, plan.backgroundImagePath};
}

}  // namespace

// Windows paths, as version-1 shows store them, and images that do not decode whole within the bounds: a header
// alone, a header claiming more pixels than are decoded, a file larger than is read.
TEST(LayoutConversion, WindowsPathsAndImagesBeyondTheBounds)
{
    QTemporaryDir show;
    ASSERT_TRUE(QDir(show.path()).mkpath(QStringLiteral("images")));
    QImage image(4, 3, QImage::Format_RGB32);
    image.fill(Qt::red);
    for (const char* name : {"images/plan.png", "plan.png", "images/long.png"})
        ASSERT_TRUE(image.save(show.filePath(QLatin1String(name)), "PNG"));
    QFile long_(show.filePath(QStringLiteral("images/long.png")));
    ASSERT_TRUE(long_.resize(kPlanImageMaxBytes + 1));  // a valid image, then zeros: sparse, quick to make
    ASSERT_TRUE(
        writeBytes(show.filePath(QStringLiteral("images/head.png")), pngHead(9000, 9000, QByteArray(48000, 't'))));
    ASSERT_TRUE(
        writeBytes(show.filePath(QStringLiteral("images/wide.png")), pngHead(8192, 8192, QByteArray(48000, 't'))));
    ASSERT_TRUE(
        writeBytes(show.filePath(QStringLiteral("images/short.png")), pngHead(100, 100, QByteArray(48000, 't'))));

    const QString ignoring = QStringLiteral("Ignoring the plan's background image %1: the file %2");
    const QString notPacked =
        QStringLiteral(" is too large to check: %1 (at most 64 MB and 64 megapixels are read), so "
                       "it is not packed into the project; make it smaller and convert the show "
                       "again, or set the image in the new project");
    const QString native = QDir::toNativeSeparators(show.path());
    const std::pair<QString, std::pair<QString, QString>> cases[] = {
        {"images\\plan.png", {"", show.filePath("images/plan.png")}},
        {".\\images\\plan.png", {"", show.filePath("images/plan.png")}},
        {"C:\\Shows\\plan.png", {"", show.filePath("plan.png")}},
        {"\\\\server\\share\\gone.png",
         {ignoring.arg("\\\\server\\share\\gone.png", native + "/gone.png")
              + " (looked for by its file name beside the show) was not found; put it there and convert the show "
                "again, or set the image in the new project",
          ""}},
        {"images/head.png",
         {ignoring.arg("images/head.png", native + "/images/head.png") + notPacked.arg("9000 x 9000"), ""}},
        {"images/wide.png",
         {ignoring.arg("images/wide.png", native + "/images/wide.png") + notPacked.arg("8192 x 8192"), ""}},
        {"images/long.png",
         {ignoring.arg("images/long.png", native + "/images/long.png") + notPacked.arg("65 MB"), ""}},
        {"images/short.png",
         {ignoring.arg("images/short.png", native + "/images/short.png")
              + " does not read as an image, so it is not packed into the project",
          ""}},
    };
    for (const auto& [stored, expected] : cases)
        EXPECT_EQ(convertedImage(stored, show.path()), expected);
    ResourceRegistry::instance()->clear();
}

// A show out of a bundle finds its image inside the bundle only, whatever way its path would lead out, and neither
// its messages nor its layout name the temporary folder the bundle was expanded into.
TEST(LayoutConversion, ABundlesImageStaysInsideTheBundle)
{
    QTemporaryDir expanded, outside;
    const ShowBundle bundle {QStringLiteral("/shows/my show.kvx"), expanded.path()};
    const QString showFolder = expanded.filePath(QStringLiteral("inner"));
    ASSERT_TRUE(QDir(showFolder).mkpath(QStringLiteral("images")));
    QImage image(4, 3, QImage::Format_RGB32);
    image.fill(Qt::blue);
    for (const QString& path : {showFolder + "/images/plan.png", showFolder + "/plan.png", outside.filePath("out.png"),
                                expanded.filePath("top.png")})
        ASSERT_TRUE(image.save(path, "PNG"));
    ASSERT_TRUE(QFile::link(outside.filePath("out.png"), showFolder + "/link.png"));

    const QString leaves = QStringLiteral("Ignoring the plan's background image %1: its path leads out of the bundle "
                                          "/shows/my show.kvx, so it is not taken; put the image into the bundle "
                                          "beside the show and convert the show again, or set the image in the new "
                                          "project");
    const std::pair<QString, std::pair<QString, QString>> cases[] = {
        {"images\\plan.png", {"", "inner/images/plan.png"}},
        {"C:\\Shows\\plan.png", {"", "inner/plan.png"}},
        {"..\\top.png", {"", "top.png"}},
        {"../../" + QFileInfo(outside.path()).fileName() + "/out.png", {}},
        {"images\\..\\..\\..\\x.png", {}},
        {outside.filePath("out.png"), {}},
        {"link.png", {}},
        {"images\\gone.png",
         {"Ignoring the plan's background image images\\gone.png: the file inner/images/gone.png in the bundle "
          "/shows/my show.kvx was not found; put it there and convert the show again, or set the image in the new "
          "project",
          ""}},
    };
    for (const auto& [stored, expected] : cases) {
        const std::pair<QString, QString> got = convertedImage(stored, showFolder, bundle);
        EXPECT_EQ(got,
                  expected.first.isEmpty() && expected.second.isEmpty() ? std::pair(leaves.arg(stored), QString())
                                                                        : expected);
        EXPECT_FALSE(got.first.contains(expanded.path()) || got.second.contains(expanded.path())) << qPrintable(stored);
    }
    ResourceRegistry::instance()->clear();
}
