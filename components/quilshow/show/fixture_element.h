// FixtureElement: one element of a patched fixture in a version-1 show, a
// fixture model element with the patch records that place it on outputs and
// an index from function id to its parameter.
//
// Elements are owned by the show's element table; an element holds its patch
// records by value. Thread safety: GUI thread only, like the show.
#ifndef QUILSHOW_SHOW_FIXTURE_ELEMENT_H
#define QUILSHOW_SHOW_FIXTURE_ELEMENT_H

#include "components/quilshow/show/fixture_model.h"
#include "components/quilshow/show/patch_record.h"
#include "components/quilshow/show/small_vector.h"

#include <QtGlobal>

namespace Quil {

class FixtureElement : public FixtureModelElement
{
public:
    FixtureElement() = default;
    FixtureElement(const FixtureElement&) = default;
    FixtureElement& operator=(const FixtureElement&) = delete;

    sortvector_el* clone() const override { return new FixtureElement(*this); }
    // Marker 0x011A (0xB0B0 below version 17), the element's fields, a count
    // of patch records and the records, marker 0x011B (0xC0C0). Below version
    // 302 the derived flag bits are worked out here, as older shows did not
    // store them.
    void stream(ShowStreamer& in) override;

    // Position in `parameters` of the first parameter of `function`, or -1.
    int parameterIndex(quint16 function) const;
    bool operator==(const FixtureElement& other) const
    {
        return FixtureModelElement::operator==(other) && patchRecords == other.patchRecords
            && dimmerCurve == other.dimmerCurve;
    }

    // The model's dimmer curve, recorded by the fixtures of streams below 235.
    quint32 dimmerCurve = 0;
    // Room for the one or two records that elements mostly have.
    SmallVector<PatchRecord, 2> patchRecords;
};

}  // namespace Quil

#endif  // QUILSHOW_SHOW_FIXTURE_ELEMENT_H
