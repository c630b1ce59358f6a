#include "components/quilshow/show/fixture.h"
#include "components/quilshow/tests/show_load_fixture.h"

#include <stdexcept>
#include <tuple>

using namespace Quil;

namespace {

typedef ShowLoadFixture FixtureTest;

typedef std::vector<std::pair<quint16, quint16>> Points;

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

TEST_F(FixtureTest, RecordsWithAnotherMarkerFail)
{
    EXPECT_EQ("Magic number doesn't match 45232",
              errorOf([&] { FixtureElement().stream(open(ShowWriter(16).u16(0x011A))); }));
    EXPECT_EQ("Magic number doesn't match 2827", errorOf([&] { Fixture().stream(open(ShowWriter(16).u16(0x010C))); }));
}

TEST_F(FixtureTest, FunctionRenumberingOfParameters)
{
    // Each numbering edge from both sides with the threshold not lowered (the gate sweep has it lowered).
    for (const quint16 version : {66, 67, 98, 99, 126, 127, 301, 302}) {
        const std::vector<quint16> current = version < 67 ? std::vector<quint16> {32, 33, 41, 50}
            : version < 99                                ? std::vector<quint16> {22, 32, 40, 49}
            : version < 127                               ? std::vector<quint16> {22, 23, 31, 40}
            : version < 302                               ? std::vector<quint16> {22, 23, 35, 44}
                                                          : std::vector<quint16> {22, 23, 31, 40};
        FixtureElement element;
        element.stream(open(version, elementRows(1, {22, 23, 31, 40}, 2)));
        EXPECT_EQ(current, functionsOf(element)) << version;
    }
    const std::tuple<quint16, quint32, std::vector<quint16>, std::vector<quint16>> cases[] = {
        {130, 23, {25, 40, 0xFFFF}, {34, 44, 0xFFFF}},
        {130, 128, {25, 40, 31, 0xFFFF}, {25, 44, 35, 0xFFFF}},
        {110, 23, {22, 23, 0xFFF8}, {22, 32, 0xFFFF}}};  // an id that would wrap names no function
    for (const auto& [version, threshold, stored, current] : cases) {
        setFunctionRenumberThreshold(threshold);
        FixtureElement element;
        element.stream(open(version, elementRows(1, stored, 2)));
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
    // 65,535 points (255 x 257) and 65,538 (2 x 32,769), the nearest above that two widths give.
    EXPECT_EQ("no error", errorOf([&] { ModelSpec().stream(open(oldHeader(100, 255, 257))); }));
    EXPECT_EQ("Error reading/writing from file", errorOf([&] { ModelSpec().stream(open(oldHeader(100, 2, 32769))); }));
    for (quint16 fixtureCount : {1, 2}) {
        const ShowTable section = sectionOf(std::vector<ShowTable>(fixtureCount, fixtureRows(0, {}, 1, 256, 256)));
        FixtureShowComponent component;
        EXPECT_EQ(fixtureCount == 1 ? "no error" : "Error reading/writing from file",
                  errorOf([&] { component.readFixtures(open(100, section)); }));
    }
}

TEST_F(FixtureTest, ShowQuestionsAndRelease)
{
    ShowContent content;
    content.tables.elements = sectionOf({elementRows(1, {0, 3}, 2), elementRows(2, {4}, 2), elementRows(3, {3}, 2)});
    // The second fixture 1 is dropped.
    content.tables.fixtures = sectionOf(
        {fixtureRows(1, {1, 2}, 1), fixtureRows(2, {}, 1), fixtureRows(3, {9, 3}, 1), fixtureRows(1, {3}, 1)});
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
    // Element 2 is missing: below 235 the update fails the load, from 235 it is not looked for.
    for (const quint16 version : {234, 235}) {
        ShowContent content {version};
        content.tables.elements = sectionOf({elementRows(1, {0}, 2)});
        content.tables.fixtures = sectionOf({fixtureRows(1, {1, 2}, 1)});
        EXPECT_EQ(version < 235 ? kShowReadFailed : kShowLoaded, load(content).code);
        EXPECT_EQ(version < 235 ? "Unknown fixture element id\n" : "", firstLog());
    }
}

}  // namespace
