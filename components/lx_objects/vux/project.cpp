#include "components/lx_objects/vux/project.h"

#include "components/archive/fields.h"

#include <tuple>

namespace Vux {

InStream& operator>>(InStream& in, IdPair& pair) { return in >> pair.first >> pair.second; }

OutStream& operator<<(OutStream& out, const IdPair& pair) { return out << pair.first << pair.second; }

template <class F, class Self>
void Project::fields(F& f, Self& s)
{
    f(s.name, s.uuidA, s.uuidB, s.value, s.text, s.pairSets, s.pairNames);
}

template <class F, class Self>
void OverrideProperties::fields(F& f, Self& s)
{
    f(s.valueA, s.valueB, s.valueC, s.valueD, s.flag);
}

template <class F, class Self>
void PasswordKey::fields(F& f, Self& s)
{
    f(s.kind, s.name);
}

void PasswordKey::read(InStream& in) { Archive::readFields(in, *this); }

void PasswordKey::write(OutStream& out) const { Archive::writeFields(out, *this); }

bool PasswordKey::operator<(const PasswordKey& other) const
{
    return std::tie(kind, name) < std::tie(other.kind, other.name);
}

template <class F, class Self>
void PasswordStore::fields(F& f, Self& s)
{
    f(s.entries);
}

}  // namespace Vux

template class Archive::Object<Vux::Project>;
template class Archive::Object<Vux::OverrideProperties>;
template class Archive::Object<Vux::PasswordStore>;
