#include "components/lx_objects/vux/panorama.h"

#include "components/archive/fields.h"

namespace Vux {

template <class F, class Self>
void Panorama::fields(F& f, Self& s)
{
    f(s.name, s.valueA, s.size, s.valueB, s.uuid, s.text, Archive::storedAs<quint8>(s.mode), s.flag, s.colour);
    f(s.valueC, s.valueD);
}

void Panorama::read(InStream& in)
{
    Archive::readFields(in, *this);
    if (valueC == 0)
        valueC = 1;
}

void Panorama::write(OutStream& out) const { Archive::writeFields(out, *this); }

template <class F, class Self>
void PanoramaContentInstance::fields(F& f, Self& s)
{
    f(s.idA, s.idB, s.idC, s.idD);
    f.since(152, s.uuid);
    f(s.mode, s.position, s.sizeA, s.sizeB, s.sizeC, s.sizeD, s.valueE);
}

void PanoramaContentInstance::read(InStream& in) { Archive::readFields(in, *this); }

void PanoramaContentInstance::write(OutStream& out) const { Archive::writeFields(out, *this); }

template <class F, class Self>
void ProjectViewState::fields(F& f, Self& s)
{
    f(s.valuesByKey, s.valueA, s.flag);
}

void ProjectViewState::read(InStream& in) { Archive::readFields(in, *this); }

void ProjectViewState::write(OutStream& out) const { Archive::writeFields(out, *this); }

template <class F, class Self>
void ScheduleViewState::fields(F& f, Self& s)
{
    f(s.location);
}

void ScheduleViewState::read(InStream& in) { Archive::readFields(in, *this); }

void ScheduleViewState::write(OutStream& out) const { Archive::writeFields(out, *this); }

}  // namespace Vux
