// ProjectCreatorInfo is the record of the program that created a project
// database. It travels opaque to the database, as the extra bytes of its
// header: the creator serialises it with operator<< into a QByteArray.
//
// A plain value type; any thread.
#ifndef LX_OBJECTS_PROJECT_PROJECT_CREATOR_INFO_H
#define LX_OBJECTS_PROJECT_PROJECT_CREATOR_INFO_H

#include "seltrane_components/os/version.h"

#include <QByteArray>
#include <QString>
#include <QtGlobal>

class QDataStream;

struct ProjectCreatorInfo
{
    qint32 recordVersion = 1;
    Version programVersion;
    QString text;  // null unless a creator has something to say

    // The record as the database header's extra bytes.
    QByteArray toByteArray() const;
};

// The record in the form the database header carries.
QDataStream& operator<<(QDataStream& stream, const ProjectCreatorInfo& info);

#endif  // LX_OBJECTS_PROJECT_PROJECT_CREATOR_INFO_H
