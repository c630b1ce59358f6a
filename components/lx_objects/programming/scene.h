// Scene is a named, stored look (array 6): the levels with their fade and
// skew, the values of DALI elements by key, a number, a link and two
// options. The conversion makes one scene per version-1 palette.
//
// DaliEl is the value of one DALI element: a kind and as many of its three
// value bytes as the kind uses (kind 0 one, 1 three, 2 two, others none),
// then an extra byte.
//
// Owned by the database like every archive object; one thread edits a copy.
#ifndef LX_OBJECTS_PROGRAMMING_SCENE_H
#define LX_OBJECTS_PROGRAMMING_SCENE_H

#include "components/archive/object.h"
#include "components/lx_objects/programming/look.h"

#include <QString>

#include <array>
#include <map>

struct DaliEl
{
    static constexpr quint32 kTypeCode = 275;

    quint32 typeCode() const { return kTypeCode; }
    void read(InStream& in);
    void write(OutStream& out) const;

    bool operator==(const DaliEl&) const = default;

    quint8 kind = 255;
    std::array<quint8, 3> values {255, 255, 255};
    quint8 extra = 255;

private:
    friend class Archive::FieldAccess;
    template <class F, class Self>
    static void fields(F& f, Self& s);
};

class Scene : public Archive::Object<Scene>
{
public:
    static constexpr quint32 kTypeCode = 191;
    static constexpr Archive::ArrayId kArrayId = 6;

    // The look fades in 200 ms.
    Scene();

    bool operator==(const Scene&) const = default;

    QString name;
    quint16 number = 0xFFFF;
    qint32 linkId = -1;
    Look look;
    std::map<quint32, DaliEl> daliEls;
    quint16 option1 = 1;
    quint16 option2 = 1;

private:
    friend class Archive::FieldAccess;
    template <class F, class Self>
    static void fields(F& f, Self& s);
};
extern template class Archive::Object<Scene>;

#endif  // LX_OBJECTS_PROGRAMMING_SCENE_H
