#include "components/lx_objects/vux/panorama.h"

#include "components/archive/fields.h"

namespace Vux {

template <class F, class Self>
void Panorama::fields(F& f, Self& s)
{
    f(s.name, s.valueA, s.size, s.valueB, s.uuid, s.text, Archive::storedAs<quint8>(s.mode), s.flag, s.colour);
    f(s.valueC, s.valueD);
}

void Panorama::afterRead(InStream&)
{
    if (valueC == 0)
        valueC = 1;
}

template <class F, class Self>
void PanoramaContentInstance::fields(F& f, Self& s)
{
    f(s.idA, s.idB, s.idC, s.idD);
    f.since(152, s.uuid);
    f(s.mode, s.position, s.sizeA, s.sizeB, s.sizeC, s.sizeD, s.valueE);
}

template <class F, class Self>
void ProjectViewState::fields(F& f, Self& s)
{
    f(s.valuesByKey, s.valueA, s.flag);
}

template <class F, class Self>
void ScheduleViewState::fields(F& f, Self& s)
{
    f(s.location);
}

}  // namespace Vux

template class Archive::Object<Vux::Panorama>;
template class Archive::Object<Vux::PanoramaContentInstance>;
template class Archive::Object<Vux::ProjectViewState>;
template class Archive::Object<Vux::ScheduleViewState>;
