#include "components/lx_objects/project/project_replication.h"

#include "components/archive/fields.h"

template <class F, class Self>
void ProjectReplication::fields(F& f, Self& s)
{
    f(s.name, s.uuid);
}

void ProjectReplication::read(InStream& in) { Archive::readFields(in, *this); }

void ProjectReplication::write(OutStream& out) const { Archive::writeFields(out, *this); }
