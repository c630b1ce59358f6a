#include "components/lx_objects/interface/interface_font.h"

#include "components/archive/fields.h"

template <class F, class Self>
void InterfaceFont::fields(F& f, Self& s)
{
    f(s.name, s.number);
    f.since(120, s.variant);
    f(s.resource, s.fileName);
}

template class Archive::Object<InterfaceFont>;
