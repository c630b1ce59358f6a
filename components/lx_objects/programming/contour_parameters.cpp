#include "components/lx_objects/programming/contour_parameters.h"

#include "components/archive/fields.h"

namespace {

bool hasNarrowFields(quint16 kind) { return kind == 4 || kind == 5; }

}  // namespace

template <class F, class Self>
void ContourParameters::fields(F& f, Self& s)
{
    using Archive::storedAs;
    f(s.kind);
    switch (s.kind) {
    case 0:
    case 1:
    case 2:
    case 3:
    case 6:
        f(s.a, s.b, s.c, s.d);
        break;
    case 4:
    case 5:
        f(s.a, storedAs<quint16>(s.b), storedAs<quint16>(s.c), s.d);
        break;
    default:
        break;
    }
}

void ContourParameters::resetForRead()
{
    const quint8 ownersFlag = flag;
    *this = ContourParameters();
    flag = ownersFlag;
}

void ContourParameters::read(InStream& in)
{
    Archive::readFields(in, *this);
    if (in.version() < 84 && hasNarrowFields(kind) && c > 8)
        c = 8;
}

void ContourParameters::write(OutStream& out) const { Archive::writeFields(out, *this); }
