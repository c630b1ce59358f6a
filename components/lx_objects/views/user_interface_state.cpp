#include "components/lx_objects/views/user_interface_state.h"

#include "components/archive/fields.h"

using Archive::vector32;

template <class F, class Self>
void UserInterfaceState::fields(F& f, Self& s)
{
    f(vector32(s.listA), vector32(s.listB), s.markedKeys);
    f(vector32(s.group1TabIds), s.group1CurrentTabId, s.group1PlanTransforms);
    f(vector32(s.group2TabIds), s.group2CurrentTabId);
    f(vector32(s.group3TabIds), s.group3CurrentTabId, s.group3PlanTransforms);
    f.since(62, vector32(s.group4TabIds), s.group4CurrentTabId);
    f(vector32(s.group5TabIds), s.group5CurrentTabId, s.group5TimelineTransforms);
    f(vector32(s.group6TabIds), s.group6CurrentTabId, vector32(s.group6IntValues));
    f(vector32(s.group7TabIds), s.group7CurrentTabId);
    // The stored layout keeps the report's maps after the last tab group.
    f.since(2, s.reportPairMaps);
    f.since(18, s.exportStringSets);
}

template class Archive::Object<UserInterfaceState>;
