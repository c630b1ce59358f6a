#include "components/lx_objects/project/project_creator_info.h"

#include <QDataStream>
#include <QIODevice>

QByteArray ProjectCreatorInfo::toByteArray() const
{
    QByteArray bytes;
    QDataStream stream(&bytes, QIODevice::WriteOnly);
    stream << *this;
    return bytes;
}

QDataStream& operator<<(QDataStream& stream, const ProjectCreatorInfo& info)
{
    return stream << info.recordVersion << info.programVersion.toByteArray() << info.text;
}
