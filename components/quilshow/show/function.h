// Function: one named parameter kind of a version-1 show (intensity, colour,
// pan, ...), to which fixture parameters and palette values refer by id; and
// the rules by which ids of older streams are moved to their current numbers.
//
// Functions are owned by the show's function table. The renumbering threshold
// is process-wide state of the reader; the loader resets it for every load.
// Thread safety: GUI thread only, like the show.
#ifndef QUILSHOW_SHOW_FUNCTION_H
#define QUILSHOW_SHOW_FUNCTION_H

#include "components/quilshow/show/show_thing.h"

#include <QtGlobal>

#include <string>

namespace Quil {

class Function : public ShowThing
{
public:
    Function() = default;
    Function(quint16 id, const std::string& name, quint32 categoryMask)
        : ShowThing(id), name(name), categoryMask(categoryMask)
    {}

    sortvector_el* clone() const override { return new Function(*this); }
    // Marker 0x0102 (0x0101 below version 17), u16 id, show text name, u32
    // category mask, marker 0x0103 (0x0202).
    void stream(ShowStreamer& in) override;
    bool operator==(const Function&) const = default;

    std::string name;
    // One bit per category; its low seven bits are what fixture elements test
    // when they derive their flags (calculated functions have none of them).
    quint32 categoryMask = 0;
};

// Value of the threshold before any show was read.
const quint32 kDefaultFunctionRenumberThreshold = 128;
// Set when an older show stored functions in the slots of the calculated ones.
const quint32 kLowFunctionRenumberThreshold = 23;

quint32 functionRenumberThreshold();
void setFunctionRenumberThreshold(quint32 threshold);

// The id that stands for "no function"; renumbering keeps it.
const quint32 kNoFunctionId = 0xFFFF;

// The current id of function `id` read from a stream of `version`.
quint32 renumberFunction(quint32 id, quint16 version);

// True when a function id met in a stream of `version` shows that the show
// numbered its own functions from 23 (the threshold then becomes 23).
bool lowersFunctionRenumberThreshold(quint32 id, quint16 version);

}  // namespace Quil

#endif  // QUILSHOW_SHOW_FUNCTION_H
