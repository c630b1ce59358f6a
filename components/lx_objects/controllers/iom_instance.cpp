#include "components/lx_objects/controllers/iom_instance.h"

#include "components/archive/fields.h"

template <class F, class Self>
void IoMInstance::fields(F& f, Self& s)
{
    f(s.moduleId);
    f.since(142, Archive::storedAs<quint32>(s.controller));
    f(propertyMapField(s.properties), s.name, s.number);
}

void IoMInstance::read(InStream& in) { Archive::readFields(in, *this); }

void IoMInstance::write(OutStream& out) const { Archive::writeFields(out, *this); }
