#include "components/project/tarvel_vistrel_project.h"

#include "components/archive/archive_exception.h"
#include "components/archive/archive_file.h"
#include "components/archive/binary_stream.h"
#include "components/archive/database.h"
#include "components/archive/database_schema.h"
#include "components/archive/resource_registry.h"
#include "components/lx_objects/common/static_tables.h"
#include "components/lx_objects/controllers/controller.h"
#include "components/lx_objects/media/frame_array.h"
#include "components/lx_objects/project/project_database.h"
#include "seltrane_components/os/file_utils.h"
#include "seltrane_components/os/progress_tracker.h"

#include <QApplication>
#include <QBuffer>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QMessageBox>
#include <QPushButton>
#include <QScopeGuard>

#include <set>

namespace {

const char kDesignApplicationName[] = "Corvane Vistrel";
const char kDatabaseFolder[] = "archive.tarv";
// Optional folders of a custom web interface, packed in this order.
const QLatin1String kCustomFolders[] = {kCustomThemeFolder, kCustomCertificateFolder, kWebInterfaceFolder};
const char kCueListFile[] = "cuelist.tarv";
const unsigned kSaveSteps = 5;
const unsigned kControllerSaveSteps = 7;
// A controller's cue lists live in their own array, this base plus its id.
const Archive::ArrayId kCueListArrayBase = 100;

}  // namespace

void writeManifestRecord(OutStream& stream, const ManifestRecord& record)
{
    stream << ManifestRecord::kMagic << ManifestRecord::kVersion << record.controller << record.second;
}

TarvelVistrelProject::TarvelVistrelProject(bool keepFolder)
    : QObject(nullptr), TarvelBaseProject(keepFolder, kKeptFolderLimit)
{}

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
    const QLatin1String others[] = {kIoModulesFolder, kWebInterfaceFolder, kCustomThemeFolder,
                                    kCustomCertificateFolder};
    for (const QLatin1String name : others) {
        const QString path = folder + QLatin1Char('/') + name;
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

bool TarvelVistrelProject::copyResources(quint32 categoryMask, ResourceRegistry* registry)
{
    m_resourceMask = categoryMask;
    QString error;
    if (registry
        && !registry->copyResourcesTo(folderPath() + QLatin1Char('/') + kResourcesFolder, categoryMask, &error)) {
        setLastError(error);
        return false;
    }
    return true;
}

bool TarvelVistrelProject::save(QIODevice* device, quint64* counter, ProgressTracker* progress)
{
    ProjectSaveOptions options;
    options.resourceMask = m_resourceMask;
    return saveWithOptions(device, options, counter, progress);
}

bool TarvelVistrelProject::saveWithOptions(QIODevice* device, const ProjectSaveOptions& options, quint64* counter,
                                           ProgressTracker* progress)
{
    const bool perController = options.controllerId != ProjectSaveOptions::kWholeProject;
    // The id also picks the frame of every frame array, which has 40.
    if (perController && (options.controllerId < 0 || options.controllerId >= FrameArray::kFrameCount)) {
        setLastError(QObject::tr("Invalid controller id %1").arg(options.controllerId));
        return false;
    }
    ArchiveFile archive;
    if (!archive.open(ArchiveFile::WriteMode, device, ArchiveFile::TarGzKind)) {
        setLastError(QObject::tr("Unable to create the project archive"));
        return false;
    }
    ProgressTracker inert;
    ProgressTracker& tracker = progress ? *progress : inert;
    tracker.setTitleText(QObject::tr("Saving project"));
    tracker.setStatusText(QString());
    ProgressStage stage(&tracker, perController ? kControllerSaveSteps : kSaveSteps);

    // A failed save abandons the archive: the caller discards what was written.
    const QString folder = folderPath() + QLatin1Char('/');
    try {
        tracker.setStatusText(QObject::tr("Saving archive..."));
        const QString database = QLatin1String(kDatabaseFolder);
        if (perController) {
            if (!addControllerDatabase(archive, options.controllerId, tracker))
                return false;
        } else if (!archive.addPathUnder(folder + database, database)) {
            return failedToAdd(database, archive.errorString());
        }

        tracker.setStep(1);
        tracker.setStatusText(QObject::tr("Saving resources..."));
        QString resourceError;
        if (!ResourceRegistry::instance()->addToArchive(archive, kResourcesFolder, options.resourceMask,
                                                        options.alwaysInclude, options.placeholders, &tracker,
                                                        &resourceError))
            return tracker.isCancelled() ? cancelled() : failedToAdd(kResourcesFolder, resourceError);

        tracker.setStep(2);
        tracker.setStatusText(QObject::tr("Saving custom web interface..."));
        for (const QLatin1String custom : kCustomFolders) {
            const QString name = custom;
            if (QFileInfo::exists(folder + name) && !archive.addPathUnder(folder + name, name))
                return failedToAdd(name, archive.errorString());
        }
        if (tracker.isCancelled())
            return cancelled();
        tracker.setStep(3);
        tracker.setStep(4);

        if (perController) {
            if (!addMatrixEffects(archive, options, tracker))
                return false;
            tracker.setStep(5);
            tracker.setStatusText(QObject::tr("Saving manifest..."));
            if (!addManifest(archive, options))
                return false;
            tracker.setStep(6);
        }
    } catch (const Archive::storage_error& error) {
        setLastError(QObject::tr("Failed to save the project (%1)").arg(QString::fromUtf8(error.what())));
        return false;
    } catch (const Archive::archive_exception& error) {
        setLastError(QObject::tr("Failed to save the project (%1)")
                         .arg(Archive::archive_exception::messageForCode(error.code())));
        return false;
    } catch (const std::exception& error) {
        setLastError(QObject::tr("Failed to save the project (%1)").arg(QString::fromLocal8Bit(error.what())));
        return false;
    }

    const bool closed = archive.close();
    if (counter)
        *counter = static_cast<quint64>(archive.dataBytesWritten());
    // The compressed data reaches the device only now: a failure here loses
    // the project as surely as a failed entry.
    if (!closed) {
        setLastError(QObject::tr("Failed to save the project (%1)").arg(archive.errorString()));
        return false;
    }
    return true;
}

bool TarvelVistrelProject::addControllerDatabase(ArchiveFile& archive, qint32 controllerId, ProgressTracker& tracker)
{
    std::lock_guard<std::mutex> lock(m_saveMutex);
    const quint32 databaseId = saveDatabaseId();
    Archive::resolveDatabase(databaseId);  // fails before anything is packed
    const QString database = QLatin1String(kDatabaseFolder);
    const QDir databaseFolder(folderPath() + QLatin1Char('/') + database);
    if (!databaseFolder.exists())
        return failedToAdd(database, QObject::tr("%1 does not exist").arg(databaseFolder.path()));
    // The files directly in the folder; the cue lists of every controller
    // are replaced by this controller's own.
    const QFileInfoList files = databaseFolder.entryInfoList(QDir::Files | QDir::Hidden | QDir::NoSymLinks, QDir::Name);
    for (const QFileInfo& file : files) {
        if (file.fileName() == QLatin1String(kCueListFile))
            continue;
        const QString entry = database + QLatin1Char('/') + file.fileName();
        if (!archive.addPathUnder(file.filePath(), entry))
            return failedToAdd(entry, archive.errorString());
        if (tracker.isCancelled())
            return cancelled();
    }

    const Archive::ArrayId cueLists = kCueListArrayBase + static_cast<Archive::ArrayId>(controllerId);
    QString arrayName;
    Archive::getArrayName(arrayName, cueLists, databaseId);
    if (arrayName.isEmpty()) {
        setLastError(QObject::tr("The project holds no cue lists for controller %1").arg(controllerId));
        return false;
    }
    const QString saved = folderPath() + QLatin1Char('/') + arrayName + QStringLiteral(".tarv");
    const QString entry = database + QLatin1Char('/') + QLatin1String(kCueListFile);
    const auto removeSaved = qScopeGuard([&saved] { QFile::remove(saved); });
    Archive::saveArray(cueLists, folderPath(), databaseId);
    return archive.addPathUnder(saved, entry) || failedToAdd(entry, archive.errorString());
}

bool TarvelVistrelProject::addMatrixEffects(ArchiveFile& archive, const ProjectSaveOptions& options,
                                            ProgressTracker& tracker)
{
    const quint32 databaseId = saveDatabaseId();
    Archive::ObjectPtr object;
    Archive::getCommittedObject(object, Controller::kArrayId, static_cast<Archive::ObjectId>(options.controllerId),
                                databaseId);
    const Archive::Pointer<Controller> controller = Archive::dynamicPointerCast<Controller>(object);
    if (!controller || controller->type() < Controller::QmbType || controller->type() > Controller::KnvType)
        return true;

    tracker.setStatusText(QObject::tr("Saving matrix effects..."));
    const QString frames = QString(kFrameArraysFolder) + QLatin1Char('/');
    Archive::ArrayIterator<FrameArray> frameArrays;
    Archive::iterateArray(frameArrays, FrameArray::kArrayId, databaseId);
    while (frameArrays.next()) {
        // A frame array without a frame for this controller has nothing to pack.
        const QUuid frame = frameArrays->getFrame(options.controllerId);
        if (!frame.isNull()) {
            const QString name = frame.toString();
            const QString entry = frames + name + QStringLiteral(".fa");
            const bool added = options.placeholders.count(frame)
                ? archive.addEmptyFile(entry)
                : archive.addPathUnder(folderPath() + QLatin1Char('/') + frames + name + QStringLiteral(".ffa"), entry);
            if (!added)
                return failedToAdd(entry, archive.errorString());
        }
        if (tracker.isCancelled())
            return cancelled();
    }
    return true;
}

bool TarvelVistrelProject::addManifest(ArchiveFile& archive, const ProjectSaveOptions& options)
{
    QByteArray manifest;
    QBuffer buffer(&manifest);
    buffer.open(QIODevice::WriteOnly);
    BinaryOutStream out(kProjectStreamVersion);
    out.setDevice(&buffer);
    writeManifestRecord(
        out, ManifestRecord {static_cast<quint32>(options.controllerId), static_cast<quint32>(options.second)});
    out.close();
    const QString entry = Archive::migrationEntryName();
    return archive.addBuffer(manifest, entry) || failedToAdd(entry, archive.errorString());
}

quint32 TarvelVistrelProject::saveDatabaseId() const { return m_databaseId == kNoDatabase ? 0 : m_databaseId; }

bool TarvelVistrelProject::failedToAdd(const QString& entryName, const QString& reason)
{
    setLastError(reason.isEmpty() ? QObject::tr("Failed to add %1 to the project archive").arg(entryName)
                                  : QObject::tr("Failed to add %1 to the project archive (%2)").arg(entryName, reason));
    return false;
}

bool TarvelVistrelProject::cancelled()
{
    setLastError(QObject::tr("Saving was cancelled"));
    return false;
}
