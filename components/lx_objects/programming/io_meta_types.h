// The Qt meta types that IO-module property maps carry inside QVariant
// values, and the one stream form of such a map.
//
// IoMVariable names a variable of an IO module: a type and an index.
//
// registerIoMetaTypes() registers every IO meta type with Qt, with its stream
// operators and its equality (QVariant compares unregistered types byte by
// byte); start-up and the map readers and writers call it first, so a stored
// value of those types can be read wherever a map is. Idempotent; any thread.
//
// readPropertyMap replaces the map; a value of a type without stream
// operators fails the read with the stream's error.
#ifndef LX_OBJECTS_PROGRAMMING_IO_META_TYPES_H
#define LX_OBJECTS_PROGRAMMING_IO_META_TYPES_H

#include <QDataStream>
#include <QMap>
#include <QMetaType>
#include <QString>
#include <QVariant>

class InStream;
class OutStream;

struct IoMVariable
{
    int type = 0;  // stored as 8 bits, read back unsigned
    quint16 index = 0xFFFF;

    bool operator==(const IoMVariable&) const = default;
};

Q_DECLARE_METATYPE(IoMVariable)

QDataStream& operator<<(QDataStream& stream, const IoMVariable& variable);
QDataStream& operator>>(QDataStream& stream, IoMVariable& variable);

void registerIoMetaTypes();

using IoMPropertyMap = QMap<QString, QVariant>;

void readPropertyMap(InStream& in, IoMPropertyMap& map);
void writePropertyMap(OutStream& out, const IoMPropertyMap& map);

// The property map as an entry of a field list: f(propertyMapField(s.properties)).
template <class M>
struct PropertyMapField
{
    M& map;
};

template <class M>
PropertyMapField<M> propertyMapField(M& map)
{
    return PropertyMapField<M> {map};
}

inline InStream& operator>>(InStream& in, PropertyMapField<IoMPropertyMap> field)
{
    readPropertyMap(in, field.map);
    return in;
}

inline OutStream& operator<<(OutStream& out, PropertyMapField<const IoMPropertyMap> field)
{
    writePropertyMap(out, field.map);
    return out;
}

#endif  // LX_OBJECTS_PROGRAMMING_IO_META_TYPES_H
