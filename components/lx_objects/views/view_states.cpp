#include "components/lx_objects/views/view_states.h"

#include "components/archive/fields.h"

template <class F, class Self>
void ColourDataState::fields(F& f, Self& s)
{
    f(Archive::vector32(s.firstColours), Archive::vector32(s.secondColours));
}

template <class F, class Self>
void BrowserState::fields(F& f, Self& s)
{
    f(s.paths);
}

template <class F, class Self>
void InterfaceManagerState::fields(F& f, Self& s)
{
    baseFields(f, s);
    f.since(107, s.newInterface);
    f.since(75, s.newPages);
}

void InterfaceManagerState::read(InStream& in) { Archive::readFields(in, *this); }

void InterfaceManagerState::write(OutStream& out) const
{
    // A page holds a gradient: refused before anything of the state is written.
    if (!newInterface.pages.empty() || !newPages.empty())
        throwGradientHasNoLayout();
    Archive::writeFields(out, *this);
}

template <class F, class Self>
void ReportWidgetState::fields(F& f, Self& s)
{
    f(s.pairMaps);
}

template <class F, class Self>
void ExportWizardState::fields(F& f, Self& s)
{
    f(s.stringSets);
}

template <class F, class Self>
void TimelineViewState::fields(F& f, Self& s)
{
    baseFields(f, s);
    f(s.timelineTransforms);
    f.since(106, s.shortValues);
}

template <class F, class Self>
void TriggerViewState::fields(F& f, Self& s)
{
    baseFields(f, s);
    f(Archive::vector32(s.intValues));
    f.since(101, s.editorStates);
}

template <class F, class Self>
void PatchViewState::fields(F& f, Self& s)
{
    f(s.valuesByKey);
}

template class Archive::Object<ColourDataState>;

template class Archive::Object<BrowserState>;

template class Archive::Object<ReportWidgetState>;

template class Archive::Object<ExportWizardState>;

template class Archive::Object<PatchViewState>;

template class Archive::Object<TimelineViewState, AbstractTabBarState>;

template class Archive::Object<TriggerViewState, AbstractTabBarState>;
