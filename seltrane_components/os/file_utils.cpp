#include "seltrane_components/os/file_utils.h"

#include "seltrane_components/os/atomic_file.h"
#include "seltrane_components/os/report_error.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QObject>

#include <cerrno>
#include <cstring>
#include <map>

#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

const std::map<int, QString>& fileErrorTexts()
{
    static const std::map<int, QString> texts = {
        {0, QObject::tr("No error occurred")},
        {1, QObject::tr("An error occurred when reading from the file")},
        {2, QObject::tr("An error occurred when writing to the file")},
        {3, QObject::tr("A fatal error occurred")},
        {4, QObject::tr("Out of resources")},
        {5, QObject::tr("The file could not be opened")},
        {6, QObject::tr("The operation was aborted")},
        {7, QObject::tr("A timeout occurred")},
        {8, QObject::tr("An unspecified error occurred")},
        {9, QObject::tr("The file could not be removed")},
        {10, QObject::tr("The file could not be renamed")},
        {11, QObject::tr("The position in the file could not be changed")},
        {12, QObject::tr("The file could not be resized")},
        {13, QObject::tr("The file could not be accessed")},
        {14, QObject::tr("The file could not be copied")},
    };
    return texts;
}

// Removes everything inside the open folder `dirFd` (which it closes). Works
// relative to folder descriptors and never follows a link, so a link swapped
// in during the walk cannot lead it outside the tree.
bool removeContents(int dirFd)
{
    DIR* dir = ::fdopendir(dirFd);
    if (!dir) {
        ::close(dirFd);
        return false;
    }
    bool ok = true;
    while (ok) {
        errno = 0;
        const dirent* entry = ::readdir(dir);
        if (!entry) {
            ok = errno == 0;
            break;
        }
        const char* name = entry->d_name;
        if (name[0] == '.' && (name[1] == '\0' || (name[1] == '.' && name[2] == '\0')))
            continue;
        struct stat info;
        if (::fstatat(dirFd, name, &info, AT_SYMLINK_NOFOLLOW) != 0) {
            ok = false;
        } else if (S_ISDIR(info.st_mode)) {
            const int child = ::openat(dirFd, name, O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC);
            ok = child >= 0 && removeContents(child) && ::unlinkat(dirFd, name, AT_REMOVEDIR) == 0;
        } else {
            ok = ::unlinkat(dirFd, name, 0) == 0;
        }
    }
    ::closedir(dir);
    return ok;
}

}  // namespace

QString errorMessage(int code)
{
    const auto& texts = fileErrorTexts();
    const auto it = texts.find(code);
    return it != texts.end() ? it->second : QObject::tr("Unknown error");
}

const QRegularExpression& invalidFileNameExpression()
{
    static const QRegularExpression expression(QStringLiteral("[\\\\/\\?\\|\\*\\^<>:\"]"));
    return expression;
}

QString& sanitiseFileName(QString& name, QChar replacement)
{
    name.replace(invalidFileNameExpression(), QString(replacement));
    if (name.startsWith(QLatin1Char('.')))
        name.remove(0, 1);
    if (name.isEmpty() || name == QLatin1String("."))
        name = QString(replacement);
    return name;
}

QString systemErrorText(int error) { return QString::fromLocal8Bit(std::strerror(error)); }

int makeFolderPath(const QString& folder, QStringList* made)
{
    // The missing part of the path, deepest last.
    QStringList missing;
    QString path = QDir::cleanPath(folder);
    while (!QFileInfo::exists(path)) {
        missing.prepend(path);
        const QString parent = QFileInfo(path).path();
        if (parent == path)
            break;
        path = parent;
    }
    for (const QString& part : missing) {
        int error = AtomicFile::injectedError(AtomicFile::Call::MakeFolder, part);
        if (error == 0 && ::mkdir(QFile::encodeName(part).constData(), 0777) != 0)
            error = errno;
        if (error == EEXIST && QFileInfo(part).isDir())
            continue;  // made meanwhile
        if (error != 0)
            return error;
        if (made)
            made->append(part);
    }
    return QFileInfo(folder).isDir() ? 0 : ENOTDIR;
}

bool removeDirectoryRecursively(const QString& path, bool keepFolder)
{
    if (!path.startsWith(QLatin1Char('/'))) {
        reportError(QStringLiteral("Tried to delete non-absolute path %1").arg(path).toStdString(), 58,
                    "seltrane_components\\os\\file_system");
        return false;
    }
    // A trailing slash would make the system follow a link at the end of the path.
    QString cleaned = path;
    while (cleaned.size() > 1 && cleaned.endsWith(QLatin1Char('/')))
        cleaned.chop(1);
    if (cleaned == QLatin1String("/"))
        return false;
    const QByteArray native = QFile::encodeName(cleaned);

    struct stat info;
    if (::lstat(native.constData(), &info) != 0)
        return false;
    if (!S_ISDIR(info.st_mode)) {
        // A link to a folder is the caller's folder only by name: keep it
        // when asked to keep the folder.
        if (keepFolder && S_ISLNK(info.st_mode))
            return false;
        return ::unlink(native.constData()) == 0;
    }
    const int dirFd = ::open(native.constData(), O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC);
    if (dirFd < 0 || !removeContents(dirFd))
        return false;
    return keepFolder || ::rmdir(native.constData()) == 0;
}
