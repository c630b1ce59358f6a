#include "applications/common/fixture_library_ui/versioned_online_library_settings.h"
#include "applications/common/util/versioned_settings.h"
#include "applications/morvant/tests/app_test_support.h"
#include "components/fixture_library/fixture_library.h"
#include "components/fixture_library/message_handler.h"
#include "components/fixture_library/online_fixture_library.h"
#include "components/fixture_library/tests/fixture_index_file.h"
#include "components/fixture_library/tests/http_test_server.h"

// The online library as the program's start connects it: a download reaches
// the program's fixture library, and a failed one the error pane.
TEST_F(AppFixture, ADownloadedFixtureReachesTheLibraryAndAFailureTheErrorPane)
{
    const QByteArray spot = "version = 1\ncount = 1\nfixture = Downloaded Spot\nmanuid = 31\nmodelid = 7\n"
                            "class = spot\ndimensions = 4, 4\ngeometry = 0, 0\nelement = Head\n"
                            "patchgroup = fixture, 1\nparameter = Intensity, 0\nrange = 0, 255\n";
    HttpTestServer server;
    server.files = {
        {"index.sqlite",
         {fixtureIndexBytes("(31, 7, 0, 'Spot', 'maker/spot.fixture'), (31, 8, 0, 'Wash', 'maker/wash.fixture')"),
          "\"i\""}},
        {"manufacturers.csv", {"31, Downloaded Maker, 0\n", "\"m\""}},
        {"functions.csv", {"", "\"f\""}},
        {"colours.csv", {"", "\"c\""}},
        {"maker/spot.fixture", {spot, "\"s\""}},
        {"maker/wash.fixture", {spot, "\"w\""}}};
    server.answers["maker/wash.fixture"] = HttpTestServer::Answer::ServerError;

    FixtureLibrary& library = FixtureLibrary::instance();
    ConcatenatingMessageHandler messages;
    library.load(QString(), QString(), QString(), messages);
    useVersionedOnlineLibrarySettings();
    OnlineFixtureLibrary online(server.url(), folder.filePath("downloads"));
    connectOnlineFixtureLibrary(online, library);
    ProgressTracker progress;
    const auto fetched = online.fetch({{31, 7}, {31, 8}}, progress);
    QCoreApplication::processEvents();

    EXPECT_EQ(fetched[0].path, folder.filePath("downloads/maker/spot.fixture"));
    EXPECT_EQ(fetched[1].reason, "maker/wash.fixture could not be downloaded (HTTP 500 Internal Server Error)");
    ASSERT_TRUE(library.find(31, 7));
    EXPECT_EQ(library.find(31, 7)->modelSpec.name, "Downloaded Spot");
    EXPECT_EQ(text("errorPane"),
              "Online fixture library: maker/wash.fixture could not be downloaded; check the network connection "
              "and the address under OnlineFixtureLibrary/Url, then try again (HTTP 500 Internal Server Error)");
    library.load(QString(), QString(), QString(), messages);
    EXPECT_EQ(messages.messages(), QStringList());
    // The program's settings keep the ETag of what was downloaded.
    EXPECT_EQ(VersionedSettings::instance()->value("OnlineFixtureLibrary/ETags/maker%2Fspot.fixture"),
              QVariant("\"s\""));
    VersionedSettings::instance()->removeGroup("OnlineFixtureLibrary", true);
    setOnlineLibrarySettings(nullptr);
}

TEST_F(AppFixture, ClosingTheOutputProjectForgetsItsFixtureModels)
{
    FixtureLibrary& library = FixtureLibrary::instance();
    library.addProjectModel({3, 4, 0}, FixtureModel());
    ASSERT_EQ(library.projectModels().size(), 1u);
    driver.closeOutputProject();
    EXPECT_TRUE(library.projectModels().empty());
}
