// Lkel is one level of a look: the value that one function of one fixture
// element takes, packed into five 32-bit words.
// A field is reached through its name (get(Lkel::Kind), set(Lkel::Kind, 6));
// set keeps only the field's width. Some fields share bits: the four raw
// bytes (kind 6) and the two 16-bit words (kinds 4, 9 and 10) overlay the
// byte value and the second and third numbers.
//
// A number's value is the stored 12-bit number times 10 to the power of the
// shared exponent. Times are 16-bit codes (encodeTime16).
//
// A plain value held in a Look; one thread uses a value at a time.
#ifndef LX_OBJECTS_PROGRAMMING_LKEL_H
#define LX_OBJECTS_PROGRAMMING_LKEL_H

#include "components/archive/object.h"
#include "components/archive/stream_fwd.h"

#include <QtGlobal>

#include <array>

class Lkel : public Archive::Value<Lkel>
{
public:
    static constexpr quint32 kTypeCode = 171;

    enum Field : quint8 {
        ElementId,      // the target FixtureElement's id, 16 bits
        SubIndex,       // 12 bits
        CrossfadePath,  // 4 bits, 0xF for none
        FunctionId,     // low 8 bits of the function's id
        Kind,           // 4 bits
        OffsetStyle,    // 4 bits, 0xF for none
        Parameter,      // 16 bits
        Flags,          // 5 bits
        SubMode,        // 3 bits
        FxTable,        // 5 bits
        Exponent,       // 3 bits, shared by the numbers
        Aux,            // 4 bits
        Number1,        // 12 bits
        ByteValue,      // 8 bits (kinds other than 4, 6, 9 and 10)
        Number2,        // 12 bits (kinds other than 4, 6, 9 and 10)
        Number3,        // 12 bits (kinds other than 4, 6, 9 and 10)
        Byte0,          // the four raw bytes of kind 6
        Byte1,
        Byte2,
        Byte3,
        Word1,  // the two 16-bit words of kinds 4, 9 and 10
        Word2,
        FadeTime,    // time code
        OffsetTime,  // time code
        FieldCount
    };

    // Every bit zero.
    Lkel() = default;

    quint32 get(Field field) const;
    // Stores the low bits of value that the field holds.
    void set(Field field, quint32 value);
    const std::array<quint32, 5>& words() const { return m_words; }

    // Store the code of a time in milliseconds.
    void setFadeTime(qint32 milliseconds);
    void setOffsetTime(qint32 milliseconds);
    // The low 8 bits of value: kinds 9 and 10 spread them over the aux, sub
    // mode and lowest exponent bits; every other kind keeps them as the byte
    // value.
    void setByte(int value);
    // The numbers as the kind keeps them, scaled by powers of ten to fit 12
    // bits where the kind scales them; the byte value stays. A negative input
    // counts as 0.
    void setValues(qint32 a, qint32 b, qint32 c);

    bool operator==(const Lkel&) const = default;

private:
    friend class Archive::FieldAccess;
    template <class F, class Self>
    static void fields(F& f, Self& s);
    void afterRead(InStream& in);

    std::array<quint32, 5> m_words {};
};
extern template class Archive::Value<Lkel>;

#endif  // LX_OBJECTS_PROGRAMMING_LKEL_H
