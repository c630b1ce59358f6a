// TarvelVistrelProject is the version-2 design project that the converter
// builds and saves. On top of TarvelBaseProject it knows its database, the
// program version stored in it and the resource categories it uses, and it
// packs the working folder into a project file:
//
//   the 27-byte header, then a gzip-compressed GNU tar stream holding
//   "archive.tarv" (the database folder), "resources" (the registered files
//   in use for resourceMask) and, where present, "custom_theme",
//   "custom_certificate" and "web_interface", in this order.
//
// A save for one controller (saveWithOptions with a controller id of 0 to
// 39) packs instead: the files directly in the database folder, the
// controller's own cue-list array (100 + id) as "archive.tarv/cuelist.tarv"
// in place of any such file there, the resources and custom folders as
// above, for a controller of type 1 to 3 the controller's frame of every
// frame array that has one as "framearrays/{frame}.fa", and the manifest
// record as ".migration".
//
// Every entry is checked: a save that could not add one of them fails with a
// message naming it and why, and saveToFile() then leaves any existing file
// intact. A resource in use that is gone fails the save too.
//
// The project owns its working folder and lock (base classes), a colour
// swatch and a colour palette. It is used from the GUI thread:
// queryBreakLock() shows a modal dialog. A save for one controller holds an
// internal mutex while it packs the database folder and the cue list, so
// that two of them never share the temporary cue-list file.
#ifndef PROJECT_TARVEL_VISTREL_PROJECT_H
#define PROJECT_TARVEL_VISTREL_PROJECT_H

#include "components/project/colour_palette.h"
#include "components/project/colour_swatch.h"
#include "components/project/tarvel_base_project.h"
#include "seltrane_components/os/version.h"

#include <QObject>
#include <QUuid>

#include <mutex>
#include <set>

class ArchiveFile;
class OutStream;
class ProgressTracker;
class ResourceRegistry;

// The record that names the controller a per-controller project file was
// saved for: 14 bytes, uint32 "Vosk", uint16 version 1, then the two values.
struct ManifestRecord
{
    static constexpr quint32 kMagic = 0x566F736B;
    static constexpr quint16 kVersion = 1;

    quint32 controller;
    quint32 second;
};
void writeManifestRecord(OutStream& stream, const ManifestRecord& record);

// What one save packs.
struct ProjectSaveOptions
{
    static constexpr qint32 kWholeProject = -1;

    // kWholeProject, or the id of the controller (0 to 39) to save for.
    qint32 controllerId = kWholeProject;
    // Copied into the manifest record.
    qint32 second = -1;
    quint32 resourceMask = 0;
    // Resources packed whatever their use.
    std::set<QUuid> alwaysInclude;
    // Resources and frames packed as empty entries.
    std::set<QUuid> placeholders;
};

class TarvelVistrelProject : public QObject, public TarvelBaseProject
{
    Q_OBJECT
public:
    // Working folders of earlier runs are kept up to this count minus one.
    static constexpr quint32 kKeptFolderLimit = 6;
    static constexpr quint32 kNoDatabase = 0xFFFFFFFF;

    explicit TarvelVistrelProject(bool keepFolder);
    ~TarvelVistrelProject() override;

    // Modification time of <folder>/archive.tarv/.tarvel_project; null when
    // the folder holds no saved database.
    QDateTime lastModified(const QString& folder) const override;
    // Removes the database folder and the custom folders; the resources
    // stay. 1 with *error set when the database folder cannot be removed.
    int clearCachedData(const QString& folder, QString* error) override;
    // Asks the user whether to break the lock of a project open elsewhere.
    bool queryBreakLock() override;
    // Packs the whole project into device (see above).
    bool save(QIODevice* device, quint64* counter, ProgressTracker* progress) override;
    // Packs what options ask for into device. False with lastError() set for
    // a controller id outside 0 to 39, a failed entry, a database that cannot
    // give what the save needs, or a cancel; the archive is then abandoned.
    bool saveWithOptions(QIODevice* device, const ProjectSaveOptions& options, quint64* counter,
                         ProgressTracker* progress);

    // Keeps categoryMask as the categories to pack and has the registry copy
    // the files in use for them into <working folder>/resources; false with
    // lastError() set when one of them could not be copied.
    bool copyResources(quint32 categoryMask, ResourceRegistry* registry);

    quint32 databaseId() const { return m_databaseId; }
    void setDatabaseId(quint32 id) { m_databaseId = id; }
    Version programVersion() const { return m_version; }
    void setProgramVersion(const Version& version) { m_version = version; }
    quint32 resourceMask() const { return m_resourceMask; }
    quint16 flags() const { return m_flags; }
    void setFlags(quint16 flags) { m_flags = flags; }

private:
    bool addControllerDatabase(ArchiveFile& archive, qint32 controllerId, ProgressTracker& tracker);
    bool addMatrixEffects(ArchiveFile& archive, const ProjectSaveOptions& options, ProgressTracker& tracker);
    bool addManifest(ArchiveFile& archive, const ProjectSaveOptions& options);
    // The database of this project: the recorded one, else the current one.
    quint32 saveDatabaseId() const;
    // reason: why, as the archive or the registry says; may be empty.
    bool failedToAdd(const QString& entryName, const QString& reason);
    bool cancelled();

    quint32 m_databaseId = kNoDatabase;
    Version m_version;
    quint32 m_resourceMask = 0;
    ColourSwatch m_swatch {nullptr};
    ColourPalette m_palette {nullptr};
    quint16 m_flags = 0;
    std::mutex m_saveMutex;
};

#endif  // PROJECT_TARVEL_VISTREL_PROJECT_H
