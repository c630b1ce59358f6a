#include "components/quilshow/show/dali.h"
#include "components/quilshow/tests/show_load_fixture.h"

using namespace Quil;

namespace {

typedef ShowLoadFixture DaliTest;

TEST_F(DaliTest, FixtureRecordAtItsVersions)
{
    const DALIFixture fresh;
    EXPECT_EQ(0xFFFF, fresh.fixtureId);
    EXPECT_EQ(0xFF, fresh.interfaceId);
    EXPECT_EQ(0xFF, fresh.shortAddress);
    EXPECT_EQ((std::array<quint8, 7>{{0, 0xFE, 1, 0xFF, 0, 7, 0}}), fresh.ballastSettings);
    const DALIInterface interface;
    EXPECT_EQ(std::vector<quint16>(64, 0xFFFF), interface.shortAddresses);
    EXPECT_EQ(1u, interface.word2);
    EXPECT_EQ(2, interface.testSchedules[1].kind);

    // Four settings, two more from 401, one more from 416; the flag from 428, the text from 430.
    const struct
    {
        quint16 version;
        std::array<quint8, 7> settings;
        bool flag;
        const char* text;
    } cases[] = {{400, {{10, 11, 12, 13, 0, 7, 0}}, false, ""},   {401, {{10, 11, 12, 13, 14, 15, 0}}, false, ""},
                 {416, {{10, 11, 12, 13, 14, 15, 16}}, false, ""}, {428, {{10, 11, 12, 13, 14, 15, 16}}, true, ""},
                 {430, {{10, 11, 12, 13, 14, 15, 16}}, true, "Ballast"}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.version);
        ShowWriter w(c.version);
        writeDaliFixture(w, {4, 10});
        DALIFixture fixture;
        fixture.stream(open(w));
        EXPECT_EQ(0u, in.bytesLeft());
        EXPECT_EQ(4, fixture.id());
        EXPECT_EQ(10, fixture.fixtureId);
        EXPECT_EQ(1, fixture.interfaceId);
        EXPECT_EQ(2, fixture.shortAddress);
        EXPECT_EQ(c.settings, fixture.ballastSettings);
        EXPECT_EQ(c.flag, fixture.flag);
        EXPECT_EQ(c.text, fixture.text);
    }
    ShowWriter wrongEnd(400);
    wrongEnd.u16(0x012A).u16(1).u16(2).u16(0).u32(0).u16(0x012C);
    EXPECT_EQ("Magic number doesn't match 299", errorOf([&] { DALIFixture().stream(open(wrongEnd)); }));
}

TEST_F(DaliTest, FixturesAreLinkedToShowFixturesOnce)
{
    // 3 and 5 both name fixture 10: the lower id keeps it. 7 names no fixture (0xFFFF).
    ShowWriter w(416);
    writeDali(w, {{5, 10}, {3, 10}, {7, 0xFFFF}, {7, 11}});
    DALIShowComponent dali;
    dali.read(open(w));
    EXPECT_EQ(0u, in.bytesLeft());
    EXPECT_EQ(3u, dali.fixtures.size());
    EXPECT_EQ(3, dali.getDaliFixtureId(10));
    EXPECT_EQ(10, dali.getFixtureId(3));
    EXPECT_EQ(10, dali.getFixtureId(0x10003));  // taken as 16 bits
    EXPECT_EQ(-1, dali.getFixtureId(5));
    EXPECT_EQ(7, dali.getDaliFixtureId(0xFFFF));
    EXPECT_EQ(-1, dali.getDaliFixtureId(0x1000A));
    EXPECT_EQ(-1, dali.getDaliFixtureId(11));
    EXPECT_FALSE(dali.testFlags[0]);
    EXPECT_EQ(1, dali.testSchedules[0].interval);

    dali.clear();
    EXPECT_TRUE(dali.fixtures.empty());
    EXPECT_EQ(-1, dali.getDaliFixtureId(10));
}

TEST_F(DaliTest, WholeShowsWithPalettesAndDaliFixturesLoad)
{
    for (quint16 v : {16, 46, 47, 219, 302, 417, 454}) {
        SCOPED_TRACE(v);
        ShowContent content;
        content.version = v;
        content.functions = {{0, "Intensity", 1}, {5, "Cyan", 4}};
        content.elements = {{1, {0, 5}}};
        content.fixtures = {{10, {1}}};
        content.palettes = {{2, {0, 5}}, {4, {}}};
        content.daliFixtures = {{3, 10}, {5, 10}};
        ASSERT_EQ(kShowLoaded, load(content).code) << firstLog();
        ASSERT_EQ(2u, show().palettes().size());
        const Palette& palette = *show().palettes().find(2);
        EXPECT_EQ(10000u, palette.colourRecord.getTime());
        ASSERT_EQ(2u, palette.colourRecord.values.size());
        EXPECT_EQ(5, palette.colourRecord.values[1].function);
        EXPECT_EQ(30000u, palette.colourRecord.values[1].getNumber1());
        const DALIShowComponent& dali = show().dali();
        EXPECT_EQ(v >= 47 ? 2u : 0u, dali.fixtures.size());
        EXPECT_EQ(v >= 47 ? 3 : -1, dali.getDaliFixtureId(10));
        EXPECT_EQ(v >= 417 ? 300 : 1, dali.testSchedules[1].interval);
    }
}

}  // namespace
