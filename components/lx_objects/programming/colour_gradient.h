// RGBData is one colour as the presets carry it: red, green, blue, a fourth
// and a fifth channel (alpha, extra) and a kind byte whose low five bits are
// 31 for a colour given explicitly. ColourGradient is a colour ramp over the
// positions 0 to 65535: stops keyed by position, each with an id, a colour
// and an aux word, and a lookup that interpolates linearly between the two
// stops around a position.
//
// Reading replaces the gradient; a position stored twice is one stop.
//
// Plain values: an owner holds them (a custom-preset property holds its
// gradient by pointer); one thread uses a value at a time.
#ifndef LX_OBJECTS_PROGRAMMING_COLOUR_GRADIENT_H
#define LX_OBJECTS_PROGRAMMING_COLOUR_GRADIENT_H

#include "components/archive/object.h"
#include "components/archive/stream_fwd.h"

#include <QtGlobal>

#include <cstddef>
#include <map>

struct RGBData
{
    static constexpr quint32 kTypeCode = 186;
    // The low five bits of a kind of an explicitly given colour.
    static constexpr quint8 kExplicitKind = 31;

    // Black, alpha 255, extra 128, kind 0x18.
    RGBData() = default;
    // Each channel taken as unsigned, 255 from 256 on; extra 128, explicit.
    RGBData(int red, int green, int blue, int alpha);

    // Stores the value (255 for anything above 255 taken as unsigned) and
    // marks the extra channel as set (bit 0x10 of the kind).
    void setExtra(int value);
    // Only for a kind whose low three bits are all set: each of red, green
    // and blue is scaled by factor (16.16 fixed point, 65536 = 1.0), rounded
    // and held at 255.
    void scale(quint32 factor);
    bool isExplicit() const { return (kind & 0x1F) == kExplicitKind; }

    // The brightness of the strongest channel: 65536 full, 0 black.
    quint32 level() const;
    // The strongest channel raised to 255, the others keeping their ratio to
    // it; black, alpha, extra and kind stay as they are.
    RGBData normalised() const;

    quint32 typeCode() const { return kTypeCode; }
    void read(InStream& in);
    void write(OutStream& out) const;

    bool operator==(const RGBData&) const = default;

    quint8 red = 0;
    quint8 green = 0;
    quint8 blue = 0;
    quint8 alpha = 255;
    quint8 extra = 128;
    quint8 kind = 0x18;

private:
    friend class Archive::FieldAccess;
    template <class F, class Self>
    static void fields(F& f, Self& s);
};

struct GradientStop
{
    int id = 0;
    RGBData colour;
    quint16 aux = 0x8000;  // carried for the scripts; nothing here reads it

    void read(InStream& in);
    void write(OutStream& out) const;

    bool operator==(const GradientStop&) const = default;

private:
    friend class Archive::FieldAccess;
    template <class F, class Self>
    static void fields(F& f, Self& s);
};

class ColourGradient : public Archive::Value<ColourGradient>
{
public:
    static constexpr quint32 kTypeCode = 185;
    // The stream counts stops in 16 bits.
    static constexpr std::size_t kMaxStops = 0xFFFF;

    // Adds a stop, or gives an explicit colour to the stop already at the
    // position; answers the stop's id. A new stop with a colour that is not
    // explicit copies the colour of the stop after it (or of the last stop;
    // white in an empty gradient). Throws std::length_error "Too many
    // gradient stops", changing nothing, for a new stop beyond kMaxStops.
    int addPoint(quint16 position, const RGBData& colour);
    // The colour at the position. Normalised, the colour is normalised and
    // *level (when given) receives its level. Outside the stops, and at a
    // stop, the stored colour comes back whole; between two stops each
    // channel and extra are interpolated and alpha is 255.
    RGBData lookup(quint16 position, bool normalised = false, quint32* level = nullptr) const;

    const std::map<quint16, GradientStop>& stops() const { return m_stops; }
    // Stop id to position.
    const std::map<int, quint16>& ids() const { return m_ids; }

    bool operator==(const ColourGradient&) const = default;

private:
    friend class Archive::FieldAccess;
    template <class F, class Self>
    static void fields(F& f, Self& s);

    std::map<quint16, GradientStop> m_stops;
    std::map<int, quint16> m_ids;
};
extern template class Archive::Value<ColourGradient>;

#endif  // LX_OBJECTS_PROGRAMMING_COLOUR_GRADIENT_H
