// File-system helpers: the texts of QFileDevice errors, cleaning of file
// names, and link-safe recursive removal of folders.
//
// Thread safety: every function may be called from any thread; the error
// table is built once on first use.
#ifndef SELTRANE_COMPONENTS_OS_FILE_UTILS_H
#define SELTRANE_COMPONENTS_OS_FILE_UTILS_H

#include <QChar>
#include <QRegularExpression>
#include <QString>

// The header line of the text object stream.
inline constexpr char kTextStreamHeader[] = "<?xml version=\"1.0\" encoding=\"UTF-16\" standalone=\"yes\" ?>";

// The text of a QFileDevice::FileError code, translated; "Unknown error" for a
// code that is not one of them.
QString errorMessage(int code);

// Matches each character that may not appear in a file name: \ / ? | * ^ < > : "
const QRegularExpression& invalidFileNameExpression();

// Replaces every invalid character by `replacement`, then removes one leading
// "."; a result of "" or "." becomes the replacement character alone.
// Returns `name`.
QString& sanitiseFileName(QString& name, QChar replacement);

// Removes what is at the absolute `path`: a file or a symbolic link as itself
// (a link is never followed), a folder with everything below it (or only its
// contents when keepFolder is set). Stops at the first failure and returns
// false; also false when nothing exists there. A relative path is reported
// and refused, as is the root folder. Changes no permissions.
bool removeDirectoryRecursively(const QString& path, bool keepFolder = false);

#endif  // SELTRANE_COMPONENTS_OS_FILE_UTILS_H
