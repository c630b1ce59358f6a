#include "applications/morvant/conversion/layout_conversion.h"

#include "applications/morvant/conversion/conversion_report.h"
#include "components/archive/resource_registry.h"
#include "components/quilshow/show/show_settings.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QImage>
#include <QImageReader>

#include <algorithm>
#include <limits>

namespace {

// The plan's size is held as a signed number.
int planExtent(quint32 stored) { return int(std::min<quint32>(stored, std::numeric_limits<int>::max())); }

enum class ImageCheck { Image, NotImage, TooLarge };

// Whether the file at path decodes whole as an image within the bounds;
// size says by how much it is beyond them when it is.
ImageCheck checkImage(const QString& path, QString* size)
{
    const qint64 bytes = QFileInfo(path).size();
    if (bytes > kPlanImageMaxBytes) {
        *size = QStringLiteral("%1 MB").arg((bytes + 999'999) / 1'000'000);
        return ImageCheck::TooLarge;
    }
    QImageReader reader(path);
    reader.setDecideFormatFromContent(true);
    if (!reader.canRead())
        return ImageCheck::NotImage;
    // What the header claims, checked before anything of that size is made.
    const QSize claimed = reader.size();
    if (!claimed.isValid() || claimed.isEmpty())
        return ImageCheck::NotImage;
    if (qint64(claimed.width()) * claimed.height() > kPlanImageMaxPixels) {
        *size = QStringLiteral("%1 x %2").arg(claimed.width()).arg(claimed.height());
        return ImageCheck::TooLarge;
    }
    return reader.read().isNull() ? ImageCheck::NotImage : ImageCheck::Image;
}

// Where the show's stored image path leads.
struct ImageLocation
{
    QString file;             // the file to read; empty when the path is refused
    QString shown;            // where it was looked for, as a message names it
    QString kept;             // the path the layout keeps
    bool byFileName = false;  // an absolute Windows path, looked for beside the show
};

// "C:\plan.png", "C:plan.png", "\\server\plan.png", "\plan.png".
bool isAbsoluteWindowsPath(const QString& stored)
{
    return (stored.size() >= 2 && stored[1] == QLatin1Char(':') && stored[0].isLetter())
        || stored.startsWith(QLatin1Char('\\'));
}

bool isWithin(const QString& path, const QString& folder)
{
    return path == folder || path.startsWith(folder + QLatin1Char('/'));
}

ImageLocation locateImage(const QString& stored, const QString& showFolder, const ShowBundle& bundle)
{
    ImageLocation location;
    QString path = QString(stored).replace(QLatin1Char('\\'), QLatin1Char('/'));
    if (isAbsoluteWindowsPath(stored)) {
        location.byFileName = true;
        path = QFileInfo(path).fileName();
    }
    if (QDir::isRelativePath(path) && !showFolder.isEmpty())
        path = QDir(showFolder).filePath(path);
    path = QDir::cleanPath(path);
    if (bundle.folder.isEmpty()) {
        location.file = location.kept = path;
        location.shown = QDir::toNativeSeparators(path);
        return location;
    }
    // Within the bundle, by its cleaned path and by the file its links lead to.
    const QString root = QDir::cleanPath(bundle.folder);
    const QString canonicalRoot = QFileInfo(root).canonicalFilePath();
    const QString canonical = QFileInfo(path).canonicalFilePath();
    if (!isWithin(path, root) || (!canonical.isEmpty() && !isWithin(canonical, canonicalRoot)))
        return location;
    location.file = path;
    location.kept = QDir(root).relativeFilePath(path);
    location.shown = QStringLiteral("%1 in the bundle %2").arg(location.kept, QDir::toNativeSeparators(bundle.path));
    return location;
}

}  // namespace

LayoutProperties convertLayoutProperties(const Quil::ShowSettings& settings, const QString& showFolder,
                                         ConversionReport& report, const ShowBundle& bundle)
{
    LayoutProperties properties;
    properties.size = QSize(planExtent(settings.planWidth), planExtent(settings.planHeight));
    const Quil::ShowColour& colour = settings.backgroundColour;
    properties.backgroundColour = 0xFF000000u | quint32(colour.r) << 16 | quint32(colour.g) << 8 | colour.b;
    const QString stored = QFile::decodeName(settings.storedBackgroundImagePath.c_str());
    if (!stored.isEmpty()) {
        const ImageLocation image = locateImage(stored, showFolder, bundle);
        const QString item = QStringLiteral("the plan's background image %1").arg(stored);
        const QString file = image.byFileName
            ? QStringLiteral("the file %1 (looked for by its file name beside the show)").arg(image.shown)
            : QStringLiteral("the file %1").arg(image.shown);
        const QString orSet = QStringLiteral("or set the image in the new project");
        QString size;
        if (image.file.isEmpty()) {
            report.ignore(ReportKind::PlanImages, item,
                          QStringLiteral("its path leads out of the bundle %1, so it is not taken; put the image into "
                                         "the bundle beside the show and convert the show again, %2")
                              .arg(QDir::toNativeSeparators(bundle.path), orSet),
                          Causes::kImageLeavesBundle);
        } else if (!QFileInfo(image.file).isFile()) {
            report.ignore(
                ReportKind::PlanImages, item,
                QStringLiteral("%1 was not found; put it there and convert the show again, %2").arg(file, orSet),
                Causes::kImageNotFound);
        } else if (const ImageCheck check = checkImage(image.file, &size); check == ImageCheck::NotImage) {
            report.ignore(
                ReportKind::PlanImages, item,
                QStringLiteral("%1 does not read as an image, so it is not packed into the project").arg(file),
                Causes::kNotAnImage);
        } else if (check == ImageCheck::TooLarge) {
            report.ignore(ReportKind::PlanImages, item,
                          QStringLiteral("%1 is too large to check: %2 (at most %3 MB and %4 megapixels are read), so "
                                         "it is not packed into the project; make it smaller and convert the show "
                                         "again, %5")
                              .arg(file, size, QString::number(kPlanImageMaxBytes / 1'000'000),
                                   QString::number(kPlanImageMaxPixels / 1'000'000), orSet),
                          Causes::kImageTooLarge);
        } else {
            ResourceRegistry* registry = ResourceRegistry::instance();
            properties.backgroundImageId = registry->addFile(image.file);
            registry->updateUsage(properties.backgroundImageId, kPlanImageCategory, true);
            properties.backgroundImagePath = image.kept;
            report.made(ReportKind::PlanImages);
        }
    }
    properties.backgroundMode = 3;
    properties.gridVisible = settings.gridVisible;
    // A grid of no spacing would never end; stored layouts read it as 1 too.
    properties.gridSpacing = std::max<quint32>(settings.gridSpacing, 1);
    return properties;
}
