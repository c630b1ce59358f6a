#include "components/lx_objects/project/project_provenance.h"

#include "components/archive/fields.h"

namespace {

// A version travels as its four bytes in a byte array.
struct VersionAsBytes
{
    using Stored = QByteArray;
    static QByteArray store(const Version& v) { return v.toByteArray(); }
    static Version load(const QByteArray& bytes) { return Version::fromByteArray(bytes); }
};

}  // namespace

template <class F, class Self>
void ProvenanceRecord::fields(F& f, Self& s)
{
    f(Archive::storedVia<VersionAsBytes>(s.version), s.text1, s.number, s.text2);
}

void ProvenanceRecord::read(InStream& in) { Archive::readFields(in, *this); }

void ProvenanceRecord::write(OutStream& out) const { Archive::writeFields(out, *this); }

template <class F, class Self>
void ProjectProvenance::fields(F& f, Self& s)
{
    f(s.records);
}

template class Archive::Object<ProjectProvenance>;
