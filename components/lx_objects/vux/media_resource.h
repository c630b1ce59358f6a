// The sibling product's media resources (namespace Vux): a resource and the
// three-word key that names it. Read, copied and written back unchanged;
// their numbered fields carry no meaning here.
//
// Owned by the database like every archive object (the key is a plain value);
// one thread edits a copy.
#ifndef LX_OBJECTS_VUX_MEDIA_RESOURCE_H
#define LX_OBJECTS_VUX_MEDIA_RESOURCE_H

#include "components/archive/object_base.h"

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

class MediaResource final : public Archive::ObjectBase
{
public:
    static constexpr quint32 kTypeCode = 377;

    void read(InStream& in) override;
    void write(OutStream& out) const override;
    quint32 typeCode() const override { return kTypeCode; }
    MediaResource* clone() const override { return new MediaResource(*this); }

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

#endif  // LX_OBJECTS_VUX_MEDIA_RESOURCE_H
