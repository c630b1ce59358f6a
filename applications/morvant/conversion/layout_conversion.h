// The plan layout of a converted project, made from the version-1 show
// settings: the plan size, background colour and image, and grid. The
// conversion puts the one value into the project's layout and its project
// properties alike.
//
// GUI thread only: the background image is registered with the process-wide
// resource registry.
#ifndef APPLICATIONS_MORVANT_CONVERSION_LAYOUT_CONVERSION_H
#define APPLICATIONS_MORVANT_CONVERSION_LAYOUT_CONVERSION_H

#include "components/lx_objects/project/layout.h"

#include <QString>

class ConversionReport;

namespace Quil {
class ShowSettings;
}

// The resource category the plan's background image is counted under.
constexpr unsigned kPlanImageCategory = 2;

// The background image is looked for where the show says: a relative path
// against showFolder, the folder of the show file (never the process's
// current folder). A file that reads as an image is registered and counted
// once per call. One that does not exist, or that Qt's image reader does not
// read as an image, leaves the image id null and its path empty, and is
// reported: no other kind of file is ever packed into a project.
LayoutProperties convertLayoutProperties(const Quil::ShowSettings& settings, const QString& showFolder,
                                         ConversionReport& report);

#endif  // APPLICATIONS_MORVANT_CONVERSION_LAYOUT_CONVERSION_H
