// The sibling product's media resources (namespace Vux): a resource and the
// three-word key that names it. Read, copied and written back unchanged;
// their numbered fields carry no meaning here.
//
// Owned by the database like every archive object (the key is a plain value);
// one thread edits a copy.
#ifndef LX_OBJECTS_VUX_MEDIA_RESOURCE_H
#define LX_OBJECTS_VUX_MEDIA_RESOURCE_H

#include "components/archive/object.h"

#include <QString>
#include <QUuid>

namespace Vux {

struct MediaResourceKey
{
    static constexpr quint32 kTypeCode = 376;

    quint32 partA = 0xFFFFFFFF;
    quint32 partB = 0xFFFFFFFF;
    quint32 partC = 0xFFFFFFFF;

    quint32 typeCode() const { return kTypeCode; }
    void read(InStream& in);
    void write(OutStream& out) const;

    bool operator==(const MediaResourceKey&) const = default;

private:
    friend class Archive::FieldAccess;
    template <class F, class Self>
    static void fields(F& f, Self& s);
};

class MediaResource final : public Archive::Object<MediaResource>
{
public:
    static constexpr quint32 kTypeCode = 377;

    MediaResourceKey key;
    quint32 valueA = 0xFFFFFFFF;
    quint32 valueB = 254;
    quint32 valueC = 0;
    QUuid uuid;
    quint32 valueD = 0;
    QString name;

    bool operator==(const MediaResource&) const = default;

private:
    friend class Archive::FieldAccess;
    template <class F, class Self>
    static void fields(F& f, Self& s);
};

}  // namespace Vux

extern template class Archive::Object<Vux::MediaResource>;

#endif  // LX_OBJECTS_VUX_MEDIA_RESOURCE_H
