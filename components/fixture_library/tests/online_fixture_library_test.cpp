#include "components/fixture_library/fixture_library.h"
#include "components/fixture_library/message_handler.h"
#include "components/fixture_library/online_fixture_library.h"
#include "components/fixture_library/online_library_settings.h"
#include "components/fixture_library/tests/fixture_index_file.h"
#include "components/fixture_library/tests/http_test_server.h"
#include "seltrane_components/os/atomic_file.h"
#include "seltrane_components/os/logger.h"
#include "seltrane_components/os/progress_tracker.h"
#include "tests/support/file_size_limit.h"

#include <QDateTime>
#include <QDir>
#include <QSignalSpy>
#include <QTcpServer>
#include <QTemporaryDir>
#include <QTimer>
#include <gtest/gtest.h>

namespace {

using Answer = HttpTestServer::Answer;

QStringList logged;

void recordLog(int level, qint64, const char* text, void*)
{
    logged << QString::number(level) + ' ' + QString::fromUtf8(text).trimmed();
}

QByteArray fileBytes(const QString& path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("(none)");
}

const QByteArray kSpot = "version = 1\ncount = 1\nfixture = Spot\nmanuid = 1\nmodelid = 5\nclass = spot\ndimensions = "
                         "4, 4\ngeometry = 0, 0\nelement = Head\npatchgroup = fixture, 1\nparameter = Intensity, 0\n"
                         "range = 0, 255\n";

const QString kUpdateFiles[] = {"index.sqlite", "manufacturers.csv", "functions.csv", "colours.csv"};

class OnlineLibraryTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        setOnlineLibrarySettings(std::make_unique<OnlineLibrarySettings>());
        server.files = {{"index.sqlite",
                         {fixtureIndexBytes("(1, 5, 1, 'n', 'x/other.fixture'), (1, 5, 0, 'n', 'x/spot.fixture'), "
                                            "(1, 6, 0, 'n', 'x/../../evil.fixture'), (1, 7, 0, 'n', 'moved.fixture')"),
                          "\"i1\""}},
                        {"manufacturers.csv", {"1, Maker, 10\n", "\"m1\""}},
                        {"functions.csv", {"0, Dimmer, i\n", "\"f1\""}},
                        {"colours.csv", {"Red, FF0000\n", "\"c1\""}},
                        {"x/spot.fixture", {kSpot, "\"s1\""}}};
        logged.clear();
        addLogHandler(&recordLog, nullptr);
    }
    void TearDown() override { removeLogHandler(&recordLog); }

    QString mirror(const QString& path = QString()) const { return folder.filePath("downloads/" + path); }
    QVariant etag(const QString& path) const
    {
        return onlineLibrarySettings().value("OnlineFixtureLibrary/ETags/" + QUrl::toPercentEncoding(path));
    }
    // The requests since the last call, as path and If-None-Match.
    std::vector<HttpTestServer::Request> takeRequests() { return std::exchange(server.requests, {}); }

    QTemporaryDir folder;
    HttpTestServer server;
    OnlineFixtureLibrary online {server.url(), mirror()};
    ProgressTracker progress;
};

}  // namespace

TEST_F(OnlineLibraryTest, UpdateMirrorsTheIndexAndListsAndKeepsThemCurrent)
{
    EXPECT_EQ(std::pair(online.timeoutMs(), online.progressDelayMs()), std::pair(20000, 1500));
    int texts = 0;
    ProgressTracker counting(
        nullptr, [](const QString&, const QString&, void* n) { ++*static_cast<int*>(n); }, &texts);
    QSignalSpy listsChanged(&online, &OnlineFixtureLibrary::listsChanged);
    EXPECT_TRUE(online.update(counting));
    EXPECT_EQ(texts, 0);
    std::vector<HttpTestServer::Request> expected;
    for (const QString& file : kUpdateFiles)
        expected.push_back({file, {}});
    EXPECT_EQ(takeRequests(), expected);
    EXPECT_EQ(fileBytes(mirror("manufacturers.csv")), "1, Maker, 10\n");
    EXPECT_EQ(etag("index.sqlite"), "\"i1\"");
    EXPECT_EQ(listsChanged.count(), 1);

    // Four 304s rewrite nothing.
    const QDateTime old = QDateTime::fromSecsSinceEpoch(QDateTime::currentSecsSinceEpoch() - 86400);
    for (const QString& file : kUpdateFiles) {
        QFile copy(mirror(file));
        ASSERT_TRUE(copy.open(QIODevice::ReadWrite) && copy.setFileTime(old, QFileDevice::FileModificationTime));
    }
    EXPECT_TRUE(online.update(progress));
    for (auto& request : expected)
        request.ifNoneMatch = etag(request.path).toByteArray();
    EXPECT_EQ(takeRequests(), expected);
    EXPECT_EQ(server.notModified, 4);
    for (const QString& file : kUpdateFiles)
        EXPECT_EQ(QFileInfo(mirror(file)).lastModified(), old) << qPrintable(file);

    // A changed file comes down again with its ETag; the delay 0 lets texts through.
    server.files["manufacturers.csv"] = {"1, Maker Two, 10\n", "\"m2\""};
    online.setProgressDelayMs(0);
    EXPECT_TRUE(online.update(counting));
    EXPECT_EQ(std::pair(fileBytes(mirror("manufacturers.csv")), etag("manufacturers.csv")),
              std::pair(QByteArray("1, Maker Two, 10\n"), QVariant("\"m2\"")));
    EXPECT_EQ(listsChanged.count(), 2);
    EXPECT_EQ(std::pair(counting.titleText(), counting.statusText()),
              std::pair(QString("Online fixture library"), QString("Downloading colours.csv")));
    EXPECT_EQ(texts, 5);

    // Without the mirror no ETag is sent.
    takeRequests();
    ASSERT_TRUE(QDir(mirror()).removeRecursively());
    EXPECT_TRUE(online.update(progress));
    for (auto& request : expected)
        request.ifNoneMatch.clear();
    EXPECT_EQ(takeRequests(), expected);
}

TEST_F(OnlineLibraryTest, FetchGivesEachKeyItsFileOrAReason)
{
    FixtureLibrary library;
    ConcatenatingMessageHandler messages;
    library.load(QString(), QString(), mirror(), messages);
    connectOnlineFixtureLibrary(online, library);
    QSignalSpy downloaded(&online, &OnlineFixtureLibrary::fixtureDownloaded);
    HttpTestServer other;
    server.answers["moved.fixture"] = Answer::Redirect;
    server.redirectTarget = other.url();

    const auto results = online.fetch({{1, 5}, {1, 9}, {1, 6}, {1, 7}, {1, 5}}, progress);
    EXPECT_EQ(std::pair(results[0].path, results[0].reason), std::pair(mirror("x/spot.fixture"), QString()));
    EXPECT_EQ(results[4].path, results[0].path);
    EXPECT_EQ(results[1].reason, "The online fixture library has no fixture type 1-9");
    EXPECT_EQ(results[2].reason,
              "The online fixture library's index gives fixture type 1-6 the path "
              "\"x/../../evil.fixture\", which is refused: it must be a .fixture file inside the "
              "library");
    EXPECT_EQ(results[3].reason, "moved.fixture could not be downloaded (HTTP 302 Found)");
    EXPECT_TRUE(other.requests.empty());
    EXPECT_FALSE(QFile::exists(folder.filePath("evil.fixture")) || QFile::exists(mirror("moved.fixture")));
    EXPECT_EQ(server.requests.size(), 6u);  // the index, three lists, two definition files

    ASSERT_EQ(downloaded.count(), 1);
    EXPECT_EQ(downloaded[0][0].toString(), mirror("x/spot.fixture"));
    EXPECT_TRUE(library.find(1, 5) && library.find(1, 5)->modelSpec.name == "Spot");
    EXPECT_EQ(library.manufacturers().at(1).name, "Maker");

    // Updated once per run; off, nothing is asked.
    takeRequests();
    EXPECT_EQ(online.fetch({{1, 5}}, progress)[0].path, mirror("x/spot.fixture"));
    EXPECT_EQ(takeRequests(), (std::vector<HttpTestServer::Request> {{"x/spot.fixture", "\"s1\""}}));
    OnlineFixtureLibrary off(QUrl(), mirror());
    EXPECT_FALSE(off.update(progress));
    EXPECT_EQ(off.fetch({{1, 5}}, progress)[0].reason,
              "The online fixture library is off: no address is set under OnlineFixtureLibrary/Url");
    EXPECT_TRUE(server.requests.empty());
}

TEST_F(OnlineLibraryTest, FailuresKeepTheMirrorAndStoreNoETag)
{
    EXPECT_TRUE(online.update(progress));  // at the full time-out, however busy the machine
    online.setTimeoutMs(200);
    for (const Answer answer : {Answer::StallMidBody, Answer::CloseMidBody}) {
        server.answers["x/spot.fixture"] = answer;
        const QString reason = online.fetch({{1, 5}}, progress)[0].reason;
        EXPECT_EQ(reason,
                  answer == Answer::StallMidBody ? "x/spot.fixture could not be downloaded (no reply for 200 ms)"
                                                 : "x/spot.fixture could not be downloaded (Connection closed)");
        EXPECT_FALSE(QFile::exists(mirror("x/spot.fixture")));
        EXPECT_FALSE(etag("x/spot.fixture").isValid());
    }
    EXPECT_EQ(logged.last(),
              "130 Online fixture library: x/spot.fixture could not be downloaded; check the network "
              "connection and the address under OnlineFixtureLibrary/Url, then try again "
              "(Connection closed)");

    // The cancel flag ends a wait at once.
    online.setTimeoutMs(20000);
    server.answers["x/spot.fixture"] = Answer::StallMidBody;
    QTimer::singleShot(50, [this] { *progress.cancelFlag() = true; });
    EXPECT_EQ(online.fetch({{1, 5}}, progress)[0].reason, "x/spot.fixture could not be downloaded (cancelled)");
    *progress.cancelFlag() = false;

    // A damaged index, a 404 and a 500 leave the copies as they were.
    const QByteArray index = fileBytes(mirror("index.sqlite"));
    server.files["index.sqlite"] = {QByteArray(4096, 'x'), "\"i2\""};
    server.answers = {{"functions.csv", Answer::NotFound}, {"colours.csv", Answer::ServerError}};
    logged.clear();
    EXPECT_FALSE(online.update(progress));
    EXPECT_EQ(std::pair(fileBytes(mirror("index.sqlite")), etag("index.sqlite")), std::pair(index, QVariant("\"i1\"")));
    EXPECT_EQ(fileBytes(mirror("colours.csv")), "Red, FF0000\n");
    EXPECT_EQ(logged,
              QStringList({"130 Online fixture library: index.sqlite was not updated; the copy downloaded "
                           "earlier is used (the downloaded file is damaged)",
                           "130 Online fixture library: functions.csv was not updated; the copy downloaded "
                           "earlier is used (HTTP 404 Not Found)",
                           "130 Online fixture library: colours.csv was not updated; the copy downloaded "
                           "earlier is used (HTTP 500 Internal Server Error)"}));
    EXPECT_EQ(online.fetch({{1, 5}}, progress)[0].path, mirror("x/spot.fixture"));

    // A 304 for a copy gone since the request went out: asked once more, whole.
    takeRequests();
    server.onRequest = [this](const HttpTestServer::Request& request) {
        if (!request.ifNoneMatch.isEmpty())
            QFile::remove(mirror(request.path));
    };
    EXPECT_EQ(online.fetch({{1, 5}}, progress)[0].path, mirror("x/spot.fixture"));
    EXPECT_EQ(takeRequests(),
              (std::vector<HttpTestServer::Request> {{"x/spot.fixture", "\"s1\""}, {"x/spot.fixture", {}}}));
    EXPECT_EQ(fileBytes(mirror("x/spot.fixture")), kSpot);
}

TEST_F(OnlineLibraryTest, ANewEndpointDropsTheETagsOfTheOldOne)
{
    // Made after the fixture cleared the settings, so the endpoint is on record.
    OnlineFixtureLibrary first(server.url(), mirror());
    EXPECT_TRUE(first.update(progress));
    ASSERT_EQ(etag("colours.csv"), "\"c1\"");
    // The same endpoint, written without its trailing "/", keeps them.
    OnlineFixtureLibrary same(QUrl(server.url().toString().chopped(1)), mirror());
    EXPECT_EQ(etag("colours.csv"), "\"c1\"");

    HttpTestServer other;
    other.files = server.files;
    OnlineFixtureLibrary moved(other.url(), mirror());
    EXPECT_FALSE(etag("colours.csv").isValid());
    EXPECT_TRUE(moved.update(progress));
    for (const HttpTestServer::Request& request : other.requests)
        EXPECT_EQ(request.ifNoneMatch, QByteArray()) << qPrintable(request.path);
    EXPECT_EQ(other.requests.size(), 4u);
}

// A definition mirrored earlier whose update then fails, by the server's answer or the network's, is still the
// key's file: the copy is used, with a warning that says so.
TEST_F(OnlineLibraryTest, AFailedUpdateOfAMirroredDefinitionKeepsItsCopyInUse)
{
    ASSERT_EQ(online.fetch({{1, 5}}, progress)[0].path, mirror("x/spot.fixture"));
    QTcpServer closed;
    ASSERT_TRUE(closed.listen(QHostAddress::LocalHost));
    OnlineFixtureLibrary refused(QUrl(QStringLiteral("http://127.0.0.1:%1/").arg(closed.serverPort())), mirror());
    closed.close();
    for (const auto& [library, answer] : {std::pair(&online, Answer::ServerError), {&refused, Answer::File}}) {
        server.answers["x/spot.fixture"] = answer;
        const OnlineFixtureLibrary::Fetched fetched = library->fetch({{1, 5}}, progress)[0];
        EXPECT_EQ(std::pair(fetched.path, fetched.reason), std::pair(mirror("x/spot.fixture"), QString()));
        EXPECT_TRUE(logged.last().contains("x/spot.fixture was not updated; the copy downloaded earlier is used ("));
    }
}

// A new copy of a mirrored list that does not reach the disk whole (a write, its sync or its close fails, as on a
// full disk) leaves the earlier copy byte for byte and its ETag, says why, and is asked for whole again next time.
TEST_F(OnlineLibraryTest, AReplacementThatDoesNotReachTheDiskKeepsTheCopyAndItsETag)
{
    ASSERT_TRUE(online.update(progress));
    server.files["manufacturers.csv"] = {"1, Maker Two, 10\n", "\"m2\""};
    using Call = AtomicFile::Call;
    for (const Call failing : {Call::Write, Call::Sync, Call::Close}) {
        AtomicFile::setFaultInjector([failing](Call call, const QString&) { return call == failing ? ENOSPC : 0; });
        logged.clear();
        EXPECT_FALSE(online.update(progress));
        AtomicFile::setFaultInjector({});
        EXPECT_EQ(std::tuple(fileBytes(mirror("manufacturers.csv")), etag("manufacturers.csv"), logged),
                  std::tuple(QByteArray("1, Maker, 10\n"), QVariant("\"m1\""),
                             QStringList({"130 Online fixture library: manufacturers.csv was not updated; the copy "
                                          "downloaded earlier is used (No space left on device)"})));
    }
    EXPECT_TRUE(online.update(progress));
    EXPECT_EQ(std::pair(fileBytes(mirror("manufacturers.csv")), etag("manufacturers.csv")),
              std::pair(QByteArray("1, Maker Two, 10\n"), QVariant("\"m2\"")));
}

// Once a new copy has taken the old one's place the update is done, its folder synced or not: the copy and its ETag
// are in use, and nothing is told. A folder that cannot be made, and a temporary folder that refuses the private copy
// the check reads, are named with the system's reason.
TEST_F(OnlineLibraryTest, ACopyInPlaceIsTheUpdateAndAFolderThatFailsIsNamed)
{
    ASSERT_TRUE(online.update(progress));
    server.files["manufacturers.csv"] = {"1, Maker Two, 10\n", "\"m2\""};
    using Call = AtomicFile::Call;
    AtomicFile::setFaultInjector([](Call call, const QString&) { return call == Call::SyncFolder ? EIO : 0; });
    logged.clear();
    const bool updated = online.update(progress);
    const OnlineFixtureLibrary::Fetched fetched = online.fetch({{1, 5}}, progress)[0];
    AtomicFile::setFaultInjector({});
    EXPECT_TRUE(updated);
    EXPECT_EQ(std::pair(fileBytes(mirror("manufacturers.csv")), etag("manufacturers.csv")),
              std::pair(QByteArray("1, Maker Two, 10\n"), QVariant("\"m2\"")));
    EXPECT_EQ(std::pair(fetched.path, fetched.reason), std::pair(mirror("x/spot.fixture"), QString()));
    EXPECT_EQ(etag("x/spot.fixture"), QVariant("\"s1\""));
    EXPECT_EQ(logged, QStringList());

    ASSERT_TRUE(QDir(mirror("x")).removeRecursively());
    AtomicFile::setFaultInjector(
        [this](Call call, const QString& path) { return call == Call::MakeFolder && path == mirror("x") ? EROFS : 0; });
    const QString reason = online.fetch({{1, 5}}, progress)[0].reason;
    AtomicFile::setFaultInjector({});
    EXPECT_EQ(reason,
              "x/spot.fixture could not be downloaded (the folder " + mirror("x")
                  + " could not be made (Read-only file system))");

    server.files["colours.csv"] = {"Red, FF0000\nBlue, 0000FF\n", "\"c2\""};
    logged.clear();
    {
        const FileSizeLimit full(8);
        EXPECT_FALSE(online.update(progress));
    }
    EXPECT_EQ(std::pair(fileBytes(mirror("colours.csv")), etag("colours.csv")),
              std::pair(QByteArray("Red, FF0000\n"), QVariant("\"c1\"")));
    EXPECT_EQ(logged.join('\n').toStdString(),
              "130 Online fixture library: colours.csv was not updated; the copy downloaded earlier is used (the "
              "download could not be written into the temporary folder "
                  + QDir::tempPath().toStdString() + " (File too large))");
}
