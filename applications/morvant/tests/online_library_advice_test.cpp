// The advice after a conversion whose fixture types are in no library, by what the online library did for them.
#include "applications/morvant/tests/app_test_support.h"
#include "components/fixture_library/fixture_library.h"
#include "components/fixture_library/message_handler.h"
#include "components/fixture_library/online_fixture_library.h"
#include "components/fixture_library/tests/fixture_index_file.h"
#include "components/fixture_library/tests/http_test_server.h"
#include "tests/support/log_capture.h"

#include <QTcpServer>

// Off, it is to be turned on; failing (by the server's answer or the network's), the network and the server are to
// be checked; on and without the show's types, it holds them no more than the folders do.
TEST_F(AppFixture, TheAdviceOnMissingFixtureTypesFollowsTheOnlineLibrarysState)
{
    ConcatenatingMessageHandler messages;
    FixtureLibrary::instance().load(QString(), QString(), QString(), messages);
    HttpTestServer server;
    server.files = {{"index.sqlite", {fixtureIndexBytes("(1, 1, 0, 'Other', 'other.fixture')"), {}}},
                    {"manufacturers.csv", {"1, Maker, 0\n", {}}},
                    {"functions.csv", {}},
                    {"colours.csv", {}}};
    QTcpServer closed;
    ASSERT_TRUE(closed.listen(QHostAddress::LocalHost));
    const QUrl refusing(QStringLiteral("http://127.0.0.1:%1/").arg(closed.serverPort()));
    closed.close();
    const QString show = input(QStringLiteral("show.kvq"), buildShow(ShowContent()));  // fixtures of type 8/65
    const QString failed = QStringLiteral("or check the network connection and the online fixture library's server, "
                                          "which failed (%1), then convert the show again.");
    const std::tuple<QUrl, HttpTestServer::Answer, QString> states[] = {
        {QUrl(), {}, "or turn the online fixture library on by setting its address under \"OnlineFixtureLibrary/Url\""},
        {server.url(), {}, "as the online fixture library does not hold them either, then convert the show again."},
        {server.url(), HttpTestServer::Answer::NotFound, failed.arg("HTTP 404 Not Found")},
        {refusing, {}, failed.arg("Connection refused")}};
    int state = 0;
    for (const auto& [address, answer, advice] : states) {
        SCOPED_TRACE(state);
        server.answers["index.sqlite"] = answer;
        OnlineFixtureLibrary online(address, folder.filePath(QStringLiteral("downloads%1").arg(++state)));
        ConversionDriver converter;
        converter.setOnlineFixtureLibrary(&online);
        ProgressTracker progress;
        const LogCapture log;
        ASSERT_TRUE(converter.convert(show, progress));
        QStringList given;
        for (const auto& line : log.lines())
            given << QString::fromStdString(line.second).trimmed();
        const QString put = QStringLiteral("Put the definitions of the show's fixture types there, ");
        given = given.filter(put);
        EXPECT_TRUE(given.size() == 1 && given[0].mid(put.size()).startsWith(advice)) << qPrintable(given.join('\n'));
    }
}
