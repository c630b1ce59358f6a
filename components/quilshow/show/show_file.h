// Loading a version-1 show file for the application: one call that takes the
// input path and its kind, expands a version-1 bundle when the file is one,
// and loads the show into the one global show (Quil::_gpShow), whose items
// the caller then walks; destroyShow(true) drops it again.
//
// The caller owns `bundleFolder` (an empty folder that must outlive the
// conversion, since the show's resources are resolved inside it).
// Thread safety: GUI thread only, like the show.
#ifndef QUILSHOW_SHOW_SHOW_FILE_H
#define QUILSHOW_SHOW_SHOW_FILE_H

#include "components/quilshow/show/show_base.h"

#include <QString>

class ProgressTracker;

namespace Quil {

// Replaces any loaded show by the show of `path`. `kind` ("kvq", "kvx", ...)
// selects the expected file-type magic; an empty kind takes the path's
// suffix. A bundle that fails to expand, or holds no show, gives code 1 with
// the reason as message; otherwise the result is that of loadShow.
ShowLoadResult loadShowFile(const QString& path, const QString& kind, const QString& bundleFolder,
                            ProgressTracker& progress);

}  // namespace Quil

#endif  // QUILSHOW_SHOW_SHOW_FILE_H
