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

// Images up to this many pixels are decoded whole to tell that they are
// images; a larger one, whose header says so, is taken on its header, as
// decoding it would take memory far beyond its file.
const qint64 kDecodedPixels = 64LL * 1024 * 1024;

// The plan's size is held as a signed number.
int planExtent(quint32 stored) { return int(std::min<quint32>(stored, std::numeric_limits<int>::max())); }

bool readsAsImage(const QString& path)
{
    QImageReader reader(path);
    reader.setDecideFormatFromContent(true);
    if (!reader.canRead())
        return false;
    const QSize size = reader.size();
    if (!size.isValid() || size.isEmpty())
        return false;
    if (qint64(size.width()) * size.height() > kDecodedPixels)
        return true;
    return !reader.read().isNull();
}

// The image's path as the show meant it; empty when it names none.
QString imagePathOf(const Quil::ShowSettings& settings, const QString& showFolder)
{
    const QString stored = QFile::decodeName(settings.backgroundImagePath.c_str());
    if (stored.isEmpty() || !QDir::isRelativePath(stored) || showFolder.isEmpty())
        return stored;
    return QDir::cleanPath(QDir(showFolder).filePath(stored));
}

}  // namespace

LayoutProperties convertLayoutProperties(const Quil::ShowSettings& settings, const QString& showFolder,
                                         ConversionReport& report)
{
    LayoutProperties properties;
    properties.size = QSize(planExtent(settings.planWidth), planExtent(settings.planHeight));
    const Quil::ShowColour& colour = settings.backgroundColour;
    properties.backgroundColour = 0xFF000000u | quint32(colour.r) << 16 | quint32(colour.g) << 8 | colour.b;
    const QString imagePath = imagePathOf(settings, showFolder);
    if (!imagePath.isEmpty()) {
        const QString item = QStringLiteral("the plan's background image %1").arg(QDir::toNativeSeparators(imagePath));
        if (!QFileInfo(imagePath).isFile()) {
            report.ignore(ReportKind::PlanImages, item,
                          QStringLiteral("the file was not found; put it there (beside the show, or into its "
                                         "bundle) and convert the show again, or set the image in the new project"),
                          Causes::kImageNotFound);
        } else if (!readsAsImage(imagePath)) {
            report.ignore(ReportKind::PlanImages, item,
                          QStringLiteral("the file does not read as an image, so it is not packed into the project"),
                          Causes::kNotAnImage);
        } else {
            ResourceRegistry* registry = ResourceRegistry::instance();
            properties.backgroundImageId = registry->addFile(imagePath);
            registry->updateUsage(properties.backgroundImageId, kPlanImageCategory, true);
            properties.backgroundImagePath = imagePath;
            report.made(ReportKind::PlanImages);
        }
    }
    properties.backgroundMode = 3;
    properties.gridVisible = settings.gridVisible;
    // A grid of no spacing would never end; stored layouts read it as 1 too.
    properties.gridSpacing = std::max<quint32>(settings.gridSpacing, 1);
    return properties;
}
