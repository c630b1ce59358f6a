// TarvelBaseProject is a version-2 design project in its working folder: it
// adds the project identity, the location of all working folders (below the
// application's writable data folder) and the 27-byte header that starts a
// project file:
//
//   qint32 magic "Tarv", qint16 version 2, 16 bytes of the identity
//   (RFC 4122), qint8 flag (from version 1), qint32 value (from version 2),
//   all big-endian.
//
// The header reader accepts versions 0 to 2 and never throws. Like its base,
// an object is used from one thread at a time.
#ifndef PROJECT_TARVEL_BASE_PROJECT_H
#define PROJECT_TARVEL_BASE_PROJECT_H

#include "components/project/project_working_folder.h"

struct ProjectFileHeader
{
    static constexpr qint32 kMagic = 0x54617276;  // "Tarv"
    static constexpr qint16 kVersion = 2;
    static constexpr int kSize = 27;

    QUuid projectId;
    qint8 flag = 0;
    qint32 value = 0;

    bool operator==(const ProjectFileHeader&) const = default;
};

class TarvelBaseProject : public ProjectWorkingFolder
{
public:
    TarvelBaseProject(bool keepFolder, quint32 keptFolderLimit);
    ~TarvelBaseProject() override;

    // Takes uuid as the project's identity, then makes and locks the folder.
    bool create(const QUuid& uuid, const QString& filePath);

    QUuid projectUuid() const override;
    // <writable data location>/projects/, or empty when the platform offers
    // no writable data location (then nothing is created or swept).
    QString projectsFolder() const override;
    // False only when the device refused the bytes.
    bool writeHeader(QIODevice* device) override;
    // 22, 23 or 27 (the bytes read) on success; -2 when the data ends inside
    // the header; -1 with *error set otherwise. The header is taken over only
    // when it was read whole.
    int readHeader(QIODevice* device, QString* error) override;
    // Gives an old project's palette array its current name; always true.
    bool upgradeFolder(const QString& folder) override;

    const ProjectFileHeader& header() const { return m_header; }
    void setHeader(const ProjectFileHeader& header) { m_header = header; }

private:
    ProjectFileHeader m_header;
};

#endif  // PROJECT_TARVEL_BASE_PROJECT_H
