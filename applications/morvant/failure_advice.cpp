#include "applications/morvant/failure_advice.h"

#include "components/fixture_library/online_fixture_library.h"
#include "components/quilshow/show/bundler.h"
#include "components/quilshow/show/output_node.h"
#include "components/quilshow/show/show_kinds.h"
#include "components/quilshow/show/show_streamer.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QObject>
#include <QtEndian>

#include <cerrno>

namespace {

// What the reader throws for a section whose items it cannot read yet.
const char kUnsupportedSectionPrefix[] = "Unsupported version-1 section: ";
const char kMarkerMismatchPrefix[] = "Magic number doesn't match";
const char kNoShowFile[] = "The bundle holds no show file";

// The tar header's "ustar" mark and its place; 512 bytes cover both.
const int kTarMarkOffset = 257;
const int kHeadSize = 512;

QString quoted(const QString& path) { return QLatin1Char('"') + QDir::toNativeSeparators(path) + QLatin1Char('"'); }

// The show kind whose files carry this file-type magic; empty for none.
QString kindOfMagic(quint32 magic)
{
    for (const char* kind : {"kvq", "wvq", "jvq"}) {
        if (Quil::fileTypeMagicForKind(QLatin1String(kind)) == magic)
            return QLatin1String(kind);
    }
    return QString();
}

QString nameEnding(const QString& path)
{
    const QString suffix = QFileInfo(path).suffix();
    return suffix.isEmpty() ? QObject::tr("has no ending such as .kvq") : QObject::tr("ends in \".%1\"").arg(suffix);
}

// The archive form the first bytes announce; empty when none.
QString archiveForm(const QByteArray& head)
{
    if (head.startsWith("\x1f\x8b"))
        return QObject::tr("a gzip-compressed tar archive");
    if (head.startsWith("PK\x03\x04") || head.startsWith("PK\x05\x06"))
        return QObject::tr("a zip archive");
    if (head.mid(kTarMarkOffset, 5) == "ustar")
        return QObject::tr("a tar archive");
    return QString();
}

// The show file did not open: says why from what the file is.
QString unopenedAdvice(const QString& path, bool insideBundle)
{
    const QString name = insideBundle
        ? QObject::tr("The show file %1 in the bundle").arg(quoted(QFileInfo(path).fileName()))
        : quoted(path);
    const QFileInfo info(path);
    if (!info.exists()) {
        return QObject::tr("%1 does not exist: it may have been moved, renamed or deleted. Choose the show again.")
            .arg(name);
    }
    if (info.isDir())
        return QObject::tr("%1 is a folder, not a show file: choose the show file (.kvq or .kvx) inside it.").arg(name);
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        return QObject::tr("%1 cannot be read (%2): check that you may read it, then choose it again.")
            .arg(name, file.errorString());
    }
    const QByteArray head = file.read(kHeadSize);
    if (head.isEmpty()) {
        return QObject::tr("%1 is empty (0 bytes) and holds no show: it was probably not saved completely. "
                           "Choose an earlier copy of the show.")
            .arg(name);
    }

    if (head.size() >= 8 && qFromLittleEndian<quint16>(head.constData()) == Quil::ShowStreamer::kGuardWord
        && qFromLittleEndian<quint16>(head.constData() + 6) == Quil::ShowStreamer::kGuardWord) {
        const QString kind = kindOfMagic(qFromLittleEndian<quint32>(head.constData() + 2));
        if (!kind.isEmpty()) {
            return QObject::tr("%1 is a version-1 show of the kind .%2, but its name %3, so it was not read as "
                               "one: rename it to end in .%2 and choose it again.")
                .arg(name, kind, nameEnding(path));
        }
        return QObject::tr("%1 is a version-1 file of a kind this converter does not read (not a show): "
                           "choose a show file (.kvq) or bundle (.kvx).")
            .arg(name);
    }
    const QString form = archiveForm(head);
    if (!form.isEmpty()) {
        if (Quil::isBundleKind(QFileInfo(path).suffix())) {
            return QObject::tr("%1 starts like %2 but cannot be read as one: it is damaged or incomplete. "
                               "Choose an earlier copy of it.")
                .arg(name, form);
        }
        return QObject::tr("%1 is %2, but only files ending in .kvx, .wvx or .jvx are opened as archives: "
                           "rename it to end in .kvx and choose it again.")
            .arg(name, form);
    }
    return QObject::tr("%1 is not a version-1 show: its first bytes are not those of a show, a bundle, a tar or a "
                       "zip archive. Choose a show file (.kvq) or bundle (.kvx).")
        .arg(name);
}

// The bundle expansion failed with the bundle reader's reason.
QString bundleAdvice(const QString& inputPath, const QString& reason)
{
    if (reason == QLatin1String(kNoShowFile))
        return noShowFileAdvice(inputPath);
    if (reason.startsWith(QLatin1String("Error writing")) || reason.startsWith(QLatin1String("Couldn't unbundle"))
        || reason.startsWith(QLatin1String("No folder"))) {
        return QObject::tr("The bundle %1 could not be expanded into a temporary folder: check that the disk has "
                           "free space, then try again.")
            .arg(quoted(inputPath));
    }
    return QObject::tr("The bundle %1 is damaged or incomplete and cannot be expanded. Choose an earlier copy of it.")
        .arg(quoted(inputPath));
}

// The reader stopped inside the show with this result.
QString readFailureAdvice(const QString& inputPath, const QString& showPath, const Quil::ShowLoadResult& result)
{
    const QString message = QString::fromStdString(result.message);
    const bool insideBundle = showPath != inputPath;
    const QString name = insideBundle
        ? QObject::tr("The show file %1 in %2").arg(quoted(QFileInfo(showPath).fileName()), quoted(inputPath))
        : QObject::tr("The show %1").arg(quoted(inputPath));
    if (message.startsWith(QLatin1String(kUnsupportedSectionPrefix))) {
        const QString section = message.mid(int(sizeof kUnsupportedSectionPrefix) - 1);
        return QObject::tr("%1 is not damaged, but it holds %2, which this version of the converter cannot convert "
                           "yet; nothing was converted. Keep the show as it is.")
            .arg(name, section);
    }
    if (message.startsWith(QLatin1String(kMarkerMismatchPrefix))) {
        // The reader takes each output node's interface configuration as
        // empty, as its layout is unknown: a node that carries one leaves the
        // reader short of the node's end marker, in a show that is whole.
        const uint marker = message.mid(int(sizeof kMarkerMismatchPrefix) - 1).trimmed().toUInt();
        if (marker == Quil::OutputNode::kStartMarker || marker == Quil::OutputNode::kEndMarker) {
            return QObject::tr("%1 could not be read past its controllers (byte %2): a controller in it keeps an "
                               "interface configuration, which this version of the converter cannot read yet. The "
                               "show is probably not damaged; nothing was converted. Keep the show as it is.")
                .arg(name, QString::number(result.position));
        }
        return QObject::tr("%1 is damaged: one of its records does not start or end where it should, at byte %2. "
                           "Choose an earlier copy of the show.")
            .arg(name, QString::number(result.position));
    }
    if (result.pastEnd) {
        const qint64 size = QFileInfo(showPath).size();
        return QObject::tr("%1 is damaged or incomplete: its content goes on past the end of the file at byte %2. "
                           "It was probably cut short while being copied or saved; choose a complete copy.")
            .arg(name, QString::number(size));
    }
    // The file is whole, but an item in it is not one this reader knows.
    return QObject::tr("%1 holds an item that this version of the converter cannot read, or a damaged item "
                       "(reading stopped at byte %2); nothing was converted. Keep the show, and try an earlier copy "
                       "of it.")
        .arg(name, QString::number(result.position));
}

}  // namespace

QString loadFailureAdvice(const QString& inputPath, const QString& showPath, const Quil::ShowLoadResult& result)
{
    const QString message = QString::fromStdString(result.message);
    switch (result.code) {
    case Quil::kShowTooNew:
        return QObject::tr("%1 was saved by a newer version of the show software than this converter reads; "
                           "nothing was converted. Use a newer version of the converter.")
            .arg(quoted(inputPath));
    case Quil::kShowReadFailed:
        return readFailureAdvice(inputPath, showPath, result);
    default:
        // A message comes from the bundle expansion; none, from a show file that did not open.
        if (!message.isEmpty())
            return bundleAdvice(inputPath, message);
        return unopenedAdvice(showPath, showPath != inputPath);
    }
}

QString archiveFailureAdvice(const QString& inputPath)
{
    return QObject::tr("The archive %1 could not be expanded: it may be damaged or incomplete, or the disk may be "
                       "full. Choose an earlier copy, or free some space and try again.")
        .arg(quoted(inputPath));
}

QString noShowFileAdvice(const QString& inputPath)
{
    return QObject::tr("%1 was opened, but it holds no version-1 show file of its kind (such as a .kvq file for a "
                       ".kvx): choose the bundle or archive that holds the show.")
        .arg(quoted(inputPath));
}

QString saveFailureAdvice(const QString& path, const QString& reason, int error)
{
    const QString name = quoted(path);
    const QString folder = QFileInfo(path).absolutePath();
    if ((error == ENOENT || error == ENOTDIR) && !QFileInfo(folder).isDir()) {
        const QString missing = QFileInfo::exists(folder)
            ? QObject::tr("%1 is a file, not a folder").arg(quoted(folder))
            : QObject::tr("the folder %1 does not exist (any more)").arg(quoted(folder));
        return QObject::tr("The project was not saved as %1: %2. Choose an existing folder, then save again.")
            .arg(name, missing);
    }
    switch (error) {
    case ENOSPC:
    case EDQUOT:
    case EFBIG:
        return QObject::tr("The project was not saved as %1: there is no room for it on that disk (%2). Free some "
                           "space there, or choose a folder on another disk, then save again.")
            .arg(name, reason);
    case EROFS:
    case EACCES:
    case EPERM:
        return QObject::tr("The project was not saved as %1: it may not be written there (%2). Choose a folder you "
                           "may write to, then save again.")
            .arg(name, reason);
    case EISDIR:
        return QObject::tr("The project was not saved as %1: that is a folder. Choose another name, then save again.")
            .arg(name);
    default:
        return QObject::tr("The project was not saved as %1: writing the project file failed (%2). Choose a folder "
                           "you may write to, check that the disk has free space, then save again.")
            .arg(name, reason);
    }
}

QString workingFolderAdvice(const QString& dataFolder)
{
    return QObject::tr("The converter keeps its working folders in %1 and could not write there, so no project was "
                       "made. Free some space on that disk, or make the folder writable, then convert the show again.")
        .arg(quoted(QDir::cleanPath(dataFolder)));
}

QString workingFolderSaveAdvice(const QString& dataFolder, const QString& folder, const QString& reason)
{
    const QString shown = QDir::toNativeSeparators(folder);
    if (reason.isNull()) {
        return QObject::tr("The project was not saved: the working folder %1, which held the converted project, is "
                           "gone (it was removed while the converter ran). The file you chose was not touched. "
                           "Convert the show again, then save it.")
            .arg(shown);
    }
    return QObject::tr("The project was not saved: the working folder %1 could not take it (%2). The file you chose "
                       "was not touched. The converter keeps its working folders in %3: free some space on that disk, "
                       "or make the folder writable, then save again.")
        .arg(shown, reason, quoted(QDir::cleanPath(dataFolder)));
}

QString missingTypesAdvice(const OnlineFixtureLibrary& online, const QString& setting)
{
    if (!online.isEnabled()) {
        return QObject::tr("Put the definitions of the show's fixture types there, or turn the online fixture library "
                           "on by setting its address under %1, then convert the show again.")
            .arg(setting);
    }
    if (!online.lastFailure().isEmpty()) {
        return QObject::tr("Put the definitions of the show's fixture types there, or check the network connection "
                           "and the online fixture library's server, which failed (%1), then convert the show again.")
            .arg(online.lastFailure());
    }
    return QObject::tr("Put the definitions of the show's fixture types there, as the online fixture library does not "
                       "hold them either, then convert the show again.");
}
