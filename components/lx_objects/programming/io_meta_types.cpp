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

namespace {

// A device's kind and number travel as one 16-bit word, kind in the high byte.
qint16 deviceWord(quint8 deviceType, quint8 deviceNumber) { return qint16(quint16(deviceType << 8 | deviceNumber)); }

template <class Resource>
void writeIndexed(QDataStream& stream, const Resource& resource)
{
    stream << qint32(resource.index) << deviceWord(resource.deviceType, resource.deviceNumber);
}

template <class Resource>
void readIndexed(QDataStream& stream, Resource& resource)
{
    qint32 index = 0;
    qint16 word = 0;
    stream >> index >> word;
    resource.index = index;
    resource.deviceType = quint8(quint16(word) >> 8);
    resource.deviceNumber = quint8(word);
}

template <class T>
void registerIoMetaType(const char* name)
{
    qRegisterMetaType<T>(name);
    qRegisterMetaTypeStreamOperators<T>(name);
    // Without it QVariant compares the raw bytes, padding included.
    QMetaType::registerEqualsComparator<T>();
}

}  // namespace

QDataStream& operator<<(QDataStream& stream, const SerialResource& resource)
{
    return stream << deviceWord(resource.deviceType, resource.deviceNumber);
}

QDataStream& operator>>(QDataStream& stream, SerialResource& resource)
{
    qint16 word = 0;
    stream >> word;
    resource.deviceType = quint8(quint16(word) >> 8);
    resource.deviceNumber = quint8(word);
    return stream;
}

QDataStream& operator<<(QDataStream& stream, const DigitalInputResource& resource)
{
    writeIndexed(stream, resource);
    return stream;
}

QDataStream& operator>>(QDataStream& stream, DigitalInputResource& resource)
{
    readIndexed(stream, resource);
    return stream;
}

QDataStream& operator<<(QDataStream& stream, const DigitalOutputResource& resource)
{
    writeIndexed(stream, resource);
    return stream;
}

QDataStream& operator>>(QDataStream& stream, DigitalOutputResource& resource)
{
    readIndexed(stream, resource);
    return stream;
}

QDataStream& operator<<(QDataStream& stream, const AnalogInputResource& resource)
{
    writeIndexed(stream, resource);
    return stream;
}

QDataStream& operator>>(QDataStream& stream, AnalogInputResource& resource)
{
    readIndexed(stream, resource);
    return stream;
}

void registerIoMetaTypes()
{
    static std::once_flag once;
    std::call_once(once, [] {
        registerIoMetaType<SerialResource>("SerialResource");
        registerIoMetaType<DigitalInputResource>("DigitalInputResource");
        registerIoMetaType<DigitalOutputResource>("DigitalOutputResource");
        registerIoMetaType<AnalogInputResource>("AnalogInputResource");
        registerIoMetaType<IoMVariable>("IoMVariable");
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
