// The shared part of the persisted view states: the tabs a view has open and
// its current tab (AbstractTabBarState), and for plan views the transform of
// each open plan (AbstractPlanState). Neither is registered; a concrete state
// streams the base's fields first, then its own.
//
// TabBarStateOf gives the states that hold nothing beyond their base their
// own class and code.
//
// Owned by the database like every archive object; one thread edits a copy.
#ifndef LX_OBJECTS_VIEWS_ABSTRACT_TAB_BAR_STATE_H
#define LX_OBJECTS_VIEWS_ABSTRACT_TAB_BAR_STATE_H

#include "components/archive/fields.h"
#include "components/archive/object_base.h"
#include "components/lx_objects/views/view_values.h"

#include <map>
#include <vector>

class AbstractTabBarState : public Archive::ObjectBase
{
public:
    void read(InStream& in) override = 0;
    void write(OutStream& out) const override = 0;
    quint32 typeCode() const override = 0;

    std::vector<quint32> tabIds;                  // object ids, in tab order
    quint32 currentTabId = Archive::kNoObjectId;  // an object id, not an index

    bool operator==(const AbstractTabBarState&) const = default;

protected:
    template <class F, class Self>
    static void baseFields(F& f, Self& s)
    {
        f(Archive::vector32(s.tabIds), s.currentTabId);
    }
};

class AbstractPlanState : public AbstractTabBarState
{
public:
    std::map<quint32, PlanTransformData> planTransforms;  // by plan id

    bool operator==(const AbstractPlanState&) const = default;

protected:
    template <class F, class Self>
    static void baseFields(F& f, Self& s)
    {
        AbstractTabBarState::baseFields(f, s);
        f(s.planTransforms);
    }
};

template <quint32 Code, class Base>
class TabBarStateOf final : public Base
{
public:
    static constexpr quint32 kTypeCode = Code;

    void read(InStream& in) override { Archive::readFields(in, *this); }
    void write(OutStream& out) const override { Archive::writeFields(out, *this); }
    quint32 typeCode() const override { return kTypeCode; }
    TabBarStateOf* clone() const override { return new TabBarStateOf(*this); }

    bool operator==(const TabBarStateOf&) const = default;

private:
    friend class Archive::FieldAccess;
    template <class F, class Self>
    static void fields(F& f, Self& s)
    {
        Base::baseFields(f, s);
    }
};

using LayoutManagerState = TabBarStateOf<261, AbstractPlanState>;
using PixelMatrixViewState = TabBarStateOf<265, AbstractPlanState>;
using DaliViewState = TabBarStateOf<266, AbstractTabBarState>;
using IoMManagerState = TabBarStateOf<330, AbstractTabBarState>;

#endif  // LX_OBJECTS_VIEWS_ABSTRACT_TAB_BAR_STATE_H
