// The small values that trigger, trigger action and trigger condition bodies
// embed, each streamed as a block of its own registry code:
//
//   RDKey (162)            a remote device: kind and number of that kind
//   SerialString (164)     fixed bytes and TriggerWildcard placeholders (168)
//   MidiMessage (163)      two bytes and a data vector; bodies keep a vector
//   IoMTriggerData         the IO-module part of a body (no block of its own)
//
// and the id lists of a trigger's conditions and actions (list section 7,
// u32 count, u32 ids). Reading an id list appends to the list; owners that
// replace their lists empty them first.
//
// Bodies hold IoMTriggerData through a shared pointer that is null except
// for their family's IO-module type; copying a body copies the data
// (copyIoMTriggerData), so two bodies never share it.
//
// Plain values; one thread uses an object at a time.
#ifndef LX_OBJECTS_PROGRAMMING_TRIGGER_VALUES_H
#define LX_OBJECTS_PROGRAMMING_TRIGGER_VALUES_H

#include "components/lx_objects/programming/io_meta_types.h"

#include <QtGlobal>

#include <list>
#include <memory>
#include <type_traits>
#include <vector>

class InStream;
class OutStream;

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

    bool operator==(const RDKey& other) const { return type == other.type && index == other.index; }
    bool operator!=(const RDKey& other) const { return !(*this == other); }

private:
    template <class F, class Self>
    static void fields(F& f, Self& s);
};

// One placeholder of a serial string. Data older than version 87 has no
// `extra` word; it stays 0.
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

    bool operator==(const TriggerWildcard& other) const;
    bool operator!=(const TriggerWildcard& other) const { return !(*this == other); }

private:
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

    bool operator==(const SerialString& other) const { return bytes == other.bytes && wildcards == other.wildcards; }
    bool operator!=(const SerialString& other) const { return !(*this == other); }

private:
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

    bool operator==(const MidiMessage& other) const
    {
        return byte1 == other.byte1 && byte2 == other.byte2 && data == other.data;
    }
    bool operator!=(const MidiMessage& other) const { return !(*this == other); }

private:
    template <class F, class Self>
    static void fields(F& f, Self& s);
};

// The IO-module part of a body: which type of which module, and its
// property values. Stream form: u16, u32, then the property map.
struct IoMTriggerData
{
    quint16 typeIndex = 0xFFFF;
    quint32 moduleId = 0xFFFFFFFF;
    IoMPropertyMap properties;

    void read(InStream& in);
    void write(OutStream& out) const;

    bool operator==(const IoMTriggerData& other) const
    {
        return typeIndex == other.typeIndex && moduleId == other.moduleId && properties == other.properties;
    }

private:
    template <class F, class Self>
    static void fields(F& f, Self& s);
};

// A body's holder as a stream value: null writes the data of a new holder,
// and a read into null makes one.
InStream& operator>>(InStream& in, std::shared_ptr<IoMTriggerData>& data);
OutStream& operator<<(OutStream& out, const std::shared_ptr<IoMTriggerData>& data);

// target gets its own copy of source's data, or null when source has none.
void copyIoMTriggerData(std::shared_ptr<IoMTriggerData>& target, const std::shared_ptr<IoMTriggerData>& source);

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
