#include "components/lx_objects/common/location_data.h"

#include "components/archive/fields.h"

template <class F, class Self>
void GeoCoord::fields(F& f, Self& s)
{
    f(s.direction, s.degrees, s.minutes, s.seconds);
}

void GeoCoord::read(InStream& in) { Archive::readFields(in, *this); }

void GeoCoord::write(OutStream& out) const { Archive::writeFields(out, *this); }

template <class F, class Self>
void DaylightSavingRule::fields(F& f, Self& s)
{
    f(s.byteA, s.byteB, s.byteC, s.byteD, s.word);
}

void DaylightSavingRule::read(InStream& in) { Archive::readFields(in, *this); }

void DaylightSavingRule::write(OutStream& out) const { Archive::writeFields(out, *this); }

template <class F, class Self>
void LocationData::fields(F& f, Self& s)
{
    f(Archive::inlineFields(s.groupA), Archive::inlineFields(s.groupB), s.offset, s.name);
    f(Archive::inlineFields(s.ruleA), Archive::inlineFields(s.ruleB), s.enabled);
}

void LocationData::read(InStream& in) { Archive::readFields(in, *this); }

void LocationData::write(OutStream& out) const { Archive::writeFields(out, *this); }
