#include "components/archive/object_base.h"

#include "components/archive/in_stream.h"
#include "components/archive/out_stream.h"
#include "components/archive/stream_codes.h"

namespace Archive {

void ObjectBase::read(InStream&) {}

void ObjectBase::write(OutStream&) const {}

quint32 ObjectBase::typeCode() const
{
    return StreamCode::ObjectBase;
}

ObjectBase::~ObjectBase() = default;

ObjectBase* ObjectBase::clone() const
{
    return nullptr;
}

} // namespace Archive

void ObjectTag::read(InStream& in)
{
    in >> second >> third >> first;
}

void ObjectTag::write(OutStream& out) const
{
    out << second << third << first;
}
