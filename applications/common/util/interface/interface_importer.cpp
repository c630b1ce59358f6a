#include "applications/common/util/interface/interface_importer.h"

#include "components/archive/resource_registry.h"
#include "components/lx_objects/common/static_tables.h"
#include "seltrane_components/os/atomic_file.h"
#include "seltrane_components/os/file_utils.h"
#include "seltrane_components/os/logger.h"

#include <QDir>
#include <QFileInfo>

#include <set>

namespace {

// The resource category of interface fonts.
constexpr unsigned kInterfaceFontCategory = 8;

// Leaves room for the "-N.ttf" ending within a file system's 255 bytes.
constexpr int kMaxBaseLength = 120;

// A file name for the font inside the folder, not yet taken there nor by an
// earlier font of this import.
QString uniqueFileName(const QDir& folder, QString name, const std::set<QString>& taken)
{
    for (QChar& c : name) {
        if (c.unicode() < 0x20)
            c = QLatin1Char('_');  // a NUL would end the path early
    }
    sanitiseFileName(name, QLatin1Char('_'));
    name.truncate(kMaxBaseLength);
    const auto free = [&](const QString& candidate) {
        return !taken.count(candidate.toLower()) && !QFileInfo::exists(folder.filePath(candidate));
    };
    QString candidate = name + QLatin1String(".ttf");
    for (int n = 2; !free(candidate); ++n)
        candidate = QStringLiteral("%1-%2.ttf").arg(name, QString::number(n));
    return candidate;
}

void ignoreFont(const QString& name, const QString& reason)
{
    logMessage(kLogWarning, "Ignoring interface font %s: %s", name.toUtf8().constData(), reason.toUtf8().constData());
}

}  // namespace

std::vector<InterfaceImporter::WrittenFont> InterfaceImporter::readFonts(const QString& workingFolder,
                                                                         const std::vector<FontData>& fonts)
{
    std::vector<WrittenFont> written;
    if (fonts.empty())
        return written;
    const QDir folder(QDir(workingFolder).filePath(kInterfaceFontsFolder));
    const int folderError = makeFolderPath(folder.path());
    std::set<QString> taken;  // lower case: the project may be unpacked where case does not count
    for (const FontData& font : fonts) {
        if (folderError != 0) {
            ignoreFont(
                font.name,
                QStringLiteral("cannot create the folder %1 (%2)").arg(folder.path(), systemErrorText(folderError)));
            continue;
        }
        const QString fileName = uniqueFileName(folder, font.name, taken);
        const QString path = folder.filePath(fileName);
        AtomicFile file(path);
        // Once committed the file is in place, its folder synced or not: the
        // font is the project's.
        if (!file.open(QIODevice::WriteOnly) || file.write(font.bytes) != font.bytes.size() || !file.commit()) {
            ignoreFont(font.name, file.errorString());
            continue;
        }
        taken.insert(fileName.toLower());
        ResourceRegistry* registry = ResourceRegistry::instance();
        const QUuid resource = registry->addFile(path);
        registry->updateUsage(resource, kInterfaceFontCategory, true);
        written.push_back(WrittenFont {font.name, font.variant, resource, fileName});
    }
    return written;
}
