#include "components/quilshow/show/palette.h"

#include "components/lx_objects/programming/packed_time.h"
#include "components/quilshow/show/function.h"
#include "components/quilshow/show/show_streamer.h"

namespace Quil {

namespace {

// Smallest stored palette value: markers and fourteen u16.
const quint64 kMinimumValueSize = 32;
const quint32 kKindPacked = 0x100;
const quint32 kKindUnscaled = 0x008;
const quint32 kKindHalvesA = 0x006;
const quint32 kKindHalvesB = 0x402;

// Stores the low `width` bits of `value` at `shift`, keeping the other bits.
void setBits(quint32& word, int shift, int width, quint32 value)
{
    const quint32 mask = ((1u << width) - 1) << shift;
    word = (word & ~mask) | ((value << shift) & mask);
}

quint16 readWord(ShowStreamer& in)
{
    quint16 value = 0;
    in.readU16(value);
    return value;
}

// e multiplications by 10 on 32 bits.
quint32 scaled(quint32 number, quint32 exponent)
{
    for (quint32 i = 0; i < exponent; ++i)
        number *= 10;
    return number;
}

bool numbersInFieldB16(quint32 kind) { return kind == kKindPacked || kind == kKindHalvesB; }

}  // namespace

void PaletteValue::stream(ShowStreamer& in)
{
    const quint16 v = in.version;
    in.expectMarker(in.marker(0x010E, 0x0D0D));
    if (v < 96) {
        readWord(in);
        readWord(in);
    }
    in.readU16(value2);
    if (v < 96)
        readWord(in);
    // Values keep their function in 8 bits, 0xFF for none; one renumbered
    // past 255 would wrap onto another function, so it reads as none too.
    const quint32 stored = readWord(in) & 0xFF;
    const quint32 current = stored == kNoPaletteFunction ? kNoFunctionId : renumberFunction(stored, v);
    function = current > kNoPaletteFunction ? quint16(kNoFunctionId) : quint16(current);
    setBits(wordA, 0, 16, readWord(in));
    setBits(wordB, 0, 6, readWord(in));
    setBits(wordA, 16, 12, readWord(in));
    setBits(wordB, 6, 6, readWord(in));

    const quint32 k = kind();
    if (k == kKindPacked) {
        setBits(wordB, 16, 12, readWord(in));
        for (int byte = 0; byte < 4; ++byte)
            setBits(wordC, byte * 8, 8, readWord(in));
    } else if ((k == kKindHalvesA || k == kKindHalvesB) && v >= 238) {
        setBits(wordB, 16, 12, readWord(in));
        setBits(wordC, 0, 16, readWord(in));
        setBits(wordC, 16, 16, readWord(in));
    } else {
        setBits(wordC, 0, 8, readWord(in));
        setBits(wordB, 16, 12, readWord(in));
        setBits(wordC, 8, 12, readWord(in));
        setBits(wordC, 20, 12, readWord(in));
    }

    setBits(wordA, 29, 3, readWord(in));
    setBits(wordB, 29, 3, readWord(in));
    setBits(wordB, 12, 4, readWord(in));
    in.readU16(timeA);
    if (v < 26)
        readWord(in);
    in.readU16(timeB);
    if (v < 26)
        readWord(in);
    in.expectMarker(in.marker(0x010F, 0x0E0E));
}

quint32 PaletteValue::getNumber1() const
{
    const quint32 k = kind();
    if (numbersInFieldB16(k))
        return scaled(fieldB16(), exponent());
    if (k == kKindUnscaled)
        return number1Bits();
    return scaled(number1Bits(), exponent());
}

quint32 PaletteValue::getNumber2() const { return numbersInFieldB16(kind()) ? 0 : scaled(number2Bits(), exponent()); }

quint32 PaletteValue::getNumber3() const { return scaled(fieldB16(), exponent()); }

quint32 PaletteValue::getTimeA() const { return decodePackedTime(timeA); }

quint32 PaletteValue::getTimeB() const { return decodePackedTime(timeB); }

void PaletteColourRecord::stream(ShowStreamer& in)
{
    in.expectMarker(in.marker(0x0110, 0x0F0F));
    const quint32 valueCount = in.readCount();
    in.checkAvailable(valueCount, kMinimumValueSize);
    values.resize(valueCount);
    for (PaletteValue& value : values)
        value.stream(in);
    in.readU16(time);
    if (in.version < 26)
        readWord(in);
    in.readU16(skewType).readU16(skewDirection);

    const quint32 groupCount = in.readCount();
    in.checkAvailable(groupCount, in.countSize());
    skewGroups.resize(groupCount);
    for (auto& group : skewGroups) {
        const quint32 count = in.readCount();
        // A key and a vector count each.
        in.checkAvailable(count, 4 + in.countSize());
        for (quint32 i = 0; i < count; ++i) {
            quint32 key = 0;
            in.readU32(key);
            in.readU32Vector(group[key]);
        }
    }
    in.expectMarker(in.marker(0x0111, 0x1010));
}

quint32 PaletteColourRecord::getTime() const { return decodePackedTime(time); }

void PaletteColourRecord::setTime(qint32 milliseconds) { time = encodeTime16(milliseconds); }

Palette::Palette() { colourRecord.setTime(200); }

void Palette::stream(ShowStreamer& in)
{
    in.expectMarker(in.marker(0x011E, 0xF0F0));
    readId(in);
    in.readText(name).readU16(paletteWord).readU32(paletteValue);
    colourRecord.stream(in);
    if (in.version >= 36)
        in.readU16(word1).readU16(word2);
    in.expectMarker(in.marker(0x011F, 0x1111));
}

}  // namespace Quil
