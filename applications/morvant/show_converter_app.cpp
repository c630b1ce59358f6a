#include "applications/morvant/show_converter_app.h"

#include "applications/common/fixture_library_ui/versioned_online_library_settings.h"
#include "applications/morvant/app_identity.h"
#include "applications/morvant/app_style.h"
#include "applications/morvant/end_signals.h"
#include "applications/morvant/main_window.h"
#include "components/fixture_library/fixture_library.h"
#include "components/fixture_library/load_fixture_libraries.h"
#include "components/fixture_library/online_fixture_library.h"
#include "components/project/tarvel_base_project.h"
#include "seltrane_components/os/command_line.h"
#include "seltrane_components/os/logger.h"

#include <QDir>
#include <QMetaObject>
#include <QPointer>
#include <QTimer>

ShowConverterApp* theApp = nullptr;

ShowConverterApp::ShowConverterApp(int& argc, char** argv) : QApplication(argc, argv)
{
    setOrganizationName(QLatin1String(AppIdentity::kOrganisationName));
    setApplicationName(QLatin1String(AppIdentity::kApplicationName));
    AppStyle::install(*this);

    const CommandLine commandLine(argc, argv);
    for (int i = 0; i < commandLine.positionalCount(); ++i)
        m_shows << commandLine.positional(i);

    connect(this, &QCoreApplication::aboutToQuit, this, &ShowConverterApp::onAboutToQuit);
    connect(new EndSignals(this), &EndSignals::endRequested, this, &ShowConverterApp::onEndRequested);
    QTimer::singleShot(0, this, &ShowConverterApp::start);
}

ShowConverterApp::~ShowConverterApp()
{
    // Normally done by onAboutToQuit; this covers an application that never
    // ran its event loop.
    removeLogHandler(&ShowConverterApp::onLogMessage);
    delete m_window;
    closeOutputProject();
}

void ShowConverterApp::start()
{
    addLogHandler(&ShowConverterApp::onLogMessage, nullptr);
    // A run that was killed left its working folder; no running copy holds
    // it, and nothing else would ever remove it.
    ProjectWorkingFolder::removeAbandonedFolders(TarvelBaseProject(false, 0).projectsFolder());

    m_window = new MainWindow(this);
    // After the window: the log handler shows nothing before it exists.
    loadFixtureLibraries();
    useVersionedOnlineLibrarySettings();
    connectOnlineFixtureLibrary(OnlineFixtureLibrary::instance(), FixtureLibrary::instance());
    m_window->restoreGeometry();
    m_window->show();
    convertAtStart(*m_window, m_shows);
}

void ShowConverterApp::convertAtStart(MainWindow& window, const QStringList& shows)
{
    const bool named = !shows.value(0).isEmpty();
    if (named)
        window.convert(shows.first());
    else if (!shows.isEmpty())
        logMessage(kLogInfo,
                   "No show was converted: the first argument on the command line is empty. Choose the "
                   "show with \"Select input file...\"");
    // After the conversion, which starts the panes afresh.
    for (int i = 1; i < shows.size(); ++i) {
        const QByteArray show = QDir::toNativeSeparators(shows[i]).toUtf8();
        if (named)
            logMessage(kLogInfo, "Only the first show on the command line is converted; \"%s\" was not",
                       show.constData());
        else
            logMessage(kLogInfo, "\"%s\" was not converted either: only the first argument names a show to convert",
                       show.constData());
    }
}

void ShowConverterApp::onEndRequested()
{
    if (m_window)
        m_window->closeDiscardingResult();
    else
        quit();
}

void ShowConverterApp::onAboutToQuit()
{
    closeOutputProject();
    removeLogHandler(&ShowConverterApp::onLogMessage);
    delete m_window;
    m_window = nullptr;
}

void ShowConverterApp::onLogMessage(int level, qint64, const char* text, void*)
{
    MainWindow* window = MainWindow::instance();
    if (!window)
        return;
    const QString line = QString::fromUtf8(text);
    const bool isError = level < kLogInfo;
    // Direct on the GUI thread, queued from any other.
    QPointer<MainWindow> target(window);
    QMetaObject::invokeMethod(window, [target, line, isError] {
        if (!target)
            return;
        if (isError)
            target->addError(line);
        else
            target->addReport(line);
    });
}
