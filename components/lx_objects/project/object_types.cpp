#include "components/lx_objects/project/object_types.h"

#include "components/archive/type_registry.h"
#include "components/lx_objects/controllers/content_mask.h"
#include "components/lx_objects/controllers/controller.h"
#include "components/lx_objects/project/directories.h"
#include "components/lx_objects/media/frame_array.h"
#include "components/lx_objects/project/resource_keys.h"

#include <mutex>

namespace {

// The project's codes 100 to 382, in ascending order.
void registerProjectTypes()
{
    using namespace ObjectRegistry;
    const Record records[] = {
        objectRecord<Controller>(111, QStringLiteral("Controller")),
        objectRecord<FrameArray>(167, QStringLiteral("FrameArray")),
        objectRecord<TriggerDirectory>(170, QStringLiteral("TriggerDirectory")),
        objectRecord<DaliSceneDirectory>(201, QStringLiteral("DaliSceneDirectory")),
        objectRecord<ResourceKeys>(211, QStringLiteral("ResourceKeys")),
        valueRecord<ContentMask>(258, QStringLiteral("ContentMask")),
    };
    for (const Record& record : records)
        registerType(record);
}

}  // namespace

void registerObjectTypes()
{
    static std::once_flag once;
    std::call_once(once, [] {
        ObjectRegistry::registerCoreTypes();
        registerDirectoryBaseType();
        registerProjectTypes();
    });
}
