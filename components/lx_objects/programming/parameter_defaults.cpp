#include "components/lx_objects/programming/parameter_defaults.h"

#include "components/archive/archive_directory.h"

namespace {

// The arrays whose only object a default names.
constexpr Archive::ArrayId kSceneArray = 6;
constexpr Archive::ArrayId kDaliInterfaceArray = 12;
constexpr Archive::ArrayId kTimelineArray = 14;

quint32 onlyObject(Archive::ArrayId array) { return singleObjectId(array, 0); }

}  // namespace

quint64 defaultValue(const ParameterDefault& entry, bool altDefaults)
{
    const quint64 value = altDefaults ? entry.altValue : entry.value;
    switch (entry.source) {
    case DefaultSource::Value:
        return value;
    case DefaultSource::Timeline:
        return onlyObject(kTimelineArray);
    case DefaultSource::Scene:
        return onlyObject(kSceneArray);
    case DefaultSource::DaliInterface:
        return onlyObject(kDaliInterfaceArray);
    case DefaultSource::DaliBroadcast:
        return (value & ~quint64(0xFF)) | (onlyObject(kDaliInterfaceArray) & 0xFFu);
    }
    return value;
}

quint32 onlyDaliInterfaceId() { return onlyObject(kDaliInterfaceArray); }

bool oneOfTypes(int type, std::initializer_list<int> types)
{
    for (const int t : types) {
        if (t == type)
            return true;
    }
    return false;
}

bool inOneGroup(int oldType, int newType, std::initializer_list<std::initializer_list<int>> groups)
{
    for (const auto& group : groups) {
        if (oneOfTypes(oldType, group) && oneOfTypes(newType, group))
            return true;
    }
    return false;
}
