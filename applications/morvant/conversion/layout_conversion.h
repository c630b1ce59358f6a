// The plan layout of a converted project, made from the version-1 show
// settings: the plan size, background colour and image, and grid. The
// conversion puts the one value into the project's layout and its project
// properties alike.
//
// GUI thread only: the background image is registered with the process-wide
// resource registry.
#ifndef APPLICATIONS_MORVANT_CONVERSION_LAYOUT_CONVERSION_H
#define APPLICATIONS_MORVANT_CONVERSION_LAYOUT_CONVERSION_H

#include "applications/morvant/conversion/plan_image_check.h"
#include "components/lx_objects/project/layout.h"

#include <QString>

class ConversionReport;

namespace Quil {
class ShowSettings;
}

// The resource category the plan's background image is counted under.
constexpr unsigned kPlanImageCategory = 2;

// A show that came out of a bundle or archive: the file the user chose, and
// the temporary folder it was expanded into, which is gone once the
// conversion ends. Both empty for a show file of its own.
struct ShowBundle
{
    QString path;
    QString folder;
};

// The background image is looked for where the show's stored path leads,
// decoded as the show's other texts (UTF-8 when valid, else Windows-1252;
// backslashes are separators): a relative path against showFolder, the
// folder of the show file (never the process's current folder); an absolute
// Windows path (a drive letter, or a leading backslash; "C:plan.png" as well)
// by its file name beside the show. Where no file has the exact name, one
// whose name differs only in case is taken, as Windows would (the first in
// name order). In a bundle, a path that leads out of it (by "..", an absolute
// path or a link) is refused. A file that passes PlanImageCheck is registered
// and counted once per call. Anything else leaves the image id null and its
// path empty, and is reported with the path as the show stores it and where
// it was looked for: no other kind of file is ever packed into a project.
// Nothing of a bundle's temporary folder appears in a message or in the
// layout, which keeps the image's path within the bundle.
LayoutProperties convertLayoutProperties(const Quil::ShowSettings& settings, const QString& showFolder,
                                         ConversionReport& report, const ShowBundle& bundle = ShowBundle());

#endif  // APPLICATIONS_MORVANT_CONVERSION_LAYOUT_CONVERSION_H
