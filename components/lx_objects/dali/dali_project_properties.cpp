#include "components/lx_objects/dali/dali_project_properties.h"

#include "components/archive/fields.h"

template <class F, class Self>
void DaliProjectProperties::fields(F& f, Self& s)
{
    f(s.settings);
}

void DaliProjectProperties::setTestSchedule(int index, const DaliTestSchedule& schedule)
{
    if (index == 0)
        settings.schedule1 = schedule;
    else if (index == 1)
        settings.schedule2 = schedule;
}

template class Archive::Object<DaliProjectProperties>;
