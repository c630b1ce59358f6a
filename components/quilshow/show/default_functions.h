// The fixed set of functions with which every version-1 show starts, and from
// which the reader brings the functions of older shows up to date. Built
// before main, never changed.
//
// Thread safety: constant data; any thread.
#ifndef QUILSHOW_SHOW_DEFAULT_FUNCTIONS_H
#define QUILSHOW_SHOW_DEFAULT_FUNCTIONS_H

#include <QtGlobal>

namespace Quil {

class Function;

struct DefaultFunction
{
    quint32 id;
    const char* name;
    quint32 categoryMask;
};

const int kDefaultFunctionCount = 31;
// Rows in table order; rows 8 to 11 hold ids 9, 8, 11, 10.
extern const DefaultFunction kDefaultFunctions[kDefaultFunctionCount];

// A new function made from row `row` of the table.
Function* makeDefaultFunction(int row);

}  // namespace Quil

#endif  // QUILSHOW_SHOW_DEFAULT_FUNCTIONS_H
