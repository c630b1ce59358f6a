#include "components/lx_objects/programming/trigger_values.h"

#include "components/archive/fields.h"

// ---- RDKey ----

template <class F, class Self>
void RDKey::fields(F& f, Self& s)
{
    f(s.type, s.index);
}

void RDKey::read(InStream& in) { Archive::readFields(in, *this); }

void RDKey::write(OutStream& out) const { Archive::writeFields(out, *this); }

// ---- TriggerWildcard ----

template <class F, class Self>
void TriggerWildcard::fields(F& f, Self& s)
{
    f(s.kind, s.value1, s.value2);
    f.since(87, s.extra);
    f(s.value3);
}

void TriggerWildcard::read(InStream& in) { Archive::readFields(in, *this); }

void TriggerWildcard::write(OutStream& out) const { Archive::writeFields(out, *this); }

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

void SerialString::read(InStream& in) { Archive::readFields(in, *this); }

void SerialString::write(OutStream& out) const { Archive::writeFields(out, *this); }

// ---- MidiMessage ----

template <class F, class Self>
void MidiMessage::fields(F& f, Self& s)
{
    f(s.byte1, s.byte2, s.data);
}

void MidiMessage::read(InStream& in) { Archive::readFields(in, *this); }

void MidiMessage::write(OutStream& out) const { Archive::writeFields(out, *this); }

// ---- IoMTriggerData ----

template <class F, class Self>
void IoMTriggerData::fields(F& f, Self& s)
{
    f(s.typeIndex, s.moduleId, propertyMapField(s.properties));
}

void IoMTriggerData::read(InStream& in) { Archive::readFields(in, *this); }

void IoMTriggerData::write(OutStream& out) const { Archive::writeFields(out, *this); }

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
