#include "components/quilshow/show/default_functions.h"

#include "components/quilshow/show/function.h"

namespace Quil {

const DefaultFunction kDefaultFunctions[kDefaultFunctionCount] = {
    {0, "Intensity", 1},
    {1, "Colour Temp Correct", 4},
    {2, "Strobe", 1},
    {3, "Pan", 2},
    {4, "Tilt", 2},
    {5, "Cyan", 4},
    {6, "Magenta", 4},
    {7, "Yellow", 4},
    {9, "Colour", 4},
    {8, "Colour Mode", 4},
    {11, "Colour 2", 4},
    {10, "Colour Mode 2", 4},
    {12, "Gobo Mode", 8},
    {13, "Gobo", 8},
    {14, "Gobo <> Mode", 8},
    {15, "Gobo <>", 8},
    {16, "Gobo Mode 2", 8},
    {17, "Gobo 2", 8},
    {18, "Gobo <> Mode 2", 8},
    {19, "Gobo <> 2", 8},
    {20, "Iris", 16},
    {21, "Amber", 4},
    {22, "Old White", 4},
    {23, "Calculated 1", 128},
    {24, "Calculated 2", 128},
    {25, "Calculated 3", 128},
    {26, "Calculated 4", 128},
    {27, "Calculated 5", 128},
    {28, "Calculated 6", 128},
    {29, "Calculated 7", 128},
    {30, "White", 4},
};

Function* makeDefaultFunction(int row)
{
    const DefaultFunction& entry = kDefaultFunctions[row];
    return new Function(static_cast<quint16>(entry.id), entry.name, entry.categoryMask);
}

}  // namespace Quil
