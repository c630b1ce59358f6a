#include "applications/morvant/conversion/conversion_report.h"
#include "applications/morvant/conversion/layout_conversion.h"
#include "applications/morvant/conversion/tests/plan_image_samples.h"
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

// Converts a show whose plan image, stored as name, holds bytes; line is the first warning, the show's folder as %1.
bool convertPlan(const QTemporaryDir& show, const QString& name, const QByteArray& bytes, std::string* line)
{
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
        return convertPlan(show, name, bytes, line);
    };
    using PlanImageSamples::encoded;
    // A sequential JPEG whose scan has its spectral fields all zero, as some encoders write: libjpeg decodes it
    // whole, and warns.
    QByteArray zeroFields = encoded(plan, "JPEG");
    const int scan = int(zeroFields.indexOf("\xFF\xDA"));
    ASSERT_GT(scan, 0);
    zeroFields.replace(scan + 2 + qFromBigEndian<quint16>(zeroFields.constData() + scan + 2) - 3, 3, "\0\0\0", 3);
    const std::pair<const char*, QByteArray> files[] = {
        {"plan.jpg", encoded(plan, "JPEG")},
        {"plan.png", encoded(plan, "PNG")},
        {"plan.gif", gif},
        {"plan.bmp", encoded(plan, "BMP")},
        {"progressive.jpg", encoded(plan, "JPEG", true)},
        {"fields.jpg", zeroFields},
        {"blocks.gif", PlanImageSamples::uniformGif(64, 48, 64, 48, 20)},
        {"topdown.bmp", PlanImageSamples::topDownBmp(plan)},
        {"rle8.bmp", PlanImageSamples::rleBmp(false, 40, 40, false)},
        {"rle8-sized.bmp", PlanImageSamples::rleBmp(false, 40, 40, true)},
        {"rle4.bmp", PlanImageSamples::rleBmp(true, 40, 40, false)},
        {"rle4-sized.bmp", PlanImageSamples::rleBmp(true, 40, 40, true)}};
    for (const auto& [fileName, whole] : files) {
        const QString name = QLatin1String(fileName);
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

    // A JPEG cut short, its end marker put back: libjpeg only warns, also after a warning of the scan's fields.
    std::string line;
    for (const QByteArray& jpeg : {files[0].second, zeroFields}) {
        EXPECT_FALSE(convert(QStringLiteral("mended.jpg"), jpeg.left(jpeg.size() / 2) + jpeg.right(2), &line));
        EXPECT_EQ(line,
                  "Ignoring the plan's background image mended.jpg: the file %1/mended.jpg does not read as an "
                  "image, so it is not packed into the project");
    }
    // A GIF cut after its first sub-block of codes, then closed: the pixels of the rest are missing.
    const QByteArray blocks = PlanImageSamples::uniformGif(64, 48, 64, 48, 20);
    const int codes = 13 + 12 + 10 + 1;
    EXPECT_FALSE(convert(QStringLiteral("closed.gif"), blocks.left(codes + 21) + QByteArray("\0;", 2), &line));
    EXPECT_EQ(line,
              "Ignoring the plan's background image closed.gif: the file %1/closed.gif does not read as an image, "
              "so it is not packed into the project");

    // A whole JPEG of 16 x 16 whose frame header claims 8000 x 8000.
    QByteArray claims = PlanImageSamples::encoded(plan.copy(0, 0, 16, 16), "JPEG");
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
    // Headers alone, claiming 81 and 67 megapixels or more than follows; an image made longer than is read. A PPM
    // is not packed whatever it holds.
    const auto bmpHead = [](int width, int height) {
        QByteArray head = PlanImageSamples::encoded(QImage(1, 1, QImage::Format_RGB888), "BMP").left(54);
        PlanImageSamples::setLittle32(head, 18, quint32(width));
        PlanImageSamples::setLittle32(head, 22, quint32(height));
        return head;
    };
    for (const auto& [name, head] : {std::pair("images/head.ppm", QByteArray("P6 9000 9000 255\n")),
                                     {"images/head.bmp", bmpHead(9000, 9000)},
                                     {"images/wide.bmp", bmpHead(8192, 8192)},
                                     {"images/short.bmp", bmpHead(200, 200)}})
        ASSERT_TRUE(writeFile(show.filePath(QLatin1String(name)), head + QByteArray(48000, 't')));
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
         "Ignoring the plan's background image images/head.ppm: the file %1/images/head.ppm holds an image in the PPM "
         "format, which the project does not pack (it packs JPEG, PNG, GIF and BMP); convert it to PNG and convert "
         "the show again, or set the image in the new project"},
        {"images/head.bmp", false,
         "Ignoring the plan's background image images/head.bmp: the file %1/images/head.bmp is too large to check: "
         "9000 x 9000 pixels decode to 324 MB (at most 64 MB of file, decoding to at most 256 MB, are read), so it "
         "is not packed into the project; make it "
         "smaller and convert the show again, or set the image in the new project"},
        {"images/wide.bmp", false,
         "Ignoring the plan's background image images/wide.bmp: the file %1/images/wide.bmp is too large to check: "
         "8192 x 8192 pixels decode to 269 MB (at most 64 MB of file, decoding to at most 256 MB, are read), so it "
         "is not packed into the project; make it "
         "smaller and convert the show again, or set the image in the new project"},
        {"images/long.png", false,
         "Ignoring the plan's background image images/long.png: the file %1/images/long.png is too large to check: "
         "65 MB (at most 64 MB of file, decoding to at most 256 MB, are read), so it is not packed into the "
         "project; make it smaller "
         "and convert the show again, or set the image in the new project"},
        {"images/short.bmp", false,
         "Ignoring the plan's background image images/short.bmp: the file %1/images/short.bmp does not read as an "
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

// The bound counts what Qt's reader decodes to: a GIF's logical screen at 4 bytes a pixel, whatever its frame, and a
// JPEG of several scans with every coefficient libjpeg keeps. Only the four formats are packed, known by their
// content: another is named, with what to do. A refusal makes nothing of the size claimed.
TEST(LayoutConversion, EachFormatIsSizedAsItDecodes)
{
    QTemporaryDir show;
    std::string line;
    EXPECT_TRUE(
        convertPlan(show, QStringLiteral("plan.gif"), PlanImageSamples::uniformGif(4000, 4000, 4000, 4000), &line))
        << line;

    // A progressive JPEG of 16 x 16 whose frame claims 8000 x 8000: 256 MB of image and 192 MB of coefficients.
    QImage tile(16, 16, QImage::Format_RGB32);
    tile.fill(Qt::darkCyan);
    QByteArray progressive = PlanImageSamples::encoded(tile, "JPEG", true);
    const int frame = int(progressive.indexOf("\xFF\xC2"));
    ASSERT_GT(frame, 0);
    qToBigEndian<quint16>(8000, progressive.data() + frame + 5);
    qToBigEndian<quint16>(8000, progressive.data() + frame + 7);
    // 35 bytes: a 16383 x 16383 screen around one pixel.
    const QByteArray screen =
        QByteArray::fromHex("474946383961ff3fff3f800000000000ffffff2c00000000010001000002024401003b");
    const QString tooLarge = QStringLiteral(
        "Ignoring the plan's background image %2: the file %1/%2 is too large to check: %3 pixels decode to %4 MB "
        "(at most 64 MB of file, decoding to at most 256 MB, are read), so it is not packed into the project; make "
        "it smaller and convert the show again, or set the image in the new project");
    const QString notPacked = QStringLiteral(
        "Ignoring the plan's background image %2: the file %1/%2 holds an image in the %3 format, which the project "
        "does not pack (it packs JPEG, PNG, GIF and BMP); convert it to PNG and convert the show again, or set the "
        "image in the new project");
    const struct
    {
        const char* name;
        QByteArray bytes;
        QString line;
    } refused[] = {
        {"screen.gif", PlanImageSamples::uniformGif(8192, 8192, 8192, 8192),
         tooLarge.arg(QStringLiteral("%1"), QStringLiteral("screen.gif"), QStringLiteral("8192 x 8192"),
                      QStringLiteral("269"))},
        {"pixel.gif", screen,
         tooLarge.arg(QStringLiteral("%1"), QStringLiteral("pixel.gif"), QStringLiteral("16383 x 16383"),
                      QStringLiteral("1074"))},
        {"progressive.jpg", progressive,
         tooLarge.arg(QStringLiteral("%1"), QStringLiteral("progressive.jpg"), QStringLiteral("8000 x 8000"),
                      QStringLiteral("448"))},
        // An icon whose entry says 1 x 1, holding a PNG of 64 x 64.
        {"plan.png", PlanImageSamples::iconHolding(PlanImageSamples::encoded(tile.scaled(64, 64), "PNG")),
         notPacked.arg(QStringLiteral("%1"), QStringLiteral("plan.png"), QStringLiteral("ICO"))},
        {"plan.tif", PlanImageSamples::tiff(),
         notPacked.arg(QStringLiteral("%1"), QStringLiteral("plan.tif"), QStringLiteral("TIFF"))},
    };
    for (const auto& file : refused) {
        SCOPED_TRACE(file.name);
        const qint64 baseline = TestSupport::resetPeakMemory();
        EXPECT_FALSE(convertPlan(show, QLatin1String(file.name), file.bytes, &line));
        EXPECT_LT(TestSupport::peakMemoryBytes() - baseline, 64LL << 20);
        EXPECT_EQ(line, file.line.toStdString());
    }
    ResourceRegistry::instance()->clear();
}

// The stored path is decoded as the show's other texts are (UTF-8, else Windows-1252, as a bundle names its files),
// and found as Windows finds it: where no file has the exact name, one differing only in case, the first in name
// order.
TEST(LayoutConversion, APlanImageIsFoundAsWindowsFindsIt)
{
    QTemporaryDir show;
    const QImage image = QImage(4, 3, QImage::Format_RGB32);
    const QString accented = QStringLiteral("images/plan\u00E9.png");
    for (const QString& name : {accented, QStringLiteral("plan.png"), QStringLiteral("Docs/Plan.png"),
                                QStringLiteral("Docs/PLAN.png"), QStringLiteral("inner/") + accented}) {
        ASSERT_TRUE(QDir(show.path()).mkpath(QFileInfo(name).path()));
        ASSERT_TRUE(image.save(show.filePath(name), "PNG"));
    }
    const std::pair<std::string, QString> cases[] = {
        {"images\\plan\xE9.png", accented},     // Windows-1252
        {"images/plan\xC3\xA9.png", accented},  // UTF-8
        {"C:\\Shows\\PLAN.PNG", QStringLiteral("plan.png")},
        {"IMAGES\\PLAN\xC9.PNG", accented},
        {"docs\\plan.png", QStringLiteral("Docs/PLAN.png")},
    };
    for (const auto& [stored, found] : cases) {
        SCOPED_TRACE(stored);
        ResourceRegistry::instance()->clear();
        Quil::ShowSettings settings;
        settings.storedBackgroundImagePath = stored;
        ConversionReport report;
        LogCapture capture;
        EXPECT_EQ(convertLayoutProperties(settings, show.path(), report).backgroundImagePath, show.filePath(found));
        EXPECT_TRUE(capture.lines().empty());
        if (found != accented)
            continue;
        // Inside a bundle, kept by its path there.
        ResourceRegistry::instance()->clear();
        const LayoutProperties bundled = convertLayoutProperties(settings, show.filePath(QStringLiteral("inner")),
                                                                 report, {"/shows/a.kvx", show.path()});
        EXPECT_EQ(bundled.backgroundImagePath, QStringLiteral("inner/") + accented);
    }
    ResourceRegistry::instance()->clear();
}
