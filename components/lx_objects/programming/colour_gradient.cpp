#include "components/lx_objects/programming/colour_gradient.h"

#include "components/archive/fields.h"

#include <algorithm>
#include <iterator>
#include <stdexcept>

// Built with -ffp-contract=off: each interpolated channel rounds its own
// single-precision product, so a position gives the same colour on every
// machine (a fused multiply-add could move a channel by one).

namespace {

quint8 clampedByte(int value) { return static_cast<quint32>(value) > 255u ? 255 : static_cast<quint8>(value); }

// trunc(float(b - a) * t) + a, in single precision.
int interpolate(int a, int b, float t) { return static_cast<int>(static_cast<float>(b - a) * t) + a; }

}  // namespace

RGBData::RGBData(int red, int green, int blue, int alpha)
    : red(clampedByte(red)), green(clampedByte(green)), blue(clampedByte(blue)), alpha(clampedByte(alpha)),
      kind(kExplicitKind)
{}

void RGBData::setExtra(int value)
{
    extra = clampedByte(value);
    kind |= 0x10;
}

void RGBData::scale(quint32 factor)
{
    if ((kind & 0x07) != 0x07)
        return;
    // Held at 255: a factor above 1.0 must not wrap a bright channel dark.
    const auto scaled = [factor](quint8 channel) {
        return static_cast<quint8>(std::min<quint64>((quint64(channel) * factor + 32768) >> 16, 255));
    };
    red = scaled(red), green = scaled(green), blue = scaled(blue);
}

quint32 RGBData::level() const { return quint32(std::max({red, green, blue})) * 65536u / 255u; }

RGBData RGBData::normalised() const
{
    const quint32 m = level();
    if (m == 0)
        return *this;
    RGBData result = *this;
    // Never above 255: m is at least 65536 / 255 of the strongest channel.
    result.red = static_cast<quint8>(quint32(red) * 65536u / m);
    result.green = static_cast<quint8>(quint32(green) * 65536u / m);
    result.blue = static_cast<quint8>(quint32(blue) * 65536u / m);
    return result;
}

template <class F, class Self>
void RGBData::fields(F& f, Self& s)
{
    f(s.red, s.green, s.blue, s.alpha, s.extra, s.kind);
}

void RGBData::read(InStream& in)
{
    Archive::readFields(in, *this);
    if (in.version() < 103)
        kind = kind == 1 ? kExplicitKind : 0;
}

int ColourGradient::addPoint(quint16 position, const RGBData& colour)
{
    const auto found = m_stops.find(position);
    if (found != m_stops.end()) {
        if (colour.isExplicit())
            found->second.colour = colour;
        return found->second.id;
    }
    if (m_stops.size() >= kMaxStops)
        throw std::length_error("Too many gradient stops");

    GradientStop stop;
    stop.id = m_ids.empty() ? 0 : m_ids.rbegin()->first + 1;
    if (colour.isExplicit()) {
        stop.colour = colour;
    } else if (!m_stops.empty()) {
        const auto after = m_stops.upper_bound(position);
        stop.colour = after != m_stops.end() ? after->second.colour : m_stops.rbegin()->second.colour;
    } else {
        stop.colour = RGBData(255, 255, 255, 255);
    }
    m_stops.emplace(position, stop);
    m_ids[stop.id] = position;
    return stop.id;
}

RGBData ColourGradient::lookup(quint16 position, bool normalised, quint32* level) const
{
    if (m_stops.empty())
        return RGBData();
    const auto taken = [&](const RGBData& colour) {
        if (!normalised)
            return colour;
        if (level)
            *level = colour.level();
        return colour.normalised();
    };
    const auto next = m_stops.lower_bound(position);
    if (next == m_stops.end())
        return taken(m_stops.rbegin()->second.colour);
    if (next->first == position || next == m_stops.begin())
        return taken(next->second.colour);

    const auto previous = std::prev(next);
    const float t = static_cast<float>(int(position) - int(previous->first))
        / static_cast<float>(int(next->first) - int(previous->first));
    RGBData a = previous->second.colour;
    RGBData b = next->second.colour;
    if (normalised) {
        if (level)
            *level = quint32(interpolate(int(a.level()), int(b.level()), t));
        a = a.normalised(), b = b.normalised();
    }
    RGBData result(interpolate(a.red, b.red, t), interpolate(a.green, b.green, t), interpolate(a.blue, b.blue, t), 255);
    result.setExtra(interpolate(a.extra, b.extra, t));
    return result;
}

// A stop is stored without a block of its own, behind its position.
template <class F, class Self>
void GradientStop::fields(F& f, Self& s)
{
    f(Archive::storedAs<quint16>(s.id), Archive::inlineFields(s.colour), s.aux);
}

void GradientStop::read(InStream& in) { Archive::readFields(in, *this); }

void GradientStop::write(OutStream& out) const { Archive::writeFields(out, *this); }

template <class F, class Self>
void ColourGradient::fields(F& f, Self& s)
{
    // A position met twice is one stop: its earlier id no longer names it.
    const auto fileStop = [&s](auto& stops, auto&& entry) {
        const auto [position, stop] = entry;
        const auto old = stops.find(position);
        if (old != stops.end() && s.m_ids.count(old->second.id) && s.m_ids[old->second.id] == position)
            s.m_ids.erase(old->second.id);
        stops[position] = stop;
        s.m_ids[stop.id] = position;
    };
    f(Archive::counted<quint16>(s.m_stops, fileStop));
}

void RGBData::write(OutStream& out) const { Archive::writeFields(out, *this); }

template class Archive::Value<ColourGradient>;
