#include "components/lx_objects/media/font_data.h"

#include "components/archive/fields.h"

template <class F, class Self>
void FontData::fields(F& f, Self& s)
{
    f(s.name, s.number, s.family, s.size, s.styleFlags);
    f.since(137, s.option);
    f(s.bitmap);
}

template class Archive::Object<FontData>;
