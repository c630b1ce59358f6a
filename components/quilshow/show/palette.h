// Palettes of a version-1 show: named sets of packed values (one per
// function: a kind, up to three numbers with a shared decimal exponent and
// two packed times), with the fade time and skew settings with which the
// palette is applied. The conversion turns each palette into a scene.
//
// Values and colour records are plain values; palettes are owned by the
// show's palette table. Thread safety: GUI thread only, like the show.
#ifndef QUILSHOW_SHOW_PALETTE_H
#define QUILSHOW_SHOW_PALETTE_H

#include "components/quilshow/show/show_thing.h"

#include <QtGlobal>

#include <map>
#include <string>
#include <vector>

namespace Quil {

// Twenty bytes: byte 0 (the holder's), function, value2, then words A, B and
// C of bit fields and the two packed times.
//   A: valueA 0-15, kindBits 16-27, exponent e 29-31.
//   B: fieldB0 0-5, fieldB6 6-11, fieldB12 12-15, fieldB16 16-27, fieldB29 29-31.
//   C: by kind, a byte 0-7 with number2Bits 8-19 and number1Bits 20-31; or
//      two u16 halves; or four bytes.
// What a stored value's 8-bit function holds for "no function".
constexpr quint32 kNoPaletteFunction = 0xFF;

struct PaletteValue
{
    quint8 byte0 = 0;
    // The current function id, or kNoFunctionId.
    quint16 function = 0;
    quint16 value2 = 0;
    quint32 wordA = 0;
    quint32 wordB = 0;
    quint32 wordC = 0;
    quint16 timeA = 0;
    quint16 timeB = 0;

    // Marker 0x010E (0x0D0D below version 17) ... 0x010F (0x0E0E); the
    // function is moved to its current number as the function table's are,
    // and one stored as 0xFF or moved past 255 becomes kNoFunctionId.
    void stream(ShowStreamer& in);

    quint32 valueA() const { return wordA & 0xFFFF; }
    quint32 kindBits() const { return (wordA >> 16) & 0xFFF; }
    quint32 exponent() const { return wordA >> 29; }
    quint32 fieldB0() const { return wordB & 0x3F; }
    quint32 fieldB6() const { return (wordB >> 6) & 0x3F; }
    quint32 fieldB12() const { return (wordB >> 12) & 0xF; }
    quint32 fieldB16() const { return (wordB >> 16) & 0xFFF; }
    quint32 fieldB29() const { return wordB >> 29; }
    quint32 byteValue() const { return wordC & 0xFF; }
    quint32 number2Bits() const { return (wordC >> 8) & 0xFFF; }
    quint32 number1Bits() const { return wordC >> 20; }
    // kindBits masked with 0x70F.
    quint32 kind() const { return kindBits() & 0x70F; }

    // Numbers scaled by 10 to the power of the exponent (on 32 bits), as the
    // kind defines them.
    quint32 getNumber1() const;
    quint32 getNumber2() const;
    quint32 getNumber3() const;
    // The packed times in milliseconds.
    quint32 getTimeA() const;
    quint32 getTimeB() const;
    bool operator==(const PaletteValue&) const = default;
};

// The values of a palette with its fade time and skew settings.
struct PaletteColourRecord
{
    std::vector<PaletteValue> values;
    // A packed time (encodeTime16).
    quint16 time = 0xFFFF;
    quint16 skewType = 0;
    quint16 skewDirection = 0;
    std::vector<std::map<quint32, std::vector<quint32>>> skewGroups;

    // Marker 0x0110 (0x0F0F below version 17) ... 0x0111 (0x1010).
    void stream(ShowStreamer& in);
    // The fade time in milliseconds.
    quint32 getTime() const;
    void setTime(qint32 milliseconds);
    bool operator==(const PaletteColourRecord&) const = default;
};

class Palette : public ShowThing
{
public:
    Palette();
    sortvector_el* clone() const override { return new Palette(*this); }
    // Marker 0x011E (0xF0F0 below version 17) ... 0x011F (0x1111).
    void stream(ShowStreamer& in) override;
    bool operator==(const Palette&) const = default;

    std::string name;
    quint16 paletteWord = 0;
    quint32 paletteValue = 0;
    PaletteColourRecord colourRecord;
    // Stored from version 36.
    quint16 word1 = 1;
    quint16 word2 = 1;
};

}  // namespace Quil

#endif  // QUILSHOW_SHOW_PALETTE_H
