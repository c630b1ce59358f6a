// Fixtures of a version-1 show: each patched fixture with its copy of the
// model header, the ids of its elements, its patch points and its place on
// the plan; and the show component that holds the element and fixture
// tables and answers the converter's questions about them.
//
// The component owns both tables; taking a fixture out of its table releases
// (deletes) the elements it lists. Thread safety: GUI thread only, like the
// show.
#ifndef QUILSHOW_SHOW_FIXTURE_H
#define QUILSHOW_SHOW_FIXTURE_H

#include "components/quilshow/show/fixture_element.h"
#include "components/quilshow/show/fixture_model.h"
#include "components/quilshow/show/show_thing.h"
#include "components/quilshow/show/small_vector.h"

#include <QtGlobal>

#include <string>
#include <utility>
#include <vector>

namespace Quil {

// The fixture's name and its place on the plan.
// Fields ordered for size (see ParamRange).
struct PlanSettings
{
    ShortString name;
    ShortString label;
    ShortString text3;
    quint32 planX = 0;
    quint32 planY = 0;
    quint16 planWord = 0;
    bool planFlag1 = false;
    bool planFlag2 = false;
    bool planFlag3 = false;
    quint8 red = 0xFF;
    quint8 green = 0xFF;
    quint8 blue = 0xFF;

    // Marker 0x0116 (0x7070 below version 17) ... 0x0117 (0x8080).
    void stream(ShowStreamer& in);
    bool operator==(const PlanSettings&) const = default;
};

class Fixture : public ShowThing
{
public:
    sortvector_el* clone() const override { return new Fixture(*this); }
    // Marker 0x010C (0x0B0B below version 17) ... 0x010D (0x0C0C).
    void stream(ShowStreamer& in) override;

    bool isDaliEmergencyBallast() const { return modelSpec.kind == 9; }
    bool hasKind2To4() const { return modelSpec.kind >= 2 && modelSpec.kind <= 4; }
    bool operator==(const Fixture&) const = default;

    // First, where they fill the base's tail.
    quint16 number = 0xFFFF;
    bool fixtureFlag = false;
    ModelSpec modelSpec;
    PlanSettings planSettings;
    SmallVector<quint16> elementIds;
    // Each entry is (patchType, patchValue).
    SmallVector<std::pair<quint32, quint32>> patchList;
    SmallVector<std::pair<quint32, quint32>> extraPairs;
};

class FixtureShowComponent
{
public:
    // Ids 0 to 65534: records use 0xFFFF for "none".
    static constexpr quint32 kMaximumCount = 0xFFFF;

    FixtureShowComponent();
    ~FixtureShowComponent();

    FixtureShowComponent(const FixtureShowComponent&) = delete;
    FixtureShowComponent& operator=(const FixtureShowComponent&) = delete;

    // The element section: a u16 count and the element records.
    void readElements(ShowStreamer& in);
    // The fixture section: a u16 count and the fixture records. Fixtures of
    // streams below 235 record their model's dimmer curve on their elements;
    // an element id the table lacks fails with "Unknown fixture element id".
    // Old model headers, which store a grid size, may make at most 65,536
    // more points in all than the fixtures list elements (one point each):
    // else the read fails, before a small file could ask for gigabytes.
    void readFixtures(ShowStreamer& in);
    // Takes the fixture out of its table and releases its elements; false
    // when there is no such fixture.
    bool removeFixture(quint32 fixtureId);
    void clear();

    // The fixtureParameterFlag of the first element's parameter for
    // `functionId`; false when the fixture has no elements, its first element
    // is missing or has no such parameter. Throws std::logic_error "Invalid
    // fixture" for an absent fixture.
    bool getFixtureParameterFlag(quint32 fixtureId, quint32 functionId) const;
    // Throws std::logic_error "Invalid fixture" for an absent fixture.
    const ModelSpec& getModelSpec(quint32 fixtureId) const;
    bool operator==(const FixtureShowComponent&) const = default;

    sortvector<FixtureElement> elements;
    sortvector<Fixture> fixtures;

private:
    const Fixture& fixtureOf(quint32 fixtureId) const;
};

}  // namespace Quil

#endif  // QUILSHOW_SHOW_FIXTURE_H
