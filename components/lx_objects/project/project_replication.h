// ProjectReplication (array 42) names a project that this one is replicated
// to: a name and the project's identifier.
//
// Owned by the database like every archive object; one thread edits a copy.
#ifndef LX_OBJECTS_PROJECT_PROJECT_REPLICATION_H
#define LX_OBJECTS_PROJECT_PROJECT_REPLICATION_H

#include "components/archive/object.h"

#include <QString>
#include <QUuid>

class ProjectReplication : public Archive::Object<ProjectReplication>
{
public:
    static constexpr quint32 kTypeCode = 336;
    static constexpr Archive::ArrayId kArrayId = 42;

    bool operator==(const ProjectReplication&) const = default;

    QString name;
    QUuid uuid;

private:
    friend class Archive::FieldAccess;
    template <class F, class Self>
    static void fields(F& f, Self& s);
};
extern template class Archive::Object<ProjectReplication>;

#endif  // LX_OBJECTS_PROJECT_PROJECT_REPLICATION_H
