#include "applications/morvant/conversion/palette_tables.h"

namespace {

// A look element's four-bit "none".
const qint64 kNoneOf4Bits = 0xF;

}  // namespace

const PaletteTables& PaletteTables::shipped()
{
    static const PaletteTables tables {{"palette value kind", {}, 0},
                                       {"crossfade path", {}, kNoneOf4Bits},
                                       {"FX table", {}, 0},
                                       {"offset style", {}, kNoneOf4Bits}};
    return tables;
}
