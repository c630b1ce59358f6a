// The advice after a conversion whose fixture types are in no library, by what the online library did for them.
#include "applications/morvant/tests/app_test_support.h"
#include "components/fixture_library/fixture_library.h"
#include "components/fixture_library/message_handler.h"
#include "components/fixture_library/online_fixture_library.h"
#include "components/fixture_library/online_library_settings.h"
#include "components/fixture_library/tests/fixture_index_file.h"
#include "components/fixture_library/tests/http_test_server.h"
#include "tests/support/log_capture.h"

#include <QTcpServer>

#include <memory>

// Off, it is to be turned on; on and failing (the server's answer, or the network's), the network and the server
// are to be checked; on and without the types, it holds them no more than the folders do.
TEST_F(AppFixture, TheAdviceOnMissingFixtureTypesFollowsTheOnlineLibrarysState)
{
    ConcatenatingMessageHandler messages;
    FixtureLibrary::instance().load(QString(), QString(), QString(), messages);
    setOnlineLibrarySettings(std::make_unique<OnlineLibrarySettings>());
    HttpTestServer server;
    server.files = {{"index.sqlite", {fixtureIndexBytes("(1, 1, 0, 'Other', 'other.fixture')"), "\"i\""}},
                    {"manufacturers.csv", {"1, Maker, 0\n", "\"m\""}},
                    {"functions.csv", {"", "\"f\""}},
                    {"colours.csv", {"", "\"c\""}}};
    QTcpServer closed;
    ASSERT_TRUE(closed.listen(QHostAddress::LocalHost));
    const QUrl refusing(QStringLiteral("http://127.0.0.1:%1/").arg(closed.serverPort()));
    closed.close();
    const QString show = input(QStringLiteral("show.kvq"), buildShow(ShowContent()));  // fixtures of type 8/65

    const QString put = QStringLiteral("Put the definitions of the show's fixture types there, ");
    const std::tuple<const char*, QUrl, HttpTestServer::Answer, QString> states[] = {
        {"off", QUrl(), HttpTestServer::Answer::File,
         put + "or turn the online fixture library on by setting its address under \"OnlineFixtureLibrary/Url\""},
        {"without the types", server.url(), HttpTestServer::Answer::File,
         put + "as the online fixture library does not hold them either, then convert the show again."},
        {"answering 404", server.url(), HttpTestServer::Answer::NotFound,
         put
             + "or check the network connection and the online fixture library's server, which failed (HTTP 404 Not "
               "Found), then convert the show again."},
        {"refusing", refusing, HttpTestServer::Answer::File,
         put
             + "or check the network connection and the online fixture library's server, which failed (Connection "
               "refused), then convert the show again."},
    };
    for (const auto& [name, address, answer, advice] : states) {
        SCOPED_TRACE(name);
        server.answers["index.sqlite"] = answer;
        OnlineFixtureLibrary online(address, folder.filePath(QStringLiteral("downloads-") + name));
        ConversionDriver converter;
        converter.setOnlineFixtureLibrary(&online);
        ProgressTracker progress;
        const LogCapture log;
        ASSERT_TRUE(converter.convert(show, progress));
        QStringList lines;
        for (const auto& [level, text] : log.lines())
            lines << QString::fromStdString(text).trimmed();
        const QStringList given = lines.filter(put);
        ASSERT_EQ(given.size(), 1) << qPrintable(lines.join('\n'));
        EXPECT_TRUE(given[0].startsWith(advice)) << qPrintable(given[0]);
    }
    setOnlineLibrarySettings(nullptr);
}
