#include "applications/morvant/end_signals.h"

#include "applications/morvant/app_identity.h"
#include "applications/morvant/tests/app_test_support.h"
#include "components/quilshow/tests/show_writer.h"

#include <QDir>
#include <QElapsedTimer>
#include <QFileInfo>
#include <QImage>
#include <QProcess>
#include <QPushButton>
#include <QRandomGenerator>
#include <QSignalSpy>
#include <QTcpServer>
#include <QTemporaryDir>
#include <QTest>
#include <QThread>
#include <QTimer>
#include <gtest/gtest.h>

#include <csignal>
#include <cstdio>
#include <set>
#include <sys/resource.h>
#include <unistd.h>

namespace {

QStringList entries(const QString& folder)
{
    return QDir(folder).entryList(QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot);
}

using SignalHandler = void (*)(int);

SignalHandler handlerOf(int signal)
{
    struct sigaction current = {};
    sigaction(signal, nullptr, &current);
    return current.sa_handler;
}

// Signals sent to this process arrive as requests through the event loop; a signal ignored before (as under
// nohup) stays ignored, and the earlier handlers come back afterwards.
TEST(EndSignalsTest, EachSignalIsOneRequestAndTheEarlierHandlersComeBack)
{
    struct sigaction ignore = {};
    ignore.sa_handler = SIG_IGN;
    sigemptyset(&ignore.sa_mask);
    struct sigaction hangUp = {};
    ASSERT_EQ(sigaction(SIGHUP, &ignore, &hangUp), 0);
    // A shell starts a background job with SIGINT ignored: the test starts from the default.
    struct sigaction byDefault = ignore, interruptBefore = {};
    byDefault.sa_handler = SIG_DFL;
    ASSERT_EQ(sigaction(SIGINT, &byDefault, &interruptBefore), 0);
    const SignalHandler terminate = handlerOf(SIGTERM);
    const SignalHandler interrupt = handlerOf(SIGINT);
    {
        EndSignals ends;
        ASSERT_TRUE(ends.isListening());
        QSignalSpy requests(&ends, &EndSignals::endRequested);
        EXPECT_EQ(handlerOf(SIGHUP), SIG_IGN);
        ASSERT_EQ(kill(getpid(), SIGTERM), 0);
        ASSERT_EQ(kill(getpid(), SIGINT), 0);
        for (int wait = 0; wait < 200 && requests.size() < 2; ++wait)
            QTest::qWait(5);
        ASSERT_EQ(requests.size(), 2);
        std::set<int> received {requests[0][0].toInt(), requests[1][0].toInt()};
        EXPECT_EQ(received, (std::set<int> {SIGTERM, SIGINT}));
    }
    EXPECT_EQ(handlerOf(SIGTERM), terminate);
    EXPECT_EQ(handlerOf(SIGINT), interrupt);
    EXPECT_EQ(sigaction(SIGHUP, &hangUp, nullptr), 0);
    EXPECT_EQ(sigaction(SIGINT, &interruptBefore, nullptr), 0);
}

// Held before the object is made, a signal waits (it would end the process otherwise), then arrives as a request.
TEST(EndSignalsTest, ASignalHeldUntilTheObjectListensArrivesAsARequest)
{
    HeldEndSignals held;
    ASSERT_EQ(raise(SIGTERM), 0);
    EndSignals ends;
    QSignalSpy requests(&ends, &EndSignals::endRequested);
    held.release();
    EXPECT_TRUE(requests.wait(1000) && requests[0][0].toInt() == SIGTERM);
}

// The program as a user starts it, in a home of its own, ended by SIGTERM while it converts a bundle and once the
// conversion has ended: both times it ends as after a close, with status 0, and leaves no working folder, no lock
// and no temporary folder behind. The show's fixture types are in no library, so the conversion asks the online
// library for them, at an address that takes the request and never answers: the signal comes while it waits.
TEST(EndSignalsTest, TheProgramEndedBySigtermLeavesNothingBehind)
{
    QTemporaryDir root;
    for (const char* folder : {"home", "tmp", "data", "config", "cache", "runtime"})
        ASSERT_TRUE(QDir(root.path()).mkdir(QLatin1String(folder)));
    ASSERT_TRUE(QFile::setPermissions(root.filePath("runtime"),
                                      QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner));
    const QString tmp = root.filePath("tmp");
    const QString app = QStringLiteral("%1/%2").arg(AppIdentity::kOrganisationName, AppIdentity::kApplicationName);
    const QString projects = root.filePath("data/" + app + "/projects");
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    for (const auto& [name, folder] : {std::pair {"HOME", "home"},
                                       {"TMPDIR", "tmp"},
                                       {"XDG_DATA_HOME", "data"},
                                       {"XDG_CONFIG_HOME", "config"},
                                       {"XDG_CACHE_HOME", "cache"},
                                       {"XDG_RUNTIME_DIR", "runtime"}})
        environment.insert(name, root.filePath(folder));
    environment.insert("QT_QPA_PLATFORM", "offscreen");
    for (const char* proxy : {"http_proxy", "HTTP_PROXY", "all_proxy", "ALL_PROXY"})
        environment.remove(proxy);
    // Under AddressSanitizer: Qt's headless platform keeps its screen past the end of the process, which would turn
    // the status into a leak report's. The program's own code is checked for leaks where the tests run it in process.
    environment.insert("ASAN_OPTIONS", environment.value("ASAN_OPTIONS") + ":detect_leaks=0");

    QTcpServer silent;
    ASSERT_TRUE(silent.listen(QHostAddress::LocalHost));
    const QString settings = root.filePath("config/" + app + ".conf");
    ASSERT_TRUE(QDir().mkpath(QFileInfo(settings).path()));
    ASSERT_TRUE(writeFile(settings,
                          QStringLiteral("[%1]\nOnlineFixtureLibrary\\Url=http://127.0.0.1:%2/\n")
                              .arg(AppIdentity::programVersion().toString(true))
                              .arg(silent.serverPort())
                              .toUtf8()));
    const QString show = root.filePath("show.kvx");
    ASSERT_TRUE(writeFile(show, buildBundle({{"show.kvq", buildShow({})}})));
    const auto working = [&] { return !entries(projects).isEmpty(); };
    const auto expanded = [&] { return !entries(tmp).filter("morvant-").isEmpty(); };

    for (const bool during : {true, false}) {
        SCOPED_TRACE(during ? "during the conversion" : "after it");
        // Without an address the conversion runs to its end at once.
        if (!during) {
            ASSERT_TRUE(QFile::remove(settings));
        }
        QProcess program;
        program.setProcessEnvironment(environment);
        program.start(QStringLiteral(MORVANT_PROGRAM), {show});
        if (during) {
            ASSERT_TRUE(silent.waitForNewConnection(30000)) << program.readAllStandardError().toStdString();
            EXPECT_TRUE(working() && expanded());
        } else {
            QElapsedTimer waited;
            waited.start();
            while (!(working() && !expanded()) && program.state() != QProcess::NotRunning && waited.elapsed() < 30000)
                QThread::msleep(2);
            ASSERT_TRUE(working() && !expanded()) << program.readAllStandardError().toStdString();
        }
        program.terminate();
        ASSERT_TRUE(program.waitForFinished(30000));
        EXPECT_EQ(program.exitStatus(), QProcess::NormalExit);
        EXPECT_EQ(program.exitCode(), 0) << program.readAllStandardError().toStdString();
        EXPECT_EQ(entries(projects), QStringList());
        EXPECT_EQ(entries(tmp), QStringList());
    }
}

}  // namespace

// SIGTERM while a save runs that then fails, past the room left on the disk: no box waits for a person, the failure
// stands in the error pane and, as the window goes, on standard error, and the process ends by itself with status 0,
// leaving no working folder, lock or partial file. The test runs itself again as that process, which joins the
// program's parts as the application does.
TEST_F(AppFixture, ASigtermDuringASaveThatFailsEndsTheProcessWithoutABox)
{
    const char kChild[] = "MORVANT_TEST_SAVE_UNDER_SIGTERM";
    if (qEnvironmentVariableIsSet(kChild)) {
        std::signal(SIGXFSZ, SIG_IGN);  // a write past the limit fails instead
        EndSignals ends;
        bool requested = false;
        QObject::connect(&ends, &EndSignals::endRequested, &window, &MainWindow::closeDiscardingResult);
        QObject::connect(&ends, &EndSignals::endRequested, [&requested] { requested = true; });
        driver.onSave = [&requested] {
            std::printf("saving\n"), std::fflush(stdout);
            while (!requested)
                QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents);
            const rlimit room {256 * 1024, RLIM_INFINITY};
            EXPECT_EQ(setrlimit(RLIMIT_FSIZE, &room), 0);
        };
        chooser.saveAnswer = qEnvironmentVariable(kChild) + "/out";
        window.show();
        window.convert(qEnvironmentVariable(kChild) + "/show.kvq");
        const QString working = driver.outputFolder();
        QTimer::singleShot(0, window.findChild<QPushButton*>("saveButton"), &QPushButton::click);
        QApplication::exec();
        driver.closeOutputProject();  // as the application's end does
        EXPECT_EQ(chooser.asked.filter("Save failed"), QStringList());
        EXPECT_TRUE(text("errorPane").contains("Failed to write the project file "));
        EXPECT_FALSE(working.isEmpty() || QFileInfo::exists(working));
        return;
    }
    // The show's plan image, of noise that does not compress, outgrows the room.
    QImage plan(640, 640, QImage::Format_RGB32);
    QRandomGenerator noise(62);
    for (int i = 0; i < plan.width() * plan.height(); ++i)
        plan.setPixel(i % 640, i / 640, noise.generate());
    ASSERT_TRUE(plan.save(folder.filePath("a.png"), "PNG") && writeFile(folder.filePath("show.kvq"), buildShow({})));
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert(kChild, folder.path());
    environment.remove("GTEST_TOTAL_SHARDS");
    environment.remove("GTEST_SHARD_INDEX");
    QProcess child;
    child.setProcessEnvironment(environment);
    child.start(QCoreApplication::applicationFilePath(),
                {"--gtest_filter=AppFixture.ASigtermDuringASaveThatFailsEndsTheProcessWithoutABox"});
    QByteArray output;
    while (!output.contains("saving\n") && child.waitForReadyRead(60000))
        output += child.readAllStandardOutput();
    child.terminate();
    if (!child.waitForFinished(60000))
        child.kill(), child.waitForFinished();
    output += child.readAllStandardOutput();
    EXPECT_TRUE(child.exitStatus() == QProcess::NormalExit && child.exitCode() == 0) << output.toStdString();
    EXPECT_TRUE(output.contains("[  PASSED  ] 1 test.")) << output.toStdString();
    const QString told = QString::fromLocal8Bit(child.readAllStandardError());
    // The failure as the error pane words it, naming the file, then what became of the result.
    EXPECT_TRUE(told.contains("Save failed: ") && told.contains(folder.filePath("out.kv2"))
                && told.contains("so the converted project was discarded"))
        << told.toStdString();
    EXPECT_EQ(entries(folder.path()), (QStringList {"a.png", "show.kvq", "tmp"}));
}
