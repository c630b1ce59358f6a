// The Qt meta types that IO-module property maps carry inside QVariant
// values, and the one stream form of such a map.
//
// IoMVariable names a variable of an IO module: a type and an index.
//
// The resource types name one input or output of a device: its kind and
// number (the shape of a remote-device key, kind 255 meaning none) and, but
// for a serial port, the index of the input or output on it. Their registered
// names ("SerialResource", "DigitalInputResource", "DigitalOutputResource",
// "AnalogInputResource") and QDataStream forms are part of stored projects.
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

struct SerialResource
{
    quint8 deviceType = 255;
    quint8 deviceNumber = 0;

    bool operator==(const SerialResource&) const = default;
};

// The inputs and outputs that a device numbers: one record shape, three
// meta types.
struct IndexedIoResource
{
    quint8 deviceType = 255;
    quint8 deviceNumber = 0;
    qint32 index = 0;

    bool operator==(const IndexedIoResource&) const = default;
};

struct DigitalInputResource : IndexedIoResource
{
    bool operator==(const DigitalInputResource&) const = default;
};

struct DigitalOutputResource : IndexedIoResource
{
    bool operator==(const DigitalOutputResource&) const = default;
};

struct AnalogInputResource : IndexedIoResource
{
    bool operator==(const AnalogInputResource&) const = default;
};

Q_DECLARE_METATYPE(IoMVariable)
Q_DECLARE_METATYPE(SerialResource)
Q_DECLARE_METATYPE(DigitalInputResource)
Q_DECLARE_METATYPE(DigitalOutputResource)
Q_DECLARE_METATYPE(AnalogInputResource)

QDataStream& operator<<(QDataStream& stream, const IoMVariable& variable);
QDataStream& operator>>(QDataStream& stream, IoMVariable& variable);
QDataStream& operator<<(QDataStream& stream, const SerialResource& resource);
QDataStream& operator>>(QDataStream& stream, SerialResource& resource);
QDataStream& operator<<(QDataStream& stream, const DigitalInputResource& resource);
QDataStream& operator>>(QDataStream& stream, DigitalInputResource& resource);
QDataStream& operator<<(QDataStream& stream, const DigitalOutputResource& resource);
QDataStream& operator>>(QDataStream& stream, DigitalOutputResource& resource);
QDataStream& operator<<(QDataStream& stream, const AnalogInputResource& resource);
QDataStream& operator>>(QDataStream& stream, AnalogInputResource& resource);

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
