#include "components/lx_objects/controllers/iom_instance.h"

#include "components/archive/fields.h"

template <class F, class Self>
void IoMInstance::fields(F& f, Self& s)
{
    f(s.moduleId);
    f.since(142, Archive::storedAs<quint32>(s.controller));
    f(propertyMapField(s.properties), s.name, s.number);
}

template class Archive::Object<IoMInstance>;
