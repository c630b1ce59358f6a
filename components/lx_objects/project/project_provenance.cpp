#include "components/lx_objects/project/project_provenance.h"

#include "components/archive/fields.h"

namespace {

// A version travels as its four bytes in a byte array.
template <class V>
struct VersionBytes
{
    V& version;
};

InStream& operator>>(InStream& in, VersionBytes<Version> field)
{
    QByteArray bytes;
    in >> bytes;
    field.version = Version::fromByteArray(bytes);
    return in;
}

OutStream& operator<<(OutStream& out, VersionBytes<const Version> field) { return out << field.version.toByteArray(); }

template <class V>
VersionBytes<V> versionBytes(V& version)
{
    return VersionBytes<V> {version};
}

}  // namespace

template <class F, class Self>
void ProvenanceRecord::fields(F& f, Self& s)
{
    f(versionBytes(s.version), s.text1, s.number, s.text2);
}

void ProvenanceRecord::read(InStream& in) { Archive::readFields(in, *this); }

void ProvenanceRecord::write(OutStream& out) const { Archive::writeFields(out, *this); }

template <class F, class Self>
void ProjectProvenance::fields(F& f, Self& s)
{
    f(s.records);
}

template class Archive::Object<ProjectProvenance>;
