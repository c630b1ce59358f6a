// ObjectFolder (array 28) is one folder of the project browser: a name, the
// objects it holds (by ObjectTag, in the user's order), its parent folder and
// its child folders (object ids of array 28; -1 for no parent).
//
// Owned by the database like every archive object; one thread edits a copy.
#ifndef LX_OBJECTS_PROJECT_OBJECT_FOLDER_H
#define LX_OBJECTS_PROJECT_OBJECT_FOLDER_H

#include "components/archive/object.h"

#include <QList>
#include <QString>

class ObjectFolder : public Archive::Object<ObjectFolder>
{
public:
    static constexpr quint32 kTypeCode = 179;
    static constexpr Archive::ArrayId kArrayId = 28;

    // A tag already held keeps its place; a new one goes in at `position`,
    // or last when position lies beyond the end. Answers the tag's index.
    int addObject(const ObjectTag& tag, quint32 position);

    bool operator==(const ObjectFolder&) const = default;

    QString name;
    QList<ObjectTag> objects;
    int parent = -1;
    QList<int> childFolders;

private:
    friend class Archive::FieldAccess;
    template <class F, class Self>
    static void fields(F& f, Self& s);
};
extern template class Archive::Object<ObjectFolder>;

#endif  // LX_OBJECTS_PROJECT_OBJECT_FOLDER_H
