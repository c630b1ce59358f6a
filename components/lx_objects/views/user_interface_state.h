// UserInterfaceState keeps the state of several of the design application's
// views in one object: two id lists, the marked targets, seven groups of open
// tabs (some with plan or timeline transforms), the trigger editor's values,
// the report's pair maps and the export's string sets. This system only
// streams and copies it.
//
// Owned by the database like every archive object; one thread edits a copy.
#ifndef LX_OBJECTS_VIEWS_USER_INTERFACE_STATE_H
#define LX_OBJECTS_VIEWS_USER_INTERFACE_STATE_H

#include "components/archive/object.h"
#include "components/lx_objects/fixtures/fix_or_group_key.h"
#include "components/lx_objects/views/view_values.h"

#include <QString>

#include <list>
#include <map>
#include <set>
#include <utility>
#include <vector>

class UserInterfaceState final : public Archive::Object<UserInterfaceState>
{
public:
    static constexpr quint32 kTypeCode = 103;

    std::vector<quint32> listA;
    std::vector<quint32> listB;
    std::list<std::pair<FixOrGroupKey, bool>> markedKeys;
    std::vector<quint32> group1TabIds;
    quint32 group1CurrentTabId = Archive::kNoObjectId;
    std::map<quint32, PlanTransformData> group1PlanTransforms;
    std::vector<quint32> group2TabIds;
    quint32 group2CurrentTabId = Archive::kNoObjectId;
    std::vector<quint32> group3TabIds;
    quint32 group3CurrentTabId = Archive::kNoObjectId;
    std::map<quint32, PlanTransformData> group3PlanTransforms;
    std::vector<quint32> group4TabIds;
    quint32 group4CurrentTabId = Archive::kNoObjectId;
    std::vector<quint32> group5TabIds;
    quint32 group5CurrentTabId = Archive::kNoObjectId;
    std::map<quint32, TimelineTransformData> group5TimelineTransforms;
    std::vector<quint32> group6TabIds;
    quint32 group6CurrentTabId = Archive::kNoObjectId;
    std::vector<qint32> group6IntValues;
    std::vector<std::map<quint32, std::pair<quint32, quint32>>> reportPairMaps;
    std::vector<quint32> group7TabIds;
    quint32 group7CurrentTabId = Archive::kNoObjectId;
    std::map<quint32, std::set<QString>> exportStringSets;

    bool operator==(const UserInterfaceState&) const = default;

private:
    friend class Archive::FieldAccess;
    template <class F, class Self>
    static void fields(F& f, Self& s);
};
extern template class Archive::Object<UserInterfaceState>;

#endif  // LX_OBJECTS_VIEWS_USER_INTERFACE_STATE_H
