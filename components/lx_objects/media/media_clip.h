// MediaClip (array 7) is one media file of the project: its name, its clip
// number, the resource-registry id of the file and the file's path as the
// show gave it. Clips older than version 62 named their file by a number,
// which the reader parks in mediaClipSideTable().
//
// Owned by the database like every archive object; one thread edits a copy.
#ifndef LX_OBJECTS_MEDIA_MEDIA_CLIP_H
#define LX_OBJECTS_MEDIA_MEDIA_CLIP_H

#include "components/archive/object.h"
#include "components/lx_objects/common/upgrade_side_table.h"

#include <QString>
#include <QUuid>

class MediaClip : public Archive::Object<MediaClip>
{
public:
    static constexpr quint32 kTypeCode = 180;
    static constexpr Archive::ArrayId kArrayId = 7;

    bool operator==(const MediaClip&) const = default;

    QString name;
    quint32 number = 0;
    QUuid resourceId;  // null when the clip names no file
    QString filePath;

private:
    friend class Archive::FieldAccess;
    template <class F, class Self>
    static void fields(F& f, Self& s);
};
extern template class Archive::Object<MediaClip>;

// The file numbers of clips older than version 62, by clip id.
UpgradeSideTable<quint32, quint32>& mediaClipSideTable();

#endif  // LX_OBJECTS_MEDIA_MEDIA_CLIP_H
