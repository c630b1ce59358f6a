// Fixture model definitions of a version-1 show: the model header that every
// fixture carries (ModelSpec) and the model elements with their parameters,
// parameter ranges, patch offsets and patch points (FixtureModelElement),
// with their stream records and the operations the converter calls.
//
// Plain values owned by the fixture or element table that holds them.
// updateFlags looks functions up in the loaded show (Quil::_gpShow).
// Thread safety: GUI thread only, like the show.
#ifndef QUILSHOW_SHOW_FIXTURE_MODEL_H
#define QUILSHOW_SHOW_FIXTURE_MODEL_H

#include "components/quilshow/show/function.h"
#include "components/quilshow/show/show_thing.h"
#include "components/quilshow/show/small_vector.h"

#include <QtGlobal>

#include <map>
#include <string>
#include <utility>
#include <vector>

namespace Quil {

// The items of a show are many: fields are ordered for size, not as records
// store them, so that no padding makes an item a size class larger.
struct ParamRange
{
    ShortString name;
    quint16 low = 0;
    quint16 high = 0;
    quint16 rangeWord1 = 0;
    quint16 rangeWord2 = 0;

    // Marker 0x010A (0x0909 below version 17) ... 0x010B (0x0A0A).
    void stream(ShowStreamer& in);
    bool operator==(const ParamRange&) const = default;
};

struct Parameter
{
    // Below 5; type 4 needs no function and no range.
    quint32 type = 0xFFFFFFFF;
    quint16 function = kNoFunctionId;
    quint16 patchOffset = 0xFFFF;
    quint16 paramWord1 = 0;
    quint16 paramWord2 = 0;
    quint32 paramValue = 1;
    bool noPatchOffset = false;
    bool paramFlag = false;
    bool fixtureParameterFlag = false;
    quint16 paramWord3 = 0;
    // Nearly always one.
    SmallVector<ParamRange, 1> ranges;

    // Marker 0x0108 (0x0707 below version 17) ... 0x0109 (0x0808); the
    // function is moved to its current number.
    void stream(ShowStreamer& in);
    // Throws std::runtime_error "Invalid parameter type", "Invalid parameter
    // function", "Invalid patch offset" or "No paramranges specified".
    void validate() const;
    bool operator==(const Parameter&) const = default;
};

struct PatchPoint
{
    quint8 group = 0;
    quint16 channelCount = 0;

    // Marker 0x0112 (0x3030 below version 17) ... 0x0113 (0x4040).
    void stream(ShowStreamer& in);
    bool operator==(const PatchPoint&) const = default;
};

// The model header a fixture keeps of its fixture type.
struct ModelSpec
{
    // Headers of older streams store a grid size instead of their points.
    static constexpr quint16 kStoredPointsVersion = 290;
    // A fixture lists at most 65,535 elements, one point each.
    static constexpr quint64 kMaximumGridPoints = 65536;

    ShortString name;
    SmallVector<std::pair<quint16, quint16>> points {{0, 0}};
    // 9 is the DALI emergency ballast.
    quint32 kind = 0;
    quint32 dimmerCurve = 0;
    quint32 specValue1 = 0;
    quint32 factor = 0x10000;
    quint32 specValue2 = 0;
    quint32 specValue3 = 0;
    // The fixture type's key in the fixture library.
    quint16 manufacturerId = 0xFFFF;
    quint16 modelId = 0xFFFF;
    quint16 specWord1 = 0xFFFF;
    quint16 specWord2 = 0xFFFF;
    // Within 4 to 1024 once read.
    quint16 xElDimension = 0xFFFF;
    quint16 yElDimension = 0xFFFF;
    bool specFlag = false;
    quint8 specByte1 = 0;
    quint8 specByte2 = 0;
    // Stored as a byte: held as one, so that a fixture is a size class smaller.
    quint8 specFlagByte = 1;

    // The header as the fixture record stores it (no markers of its own).
    // Old headers describe a grid of points; more than 65,536 points fails
    // with the read error.
    void stream(ShowStreamer& in);
    // (largest x + xElDimension, largest y + yElDimension), largest taken as
    // 0 when there are no points.
    std::pair<quint32, quint32> extent() const;
    bool operator==(const ModelSpec&) const = default;
};

class FixtureModelElement : public ShowThing
{
public:
    // Flag bits: 0x01 and 0x02 derived by updateFlags, 0x04 and 0x08 stored
    // (0x04 also set by addParameter), 0x10 an element the plan hides.
    static constexpr quint16 kFlagOffsetFunction = 0x01;
    static constexpr quint16 kFlagCategorisedFunction = 0x02;
    static constexpr quint16 kFlag04 = 0x04;
    static constexpr quint16 kFlag08 = 0x08;
    static constexpr quint16 kFlagHidden = 0x10;
    static constexpr quint32 kAllGroups = 0xFFFFFFFF;

    struct PatchOffset
    {
        quint16 offset = 0;
        quint8 flag = 0;

        bool operator==(const PatchOffset&) const = default;
    };

    sortvector_el* clone() const override { return new FixtureModelElement(*this); }
    // The element's fields; the record that frames them is the caller's.
    void stream(ShowStreamer& in) override;

    // Adds a parameter of `function` with one full range; a function-0
    // parameter goes first. Throws like Parameter::validate.
    void addParameter(quint16 function, quint32 type);
    // Sets flag bits 0x01 and 0x02 from the parameters; functions the loaded
    // show lacks set nothing.
    void updateFlags();
    // Channels of the patch points of `group` (kAllGroups: of all).
    quint32 getFootprint(quint32 group) const;
    bool operator==(const FixtureModelElement&) const = default;

    // First, where they fill the padding after the base's id: with the patch
    // records of a show's element, that keeps it one size class smaller.
    quint16 flags = 0;
    quint16 xElDimension = 10;
    quint16 yElDimension = 10;
    ShortString name;
    // Room for the two that elements mostly have.
    SmallVector<Parameter, 2> parameters;
    SmallVector<PatchOffset> patchOffsets;
    SmallVector<PatchPoint> patchPoints;
    quint16 elementWord1 = 360;
    quint16 elementWord2 = 0;
    quint16 elementWord3 = 220;
    quint16 elementWord4 = 0;
    bool elementFlag = false;
};

// Fails with the streamer's read error ("Error reading/writing from file"):
// an old grid would make far more points than the show has elements for.
[[noreturn]] void throwGridTooLarge();

// Values that elements of streams 304 to 352 carry, by element id. Process
// wide; every load clears it.
std::map<quint32, quint16>& elementValueMap();

}  // namespace Quil

#endif  // QUILSHOW_SHOW_FIXTURE_MODEL_H
