// ShowConverterApp is the converter program: the Qt application object and
// the conversion driver in one. Its constructor sets the names under which
// the settings live, installs the style, reads the command line and queues
// start(); start() connects the logger to the main window, removes the
// working folders that killed runs left (those no running copy holds),
// loads the fixture library and the KiNET list, lets the online fixture
// library's downloads into the fixture library, shows the window and, when
// the command line named a show, converts it at once. SIGTERM, SIGINT and SIGHUP close the
// window as an end without anyone to ask would: the result is discarded and
// the program ends as after a close, leaving no working or temporary folder.
// When the event loop ends, onAboutToQuit() closes the output project,
// disconnects the logger and deletes the window.
//
// main() makes the one instance (theApp) and deletes it after the event
// loop. The application owns the main window, the id maps, the free font
// numbers, the output project and the temporary folder (ConversionDriver).
//
// GUI thread only; the log handler may be called from any thread and hands
// the text to the GUI thread.
#ifndef APPLICATIONS_MORVANT_SHOW_CONVERTER_APP_H
#define APPLICATIONS_MORVANT_SHOW_CONVERTER_APP_H

#include "applications/morvant/conversion/conversion_driver.h"

#include <QApplication>
#include <QString>
#include <QStringList>

class MainWindow;

class ShowConverterApp : public QApplication, public ConversionDriver
{
    Q_OBJECT

public:
    ShowConverterApp(int& argc, char** argv);
    ~ShowConverterApp() override;

    // The show named on the command line; empty when none was.
    QString inputPath() const { return m_shows.value(0); }

    // Converts the first of shows in window (nothing when there is none, and
    // says so when it is empty) and then reports each later one as not
    // converted.
    static void convertAtStart(MainWindow& window, const QStringList& shows);

    // The logger's handler: levels below kLogInfo go to the main window's
    // error pane, the others to its report pane.
    static void onLogMessage(int level, qint64 time, const char* text, void* userData);

private slots:
    void start();
    void onAboutToQuit();
    void onEndRequested();

private:
    // The positional words of the command line.
    QStringList m_shows;
    MainWindow* m_window = nullptr;
};

// The running application; null before main makes it and after it is gone.
extern ShowConverterApp* theApp;

#endif  // APPLICATIONS_MORVANT_SHOW_CONVERTER_APP_H
