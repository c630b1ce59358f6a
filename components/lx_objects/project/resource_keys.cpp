#include "components/lx_objects/project/resource_keys.h"

#include "components/archive/fields.h"

template <class F, class Self>
void ResourceKeys::fields(F& f, Self& s)
{
    f(s.keys);
}

void ResourceKeys::read(InStream& in)
{
    // The older form has a word in front of the map; no version marks it.
    if (in.peekSection() != StreamCode::Map) {
        quint32 unused = 0;
        in >> unused;
    }
    Archive::readFields(in, *this);
}

void ResourceKeys::write(OutStream& out) const { Archive::writeFields(out, *this); }
