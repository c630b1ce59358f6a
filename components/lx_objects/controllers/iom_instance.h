// IoMInstance (array 41) is one use of an IO module in a project: the module
// it instantiates, the controller it runs on, its property values, a name
// and a number.
//
// Property values may hold the IO meta types (io_meta_types.h); the map's
// stream form registers them first.
//
// Owned by the database like every archive object; one thread edits a copy.
#ifndef LX_OBJECTS_CONTROLLERS_IOM_INSTANCE_H
#define LX_OBJECTS_CONTROLLERS_IOM_INSTANCE_H

#include "components/archive/object.h"
#include "components/lx_objects/programming/io_meta_types.h"

#include <QString>

class IoMInstance : public Archive::Object<IoMInstance>
{
public:
    static constexpr quint32 kTypeCode = 281;
    static constexpr Archive::ArrayId kArrayId = 41;

    bool operator==(const IoMInstance&) const = default;

    quint32 moduleId = 0xFFFFFFFF;
    qint32 controller = -4;  // data older than 142 names none and keeps -4
    IoMPropertyMap properties;
    QString name;
    quint16 number = 0;

private:
    friend class Archive::FieldAccess;
    template <class F, class Self>
    static void fields(F& f, Self& s);
};
extern template class Archive::Object<IoMInstance>;

#endif  // LX_OBJECTS_CONTROLLERS_IOM_INSTANCE_H
