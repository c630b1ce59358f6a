#include "components/project/tarvel_base_project.h"

#include <QDataStream>
#include <QDir>
#include <QFileInfo>
#include <QIODevice>
#include <QObject>
#include <QStandardPaths>

namespace {

const int kIdentityBytes = 16;

}  // namespace

TarvelBaseProject::TarvelBaseProject(bool keepFolder, quint32 keptFolderLimit)
    : ProjectWorkingFolder(keepFolder, keptFolderLimit)
{}

TarvelBaseProject::~TarvelBaseProject() = default;

bool TarvelBaseProject::create(const QUuid& uuid, const QString& filePath)
{
    m_header.projectId = uuid;
    return ProjectWorkingFolder::create(uuid, filePath);
}

QUuid TarvelBaseProject::projectUuid() const { return m_header.projectId; }

QString TarvelBaseProject::projectsFolder() const
{
    const QString data = QStandardPaths::writableLocation(QStandardPaths::DataLocation);
    if (data.isEmpty())
        return QString();
    return data + QStringLiteral("/projects/");
}

bool TarvelBaseProject::writeHeader(QIODevice* device)
{
    QDataStream out(device);
    out << ProjectFileHeader::kMagic << ProjectFileHeader::kVersion;
    const QByteArray id = m_header.projectId.toRfc4122();
    out.writeRawData(id.constData(), id.size());
    out << m_header.flag << m_header.value;
    return out.status() == QDataStream::Ok;
}

int TarvelBaseProject::readHeader(QIODevice* device, QString* error)
{
    auto fail = [error](const QString& message) {
        if (error)
            *error = message;
        return -1;
    };
    const QString parseError = QObject::tr("Error parsing file header");
    if (!device)
        return fail(parseError);

    QDataStream in(device);
    // 0 while the stream is sound, else the reader's result.
    auto streamResult = [&]() {
        switch (in.status()) {
        case QDataStream::Ok:
            return 0;
        case QDataStream::ReadPastEnd:
            return -2;
        default:
            return fail(parseError);
        }
    };

    ProjectFileHeader header = m_header;
    qint32 magic = 0;
    in >> magic;
    if (const int result = streamResult())
        return result;
    if (magic != ProjectFileHeader::kMagic)
        return fail(QObject::tr("Unrecognised file format"));

    qint16 version = 0;
    in >> version;
    if (const int result = streamResult())
        return result;
    if (version < 0)
        return fail(QObject::tr("Unrecognised file format"));
    if (version > ProjectFileHeader::kVersion)
        return fail(QObject::tr("File format is too new"));

    char id[kIdentityBytes];
    const int got = in.readRawData(id, kIdentityBytes);
    if (got < 0)
        return fail(parseError);
    if (got < kIdentityBytes)
        return -2;
    header.projectId = QUuid::fromRfc4122(QByteArray(id, kIdentityBytes));
    int length = 6 + kIdentityBytes;

    if (version >= 1) {
        in >> header.flag;
        if (const int result = streamResult())
            return result;
        length += 1;
    }
    if (version >= 2) {
        in >> header.value;
        if (const int result = streamResult())
            return result;
        length += 4;
    }
    m_header = header;
    return length;
}

bool TarvelBaseProject::upgradeFolder(const QString& folder)
{
    const QString archive = folder + QStringLiteral("/archive.tarv/");
    const QString oldName = archive + QStringLiteral("palette.tarv");
    if (QFileInfo::exists(oldName))
        QDir().rename(oldName, archive + QStringLiteral("scene.tarv"));
    return true;
}
