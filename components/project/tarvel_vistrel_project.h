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
// Every entry is checked: a save that could not add one of them fails with a
// message naming it, and saveToFile() then leaves any existing file intact.
//
// The project owns its working folder and lock (base classes). It is used
// from the GUI thread: queryBreakLock() shows a modal dialog.
#ifndef PROJECT_TARVEL_VISTREL_PROJECT_H
#define PROJECT_TARVEL_VISTREL_PROJECT_H

#include "components/project/tarvel_base_project.h"
#include "seltrane_components/os/version.h"

#include <QObject>

class OutStream;
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

    // Keeps categoryMask as the categories to pack and has the registry copy
    // the files in use for them into <working folder>/resources.
    void copyResources(quint32 categoryMask, ResourceRegistry* registry);

    quint32 databaseId() const { return m_databaseId; }
    void setDatabaseId(quint32 id) { m_databaseId = id; }
    Version programVersion() const { return m_version; }
    void setProgramVersion(const Version& version) { m_version = version; }
    quint32 resourceMask() const { return m_resourceMask; }
    quint16 flags() const { return m_flags; }
    void setFlags(quint16 flags) { m_flags = flags; }

private:
    quint32 m_databaseId = kNoDatabase;
    Version m_version;
    quint32 m_resourceMask = 0;
    quint16 m_flags = 0;
};

#endif  // PROJECT_TARVEL_VISTREL_PROJECT_H
