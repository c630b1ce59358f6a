// Test support for the converter: a driver with one scripted step, an unsaved-result question answered by the
// test, and a fixture with a window on that driver and a temporary folder of its own (to see what conversions
// leave behind). GUI thread only.
#ifndef APPLICATIONS_MORVANT_TESTS_APP_TEST_SUPPORT_H
#define APPLICATIONS_MORVANT_TESTS_APP_TEST_SUPPORT_H

#include "applications/common/util/tests/scripted_chooser.h"
#include "applications/common/util/tests/settings_fixture.h"
#include "applications/morvant/conversion/conversion_context.h"
#include "applications/morvant/conversion/conversion_driver.h"
#include "applications/morvant/main_window.h"
#include "applications/morvant/show_converter_app.h"
#include "components/archive/archive_file.h"
#include "components/quilshow/show/quil_show.h"
#include "components/quilshow/tests/show_writer.h"
#include "seltrane_components/os/logger.h"
#include "seltrane_components/os/progress_tracker.h"

#include <QBuffer>
#include <QDir>
#include <QFile>
#include <QMessageBox>
#include <QTemporaryDir>
#include <QVariant>
#include <gtest/gtest.h>

#include <functional>

inline QByteArray readBytes(const QString& path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

// The files packed as a tar.gz (kind 0) or zip (kind 2) archive.
inline QByteArray packArchive(int kind, const std::vector<std::pair<QString, QByteArray>>& files)
{
    QBuffer buffer;
    buffer.open(QIODevice::WriteOnly);
    ArchiveFile archive;
    bool ok = archive.open(ArchiveFile::WriteMode, &buffer, kind);
    for (const auto& file : files)
        ok = ok && archive.addBuffer(file.second, file.first);
    return ok && archive.close() ? buffer.data() : QByteArray();
}

// A show whose settings name neither a plan image nor a third text, which no project keeps: a conversion of it
// leaves nothing out.
inline ShowContent showKeepingAll(quint16 version = 454)
{
    ShowContent content(version);
    for (ShowRow& row : content.tables.settings) {
        for (const auto& [from, to] : {std::pair<std::string, std::string>("'Notes'", "''"), {"\"a.png\"", "\"\""}}) {
            for (std::size_t at = row.text.find(from); at != std::string::npos; at = row.text.find(from, at))
                row.text.replace(at, from.size(), to);
        }
    }
    return content;
}

class ScriptedDriver : public ConversionDriver
{
public:
    // With `step` set, the conversion runs `stepCount` steps, "Scripted step", that call it.
    const std::vector<Step>& steps() const override
    {
        auto* self = const_cast<ScriptedDriver*>(this);
        m_steps.assign(step ? stepCount : 0, Step {"Scripted step", [self](ConversionContext&) { self->step(*self); }});
        return m_steps;
    }
    bool saveOutputProject(const QString& path, ProgressTracker& progress) override
    {
        if (onSave)
            onSave();
        saved << path;
        bytesAtSave = readBytes(path);
        // A save cancelled before it starts fails the way a real one does.
        ProgressTracker cancelled;
        cancelled.cancelFlag()->store(true);
        return ConversionDriver::saveOutputProject(path, failSave ? cancelled : progress);
    }

    std::function<void(ScriptedDriver&)> step;
    std::function<void()> onSave;  // called as a save starts
    int stepCount = 1;
    bool failSave = false;  // the save then fails as cancelled, without writing
    QStringList saved;
    QByteArray bytesAtSave;  // the target's when the save began

private:
    mutable std::vector<Step> m_steps;
};

class ScriptedWindow : public MainWindow
{
public:
    using MainWindow::MainWindow;

    int answer = QMessageBox::Discard;
    bool realQuestion = false;  // the message box itself asks
    int questions = 0;

protected:
    int askAboutUnsavedResult() override
    {
        return ++questions, realQuestion ? MainWindow::askAboutUnsavedResult() : answer;
    }
};

class AppFixture : public ::testing::Test
{
protected:
    void SetUp() override
    {
        ASSERT_TRUE(QDir(folder.path()).mkdir(QStringLiteral("tmp")));
        qputenv("TMPDIR", QFile::encodeName(folder.filePath(QStringLiteral("tmp"))));
        addLogHandler(&ShowConverterApp::onLogMessage, nullptr);
        window.setFileDialogChooser(&chooser);
    }
    void TearDown() override
    {
        removeLogHandler(&ShowConverterApp::onLogMessage);
        EXPECT_EQ(Quil::_gpShow, nullptr);
        savedTmpDir.isNull() ? qunsetenv("TMPDIR") : qputenv("TMPDIR", savedTmpDir);
    }

    QString input(const QString& name, const QByteArray& bytes)
    {
        EXPECT_TRUE(writeFile(folder.filePath(name), bytes));
        return folder.filePath(name);
    }
    // Also checks that the temporary folder is empty afterwards.
    bool convert(const QString& path)
    {
        window.convert(path);
        EXPECT_EQ(QDir::temp().entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot), QStringList());
        return text("resultLabel") == QStringLiteral("Conversion complete");
    }
    // Of the label or pane `name`.
    QString text(const char* name) const
    {
        const QWidget* widget = window.findChild<QWidget*>(QLatin1String(name));
        const QVariant label = widget->property("text");
        return label.isValid() ? label.toString() : widget->property("plainText").toString();
    }

    QByteArray savedTmpDir = qgetenv("TMPDIR");
    QTemporaryDir folder;
    ScriptedDriver driver;
    ScriptedChooser chooser;
    ScriptedWindow window {&driver};
};

#endif  // APPLICATIONS_MORVANT_TESTS_APP_TEST_SUPPORT_H
