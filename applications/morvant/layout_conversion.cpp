#include "applications/morvant/layout_conversion.h"

#include "components/archive/resource_registry.h"
#include "components/quilshow/show/show_settings.h"

#include <QFile>
#include <QFileInfo>

#include <algorithm>
#include <limits>

namespace {

// The plan's size is held as a signed number.
int planExtent(quint32 stored) { return int(std::min<quint32>(stored, std::numeric_limits<int>::max())); }

}  // namespace

LayoutProperties convertLayoutProperties(const Quil::ShowSettings& settings)
{
    LayoutProperties properties;
    properties.size = QSize(planExtent(settings.planWidth), planExtent(settings.planHeight));
    const Quil::ShowColour& colour = settings.backgroundColour;
    properties.backgroundColour = 0xFF000000u | quint32(colour.r) << 16 | quint32(colour.g) << 8 | colour.b;
    // The load resolved a path relative to the show against the show's folder.
    const QString imagePath = QFile::decodeName(settings.backgroundImagePath.c_str());
    if (!imagePath.isEmpty() && QFileInfo(imagePath).isFile()) {
        ResourceRegistry* registry = ResourceRegistry::instance();
        properties.backgroundImageId = registry->addFile(imagePath);
        registry->updateUsage(properties.backgroundImageId, kPlanImageCategory, true);
        properties.backgroundImagePath = imagePath;
    }
    properties.backgroundMode = 3;
    properties.gridVisible = settings.gridVisible;
    // A grid of no spacing would never end; stored layouts read it as 1 too.
    properties.gridSpacing = std::max<quint32>(settings.gridSpacing, 1);
    return properties;
}
