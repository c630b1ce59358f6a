#include "components/lx_objects/vux/media_resource.h"

#include "components/archive/fields.h"

namespace Vux {

template <class F, class Self>
void MediaResourceKey::fields(F& f, Self& s)
{
    f(s.partA, s.partB, s.partC);
}

void MediaResourceKey::read(InStream& in) { Archive::readFields(in, *this); }

void MediaResourceKey::write(OutStream& out) const { Archive::writeFields(out, *this); }

template <class F, class Self>
void MediaResource::fields(F& f, Self& s)
{
    f(s.key, s.valueA, s.valueB, s.valueC, s.uuid, s.valueD, s.name);
}

}  // namespace Vux

template class Archive::Object<Vux::MediaResource>;
