#include "components/quilshow/show/fixture.h"

#include "components/quilshow/show/show_streamer.h"

#include <memory>
#include <stdexcept>

namespace Quil {

namespace {

// Fixtures of older streams give their elements the model's dimmer curve.
const quint16 kElementDimmerCurveVersion = 235;
const quint32 kTableGrowth = 1024;

}  // namespace

void PlanSettings::stream(ShowStreamer& in)
{
    const quint16 v = in.version;
    in.expectMarker(in.marker(0x0116, 0x7070));
    in.readText(name).readU32(planX).readU32(planY).readBool(planFlag1).readBool(planFlag2).readU16(planWord);
    if ((v >= 169 && v <= 199) || v >= 212)
        in.readBool(planFlag3);
    if (v >= 60)
        in.readText(label).readText(text3);
    if (v < 21) {
        quint32 discarded = 0;
        for (int i = 0; i < 6; ++i)
            in.readU32(discarded);
    }
    if (v >= 18)
        in.readU8(red).readU8(green).readU8(blue);
    in.expectMarker(in.marker(0x0117, 0x8080));
}

void Fixture::stream(ShowStreamer& in)
{
    const quint16 v = in.version;
    in.expectMarker(in.marker(0x010C, 0x0B0B));
    readId(in);
    modelSpec.stream(in);
    in.readU16(number).readBool(fixtureFlag);

    quint16 count = 0;
    in.readU16(count);
    in.checkAvailable(count, 2);
    elementIds.resize(count);
    for (quint16& elementId : elementIds)
        in.readU16(elementId);

    if (v >= 20) {
        in.readU16(count);
        in.checkAvailable(count, 8);
        extraPairs.resize(count);
        for (auto& pair : extraPairs)
            in.readU32Pair(pair);
    }

    if (v >= 154) {
        const quint32 patchCount = in.readCount();
        in.checkAvailable(patchCount, 8);
        patchList.resize(patchCount);
        for (auto& entry : patchList)
            in.readU32PairSwapped(entry);
    } else if (v >= 27) {
        std::vector<quint32> values;
        in.readU32Vector(values);
        patchList.reserve(values.size());
        for (quint32 value : values)
            patchList.emplace_back(1, value);
    }

    planSettings.stream(in);
    in.expectMarker(in.marker(0x010D, 0x0C0C));
}

FixtureShowComponent::FixtureShowComponent()
    : elements(kTableGrowth, kMaximumCount), fixtures(kTableGrowth, kMaximumCount)
{}

FixtureShowComponent::~FixtureShowComponent() { clear(); }

void FixtureShowComponent::readElements(ShowStreamer& in) { readItemList(in, elements); }

void FixtureShowComponent::readFixtures(ShowStreamer& in)
{
    quint64 gridPoints = 0;
    quint64 listedElements = 0;
    readItemList(in, fixtures, [&](const Fixture& fixture) {
        if (in.version < ModelSpec::kStoredPointsVersion) {
            gridPoints += fixture.modelSpec.points.size();
            listedElements += fixture.elementIds.size();
            if (gridPoints > listedElements + ModelSpec::kMaximumGridPoints)
                throwGridTooLarge();
        }
        if (in.version >= kElementDimmerCurveVersion)
            return;
        for (quint16 elementId : fixture.elementIds) {
            FixtureElement* element = elements.find(elementId);
            if (!element)
                throw std::runtime_error("Unknown fixture element id");
            element->dimmerCurve = fixture.modelSpec.dimmerCurve;
        }
    });
}

bool FixtureShowComponent::removeFixture(quint32 fixtureId)
{
    const Fixture* fixture = fixtures.find(fixtureId);
    if (!fixture)
        return false;
    const SmallVector<quint16> elementIds = fixture->elementIds;
    fixtures.remove(fixtureId);
    for (quint16 elementId : elementIds)
        elements.remove(elementId);
    return true;
}

void FixtureShowComponent::clear()
{
    // Fixtures go first: they release the elements they list.
    fixtures.clear();
    elements.clear();
}

const Fixture& FixtureShowComponent::fixtureOf(quint32 fixtureId) const
{
    const Fixture* fixture = fixtures.find(fixtureId);
    if (!fixture)
        throw std::logic_error("Invalid fixture");
    return *fixture;
}

bool FixtureShowComponent::getFixtureParameterFlag(quint32 fixtureId, quint32 functionId) const
{
    const Fixture& fixture = fixtureOf(fixtureId);
    if (fixture.elementIds.empty() || functionId > 0xFFFF)
        return false;
    const FixtureElement* element = elements.find(fixture.elementIds.front());
    if (!element)
        return false;
    const int index = element->parameterIndex(static_cast<quint16>(functionId));
    return index >= 0 && element->parameters[index].fixtureParameterFlag;
}

const ModelSpec& FixtureShowComponent::getModelSpec(quint32 fixtureId) const { return fixtureOf(fixtureId).modelSpec; }

}  // namespace Quil
