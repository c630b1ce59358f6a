#include "components/quilshow/show/dali.h"
#include "components/quilshow/tests/show_load_fixture.h"

using namespace Quil;

namespace {

typedef ShowLoadFixture DaliTest;

TEST_F(DaliTest, FixtureRecordAtItsVersions)
{
    // Four settings over the defaults (0, 0xFE, 1, 0xFF, 0, 7, 0), two more from 401, one more from 416; the flag
    // from 428, the text from 430.
    EXPECT_EQ((std::array<quint8, 7> {{0, 0xFE, 1, 0xFF, 0, 7, 0}}), DALIFixture().ballastSettings);
    const struct
    {
        quint16 version;
        std::array<quint8, 7> settings;
        bool flag;
        const char* text;
    } cases[] = {{400, {{10, 11, 12, 13, 0, 7, 0}}, false, ""},
                 {401, {{10, 11, 12, 13, 14, 15, 0}}, false, ""},
                 {416, {{10, 11, 12, 13, 14, 15, 16}}, false, ""},
                 {428, {{10, 11, 12, 13, 14, 15, 16}}, true, ""},
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
    EXPECT_EQ("Magic number doesn't match 299",
              errorOf([&] { DALIFixture().stream(open(hexBody(400, "2a01 0100 0200 0000 00000000 2c01"))); }));
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

}  // namespace
