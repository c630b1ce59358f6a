#include "components/lx_objects/project/resource_keys.h"

#include "components/archive/in_stream.h"
#include "components/archive/out_stream.h"

void ResourceKeys::read(InStream& in)
{
    if (in.peekSection() != StreamCode::Map) {
        quint32 unused = 0;
        in >> unused;
    }
    in >> keys;
}

void ResourceKeys::write(OutStream& out) const
{
    out << keys;
}
