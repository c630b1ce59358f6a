#include "components/lx_objects/controllers/content_mask.h"

#include "components/archive/in_stream.h"
#include "components/archive/out_stream.h"

void ContentMask::read(InStream& in)
{
    if (in.version() >= 77)
        in >> name;
    in >> position >> size >> angle >> offset >> valueA >> valueB >> factor1 >> factor2 >> factor3 >> factor4;
    // Turns to degrees; a stored value too large for degrees wraps rather
    // than overflowing.
    if (in.version() < 150)
        angle = static_cast<qint32>(static_cast<quint32>(angle) * 360u);
}

void ContentMask::write(OutStream& out) const
{
    out << name << position << size << angle << offset << valueA << valueB << factor1 << factor2 << factor3
        << factor4;
}

bool ContentMask::operator==(const ContentMask& other) const
{
    return name == other.name && position == other.position && size == other.size && angle == other.angle
        && offset == other.offset && valueA == other.valueA && valueB == other.valueB && factor1 == other.factor1
        && factor2 == other.factor2 && factor3 == other.factor3 && factor4 == other.factor4;
}
