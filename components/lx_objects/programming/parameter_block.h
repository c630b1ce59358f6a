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
// values read before it (a selector) or only in some versions, with the
// value older data gives it and a hook that reads the older form.
// bodyParameterFields() walks a row with a field reader or writer, so the
// read and write of a body cannot drift apart.
//
// A body passed to bodyParameterFields has the member `parameters` and those
// of `remoteDevice`, `serialString`, `text`, `midiMessages`, `mask` and
// `ioModuleData` (an Archive::ValuePtr<IoMTriggerData>, made when read) that
// its rows name; a row naming a member the body lacks is a logic error.
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
    Int32,
    UInt32,
    UInt64,
    LowFiveBits,    // bits 0 to 4 of a u32, one uint8 on the stream; a read leaves bits 5 to 31
    DroppedUInt16,  // a uint16 only some older data holds: read and dropped, never written
    RemoteDevice,   // the body's RDKey
    KeyIndex,       // the index of the body's RDKey alone, as uint8
    Serial,         // the body's SerialString
    Text,           // the body's text
    Midi,           // the body's MIDI messages
    Mask,           // the body's calendar mask
    IoModule,       // the body's IO-module data
};

struct ParameterItem
{
    ParameterKind kind;
    quint8 offset = 0;
    // A selector: the item is present only when this holds for the block
    // (values before the item are already read). Null: always present.
    bool (*present)(const quint8* block) = nullptr;
    // Data older than `since` lacks the item (or, when `stored` is given,
    // the data of the versions for which it does not hold). A block value
    // then holds olderValue, and olderForm, when given, reads what that data
    // held in its place.
    quint16 since = 0;
    bool (*stored)(quint16 version) = nullptr;
    quint64 olderValue = 0;
    void (*olderForm)(InStream& in, quint8* block) = nullptr;

    bool storedAt(quint16 version) const { return stored ? stored(version) : version >= since; }
};

using ParameterRow = std::vector<ParameterItem>;

// Builders of row items.
namespace ParameterRows {

inline ParameterItem at(ParameterKind kind, quint8 offset, bool (*present)(const quint8*) = nullptr)
{
    ParameterItem item {kind};
    item.offset = offset;
    item.present = present;
    return item;
}

inline ParameterItem value(ParameterKind kind) { return ParameterItem {kind}; }

// `item` as data from `version` on holds it; older data gives it olderValue.
inline ParameterItem since(quint16 version, ParameterItem item, quint64 olderValue = 0)
{
    item.since = version;
    item.olderValue = olderValue;
    return item;
}

// `item` as the versions for which `stored` holds have it.
inline ParameterItem storedWhen(bool (*stored)(quint16), ParameterItem item)
{
    item.stored = stored;
    return item;
}

}  // namespace ParameterRows

// Writes value into `block` at `offset` at the width of kind (a block kind).
template <std::size_t N>
void setParameter(ParameterBlock<N>& block, ParameterKind kind, std::size_t offset, quint64 value)
{
    switch (kind) {
    case ParameterKind::UInt8:
    case ParameterKind::Bool:
        block.template set<quint8>(offset, quint8(value));
        break;
    case ParameterKind::Int16:
    case ParameterKind::UInt16:
        block.template set<quint16>(offset, quint16(value));
        break;
    case ParameterKind::ByteInWord:
    case ParameterKind::Int32:
    case ParameterKind::UInt32:
        block.template set<quint32>(offset, quint32(value));
        break;
    case ParameterKind::UInt64:
        block.template set<quint64>(offset, value);
        break;
    case ParameterKind::LowFiveBits:
        block.template set<quint32>(offset, (block.template get<quint32>(offset) & ~0x1Fu) | (quint32(value) & 0x1Fu));
        break;
    default:
        throw std::logic_error("not a parameter of the block");
    }
}

// Older DALI addresses were 32 bits: bytes 0 to 3 take the stored word and
// bytes 4 to 7 its top byte.
inline void readShortDaliAddress(InStream& in, quint8* block)
{
    quint32 address = 0;
    in >> address;
    for (int i = 0; i < 4; ++i)
        block[i] = quint8(address >> (8 * i));
    const quint32 high = address >> 24;
    for (int i = 0; i < 4; ++i)
        block[4 + i] = quint8(high >> (8 * i));
}

// A body's type as one byte on the stream; reading it calls setType, so the
// values that belong to the type are made.
template <class Body>
struct TypeByte
{
    Body& body;
};

template <class Body>
TypeByte<Body> typeByte(Body& body)
{
    return TypeByte<Body> {body};
}

template <class Body>
requires(!std::is_const_v<Body>) InStream& operator>>(InStream& in, TypeByte<Body> field)
{
    quint8 type = 0;
    in >> type;
    field.body.setType(type);
    return in;
}

template <class Body>
OutStream& operator<<(OutStream& out, TypeByte<Body> field)
{
    return out << quint8(field.body.type());
}

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

// The low five bits of a word.
template <class Block>
struct LowFiveBits
{
    Block& block;
    std::size_t offset;
};

template <std::size_t N>
InStream& operator>>(InStream& in, LowFiveBits<ParameterBlock<N>> value)
{
    quint8 stored = 0;
    in >> stored;
    setParameter(value.block, ParameterKind::LowFiveBits, value.offset, stored);
    return in;
}

template <std::size_t N>
OutStream& operator<<(OutStream& out, LowFiveBits<const ParameterBlock<N>> value)
{
    return out << quint8(value.block.template get<quint32>(value.offset) & 0x1Fu);
}

template <class F, class Block, class Value>
void gatedBlockField(F& f, Block& block, const ParameterItem& item, Value value)
{
    f.when([&item](quint16 v) { return item.storedAt(v); }, value).orRead([&](InStream& in, auto&) {
        if constexpr (!std::is_const_v<Block>) {
            setParameter(block, item.kind, item.offset, item.olderValue);
            if (item.olderForm)
                item.olderForm(in, block.bytes.data());
        }
    });
}

template <class Stored, class Held, class F, class Block>
void blockField(F& f, Block& block, const ParameterItem& item)
{
    gatedBlockField(f, block, item, BlockValue<Stored, Held, Block> {block, item.offset});
}

template <class F, class Value>
void valueField(F& f, Value& value, const ParameterItem& item)
{
    f.when([&item](quint16 v) { return item.storedAt(v); }, value);
}

[[noreturn]] inline void missingValue() { throw std::logic_error("a parameter row names a value its body lacks"); }

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
        case ParameterKind::Int32:
            blockField<qint32, qint32>(f, block, item);
            break;
        case ParameterKind::UInt32:
            blockField<quint32, quint32>(f, block, item);
            break;
        case ParameterKind::UInt64:
            blockField<quint64, quint64>(f, block, item);
            break;
        case ParameterKind::LowFiveBits:
            gatedBlockField(f, block, item, LowFiveBits<std::remove_reference_t<decltype(block)>> {block, item.offset});
            break;
        case ParameterKind::DroppedUInt16:
            f.droppedWhen([&item](quint16 v) { return item.storedAt(v); }, quint16());
            break;
        case ParameterKind::RemoteDevice:
            if constexpr (requires { body.remoteDevice; })
                valueField(f, body.remoteDevice, item);
            else
                missingValue();
            break;
        case ParameterKind::KeyIndex:
            if constexpr (requires { body.remoteDevice.index; })
                valueField(f, body.remoteDevice.index, item);
            else
                missingValue();
            break;
        case ParameterKind::Serial:
            if constexpr (requires { body.serialString; })
                valueField(f, body.serialString, item);
            else
                missingValue();
            break;
        case ParameterKind::Text:
            if constexpr (requires { body.text; })
                valueField(f, body.text, item);
            else
                missingValue();
            break;
        case ParameterKind::Midi:
            if constexpr (requires { body.midiMessages; })
                valueField(f, body.midiMessages, item);
            else
                missingValue();
            break;
        case ParameterKind::Mask:
            if constexpr (requires { body.mask; })
                valueField(f, body.mask, item);
            else
                missingValue();
            break;
        case ParameterKind::IoModule:
            if constexpr (requires { body.ioModuleData; })
                valueField(f, body.ioModuleData, item);
            else
                missingValue();
            break;
        }
    }
}

#endif  // LX_OBJECTS_PROGRAMMING_PARAMETER_BLOCK_H
