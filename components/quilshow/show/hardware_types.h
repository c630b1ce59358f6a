// Families of version-1 controller hardware type numbers, and which two types
// can stand in for each other.
//
// Thread safety: pure functions; any thread.
#ifndef QUILSHOW_SHOW_HARDWARE_TYPES_H
#define QUILSHOW_SHOW_HARDWARE_TYPES_H

#include <QtGlobal>

namespace Quil {

// Types 3 and 7.
bool isKelvoType(int type);
// Types 1 and 5 (generation 1) and 2 and 6 (generation 2); generation 0 is any.
bool isQMBType(int type, quint16 generation);
bool isHardwareType9or10(int type);
// Types 11, 12 and 14.
bool isKNVType(int type);
// Types 4 and 8.
bool isQMBZType(int type);
// Equal types, the pairs 1/5, 2/6, 3/7, 4/8, 9/10, and any two KNV types.
bool areHardwareTypesCompatible(int a, int b);

}  // namespace Quil

#endif  // QUILSHOW_SHOW_HARDWARE_TYPES_H
