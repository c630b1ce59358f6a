// Test support for the converter: a driver with one scripted step, an unsaved-result question answered
// by the test, and a fixture with a window on that driver and a temporary folder of
// its own (to see what conversions leave behind). GUI thread only.
#ifndef APPLICATIONS_MORVANT_TESTS_APP_TEST_SUPPORT_H
#define APPLICATIONS_MORVANT_TESTS_APP_TEST_SUPPORT_H

#include "applications/common/util/tests/scripted_chooser.h"
#include "applications/common/util/tests/settings_fixture.h"
#include "applications/morvant/conversion_driver.h"
#include "applications/morvant/main_window.h"
#include "components/quilshow/tests/show_writer.h"

#include <QMessageBox>
#include <QTemporaryDir>
#include <gtest/gtest.h>

#include <functional>

class ScriptedDriver : public ConversionDriver
{
public:
    // With `step` set, the conversion runs one step, "Scripted step", that calls it.
    const std::vector<Step>& steps() const override;
    bool saveOutputProject(const QString& path, ProgressTracker& progress) override;

    std::function<void(ScriptedDriver&)> step;
    bool failSave = false;  // the save then fails as cancelled, without writing
    QStringList saved;
    QByteArray bytesAtSave;  // the target's when the save began
};

class ScriptedWindow : public MainWindow
{
public:
    using MainWindow::MainWindow;

    int answer = QMessageBox::Discard;
    int questions = 0;

protected:
    int askAboutUnsavedResult() override { return ++questions, answer; }
};

class AppFixture : public ::testing::Test
{
protected:
    void SetUp() override;
    void TearDown() override;

    QString input(const QString& name, const QByteArray& bytes);
    bool convert(const QString& path);     // also checks that the temporary folder is empty afterwards
    QString text(const char* name) const;  // of the label or pane `name`

    QTemporaryDir folder;
    ScriptedDriver driver;
    ScriptedChooser chooser;
    ScriptedWindow window {&driver};
    QByteArray savedTmpDir;
};

// The files packed as a tar.gz (kind 0) or zip (kind 2) archive.
QByteArray packArchive(int kind, const std::vector<std::pair<QString, QByteArray>>& files);
QByteArray readBytes(const QString& path);

#endif  // APPLICATIONS_MORVANT_TESTS_APP_TEST_SUPPORT_H
