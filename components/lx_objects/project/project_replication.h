// ProjectReplication (array 42) names a project that this one is replicated
// to: a name and the project's identifier.
//
// Owned by the database like every archive object; one thread edits a copy.
#ifndef LX_OBJECTS_PROJECT_PROJECT_REPLICATION_H
#define LX_OBJECTS_PROJECT_PROJECT_REPLICATION_H

#include "components/archive/object_base.h"

#include <QString>
#include <QUuid>

class ProjectReplication : public Archive::ObjectBase
{
public:
    static constexpr quint32 kTypeCode = 336;
    static constexpr Archive::ArrayId kArrayId = 42;

    void read(InStream& in) override;
    void write(OutStream& out) const override;
    quint32 typeCode() const override { return kTypeCode; }
    ProjectReplication* clone() const override { return new ProjectReplication(*this); }

    bool operator==(const ProjectReplication&) const = default;

    QString name;
    QUuid uuid;

private:
    friend class Archive::FieldAccess;
    template <class F, class Self>
    static void fields(F& f, Self& s);
};

#endif  // LX_OBJECTS_PROJECT_PROJECT_REPLICATION_H
