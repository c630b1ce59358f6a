// ProjectProvenance records where a project came from: a ProvenanceRecord
// (a program version, two texts and a number) under each 32-bit key.
//
// ProvenanceRecord is a plain value; ProjectProvenance is owned by the
// database like every archive object. One thread edits a copy.
#ifndef LX_OBJECTS_PROJECT_PROJECT_PROVENANCE_H
#define LX_OBJECTS_PROJECT_PROJECT_PROVENANCE_H

#include "components/archive/object.h"
#include "seltrane_components/os/version.h"

#include <QString>

#include <map>

struct ProvenanceRecord
{
    static constexpr quint32 kTypeCode = 366;

    quint32 typeCode() const { return kTypeCode; }
    void read(InStream& in);
    void write(OutStream& out) const;

    bool operator==(const ProvenanceRecord&) const = default;

    Version version;
    QString text1;
    quint16 number = 0;
    QString text2;

private:
    friend class Archive::FieldAccess;
    template <class F, class Self>
    static void fields(F& f, Self& s);
};

class ProjectProvenance : public Archive::Object<ProjectProvenance>
{
public:
    static constexpr quint32 kTypeCode = 365;

    bool operator==(const ProjectProvenance&) const = default;

    std::map<quint32, ProvenanceRecord> records;

private:
    friend class Archive::FieldAccess;
    template <class F, class Self>
    static void fields(F& f, Self& s);
};
extern template class Archive::Object<ProjectProvenance>;

#endif  // LX_OBJECTS_PROJECT_PROJECT_PROVENANCE_H
