// ResourceKeys is a project object that maps 32-bit keys to resource texts.
//
// Owned by the database like every archive object; one thread edits a copy.
#ifndef LX_OBJECTS_PROJECT_RESOURCE_KEYS_H
#define LX_OBJECTS_PROJECT_RESOURCE_KEYS_H

#include "components/archive/object_base.h"

#include <QString>

#include <map>

class ResourceKeys : public Archive::ObjectBase
{
public:
    static constexpr quint32 kTypeCode = 211;

    void read(InStream& in) override;
    void write(OutStream& out) const override;
    quint32 typeCode() const override { return kTypeCode; }
    ResourceKeys* clone() const override { return new ResourceKeys(*this); }

    std::map<quint32, QString> keys;

    bool operator==(const ResourceKeys&) const = default;

private:
    friend class Archive::FieldAccess;
    template <class F, class Self>
    static void fields(F& f, Self& s);
};

#endif  // LX_OBJECTS_PROJECT_RESOURCE_KEYS_H
