#include "components/quilshow/show/fixture.h"
#include "components/quilshow/tests/show_load_fixture.h"

#include <stdexcept>
#include <tuple>

using namespace Quil;

namespace {

typedef ShowLoadFixture FixtureTest;

typedef std::vector<std::pair<quint16, quint16>> Points;

ShowWriter elementOf(quint16 version, const ShowContent::ElementRecord& record)
{
    ShowWriter w(version);
    writeElement(w, record);
    return w;
}

std::vector<quint16> functionsOf(const FixtureElement& element)
{
    std::vector<quint16> functions;
    for (const Parameter& parameter : element.parameters)
        functions.push_back(parameter.function);
    return functions;
}

// A model header below 290: a grid of `columns` x `rows` points.
ShowWriter oldHeader(quint16 version, quint16 columns, quint16 rows)
{
    ShowWriter w(version);
    w.string("M").u16(1).u16(8).u16(1).u16(columns).u16(rows).u16(10).u16(20).u32(0).u32(0).u8(1).u32(1);
    return w;
}

TEST_F(FixtureTest, ElementRecordAtItsVersions)
{
    for (quint16 v : {16, 17, 48, 49, 77, 78, 110, 111, 149, 150, 301, 302, 303, 304, 352, 353}) {
        SCOPED_TRACE(v);
        elementValueMap().clear();
        FixtureElement element;
        element.stream(open(elementOf(v, {9, {3, 0}})));
        EXPECT_EQ(0u, in.bytesLeft());
        // The function-0 parameter read last comes first; the index follows.
        EXPECT_EQ((std::vector<quint16> {0, 3}), functionsOf(element));
        EXPECT_EQ(std::make_tuple(9, 1, -1, true),
                  std::make_tuple(int(element.id()), element.parameterIndex(3), element.parameterIndex(4),
                                  element.parameters[1].fixtureParameterFlag));
        EXPECT_EQ(v >= 78 ? 7 : 0, element.parameters[1].paramWord3);
        EXPECT_EQ(6u, element.getFootprint(1));
        // Below 302 the stored bits are 0x04 (from 49) and 0x08 (from 111),
        // and Pan's category gives 0x02; from 302 the word as stored.
        EXPECT_EQ(v >= 302 ? 0x04 : (v >= 49 ? 0x04 : 0) | (v >= 111 ? 0x08 : 0) | 0x02, element.flags);
        EXPECT_EQ(v >= 304 && v <= 352 ? 1u : 0u, elementValueMap().count(9));

        ASSERT_EQ(2u, element.patchRecords.size());
        const PatchRecord& second = *element.patchRecords.back();
        if (v < 150) {
            EXPECT_EQ(1, static_cast<const DmxPatchRecord&>(second).channel);
        } else {
            EXPECT_EQ(4, dynamic_cast<const KiNETPatchRecord&>(second).powerSupplyId);
        }
    }
    EXPECT_EQ("Magic number doesn't match 45232",
              errorOf([&] { FixtureElement().stream(open(ShowWriter(16).u16(0x011A))); }));
}

TEST_F(FixtureTest, FunctionRenumberingOfParameters)
{
    const std::tuple<quint16, quint32, std::vector<quint16>, std::vector<quint16>> cases[] = {
        {66, 128, {22, 21, 0xFFFF}, {32, 21, 0xFFFF}},
        {67, 128, {22, 23, 0xFFFF}, {22, 32, 0xFFFF}},
        {130, 23, {25, 40, 0xFFFF}, {34, 44, 0xFFFF}},
        {130, 128, {25, 40, 31, 0xFFFF}, {25, 44, 35, 0xFFFF}},
        {110, 23, {22, 23, 0xFFF8}, {22, 32, 0xFFFF}},  // an id that would wrap names no function
        {302, 23, {25, 40}, {25, 40}}};
    for (const auto& [version, threshold, stored, current] : cases) {
        setFunctionRenumberThreshold(threshold);
        FixtureElement element;
        element.stream(open(elementOf(version, {1, stored})));
        EXPECT_EQ(current, functionsOf(element)) << version;
        // "No function" sets no flag bit, like a function the show lacks.
        EXPECT_EQ(0, element.flags & FixtureModelElement::kFlagCategorisedFunction);
    }
    setFunctionRenumberThreshold(kDefaultFunctionRenumberThreshold);
    EXPECT_EQ(0xFFFFu, renumberFunction(0xFFFF, 10));
}

TEST_F(FixtureTest, ParameterChecksAddingAndFlags)
{
    // Type, function, patch offset, no patch offset, a range.
    const std::tuple<quint32, quint16, quint16, bool, bool, const char*> checks[] = {
        {5, 1, 0, false, true, "Invalid parameter type"},
        {0, 0xFFFF, 0, false, true, "Invalid parameter function"},
        {4, 0xFFFF, 0xFFFF, false, false, "Invalid patch offset"},
        {0, 1, 0xFFFF, true, false, "No paramranges specified"},
        {4, 0xFFFF, 0xFFFF, true, false, "no error"}};
    for (const auto& [type, function, offset, noOffset, ranges, error] : checks) {
        Parameter p;
        std::tie(p.type, p.function, p.patchOffset, p.noPatchOffset) =
            std::make_tuple(type, function, offset, noOffset);
        p.ranges.resize(ranges ? 1 : 0);
        EXPECT_EQ(error, errorOf([&] { p.validate(); }));
    }

    FixtureModelElement element;
    element.addParameter(5, 0);
    element.addParameter(0, 2);
    EXPECT_EQ(FixtureModelElement::kFlag04, element.flags);
    ASSERT_EQ(2u, element.parameters.size());
    const Parameter& first = element.parameters[0];
    ASSERT_EQ(1u, first.ranges.size());
    EXPECT_EQ(std::make_tuple(0, 65535, 65535, 2),
              std::make_tuple(int(first.function), int(first.paramWord2), int(first.ranges[0].high),
                              int(first.ranges[0].rangeWord1)));
    EXPECT_TRUE(element.parameters[1].paramFlag);
    EXPECT_EQ(255, element.parameters[1].ranges[0].high);
    EXPECT_EQ("Invalid parameter function", errorOf([&] { element.addParameter(0xFFFF, 1); }));
    EXPECT_EQ(2u, element.parameters.size());

    // Offset functions set 0x01 only when patched; categories come from the
    // show's function (Pan has one, a calculated function none, 40 is absent).
    const std::tuple<quint16, bool, quint16> flagCases[] = {{5, false, 0x01}, {30, true, 0},  {3, true, 0x02},
                                                            {23, true, 0},    {40, false, 0}, {0, false, 0}};
    for (const auto& [function, noPatchOffset, flags] : flagCases) {
        FixtureModelElement e;
        e.parameters.resize(1);
        std::tie(e.parameters[0].function, e.parameters[0].noPatchOffset) = std::make_tuple(function, noPatchOffset);
        e.updateFlags();
        EXPECT_EQ(flags, e.flags) << function;
    }

    FixtureModelElement points;
    EXPECT_EQ(0u, points.getFootprint(FixtureModelElement::kAllGroups));
    points.patchPoints = {{1, 3}, {2, 4}};
    EXPECT_EQ(7u, points.getFootprint(FixtureModelElement::kAllGroups));
    EXPECT_EQ(4u, points.getFootprint(2));
    EXPECT_EQ(0u, points.getFootprint(3));
}

TEST_F(FixtureTest, ModelHeaderForms)
{
    // Below 11 the ids are bytes; a dimension that was never stored becomes 1024.
    ModelSpec old;
    old.stream(open(ShowWriter(10).string("M").u16(5).u8(36).u8(3).u16(1).u16(1).u32(9)));
    EXPECT_EQ(0u, in.bytesLeft());
    EXPECT_EQ(std::make_tuple(67, 192, 0u, 0x10000u),
              std::make_tuple(int(old.manufacturerId), int(old.modelId), old.specFlagByte, old.factor));
    EXPECT_EQ(std::make_pair(1024u, 1024u), old.extent());
    for (const auto& c : {std::make_pair(25, 44), std::make_pair(255, 0xFFFF), std::make_pair(7, 7)}) {
        ModelSpec modelSpec;
        modelSpec.stream(open(ShowWriter(10).string("M").u16(1).u8(quint8(c.first)).u8(255).u16(1).u16(1).u32(0)));
        EXPECT_EQ(std::make_pair(c.second, 0xFFFF),
                  std::make_pair(int(modelSpec.manufacturerId), int(modelSpec.modelId)));
    }

    ModelSpec grid;
    grid.stream(open(oldHeader(289, 3, 2)));
    EXPECT_EQ((Points {{0, 0}, {10, 0}, {20, 0}, {0, 20}, {10, 20}, {20, 20}}), grid.points);
    EXPECT_EQ(std::make_pair(30u, 40u), grid.extent());

    // Dimensions are kept within 4 to 1024 in every form.
    ModelSpec clamped;
    clamped.stream(
        open(ShowWriter(290).string("M").u16(1).u16(8).u16(1).count(0).u16(2).u16(5000).u32(0).u32(0).u8(1).u32(1)));
    EXPECT_TRUE(clamped.points.empty());
    EXPECT_EQ(std::make_pair(4u, 1024u), clamped.extent());
    FixtureModelElement element;
    element.stream(open(hexBody(454, "0100 01000000 45 0000 0000 0000 0000 0000 0000 0000 00 0200 8813 0000")));
    EXPECT_EQ(std::make_pair(4, 1024), std::make_pair(int(element.xElDimension), int(element.yElDimension)));

    // An old grid is made, not read: more than 65,536 points is refused, and
    // so are grids in all far beyond the elements the fixtures list.
    EXPECT_EQ("no error", errorOf([&] { ModelSpec().stream(open(oldHeader(100, 256, 256))); }));
    EXPECT_EQ("Error reading/writing from file", errorOf([&] { ModelSpec().stream(open(oldHeader(100, 257, 256))); }));
    for (quint16 fixtureCount : {1, 2}) {
        ShowWriter section(100);
        section.u16(fixtureCount);
        for (quint16 id = 0; id < fixtureCount; ++id)
            writeFixture(section, {id, {}, 1, 256, 256});
        FixtureShowComponent component;
        EXPECT_EQ(fixtureCount == 1 ? "no error" : "Error reading/writing from file",
                  errorOf([&] { component.readFixtures(open(section)); }));
    }
}

TEST_F(FixtureTest, FixtureRecordAtItsVersions)
{
    for (quint16 v :
         {10,  11,  16,  17,  19,  20,  26,  27,  32,  33,  45,  46,  49,  50,  59,  60,  62,  63,  100, 153,
          154, 161, 162, 168, 169, 199, 200, 201, 202, 208, 209, 211, 212, 289, 290, 313, 314, 416, 417}) {
        SCOPED_TRACE(v);
        for (quint32 kind : {11, 9, 1}) {
            ShowWriter w(v);
            writeFixture(w, {4, {1, 2}, kind});
            if (v == 16) {  // the frame below 17
                EXPECT_EQ(QByteArray::fromHex("0b0b0c0c"), w.data.left(2) + w.data.right(2));
            }
            Fixture fixture;
            fixture.stream(open(w));
            ASSERT_EQ(0u, in.bytesLeft()) << kind;
            const ModelSpec& header = fixture.modelSpec;
            EXPECT_EQ(std::make_tuple(kind == 9 && v >= 417, kind == 11 && v >= 202 ? 11u : 0u, kind == 9, false),
                      std::make_tuple(header.specFlag, header.specValue1, fixture.isDaliEmergencyBallast(),
                                      fixture.hasKind2To4()));
            if (kind != 1)
                continue;
            // (8, 65) reads as (8, 0) up to 161 and from 200 to 208.
            const bool renamed = v <= 161 || (v >= 200 && v <= 208);
            EXPECT_EQ(v < 11 ? std::make_pair(2, 64) : std::make_pair(8, renamed ? 0 : 65),
                      std::make_pair(int(header.manufacturerId), int(header.modelId)));
            const quint16 dimension = v >= 46 ? 10 : 1024;
            EXPECT_EQ((Points {{0, 0}, {dimension, 0}}), header.points);
            EXPECT_EQ(std::make_tuple(v >= 314 ? 1 : 0xFFFF, v >= 33 ? 3u : 0u, v >= 63 ? 0x20000u : 0x10000u),
                      std::make_tuple(int(header.specWord1), header.dimmerCurve, header.factor));
            EXPECT_EQ(
                std::make_tuple(4, 104, std::vector<quint16>({1, 2}), v >= 20 ? 1u : 0u),
                std::make_tuple(int(fixture.id()), int(fixture.number), fixture.elementIds, fixture.extraPairs.size()));
            // Pairs (type, value): stored swapped from 154, values of type 1 from 27.
            using List = std::vector<std::pair<quint32, quint32>>;
            EXPECT_EQ((v >= 154 ? List {{2, 7}} : v >= 27 ? List {{1, 7}} : List {}), fixture.patchList);
            const PlanSettings& plan = fixture.planSettings;
            EXPECT_EQ(std::make_tuple(200u, (v >= 169 && v <= 199) || v >= 212, std::string(v >= 60 ? "Label" : ""),
                                      v >= 18 ? 3 : 0xFF),
                      std::make_tuple(plan.planY, plan.planFlag3, plan.label, int(plan.blue)));
        }
    }
    EXPECT_EQ("Magic number doesn't match 2827", errorOf([&] { Fixture().stream(open(ShowWriter(16).u16(0x010C))); }));
}

TEST_F(FixtureTest, ShowQuestionsAndRelease)
{
    ShowContent content;
    content.elements = {{1, {0, 3}}, {2, {4}}, {3, {3}}};
    content.fixtures = {{1, {1, 2}}, {2, {}}, {3, {9, 3}}, {1, {3}}};  // the second fixture 1 is dropped
    ASSERT_EQ(kShowLoaded, load(content).code) << firstLog();
    FixtureShowComponent& fixtures = show().fixtures();
    ASSERT_EQ(3u, fixtures.fixtures.size());
    EXPECT_TRUE(fixtures.getFixtureParameterFlag(1, 3));
    EXPECT_FALSE(fixtures.getFixtureParameterFlag(1, 4));   // only the first element counts
    EXPECT_FALSE(fixtures.getFixtureParameterFlag(1, 40));  // no such function
    EXPECT_FALSE(fixtures.getFixtureParameterFlag(1, 0x10003));
    EXPECT_FALSE(fixtures.getFixtureParameterFlag(2, 3));  // no elements
    EXPECT_FALSE(fixtures.getFixtureParameterFlag(3, 3));  // first element missing
    EXPECT_EQ("Invalid fixture", errorOf<std::logic_error>([&] { fixtures.getFixtureParameterFlag(7, 3); }));
    EXPECT_EQ("Invalid fixture", errorOf<std::logic_error>([&] { fixtures.getModelSpec(7); }));
    EXPECT_EQ(65, fixtures.getModelSpec(1).modelId);

    // A copy releases nothing; taking a fixture out releases its elements,
    // ids the table lacks are passed over.
    delete fixtures.fixtures.find(3)->clone();
    EXPECT_EQ(3u, fixtures.elements.size());
    EXPECT_TRUE(fixtures.removeFixture(3));
    EXPECT_EQ(2u, fixtures.elements.size());
    EXPECT_FALSE(fixtures.removeFixture(3));
    EXPECT_TRUE(fixtures.removeFixture(1));
    EXPECT_TRUE(fixtures.elements.empty());
}

TEST_F(FixtureTest, OldFixturesGiveTheirElementsTheDimmerCurve)
{
    // Element 2 is missing: below 235 the update fails the load.
    const std::tuple<quint16, std::vector<quint16>, int, int> cases[] = {
        {234, {1}, kShowLoaded, 3}, {234, {1, 2}, kShowReadFailed, -1}, {235, {1, 2}, kShowLoaded, 0}};
    for (const auto& [version, elementIds, code, dimmerCurve] : cases) {
        ShowContent content;
        content.version = version;
        content.elements = {{1, {0}}};
        content.fixtures = {{1, elementIds}};
        EXPECT_EQ(code, load(content).code);
        EXPECT_EQ(code == kShowLoaded ? "" : "Unknown fixture element id\n", firstLog());
        if (code == kShowLoaded) {
            EXPECT_EQ(dimmerCurve, int(show().fixtures().elements.find(1)->dimmerCurve));
        }
    }
}

}  // namespace
