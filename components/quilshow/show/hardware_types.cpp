#include "components/quilshow/show/hardware_types.h"

namespace Quil {

bool isKelvoType(int type) { return type == 3 || type == 7; }

bool isQMBType(int type, quint16 generation)
{
    if (type == 1 || type == 5)
        return generation == 0 || generation == 1;
    if (type == 2 || type == 6)
        return generation == 0 || generation == 2;
    return false;
}

bool isHardwareType9or10(int type) { return type == 9 || type == 10; }

bool isKNVType(int type) { return type == 11 || type == 12 || type == 14; }

bool isQMBZType(int type) { return type == 4 || type == 8; }

bool areHardwareTypesCompatible(int a, int b)
{
    if (a == b)
        return true;
    // Types 1 to 4 pair with the type four above them.
    if (a >= 1 && a <= 8 && b >= 1 && b <= 8 && (a - b == 4 || b - a == 4))
        return true;
    return (isHardwareType9or10(a) && isHardwareType9or10(b)) || (isKNVType(a) && isKNVType(b));
}

}  // namespace Quil
