#include "components/quilshow/show/dali.h"
#include "components/quilshow/tests/show_load_fixture.h"

#include <tuple>

using namespace Quil;

namespace {

typedef ShowLoadFixture DaliTest;

TEST_F(DaliTest, FixturesAreLinkedToShowFixturesOnce)
{
    // 3 and 5 both name fixture 10: the lower id keeps it. 7 names no fixture (0xFFFF).
    // No interfaces, the fixtures, no scenes.
    ShowTable section =
        sectionOf({daliFixtureRows(5, 10), daliFixtureRows(3, 10), daliFixtureRows(7, 0xFFFF), daliFixtureRows(7, 11)});
    section.insert(section.begin(), {0, kAll, "0000"});
    section.push_back({0, kAll, "0000"});
    DALIShowComponent dali;
    dali.read(open(416, section));
    EXPECT_EQ(0u, in.bytesLeft());
    EXPECT_EQ(3u, dali.fixtures.size());
    EXPECT_EQ("Magic number doesn't match 299",
              errorOf([&] { DALIFixture().stream(open(hexBody(400, "2a01 0100 0200 0000 00000000 2c01"))); }));
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
