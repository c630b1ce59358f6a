// DaliScene (array 13) is a named set of light levels for DALI fixtures, by
// the fixture's object id. The project's DaliSceneDirectory gives each scene
// its user number.
//
// Owned by the database like every archive object; one thread edits a copy.
#ifndef LX_OBJECTS_DALI_DALI_SCENE_H
#define LX_OBJECTS_DALI_DALI_SCENE_H

#include "components/archive/object.h"

#include <QString>

#include <map>

class DaliScene : public Archive::Object<DaliScene>
{
public:
    static constexpr quint32 kTypeCode = 133;
    static constexpr Archive::ArrayId kArrayId = 13;

    bool operator==(const DaliScene&) const = default;

    QString name;
    std::map<quint32, quint8> levels;  // a fixture met twice in a stream keeps the level read last

private:
    friend class Archive::FieldAccess;
    template <class F, class Self>
    static void fields(F& f, Self& s);
};
extern template class Archive::Object<DaliScene>;

#endif  // LX_OBJECTS_DALI_DALI_SCENE_H
