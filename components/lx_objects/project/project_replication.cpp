#include "components/lx_objects/project/project_replication.h"

#include "components/archive/fields.h"

template <class F, class Self>
void ProjectReplication::fields(F& f, Self& s)
{
    f(s.name, s.uuid);
}

template class Archive::Object<ProjectReplication>;
