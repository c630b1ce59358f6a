#include "components/quilshow/show/dali.h"
#include "components/quilshow/tests/show_load_fixture.h"

#include <tuple>

using namespace Quil;

namespace {

typedef ShowLoadFixture DaliTest;

TEST_F(DaliTest, FixtureRecordAtItsVersions)
{
    // Four settings over the defaults (0, 0xFE, 1, 0xFF, 0, 7, 0), two more from 401, one more from 416; the flag
    // from 428, the text from 430.
    EXPECT_EQ((std::array<quint8, 7> {{0, 0xFE, 1, 0xFF, 0, 7, 0}}), DALIFixture().ballastSettings);
    const std::tuple<quint16, std::array<quint8, 7>, bool, std::string> cases[] = {
        {400, {{10, 11, 12, 13, 0, 7, 0}}, false, ""},
        {401, {{10, 11, 12, 13, 14, 15, 0}}, false, ""},
        {416, {{10, 11, 12, 13, 14, 15, 16}}, false, ""},
        {428, {{10, 11, 12, 13, 14, 15, 16}}, true, ""},
        {430, {{10, 11, 12, 13, 14, 15, 16}}, true, "Ballast"}};
    for (const auto& [version, settings, flag, text] : cases) {
        ShowWriter w(version);
        writeDaliFixture(w, {4, 10});
        DALIFixture fixture;
        fixture.stream(open(w));
        EXPECT_EQ(0u, in.bytesLeft());
        EXPECT_EQ(std::make_tuple(4, 10, 1, 2, settings, flag, text),
                  std::make_tuple(int(fixture.id()), int(fixture.fixtureId), int(fixture.interfaceId),
                                  int(fixture.shortAddress), fixture.ballastSettings, fixture.flag, fixture.text));
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
    // Ids are taken as 16 bits.
    EXPECT_EQ((std::vector<qint64> {3, 10, 10, -1, 7, -1, -1}),
              (std::vector<qint64> {dali.getDaliFixtureId(10), dali.getFixtureId(3), dali.getFixtureId(0x10003),
                                    dali.getFixtureId(5), dali.getDaliFixtureId(0xFFFF), dali.getDaliFixtureId(0x1000A),
                                    dali.getDaliFixtureId(11)}));

    dali.clear();
    EXPECT_TRUE(dali.fixtures.empty());
    EXPECT_EQ(-1, dali.getDaliFixtureId(10));
}

}  // namespace
