#include "applications/morvant/end_signals.h"

#include "applications/common/util/file_dialogs.h"
#include "applications/morvant/app_identity.h"
#include "applications/morvant/conversion_driver.h"
#include "applications/morvant/main_window.h"
#include "applications/morvant/show_converter_app.h"
#include "components/quilshow/tests/show_writer.h"
#include "seltrane_components/os/logger.h"

#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFileInfo>
#include <QImage>
#include <QPlainTextEdit>
#include <QProcess>
#include <QPushButton>
#include <QSignalSpy>
#include <QTcpServer>
#include <QTemporaryDir>
#include <QTest>
#include <QThread>
#include <QTimer>
#include <gtest/gtest.h>

#include <csignal>
#include <cstdio>
#include <random>
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

// Held before the object is made, a signal waits (it would end the process otherwise) and then arrives as a request.
TEST(EndSignalsTest, ASignalHeldUntilTheObjectListensArrivesAsARequest)
{
    HeldEndSignals held;
    ASSERT_EQ(raise(SIGTERM), 0);
    EndSignals ends;
    ASSERT_TRUE(ends.isListening());
    QSignalSpy requests(&ends, &EndSignals::endRequested);
    held.release();
    for (int wait = 0; wait < 200 && requests.isEmpty(); ++wait)
        QTest::qWait(5);
    ASSERT_EQ(requests.size(), 1);
    EXPECT_EQ(requests[0][0].toInt(), SIGTERM);
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

// The second half of the test below, run in a process of its own: the folder it works in.
const char kSaveChildFolder[] = "MORVANT_TEST_END_DURING_SAVE";

// Writes past this size fail, as on a disk that fills up.
const rlim_t kDiskRoom = 256 * 1024;

// Says that its save began and waits for the end request; its save then fails midway, past kDiskRoom.
class EndDuringSaveDriver : public ConversionDriver
{
public:
    bool saveOutputProject(const QString& path, ProgressTracker& progress) override
    {
        std::printf("saving\n");
        std::fflush(stdout);
        for (int wait = 0; wait < 6000 && !requested; ++wait) {
            QCoreApplication::processEvents();
            QThread::msleep(5);
        }
        const rlimit room {kDiskRoom, RLIM_INFINITY};
        EXPECT_EQ(setrlimit(RLIMIT_FSIZE, &room), 0);
        return ConversionDriver::saveOutputProject(path, progress);
    }
    bool requested = false;
};

// Answers the save dialog; a failure is shown in the standard message box.
class SaveAnswer : public FileDialogChooser
{
public:
    explicit SaveAnswer(const QString& path) : m_path(path) {}
    QString saveFileName(QWidget*, const QString&, const QString&, const QString&, QString*) override { return m_path; }

private:
    QString m_path;
};

// The program's own parts as the application joins them: the window on a driver, the end requests closing it as
// an end without anyone to ask, the output project closed as the event loop ends.
void runEndDuringSave(const QString& folder)
{
    // Past the room left, a write fails with EFBIG instead of ending the process.
    std::signal(SIGXFSZ, SIG_IGN);
    addLogHandler(&ShowConverterApp::onLogMessage, nullptr);
    EndDuringSaveDriver driver;
    MainWindow window(&driver);
    SaveAnswer answer(QDir(folder).filePath(QStringLiteral("out.kv2")));
    window.setFileDialogChooser(&answer);
    EndSignals ends;
    QObject::connect(&ends, &EndSignals::endRequested, &window, &MainWindow::closeDiscardingResult);
    QObject::connect(&ends, &EndSignals::endRequested, [&driver] { driver.requested = true; });
    QObject::connect(qApp, &QCoreApplication::aboutToQuit, [&driver] { driver.closeOutputProject(); });
    // A box that waits for a person is the fault: noted, and answered so that the process ends.
    QStringList boxes;
    QTimer watch;
    QObject::connect(&watch, &QTimer::timeout, [&boxes] {
        if (QWidget* box = QApplication::activeModalWidget()) {
            boxes << box->windowTitle();
            box->close();
        }
    });
    watch.start(20);

    window.show();
    window.convert(QDir(folder).filePath(QStringLiteral("show.kvq")));
    ASSERT_TRUE(driver.hasOutputProject());
    const QString workingFolder = driver.outputFolder();
    QTimer::singleShot(0, window.findChild<QPushButton*>(QStringLiteral("saveButton")), &QPushButton::click);
    QApplication::exec();

    EXPECT_TRUE(driver.requested);
    EXPECT_EQ(boxes, QStringList());
    EXPECT_FALSE(window.isVisible());
    const QString errors = window.findChild<QPlainTextEdit*>(QStringLiteral("errorPane"))->toPlainText();
    EXPECT_TRUE(errors.contains(QStringLiteral("Failed to compress the output project"))) << qPrintable(errors);
    EXPECT_FALSE(driver.hasOutputProject());
    EXPECT_FALSE(QFileInfo::exists(workingFolder)) << qPrintable(workingFolder);
    removeLogHandler(&ShowConverterApp::onLogMessage);
}

}  // namespace

// SIGTERM while a save runs, which then fails as the disk fills: the window shows no box (nobody would answer it),
// the failure stays in the error pane, and the process ends by itself with status 0, without its working folder
// and its lock, and without a partial project file.
TEST(EndSignalsTest, ASigtermDuringASaveThatFailsEndsTheProcessWithoutABox)
{
    if (qEnvironmentVariableIsSet(kSaveChildFolder)) {
        runEndDuringSave(qEnvironmentVariable(kSaveChildFolder));
        return;
    }
    QTemporaryDir folder;
    ASSERT_TRUE(writeFile(folder.filePath("show.kvq"), buildShow(ShowContent())));
    // The show's plan image, of noise that does not compress: the project outgrows the room left.
    QImage plan(640, 640, QImage::Format_RGB32);
    std::mt19937 noise(62);
    for (int y = 0; y < plan.height(); ++y) {
        for (int x = 0; x < plan.width(); ++x)
            plan.setPixel(x, y, noise() | 0xFF000000u);
    }
    ASSERT_TRUE(plan.save(folder.filePath("a.png"), "PNG"));
    ASSERT_GT(QFileInfo(folder.filePath("a.png")).size(), qint64(4 * kDiskRoom));

    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert(kSaveChildFolder, folder.path());
    environment.remove("GTEST_TOTAL_SHARDS");
    environment.remove("GTEST_SHARD_INDEX");
    QProcess child;
    child.setProcessEnvironment(environment);
    child.start(QCoreApplication::applicationFilePath(),
                {"--gtest_filter=EndSignalsTest.ASigtermDuringASaveThatFailsEndsTheProcessWithoutABox"});
    QByteArray output;
    while (!output.contains("saving\n") && child.waitForReadyRead(60000))
        output += child.readAllStandardOutput();
    ASSERT_TRUE(output.contains("saving\n")) << output.toStdString() << child.readAllStandardError().toStdString();
    child.terminate();
    if (!child.waitForFinished(60000))
        child.kill(), child.waitForFinished();
    output += child.readAllStandardOutput();
    EXPECT_EQ(child.exitStatus(), QProcess::NormalExit);
    EXPECT_EQ(child.exitCode(), 0) << output.toStdString() << child.readAllStandardError().toStdString();
    EXPECT_TRUE(output.contains("[  PASSED  ] 1 test.")) << output.toStdString();
    EXPECT_EQ(entries(folder.path()), (QStringList {"a.png", "show.kvq"}));
}
