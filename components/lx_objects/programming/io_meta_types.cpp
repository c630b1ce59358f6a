#include "components/lx_objects/programming/io_meta_types.h"

#include "components/archive/in_stream.h"
#include "components/archive/out_stream.h"

#include <mutex>

QDataStream& operator<<(QDataStream& stream, const IoMVariable& variable)
{
    return stream << qint8(variable.type) << qint16(variable.index);
}

QDataStream& operator>>(QDataStream& stream, IoMVariable& variable)
{
    qint8 type = 0;
    qint16 index = 0;
    stream >> type >> index;
    variable.type = quint8(type);
    variable.index = quint16(index);
    return stream;
}

void registerIoMetaTypes()
{
    static std::once_flag once;
    std::call_once(once, [] {
        qRegisterMetaType<IoMVariable>("IoMVariable");
        qRegisterMetaTypeStreamOperators<IoMVariable>("IoMVariable");
        // Without it QVariant compares the raw bytes, padding included.
        QMetaType::registerEqualsComparator<IoMVariable>();
    });
}

void readPropertyMap(InStream& in, IoMPropertyMap& map)
{
    registerIoMetaTypes();
    in >> map;
}

void writePropertyMap(OutStream& out, const IoMPropertyMap& map)
{
    registerIoMetaTypes();
    out << map;
}
