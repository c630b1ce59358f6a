// File-system helpers: the texts of QFileDevice and system errors, cleaning of file
// names, making folders with the system's reason, and link-safe recursive
// removal of folders.
//
// Thread safety: every function may be called from any thread; the error
// table is built once on first use.
#ifndef SELTRANE_COMPONENTS_OS_FILE_UTILS_H
#define SELTRANE_COMPONENTS_OS_FILE_UTILS_H

#include <QChar>
#include <QRegularExpression>
#include <QString>
#include <QStringList>

// The header line of the text object stream.
inline constexpr char kTextStreamHeader[] = "<?xml version=\"1.0\" encoding=\"UTF-16\" standalone=\"yes\" ?>";

// The text of a QFileDevice::FileError code, translated; "Unknown error" for a
// code that is not one of them.
QString errorMessage(int code);

// The system's reason for the errno `error`, in words ("No space left on
// device").
QString systemErrorText(int error);

// Matches each character that may not appear in a file name: \ / ? | * ^ < > : "
const QRegularExpression& invalidFileNameExpression();

// Replaces every invalid character by `replacement`, then removes one leading
// "."; a result of "" or "." becomes the replacement character alone.
// Returns `name`.
QString& sanitiseFileName(QString& name, QChar replacement);

// Makes folder with every missing parent, as QDir::mkpath does, but keeps
// why it failed: 0 once the folder is there, else the errno of the step that
// failed ("No space left on device", ENOTDIR when a file is in the way).
// Each folder made is appended to *made when given, parents first. Asks the
// test seam of AtomicFile before each folder it makes.
int makeFolderPath(const QString& folder, QStringList* made = nullptr);

// Removes what is at the absolute `path`: a file or a symbolic link as itself
// (a link is never followed), a folder with everything below it (or only its
// contents when keepFolder is set). Stops at the first failure and returns
// false; also false when nothing exists there. A relative path is reported
// and refused, as is the root folder. Changes no permissions.
bool removeDirectoryRecursively(const QString& path, bool keepFolder = false);

#endif  // SELTRANE_COMPONENTS_OS_FILE_UTILS_H
