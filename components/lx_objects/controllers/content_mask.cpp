#include "components/lx_objects/controllers/content_mask.h"

#include "components/archive/fields.h"

template <class F, class Self>
void ContentMask::fields(F& f, Self& s)
{
    f.since(77, s.name);
    f(s.position, s.size, s.angle, s.offset, s.valueA, s.valueB, s.factor1, s.factor2, s.factor3, s.factor4);
}

void ContentMask::read(InStream& in)
{
    Archive::readFields(in, *this);
    // Turns to degrees; a stored value too large for degrees wraps rather
    // than overflowing.
    if (in.version() < 150)
        angle = static_cast<qint32>(static_cast<quint32>(angle) * 360u);
}

void ContentMask::write(OutStream& out) const { Archive::writeFields(out, *this); }
