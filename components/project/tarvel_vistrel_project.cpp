#include "components/project/tarvel_vistrel_project.h"

#include "components/archive/archive_file.h"
#include "components/archive/out_stream.h"
#include "components/archive/resource_registry.h"
#include "seltrane_components/os/file_utils.h"
#include "seltrane_components/os/progress_tracker.h"

#include <QApplication>
#include <QFileInfo>
#include <QMessageBox>
#include <QPushButton>

#include <set>

namespace {

const char kDesignApplicationName[] = "Corvane Vistrel";
const char kDatabaseFolder[] = "archive.tarv";
const char kResourcesFolder[] = "resources";
// Optional folders of a custom web interface, packed in this order.
const char* const kCustomFolders[] = {"custom_theme", "custom_certificate", "web_interface"};
const unsigned kSaveSteps = 5;

// Keeps a progress stage open for one scope, whichever way it is left.
class ProgressStage
{
public:
    ProgressStage(ProgressTracker& tracker, unsigned steps) : m_tracker(tracker) { m_tracker.begin(steps); }
    ~ProgressStage() { m_tracker.end(); }
    ProgressStage(const ProgressStage&) = delete;
    ProgressStage& operator=(const ProgressStage&) = delete;

private:
    ProgressTracker& m_tracker;
};

}  // namespace

void writeManifestRecord(OutStream& stream, const ManifestRecord& record)
{
    stream << ManifestRecord::kMagic << ManifestRecord::kVersion << record.controller << record.second;
}

TarvelVistrelProject::TarvelVistrelProject(bool keepFolder)
    : QObject(nullptr), TarvelBaseProject(keepFolder, kKeptFolderLimit)
{
}

TarvelVistrelProject::~TarvelVistrelProject() = default;

QDateTime TarvelVistrelProject::lastModified(const QString& folder) const
{
    const QFileInfo header(folder + QLatin1Char('/') + QLatin1String(kDatabaseFolder)
                           + QStringLiteral("/.tarvel_project"));
    if (!header.exists())
        return QDateTime();
    return header.lastModified();
}

int TarvelVistrelProject::clearCachedData(const QString& folder, QString* error)
{
    const QString database = folder + QLatin1Char('/') + QLatin1String(kDatabaseFolder);
    if (QFileInfo::exists(database) && !removeDirectoryRecursively(database, false)) {
        if (error)
            *error = QObject::tr("Failed to remove old cached data");
        return 1;
    }
    const char* const others[] = {"io_modules", "web_interface", "custom_theme", "custom_certificate"};
    for (const char* name : others) {
        const QString path = folder + QLatin1Char('/') + QLatin1String(name);
        if (QFileInfo::exists(path))
            removeDirectoryRecursively(path, false);
    }
    return 0;
}

bool TarvelVistrelProject::queryBreakLock()
{
    QMessageBox box(QApplication::activeWindow());
    box.setWindowTitle(QObject::tr("Project is locked"));
    box.setText(QObject::tr("This project is open in another instance of %1. Do you want to break the lock?")
                    .arg(QLatin1String(kDesignApplicationName)));
    box.setInformativeText(QObject::tr("Only break the lock if you are sure that the project is not in use. "
                                       "Otherwise, this could lead to corruption of the project if another "
                                       "application is editing it."));
    QPushButton* breakLock = box.addButton(QObject::tr("Break Lock"), QMessageBox::AcceptRole);
    box.addButton(QMessageBox::Cancel);
    box.setEscapeButton(QMessageBox::Cancel);
    box.exec();
    return box.clickedButton() == breakLock;
}

void TarvelVistrelProject::copyResources(quint32 categoryMask, ResourceRegistry* registry)
{
    m_resourceMask = categoryMask;
    if (registry)
        registry->copyResourcesTo(folderPath() + QLatin1Char('/') + QLatin1String(kResourcesFolder), categoryMask);
}

bool TarvelVistrelProject::save(QIODevice* device, quint64* counter, ProgressTracker* progress)
{
    ArchiveFile archive;
    if (!archive.open(ArchiveFile::WriteMode, device, ArchiveFile::TarGzKind)) {
        setLastError(QObject::tr("Unable to create the project archive"));
        return false;
    }
    ProgressTracker inert;
    ProgressTracker& tracker = progress ? *progress : inert;
    tracker.setTitleText(QObject::tr("Saving project"));
    tracker.setStatusText(QString());
    ProgressStage stage(tracker, kSaveSteps);

    // A failed save abandons the archive: the caller discards what was written.
    auto failedToAdd = [this](const QString& name) {
        setLastError(QObject::tr("Failed to add %1 to the project archive").arg(name));
        return false;
    };
    auto cancelled = [this] {
        setLastError(QObject::tr("Saving was cancelled"));
        return false;
    };
    const QString folder = folderPath() + QLatin1Char('/');

    tracker.setStatusText(QObject::tr("Saving archive..."));
    const QString database = QLatin1String(kDatabaseFolder);
    if (!archive.addPathUnder(folder + database, database))
        return failedToAdd(database);

    tracker.setStep(1);
    tracker.setStatusText(QObject::tr("Saving resources..."));
    const std::set<QUuid> none;
    if (!ResourceRegistry::instance()->addToArchive(archive, QLatin1String(kResourcesFolder), m_resourceMask,
                                                    none, none, &tracker))
        return tracker.isCancelled() ? cancelled() : failedToAdd(QLatin1String(kResourcesFolder));

    tracker.setStep(2);
    tracker.setStatusText(QObject::tr("Saving custom web interface..."));
    for (const char* custom : kCustomFolders) {
        const QString name = QLatin1String(custom);
        if (QFileInfo::exists(folder + name) && !archive.addPathUnder(folder + name, name))
            return failedToAdd(name);
    }
    if (tracker.isCancelled())
        return cancelled();
    tracker.setStep(3);
    tracker.setStep(4);

    const bool closed = archive.close();
    if (counter)
        *counter = static_cast<quint64>(archive.dataBytesWritten());
    if (!closed) {
        setLastError(QObject::tr("Unable to create the project archive"));
        return false;
    }
    return true;
}
