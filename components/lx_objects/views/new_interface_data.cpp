#include "components/lx_objects/views/new_interface_data.h"

#include "components/archive/fields.h"

template <class F, class Self>
void NavigationButtonData::fields(F& f, Self& s)
{
    f(Archive::storedAs<quint8>(s.kind), s.targetId);
}

void NavigationButtonData::read(InStream& in) { Archive::readFields(in, *this); }

void NavigationButtonData::write(OutStream& out) const { Archive::writeFields(out, *this); }

template <class F, class Self>
void NewInterfacePageData::fields(F& f, Self& s)
{
    f(s.name, s.idA, s.bytesA, s.idB, s.flag, s.textA, s.gradient, s.idC, Archive::storedAs<quint8>(s.modeA));
    f(s.bytesB, s.textB, Archive::storedAs<quint8>(s.modeB), Archive::storedAs<quint8>(s.modeC), s.valueD, s.idD);
    f(s.idSet, s.navigationButtons);
}

// Every page holds a gradient: until it has a stored form, a page refuses
// before anything of it is read or written.
void NewInterfacePageData::read(InStream& in)
{
    throwGradientHasNoLayout();
    Archive::readFields(in, *this);
}

void NewInterfacePageData::write(OutStream& out) const
{
    throwGradientHasNoLayout();
    Archive::writeFields(out, *this);
}

template <class F, class Self>
void NewInterfaceData::fields(F& f, Self& s)
{
    f(s.name, Archive::storedAs<quint8>(s.mode), s.textA, s.textB, s.textC, s.pages, s.idSet);
}

void NewInterfaceData::read(InStream& in) { Archive::readFields(in, *this); }

void NewInterfaceData::write(OutStream& out) const
{
    if (!pages.empty())
        throwGradientHasNoLayout();  // before anything of the draft is written
    Archive::writeFields(out, *this);
}
