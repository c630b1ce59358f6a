// The kinds (file name suffixes) of version-1 show files and the file-type
// magic each one carries in its header. One table serves the loader and the
// bundle's show-file search.
//
// Thread safety: constant data; any thread.
#ifndef QUILSHOW_SHOW_SHOW_KINDS_H
#define QUILSHOW_SHOW_SHOW_KINDS_H

#include <QString>
#include <QtGlobal>

namespace Quil {

// The file-type magic expected for a show of `kind` (case-insensitive, without
// the dot): 0x8484 for kvq/kvx, 0x9393 for wvq/wvx, 0x7575 for jvq/jvx, else 0.
quint32 fileTypeMagicForKind(const QString& kind);

// True for the kinds whose files are bundles (kvx, wvx, jvx; case-insensitive).
bool isBundleKind(const QString& kind);

}  // namespace Quil

#endif  // QUILSHOW_SHOW_SHOW_KINDS_H
