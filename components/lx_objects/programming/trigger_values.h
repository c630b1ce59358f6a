// The small values that trigger, trigger action and trigger condition bodies
// embed: a remote device (RDKey), a serial string with its placeholders, MIDI
// messages (bodies keep a vector), the IO-module part of a body, and the id
// lists of a trigger's conditions and actions. Reading an id list appends to
// the list; owners that replace their lists empty them first.
//
// Bodies hold IoMTriggerData through an Archive::ValuePtr that is null
// except for their family's IO-module type, so copies of a body never share
// it and compare it by value.
//
// Plain values; one thread uses an object at a time.
#ifndef LX_OBJECTS_PROGRAMMING_TRIGGER_VALUES_H
#define LX_OBJECTS_PROGRAMMING_TRIGGER_VALUES_H

#include "components/archive/stream_fwd.h"
#include "components/archive/value_ptr.h"
#include "components/lx_objects/programming/io_meta_types.h"

#include <QtGlobal>

#include <list>
#include <memory>
#include <type_traits>
#include <vector>

struct RDKey
{
    static constexpr quint32 kTypeCode = 162;
    static constexpr quint8 kNoDevice = 255;
    static constexpr quint8 kLocalDevice = 100;

    quint8 type = kNoDevice;  // 100 local, 101 to 108 remote kinds
    quint8 index = 0;         // the number of the device of that kind

    quint32 typeCode() const { return kTypeCode; }
    void read(InStream& in);
    void write(OutStream& out) const;

    bool operator==(const RDKey&) const = default;

private:
    friend class Archive::FieldAccess;
    template <class F, class Self>
    static void fields(F& f, Self& s);
};

// One placeholder of a serial string.
struct TriggerWildcard
{
    static constexpr quint32 kTypeCode = 168;

    quint8 kind = 0;  // 0 to 4
    quint16 value1 = 0;
    quint16 value2 = 0;
    quint32 extra = 0;
    quint16 value3 = 0;

    quint32 typeCode() const { return kTypeCode; }
    void read(InStream& in);
    void write(OutStream& out) const;

    bool operator==(const TriggerWildcard&) const = default;

private:
    friend class Archive::FieldAccess;
    template <class F, class Self>
    static void fields(F& f, Self& s);
};

struct SerialString
{
    static constexpr quint32 kTypeCode = 164;

    std::vector<quint8> bytes;
    std::vector<TriggerWildcard> wildcards;

    bool isEmpty() const { return bytes.empty() && wildcards.empty(); }
    void clear();

    quint32 typeCode() const { return kTypeCode; }
    void read(InStream& in);
    void write(OutStream& out) const;

    bool operator==(const SerialString&) const = default;

private:
    friend class Archive::FieldAccess;
    template <class F, class Self>
    static void fields(F& f, Self& s);
};

struct MidiMessage
{
    static constexpr quint32 kTypeCode = 163;

    quint8 byte1 = 0;
    quint8 byte2 = 0;
    std::vector<quint8> data;

    quint32 typeCode() const { return kTypeCode; }
    void read(InStream& in);
    void write(OutStream& out) const;

    bool operator==(const MidiMessage&) const = default;

private:
    friend class Archive::FieldAccess;
    template <class F, class Self>
    static void fields(F& f, Self& s);
};

// The IO-module part of a body: which type of which module, and its
// property values.
struct IoMTriggerData
{
    quint16 typeIndex = 0xFFFF;
    quint32 moduleId = 0xFFFFFFFF;
    IoMPropertyMap properties;

    void read(InStream& in);
    void write(OutStream& out) const;

    bool operator==(const IoMTriggerData&) const = default;

private:
    friend class Archive::FieldAccess;
    template <class F, class Self>
    static void fields(F& f, Self& s);
};

// A list of object ids as a stream value: in >> idList(ids) appends what the
// data holds, out << idList(ids) writes the list.
template <class L>
struct IdList
{
    L& ids;
};

template <class L>
IdList<L> idList(L& ids)
{
    static_assert(std::is_same<std::remove_const_t<L>, std::list<int>>::value, "id lists are std::list<int>");
    return IdList<L> {ids};
}

InStream& operator>>(InStream& in, IdList<std::list<int>> field);
OutStream& operator<<(OutStream& out, IdList<const std::list<int>> field);
OutStream& operator<<(OutStream& out, IdList<std::list<int>> field);

#endif  // LX_OBJECTS_PROGRAMMING_TRIGGER_VALUES_H
