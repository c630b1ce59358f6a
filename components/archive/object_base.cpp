#include "components/archive/object_base.h"

#include "components/archive/fields.h"
#include "components/archive/in_stream.h"
#include "components/archive/out_stream.h"
#include "components/archive/stream_codes.h"

namespace Archive {

void ObjectBase::read(InStream&) {}

void ObjectBase::write(OutStream&) const {}

quint32 ObjectBase::typeCode() const { return StreamCode::ObjectBase; }

ObjectBase::~ObjectBase() = default;

ObjectBase* ObjectBase::clone() const { return nullptr; }

}  // namespace Archive

// Stored in the order second, third, first.
template <class F, class Self>
void ObjectTag::fields(F& f, Self& s)
{
    f(s.second, s.third, s.first);
}

void ObjectTag::read(InStream& in) { Archive::readFields(in, *this); }

void ObjectTag::write(OutStream& out) const { Archive::writeFields(out, *this); }
