#include "components/lx_objects/programming/trigger_values.h"

#include "components/archive/fields.h"

// ---- RDKey ----

template <class F, class Self>
void RDKey::fields(F& f, Self& s)
{
    f(s.type, s.index);
}

void RDKey::read(InStream& in)
{
    Archive::FieldReader r(in);
    fields(r, *this);
}

void RDKey::write(OutStream& out) const
{
    Archive::FieldWriter w(out);
    fields(w, *this);
}

// ---- TriggerWildcard ----

template <class F, class Self>
void TriggerWildcard::fields(F& f, Self& s)
{
    f(s.kind, s.value1, s.value2).since(87, s.extra)(s.value3);
}

void TriggerWildcard::read(InStream& in)
{
    *this = TriggerWildcard();
    Archive::FieldReader r(in);
    fields(r, *this);
}

void TriggerWildcard::write(OutStream& out) const
{
    Archive::FieldWriter w(out);
    fields(w, *this);
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

template <class F, class Self>
void SerialString::fields(F& f, Self& s)
{
    f(s.bytes, s.wildcards);
}

void SerialString::read(InStream& in)
{
    Archive::FieldReader r(in);
    fields(r, *this);
}

void SerialString::write(OutStream& out) const
{
    Archive::FieldWriter w(out);
    fields(w, *this);
}

// ---- MidiMessage ----

template <class F, class Self>
void MidiMessage::fields(F& f, Self& s)
{
    f(s.byte1, s.byte2, s.data);
}

void MidiMessage::read(InStream& in)
{
    Archive::FieldReader r(in);
    fields(r, *this);
}

void MidiMessage::write(OutStream& out) const
{
    Archive::FieldWriter w(out);
    fields(w, *this);
}

// ---- IoMTriggerData ----

template <class F, class Self>
void IoMTriggerData::fields(F& f, Self& s)
{
    f(s.typeIndex, s.moduleId, propertyMapField(s.properties));
}

void IoMTriggerData::read(InStream& in)
{
    Archive::FieldReader r(in);
    fields(r, *this);
}

void IoMTriggerData::write(OutStream& out) const
{
    Archive::FieldWriter w(out);
    fields(w, *this);
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
