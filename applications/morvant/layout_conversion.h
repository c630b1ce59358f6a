// The plan layout of a converted project, made from the version-1 show
// settings: the plan size, background colour and image, and grid. The
// conversion puts the one value into the project's layout and its project
// properties alike.
//
// GUI thread only: the background image is registered with the process-wide
// resource registry.
#ifndef APPLICATIONS_MORVANT_LAYOUT_CONVERSION_H
#define APPLICATIONS_MORVANT_LAYOUT_CONVERSION_H

#include "components/lx_objects/project/layout.h"

namespace Quil {
class ShowSettings;
}

// The resource category the plan's background image is counted under.
constexpr unsigned kPlanImageCategory = 2;

// A background image file that exists is registered and counted once per
// call; one that does not exist leaves the image id null and its path empty.
LayoutProperties convertLayoutProperties(const Quil::ShowSettings& settings);

#endif  // APPLICATIONS_MORVANT_LAYOUT_CONVERSION_H
