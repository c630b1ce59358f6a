#include "components/lx_objects/programming/lkel.h"

#include "components/archive/fields.h"
#include "components/lx_objects/programming/packed_time.h"

#include <algorithm>

namespace {

struct Bits
{
    quint8 word;
    quint8 shift;
    quint8 width;

    quint32 mask() const { return (1u << width) - 1; }
    quint32 from(quint32 w) const { return (w >> shift) & mask(); }
    quint32 into(quint32 w, quint32 value) const { return (w & ~(mask() << shift)) | ((value & mask()) << shift); }
};

constexpr Bits kBits[Lkel::FieldCount] = {
    {0, 0, 16}, {0, 16, 12}, {0, 28, 4}, {1, 0, 8},  {1, 8, 4},   {1, 12, 4},  {1, 16, 16}, {2, 0, 5},
    {2, 5, 3},  {2, 8, 5},   {2, 13, 3}, {2, 16, 4}, {2, 20, 12}, {3, 0, 8},   {3, 8, 12},  {3, 20, 12},
    {3, 0, 8},  {3, 8, 8},   {3, 16, 8}, {3, 24, 8}, {3, 0, 16},  {3, 16, 16}, {4, 0, 16},  {4, 16, 16},
};

// One field of a packedField word, stored as S: read masked to the field's width.
template <class S, class W>
struct PackedField
{
    W& word;
    Bits bits;
};

template <class S, class W>
PackedField<S, W> packedField(W& word, Bits bits)
{
    return PackedField<S, W> {word, bits};
}

template <class S>
InStream& operator>>(InStream& in, PackedField<S, quint32> field)
{
    S value = 0;
    in >> value;
    field.word = field.bits.into(field.word, value);
    return in;
}

template <class S>
OutStream& operator<<(OutStream& out, PackedField<S, const quint32> field)
{
    return out << S(field.bits.from(field.word));
}

// Divides the numbers by ten, counting in the exponent, until the largest
// fits 12 bits.
template <std::size_t N>
void scaleToFit(Lkel& lkel, std::array<qint32, N>& numbers)
{
    quint32 exponent = 0;
    while (*std::max_element(numbers.begin(), numbers.end()) >= 4096) {
        for (qint32& n : numbers)
            n /= 10;
        ++exponent;
    }
    lkel.set(Lkel::Exponent, exponent);
}

}  // namespace

quint32 Lkel::get(Field field) const
{
    const Bits bits = kBits[field];
    return bits.from(m_words[bits.word]);
}

void Lkel::set(Field field, quint32 value)
{
    const Bits bits = kBits[field];
    m_words[bits.word] = bits.into(m_words[bits.word], value);
}

void Lkel::setFadeTime(qint32 milliseconds) { set(FadeTime, encodeTime16(milliseconds)); }

void Lkel::setOffsetTime(qint32 milliseconds) { set(OffsetTime, encodeTime16(milliseconds)); }

void Lkel::setByte(int value)
{
    const quint32 byte = quint32(value) & 0xFF;
    const quint32 kind = get(Kind);
    if (kind != 9 && kind != 10) {
        set(ByteValue, byte);
        return;
    }
    m_words[2] &= ~0x000FE0E0u;  // bits 5-7 and 13-19
    m_words[2] |= (byte & 0x0F) << 16 | ((byte >> 4) & 0x07) << 5 | (byte >> 7) << 13;
}

void Lkel::setValues(qint32 a, qint32 b, qint32 c)
{
    // Negative numbers have no place in 12 bits; dividing one would never end
    // below 4096 as unsigned and wrap the exponent.
    a = std::max(a, 0), b = std::max(b, 0), c = std::max(c, 0);
    switch (get(Kind)) {
    case 6:
    case 11: {
        std::array<qint32, 1> n {a};
        scaleToFit(*this, n);
        set(Number1, quint32(n[0]));
        break;
    }
    case 5: {
        std::array<qint32, 2> n {a, b};
        scaleToFit(*this, n);
        set(Number1, quint32(n[0])), set(Number2, quint32(n[1])), set(Number3, quint32(c));
        break;
    }
    case 9:
    case 10:
        set(Number1, quint32(a));
        break;
    default: {
        std::array<qint32, 3> n {a, b, c};
        scaleToFit(*this, n);
        set(Number1, quint32(n[0])), set(Number2, quint32(n[1])), set(Number3, quint32(n[2]));
        break;
    }
    }
}

template <class F, class Self>
void Lkel::fields(F& f, Self& s)
{
    const auto u8 = [&s](Field field) { return packedField<quint8>(s.m_words[kBits[field].word], kBits[field]); };
    const auto u16 = [&s](Field field) { return packedField<quint16>(s.m_words[kBits[field].word], kBits[field]); };
    f(u16(ElementId), u8(FunctionId), u16(SubIndex), u8(Kind), u16(Parameter), u8(CrossfadePath), u8(Flags));
    f(u8(FxTable));
    switch (s.get(Kind)) {
    case 4:
    case 9:
    case 10:
        f(u16(Number1), u16(Word1), u16(Word2));
        break;
    case 6:
        f(u16(Number1), u8(Byte0), u8(Byte1), u8(Byte2), u8(Byte3));
        break;
    default:
        f(u8(ByteValue), u16(Number1), u16(Number2), u16(Number3));
        break;
    }
    f(u8(Exponent), u8(SubMode), u8(OffsetStyle));
    f.when([](quint16 v) { return v >= 57 && v != 62; }, u8(Aux));
    f(u16(FadeTime), u16(OffsetTime));
}

void Lkel::afterRead(InStream& in)
{
    const quint16 v = in.version();
    const quint32 kind = get(Kind);
    // Before the aux byte a kind-6 parameter packedField the offset style, the sub
    // mode with the FX table, and the aux bits.
    if ((v < 57 || v == 62) && kind == 6) {
        const quint32 packedParameter = get(Parameter);
        set(OffsetStyle, packedParameter & 0x0F);
        m_words[2] = (m_words[2] & ~0x1FE0u) | ((packedParameter >> 4) & 0xFF) << 5;
        set(Aux, packedParameter >> 12);
        set(Parameter, 255);
    }
    // These versions wrote a kind-11 byte value and offset time in each
    // other's place.
    if ((v < 146 || v == 150) && kind == 11) {
        const quint32 storedByte = get(ByteValue);
        set(ByteValue, std::min<quint32>(get(OffsetTime), 255));
        set(OffsetTime, storedByte);
    }
}

template class Archive::Value<Lkel>;
