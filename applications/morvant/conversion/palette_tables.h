// What the fields of version-1 palette values become in version-2 look
// elements: the value kind, the crossfade path, the FX table and the offset
// style. Which numbers mean the same on both sides is not known, so the
// program ships every table empty: each palette's values are then reported
// as having no counterpart. A value whose kind has no row is left out; the
// other fields fall back to their "none" (crossfade path and offset style
// 0xF, FX table 0, which carries no numbers) and are logged.
//
// Constant data; GUI thread only, like the conversion that reads it.
#ifndef APPLICATIONS_MORVANT_CONVERSION_PALETTE_TABLES_H
#define APPLICATIONS_MORVANT_CONVERSION_PALETTE_TABLES_H

#include "applications/morvant/conversion/enum_conversions.h"

struct PaletteTables
{
    EnumConversion kind;
    EnumConversion crossfadePath;
    EnumConversion fxTable;
    EnumConversion offsetStyle;

    // The tables the program converts with.
    static const PaletteTables& shipped();
};

#endif  // APPLICATIONS_MORVANT_CONVERSION_PALETTE_TABLES_H
