// Bundler: expands a version-1 bundle, one file that carries a show file and
// other files under relative names, into a folder.
//
// Names are relative paths with "/" or "\" between folders; "\" is mapped to
// "/" and a name that would leave the destination (a ".." component, a
// leading separator or a drive letter) is refused. A name is an 8-bit text,
// decoded like the show's texts (UTF-8 when valid, else Windows-1252) and
// written in the file system's encoding; one holding a NUL is refused. Files
// are written as they are read; an expansion that fails leaves what it wrote
// before the error, except one stopped by the size bound (sizeLimit), which
// removes what it wrote.
// Every failure is a std::runtime_error with a fixed text; one of a file that
// cannot be written names the file and the bundle (never the destination)
// with the system's reason, and so does the bound's. An expansion opens one
// stage on the caller's tracker and moves it by the bytes read against the
// bundle's size.
//
// Thread safety: a Bundler is used by one thread; it holds only the version
// and destination of its last expansion.
#ifndef QUILSHOW_SHOW_BUNDLER_H
#define QUILSHOW_SHOW_BUNDLER_H

#include <QString>
#include <QtGlobal>

#include <string>

class ProgressTracker;

namespace Quil {

class Bundler
{
public:
    // Given the full path of a file about to be replaced: 0 overwrites it,
    // 2 cancels the whole expansion, anything else skips the file.
    typedef int (*OverwriteCallback)(const std::string& path);

    static constexpr quint32 kMagic = 0x0190BC62;

    // True when the file opens and starts with the bundle magic.
    static bool isBundle(const std::string& path);

    void unbundle(const std::string& bundlePath, const std::string& destination, ProgressTracker& progress,
                  OverwriteCallback overwriteCallback = nullptr);

    // The show file of an expanded bundle in `folder`: the top-level file
    // whose kind opens with the same file-type magic as the bundle's kind,
    // else the first file (in name order) whose header opens as a show with
    // that magic. Empty when there is none.
    static QString findShowFile(const QString& folder, const QString& bundleKind);

    quint32 version = 0;
    std::string destination;
    // Most bytes one expansion may write; negative: ExpansionGuard's default
    // for the bundle's size, within the space free at the destination.
    qint64 sizeLimit = -1;
};

}  // namespace Quil

#endif  // QUILSHOW_SHOW_BUNDLER_H
