// The parameter block of trigger, action and condition bodies, and the rows
// that say how each body type streams it.
//
// ParameterBlock<N> is N bytes, 8-byte aligned, with little-endian typed
// accessors at a byte offset. Each body type lays its parameters over the
// block; a type change leaves the bytes that the new type does not set, so
// a block can carry bytes an earlier type left.
//
// A ParameterRow is the ordered list of what a body type streams after its
// common head: block values (an offset and a stream width) and the body's
// value members (remote-device key, serial string, text, MIDI messages,
// calendar mask, IO-module data). An item may be present only for some
// values read before it (a selector) or only from a version on, with a hook
// that reads the older form. bodyParameterFields() walks a row with a field
// reader or writer, so the read and write of a body cannot drift apart.
//
// A body passed to bodyParameterFields has the members `parameters`,
// `remoteDevice`, `serialString`, `text`, `midiMessages`, `mask` and
// `ioModuleData` (an Archive::ValuePtr<IoMTriggerData>, made when read).
//
// Plain values and constant tables; any thread.
#ifndef LX_OBJECTS_PROGRAMMING_PARAMETER_BLOCK_H
#define LX_OBJECTS_PROGRAMMING_PARAMETER_BLOCK_H

#include "components/archive/fields.h"
#include "components/lx_objects/programming/date_time_mask.h"
#include "components/lx_objects/programming/trigger_values.h"

#include <QtGlobal>

#include <array>
#include <cstddef>
#include <memory>
#include <stdexcept>
#include <type_traits>
#include <vector>

template <std::size_t N>
struct ParameterBlock
{
    alignas(8) std::array<quint8, N> bytes {};

    // Little-endian at offset; offset + sizeof(T) must lie within the block.
    template <class T>
    T get(std::size_t offset) const
    {
        static_assert(std::is_integral<T>::value, "integer parameters only");
        checkRange(offset, sizeof(T));
        using U = std::make_unsigned_t<T>;
        U value = 0;
        for (std::size_t i = 0; i < sizeof(T); ++i)
            value = U(value | (U(bytes[offset + i]) << (8 * i)));
        return T(value);
    }

    template <class T>
    void set(std::size_t offset, T value)
    {
        static_assert(std::is_integral<T>::value, "integer parameters only");
        checkRange(offset, sizeof(T));
        using U = std::make_unsigned_t<T>;
        const U bits = U(value);
        for (std::size_t i = 0; i < sizeof(T); ++i)
            bytes[offset + i] = quint8(bits >> (8 * i));
    }

    bool operator==(const ParameterBlock&) const = default;

private:
    static void checkRange(std::size_t offset, std::size_t width)
    {
        if (offset > N || width > N - offset)
            throw std::out_of_range("parameter outside the block");
    }
};

enum class ParameterKind : quint8 {
    UInt8,       // a byte
    ByteInWord,  // a u32 holding a byte: one uint8 on the stream
    Bool,        // a byte, streamed as bool
    Int16,
    UInt16,
    UInt32,
    UInt64,
    RemoteDevice,  // the body's RDKey
    Serial,        // the body's SerialString
    Text,          // the body's text
    Midi,          // the body's MIDI messages
    Mask,          // the body's calendar mask
    IoModule,      // the body's IO-module data
};

struct ParameterItem
{
    ParameterKind kind;
    quint8 offset = 0;
    // A selector: the item is present only when this holds for the block
    // (values before the item are already read). Null: always present.
    bool (*present)(const quint8* block) = nullptr;
    // Data older than `since` lacks the item; olderForm, when given, reads
    // what that data held in its place.
    quint16 since = 0;
    void (*olderForm)(InStream& in, quint8* block) = nullptr;
};

using ParameterRow = std::vector<ParameterItem>;

namespace ParameterDetail {

// A block value stored as Stored and held in the block as Held.
template <class Stored, class Held, class Block>
struct BlockValue
{
    Block& block;
    std::size_t offset;
};

template <class Stored, class Held, std::size_t N>
InStream& operator>>(InStream& in, BlockValue<Stored, Held, ParameterBlock<N>> value)
{
    Stored stored {};
    in >> stored;
    value.block.template set<Held>(value.offset, Held(stored));
    return in;
}

template <class Stored, class Held, std::size_t N>
OutStream& operator<<(OutStream& out, BlockValue<Stored, Held, const ParameterBlock<N>> value)
{
    const Held held = value.block.template get<Held>(value.offset);
    if constexpr (std::is_same<Stored, bool>::value)
        return out << (held != 0);
    else
        return out << Stored(held);
}

template <class Stored, class Held, class F, class Block>
void blockField(F& f, Block& block, const ParameterItem& item)
{
    BlockValue<Stored, Held, Block> value {block, item.offset};
    f.since(item.since, value).orRead([&](InStream& in, auto&) {
        if (item.olderForm)
            item.olderForm(in, block.bytes.data());
    });
}

template <class F, class Value>
void valueField(F& f, Value& value, const ParameterItem& item)
{
    f.since(item.since, value);
}

}  // namespace ParameterDetail

// Streams what `row` lists of `body` through f (Archive::FieldReader or
// FieldWriter).
template <class F, class Body>
void bodyParameterFields(F& f, Body& body, const ParameterRow& row)
{
    using namespace ParameterDetail;
    auto& block = body.parameters;
    for (const ParameterItem& item : row) {
        if (item.present && !item.present(block.bytes.data()))
            continue;
        switch (item.kind) {
        case ParameterKind::UInt8:
            blockField<quint8, quint8>(f, block, item);
            break;
        case ParameterKind::ByteInWord:
            blockField<quint8, quint32>(f, block, item);
            break;
        case ParameterKind::Bool:
            blockField<bool, quint8>(f, block, item);
            break;
        case ParameterKind::Int16:
            blockField<qint16, qint16>(f, block, item);
            break;
        case ParameterKind::UInt16:
            blockField<quint16, quint16>(f, block, item);
            break;
        case ParameterKind::UInt32:
            blockField<quint32, quint32>(f, block, item);
            break;
        case ParameterKind::UInt64:
            blockField<quint64, quint64>(f, block, item);
            break;
        case ParameterKind::RemoteDevice:
            valueField(f, body.remoteDevice, item);
            break;
        case ParameterKind::Serial:
            valueField(f, body.serialString, item);
            break;
        case ParameterKind::Text:
            valueField(f, body.text, item);
            break;
        case ParameterKind::Midi:
            valueField(f, body.midiMessages, item);
            break;
        case ParameterKind::Mask:
            valueField(f, body.mask, item);
            break;
        case ParameterKind::IoModule:
            valueField(f, body.ioModuleData, item);
            break;
        }
    }
}

#endif  // LX_OBJECTS_PROGRAMMING_PARAMETER_BLOCK_H
