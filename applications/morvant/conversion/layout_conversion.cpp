#include "applications/morvant/conversion/layout_conversion.h"

#include "applications/morvant/conversion/conversion_report.h"
#include "applications/morvant/conversion/plan_image_check.h"
#include "components/archive/resource_registry.h"
#include "components/quilshow/show/show_settings.h"
#include "components/quilshow/show/show_streamer.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <algorithm>
#include <limits>

namespace {

// The plan's size is held as a signed number.
int planExtent(quint32 stored) { return int(std::min<quint32>(stored, std::numeric_limits<int>::max())); }

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

// The file a show made on Windows means by path, as Windows finds it: the
// path itself when it exists, else, name by name below what exists as named,
// the entry whose name differs only in case (the first in name order when
// several do). The path as it is when no such file exists.
QString foundIgnoringCase(const QString& path)
{
    if (QFileInfo::exists(path))
        return path;
    QString found = path.startsWith(QLatin1Char('/')) ? QStringLiteral("/") : QString();
    for (const QString& name : path.split(QLatin1Char('/'), Qt::SkipEmptyParts)) {
        const QDir folder(found.isEmpty() ? QStringLiteral(".") : found);
        const auto within = [&found, &folder](const QString& entry) {
            return found.isEmpty() ? entry : folder.filePath(entry);
        };
        if (QFileInfo::exists(within(name))) {
            found = within(name);
            continue;
        }
        QString alike;
        const QStringList entries =
            folder.entryList(QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot, QDir::NoSort);
        for (const QString& entry : entries) {
            if (entry.compare(name, Qt::CaseInsensitive) == 0 && (alike.isNull() || entry < alike))
                alike = entry;
        }
        if (alike.isNull())
            return path;
        found = within(alike);
    }
    return found;
}

ImageLocation locateImage(const QString& stored, const QString& showFolder, const ShowBundle& bundle)
{
    ImageLocation location;
    QString path = QString(stored).replace(QLatin1Char('\\'), QLatin1Char('/'));
    if (isAbsoluteWindowsPath(stored)) {
        location.byFileName = true;
        // "C:plan.png" lies in the drive's current folder: its name follows the colon.
        const bool drive = path.size() >= 2 && path[1] == QLatin1Char(':');
        path = QFileInfo(drive ? path.mid(2) : path).fileName();
    }
    if (QDir::isRelativePath(path) && !showFolder.isEmpty())
        path = QDir(showFolder).filePath(path);
    path = foundIgnoringCase(QDir::cleanPath(path));
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
    const QString stored = Quil::toQString(settings.storedBackgroundImagePath);
    if (!stored.isEmpty()) {
        const ImageLocation image = locateImage(stored, showFolder, bundle);
        const QString item = QStringLiteral("the plan's background image %1").arg(stored);
        const QString file = image.byFileName
            ? QStringLiteral("the file %1 (looked for by its file name beside the show)").arg(image.shown)
            : QStringLiteral("the file %1").arg(image.shown);
        const QString orSet = QStringLiteral("or set the image in the new project");
        PlanImageCheck check;
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
        } else if (check = PlanImageCheck::ofFile(image.file); check.verdict() == PlanImageCheck::NotImage) {
            report.ignore(
                ReportKind::PlanImages, item,
                QStringLiteral("%1 does not read as an image, so it is not packed into the project").arg(file),
                Causes::kNotAnImage);
        } else if (check.verdict() == PlanImageCheck::FormatNotPacked) {
            report.ignore(ReportKind::PlanImages, item,
                          QStringLiteral("%1 holds an image in the %2 format, which the project does not pack (it "
                                         "packs JPEG, PNG, GIF and BMP); convert it to PNG and convert the show "
                                         "again, %3")
                              .arg(file, QString::fromLatin1(check.format()).toUpper(), orSet),
                          Causes::kImageFormatNotPacked);
        } else if (check.verdict() == PlanImageCheck::TooLarge) {
            const auto megabytes = [](qint64 bytes) { return QString::number((bytes + 999'999) / 1'000'000); };
            const QString size = check.fileBytes() > kPlanImageMaxBytes
                ? QStringLiteral("%1 MB").arg(megabytes(check.fileBytes()))
                : QStringLiteral("%1 x %2 pixels decode to %3 MB")
                      .arg(check.size().width())
                      .arg(check.size().height())
                      .arg(megabytes(check.decodingBytes()));
            report.ignore(ReportKind::PlanImages, item,
                          QStringLiteral("%1 is too large to check: %2 (at most %3 MB of file, decoding to at most "
                                         "%4 MB, are read), so it is not packed into the project; make it smaller "
                                         "and convert the show again, %5")
                              .arg(file, size, QString::number(kPlanImageMaxBytes / 1'000'000),
                                   QString::number(kPlanImageMaxDecodedBytes / 1'000'000), orSet),
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
