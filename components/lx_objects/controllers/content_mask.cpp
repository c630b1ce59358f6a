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
    Archive::FieldReader reader(in);
    fields(reader, *this);
    // Turns to degrees; a stored value too large for degrees wraps rather
    // than overflowing.
    if (in.version() < 150)
        angle = static_cast<qint32>(static_cast<quint32>(angle) * 360u);
}

void ContentMask::write(OutStream& out) const
{
    Archive::FieldWriter writer(out);
    fields(writer, *this);
}

bool ContentMask::operator==(const ContentMask& other) const
{
    return name == other.name && position == other.position && size == other.size && angle == other.angle
        && offset == other.offset && valueA == other.valueA && valueB == other.valueB && factor1 == other.factor1
        && factor2 == other.factor2 && factor3 == other.factor3 && factor4 == other.factor4;
}
