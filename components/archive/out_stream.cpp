#include "components/archive/out_stream.h"

#include "components/archive/type_registry.h"

#include <stdexcept>

OutStream::OutStream(quint16 version)
    : version_(version)
{
    // Every stream needs the names of its own codes.
    ObjectRegistry::registerCoreTypes();
}

OutStream::~OutStream() = default;

void OutStream::writeCount(std::size_t count)
{
    if (count > 0xFFFFFFFFu)
        throw std::length_error("Container too large to stream");
    *this << quint32(count);
}

void writeObjectPointer(OutStream& out, const Archive::ObjectBase* object)
{
    if (!object) {
        out.beginSection(StreamCode::Null, false);
        out.endSection(StreamCode::Null);
        return;
    }
    const quint32 code = object->typeCode();
    out.beginSection(code, true);
    object->write(out);
    out.endSection(code);
}
