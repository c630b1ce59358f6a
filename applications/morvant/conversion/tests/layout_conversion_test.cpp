#include "applications/morvant/conversion/conversion_report.h"
#include "applications/morvant/conversion/layout_conversion.h"
#include "components/archive/resource_registry.h"
#include "components/quilshow/show/show_settings.h"
#include "components/quilshow/tests/show_writer.h"
#include "tests/support/log_capture.h"
#include "tests/support/peak_memory.h"

#include <QBuffer>
#include <QDir>
#include <QFile>
#include <QImage>
#include <QTemporaryDir>
#include <QtEndian>
#include <gtest/gtest.h>

namespace {

struct PlanCase
{
    const char* stored;  // the path as the show stores it
    bool registered;
    const char* line;  // the warning, %1 the show's folder
};

// The image as Qt writes it in that format.
QByteArray encoded(const QImage& image, const char* format)
{
    QBuffer buffer;
    buffer.open(QIODevice::WriteOnly);
    EXPECT_TRUE(image.save(&buffer, format)) << format;
    return buffer.data();
}

}  // namespace

// Qt's readers take data that ends early for the rest of the image (grey for a JPEG, the rows so far for a BMP, the
// pixels so far for a GIF): a file is packed only whole, its end marker included, and a header that claims more than
// the data can hold or the bound allows is refused before anything of that size is made.
TEST(LayoutConversion, APlanImageIsPackedOnlyWhenItDecodesWhole)
{
    // Qt writes no GIF: an 8 x 8 grid of two colours, its codes uncompressed.
    const QByteArray gif = QByteArray::fromHex(
        "47494638396108000800f10000000000ffffff0000000000002c000000000800080000022504081020408409112644981061428409"
        "112604081020408409112644981061428409112605003b");
    QImage plan(256, 256, QImage::Format_RGB32);  // a white floor plan with a black grid
    for (int y = 0; y < plan.height(); ++y)
        for (int x = 0; x < plan.width(); ++x)
            plan.setPixel(x, y, x % 16 == 0 || y % 16 == 0 ? 0xFF000000 : 0xFFFFFFFF);
    QTemporaryDir show;
    const auto convert = [&show](const QString& name, const QByteArray& bytes, std::string* line) {
        EXPECT_TRUE(writeFile(show.filePath(name), bytes));
        ResourceRegistry::instance()->clear();
        Quil::ShowSettings settings;
        settings.storedBackgroundImagePath = name.toStdString();
        ConversionReport report;
        LogCapture capture;
        const bool packed = !convertLayoutProperties(settings, show.path(), report).backgroundImageId.isNull();
        *line = capture.lines().empty() ? std::string()
                                        : QString::fromStdString(capture.lines()[0].second)
                                              .trimmed()
                                              .replace(show.path(), QLatin1String("%1"))
                                              .toStdString();
        return packed;
    };
    const std::pair<const char*, QByteArray> files[] = {
        {"jpg", encoded(plan, "JPEG")}, {"png", encoded(plan, "PNG")}, {"gif", gif}, {"bmp", encoded(plan, "BMP")}};
    for (const auto& [suffix, whole] : files) {
        const QString name = QStringLiteral("plan.") + suffix;
        std::string line;
        EXPECT_TRUE(convert(name, whole, &line)) << line;
        for (const int size : {int(whole.size()) - 1, int(whole.size()) * 2 / 3, int(whole.size()) / 3}) {
            SCOPED_TRACE(name.toStdString() + " cut to " + std::to_string(size));
            EXPECT_FALSE(convert(name, whole.left(size), &line));
            EXPECT_EQ(line,
                      "Ignoring the plan's background image " + name.toStdString() + ": the file %1/"
                          + name.toStdString() + " does not read as an image, so it is not packed into the project");
        }
    }

    // A JPEG cut short, its end marker put back: libjpeg only warns.
    std::string line;
    const QByteArray jpeg = files[0].second;
    EXPECT_FALSE(convert(QStringLiteral("mended.jpg"), jpeg.left(jpeg.size() / 2) + jpeg.right(2), &line));
    EXPECT_EQ(line,
              "Ignoring the plan's background image mended.jpg: the file %1/mended.jpg does not read as an image, "
              "so it is not packed into the project");

    // A whole JPEG of 16 x 16 whose frame header claims 8000 x 8000.
    QByteArray claims = encoded(plan.copy(0, 0, 16, 16), "JPEG");
    const int frame = int(claims.indexOf("\xFF\xC0"));
    ASSERT_GT(frame, 0);
    qToBigEndian<quint16>(8000, claims.data() + frame + 5);
    qToBigEndian<quint16>(8000, claims.data() + frame + 7);
    const qint64 baseline = TestSupport::resetPeakMemory();
    EXPECT_FALSE(convert(QStringLiteral("claims.jpg"), claims, &line));
    EXPECT_LT(TestSupport::peakMemoryBytes() - baseline, 64LL << 20);
    EXPECT_EQ(line,
              "Ignoring the plan's background image claims.jpg: the file %1/claims.jpg does not read as an image, "
              "so it is not packed into the project");

    // A 16-bit PNG decodes at 8 bytes a pixel: 6000 x 6000 is beyond the bound, at 4 bytes it would not be.
    const QByteArray deep = QByteArray::fromHex(
        "89504e470d0a1a0a0000000d4948445200001770000017701006000000b3c45b000000000b49444154789c636080020000090001fb52"
        "b8a90000000049454e44ae426082");
    EXPECT_FALSE(convert(QStringLiteral("deep.png"), deep, &line));
    EXPECT_EQ(line,
              "Ignoring the plan's background image deep.png: the file %1/deep.png is too large to check: 6000 x "
              "6000 pixels decode to 288 MB (at most 64 MB of file, decoding to at most 256 MB, are read), so "
              "it is not packed into the project; make it smaller and convert the show again, or set the image "
              "in the new project");
    ResourceRegistry::instance()->clear();
}

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
         "9000 x 9000 pixels decode to 324 MB (at most 64 MB of file, decoding to at most 256 MB, are read), so it "
         "is not packed into the project; make it "
         "smaller and convert the show again, or set the image in the new project"},
        {"images/wide.ppm", false,
         "Ignoring the plan's background image images/wide.ppm: the file %1/images/wide.ppm is too large to check: "
         "8192 x 8192 pixels decode to 269 MB (at most 64 MB of file, decoding to at most 256 MB, are read), so it "
         "is not packed into the project; make it "
         "smaller and convert the show again, or set the image in the new project"},
        {"images/long.png", false,
         "Ignoring the plan's background image images/long.png: the file %1/images/long.png is too large to check: "
         "65 MB (at most 64 MB of file, decoding to at most 256 MB, are read), so it is not packed into the "
         "project; make it smaller "
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
        {"C:plan.png", QString()},  // relative to the drive's current folder
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
