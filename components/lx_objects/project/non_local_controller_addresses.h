// NonLocalControllerAddresses lists the IPv4 addresses (dotted text) of
// controllers that a project reaches beyond its local network.
//
// Owned by the database like every archive object; one thread edits a copy.
#ifndef LX_OBJECTS_PROJECT_NON_LOCAL_CONTROLLER_ADDRESSES_H
#define LX_OBJECTS_PROJECT_NON_LOCAL_CONTROLLER_ADDRESSES_H

#include "components/archive/object.h"

#include <QString>

#include <set>

class NonLocalControllerAddresses : public Archive::Object<NonLocalControllerAddresses>
{
public:
    static constexpr quint32 kTypeCode = 212;

    bool operator==(const NonLocalControllerAddresses&) const = default;

    std::set<QString> addresses;

private:
    friend class Archive::FieldAccess;
    template <class F, class Self>
    static void fields(F& f, Self& s);
};
extern template class Archive::Object<NonLocalControllerAddresses>;

#endif  // LX_OBJECTS_PROJECT_NON_LOCAL_CONTROLLER_ADDRESSES_H
