#include "components/lx_objects/programming/trigger_values.h"

#include "components/archive/fields.h"

// ---- RDKey ----

void RDKey::read(InStream& in) { in >> type >> index; }

void RDKey::write(OutStream& out) const { out << type << index; }

// ---- TriggerWildcard ----

void TriggerWildcard::read(InStream& in)
{
    *this = TriggerWildcard();
    Archive::FieldReader r(in);
    r(kind, value1, value2).since(87, extra)(value3);
}

void TriggerWildcard::write(OutStream& out) const
{
    Archive::FieldWriter w(out);
    w(kind, value1, value2).since(87, extra)(value3);
}

bool TriggerWildcard::operator==(const TriggerWildcard& other) const
{
    return kind == other.kind && value1 == other.value1 && value2 == other.value2 && extra == other.extra
        && value3 == other.value3;
}

// ---- SerialString ----

void SerialString::clear()
{
    bytes.clear();
    wildcards.clear();
}

void SerialString::read(InStream& in) { in >> bytes >> wildcards; }

void SerialString::write(OutStream& out) const { out << bytes << wildcards; }

// ---- MidiMessage ----

void MidiMessage::read(InStream& in) { in >> byte1 >> byte2 >> data; }

void MidiMessage::write(OutStream& out) const { out << byte1 << byte2 << data; }

// ---- IoMTriggerData ----

void IoMTriggerData::read(InStream& in)
{
    in >> typeIndex >> moduleId;
    readPropertyMap(in, properties);
}

void IoMTriggerData::write(OutStream& out) const
{
    out << typeIndex << moduleId;
    writePropertyMap(out, properties);
}

InStream& operator>>(InStream& in, std::shared_ptr<IoMTriggerData>& data)
{
    if (!data)
        data = std::make_shared<IoMTriggerData>();
    data->read(in);
    return in;
}

OutStream& operator<<(OutStream& out, const std::shared_ptr<IoMTriggerData>& data)
{
    if (data)
        data->write(out);
    else
        IoMTriggerData().write(out);
    return out;
}

void copyIoMTriggerData(std::shared_ptr<IoMTriggerData>& target, const std::shared_ptr<IoMTriggerData>& source)
{
    if (!source) {
        target.reset();
        return;
    }
    if (&target == &source)
        return;
    // A target that shares the source's data gets its own.
    if (!target || target == source)
        target = std::make_shared<IoMTriggerData>(*source);
    else
        *target = *source;
}

// ---- id lists ----

InStream& operator>>(InStream& in, IdList<std::list<int>> field)
{
    in.beginSection(StreamCode::List);
    const quint32 count = in.readCount();
    for (quint32 i = 0; i < count; ++i) {
        quint32 id = 0;
        in >> id;
        in.checkStatus();
        field.ids.push_back(int(id));
    }
    in.endSection(StreamCode::List);
    return in;
}

OutStream& operator<<(OutStream& out, IdList<const std::list<int>> field)
{
    return out << Archive::elementsStoredAs<quint32>(field.ids);
}

OutStream& operator<<(OutStream& out, IdList<std::list<int>> field)
{
    return out << IdList<const std::list<int>> {field.ids};
}
