#include "applications/common/util/versioned_settings.h"
#include "applications/morvant/app_style.h"
#include "applications/morvant/conversion_driver.h"
#include "applications/morvant/main_window.h"
#include "applications/morvant/show_converter_app.h"
#include "applications/morvant/tests/app_test_support.h"
#include "seltrane_components/os/logger.h"
#include "seltrane_components/os/progress_tracker.h"

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QGuiApplication>
#include <QLabel>
#include <QPlainTextEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QScreen>
#include <QTemporaryDir>
#include <QTimer>
#include <gtest/gtest.h>

#include <functional>

namespace {

// Stands in for the conversion: reports progress, logs and answers as told.
class FakeDriver : public ConversionDriver
{
public:
    bool convert(const QString& path, ProgressTracker& progress) override
    {
        convertedPaths << path;
        progress.begin(4);
        bool eventRan = false;
        QTimer::singleShot(0, [&eventRan] { eventRan = true; });
        logMessage(kLogInfo, "Loading %s", "show");
        progress.setStep(2);
        eventsDuringConvert = eventRan;
        if (duringConvert)
            duringConvert();
        logMessage(kLogWarning, "Ignoring audio bus %d", 3);
        progress.end();
        project = convertResult;
        return convertResult;
    }
    bool saveOutputProject(const QString& path, ProgressTracker&) override
    {
        savedPaths << path;
        existingBytesAtSave = QFile::exists(path) ? readBytes(path) : QByteArray("<none>");
        if (saveResult)
            writeFile(path, "new project");
        return saveResult;
    }
    bool hasOutputProject() const override { return project; }

    std::function<void()> duringConvert;
    bool convertResult = true;
    bool saveResult = true;
    bool project = false;
    bool eventsDuringConvert = false;
    QStringList convertedPaths;
    QStringList savedPaths;
    QByteArray existingBytesAtSave;
};

class MainWindowTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        ASSERT_TRUE(folder.isValid());
        addLogHandler(&ShowConverterApp::onLogMessage, nullptr);
        window.setFileDialogChooser(&chooser);
        showPath = folder.filePath(QStringLiteral("my show.kvq"));
        chooser.openAnswer = showPath;
        chooser.saveAnswer = folder.filePath(QStringLiteral("out"));
    }
    void TearDown() override { removeLogHandler(&ShowConverterApp::onLogMessage); }

    template <class T>
    T* child(const char* name)
    {
        return window.findChild<T*>(QLatin1String(name));
    }
    QString resultText() { return child<QLabel>("resultLabel")->text(); }
    QString errors() { return child<QPlainTextEdit>("errorPane")->toPlainText(); }
    QString report() { return child<QPlainTextEdit>("reportPane")->toPlainText(); }

    QTemporaryDir folder;
    FakeDriver driver;
    ScriptedChooser chooser;
    ScriptedWindow window{&driver};
    QString showPath;
};

TEST_F(MainWindowTest, BrowseConvertsAndShowsTheResult)
{
    window.browse();
    ASSERT_EQ(driver.convertedPaths, QStringList{showPath});
    EXPECT_EQ(chooser.openCaption, QStringLiteral("Select input file"));
    EXPECT_EQ(chooser.openFilter,
              QStringLiteral("Design projects (*.kvq *.kvx);;Other projects (*.wvq *.wvx *.jvq *.jvx)"));
    EXPECT_EQ(VersionedSettings::instance()->value(QLatin1String(MainWindow::kInputPathKey)).toString(), showPath);
    // The window kept handling events while the work ran.
    EXPECT_TRUE(driver.eventsDuringConvert);
    EXPECT_EQ(resultText(), QStringLiteral("Conversion complete"));
    EXPECT_EQ(child<QLabel>("resultLabel")->palette().color(QPalette::WindowText), QColor(0, 140, 0));
    EXPECT_EQ(report(), QStringLiteral("Loading show"));
    EXPECT_EQ(errors(), QStringLiteral("Ignoring audio bus 3"));
    EXPECT_EQ(child<QProgressBar>("progressBar")->maximum(), 4);
    EXPECT_TRUE(child<QPushButton>("saveButton")->isEnabled());
    EXPECT_TRUE(child<QPushButton>("browseButton")->isEnabled());
    EXPECT_TRUE(window.hasUnsavedResult());
    EXPECT_EQ(child<QLabel>("inputLabel")->text(), QDir::toNativeSeparators(showPath));

    // A failed conversion clears the panes of the earlier one.
    window.answer = QMessageBox::Discard;
    driver.convertResult = false;
    window.browse();
    EXPECT_EQ(resultText(), QStringLiteral("Conversion failed"));
    EXPECT_EQ(child<QLabel>("resultLabel")->palette().color(QPalette::WindowText), QColor(200, 0, 0));
    EXPECT_EQ(errors(), QStringLiteral("Ignoring audio bus 3"));
    EXPECT_FALSE(child<QPushButton>("saveButton")->isEnabled());
    EXPECT_FALSE(window.hasUnsavedResult());

    // Cancelling the dialog converts nothing.
    chooser.openAnswer.clear();
    window.browse();
    EXPECT_EQ(driver.convertedPaths.size(), 2);
}

TEST_F(MainWindowTest, LogLevelsChooseThePane)
{
    logMessage(130, "warning %d", 1);
    logMessage(114, "Error autosaving database\n");
    logMessage(131, "just below information");
    logMessage(132, "information");
    logMessage(200, "note");
    EXPECT_EQ(errors(), QStringLiteral("warning 1\nError autosaving database\njust below information"));
    EXPECT_EQ(report(), QStringLiteral("information\nnote"));
    EXPECT_EQ(MainWindow::instance(), &window);
}

TEST_F(MainWindowTest, UnsavedResultIsAskedAboutBeforeANewConversion)
{
    window.browse();
    ASSERT_TRUE(window.hasUnsavedResult());

    // Each answer in turn; a failed save stops the new conversion.
    const struct
    {
        int answer;
        bool saveWorks;
        int saved, converted;
    } steps[] = {{QMessageBox::Cancel, true, 0, 1},
                 {QMessageBox::Save, false, 1, 1},
                 {QMessageBox::Save, true, 2, 2},
                 {QMessageBox::Discard, true, 2, 3}};
    int question = 0;
    for (const auto& step : steps) {
        SCOPED_TRACE(question);
        window.answer = step.answer;
        driver.saveResult = step.saveWorks;
        window.browse();
        EXPECT_EQ(window.questions, ++question);
        EXPECT_EQ(driver.savedPaths.size(), step.saved);
        EXPECT_EQ(driver.convertedPaths.size(), step.converted);
        EXPECT_EQ(chooser.openCount, step.converted);
        EXPECT_TRUE(window.hasUnsavedResult());
    }
}

TEST_F(MainWindowTest, ClosingAsksAboutAnUnsavedResultAndKeepsTheGeometry)
{
    window.show();
    window.browse();
    window.answer = QMessageBox::Cancel;
    EXPECT_FALSE(window.close());
    EXPECT_TRUE(window.isVisible());

    window.answer = QMessageBox::Discard;
    window.setGeometry(QRect(30, 40, 900, 700));
    EXPECT_TRUE(window.close());
    EXPECT_EQ(window.questions, 2);
    EXPECT_EQ(VersionedSettings::instance()->value(QLatin1String(MainWindow::kGeometryKey)).toRect().size(),
              QSize(900, 700));

    // Nothing unsaved: no question.
    window.show();
    EXPECT_TRUE(window.close());
    EXPECT_EQ(window.questions, 2);
}

TEST_F(MainWindowTest, NothingElseStartsWhileAConversionRuns)
{
    window.show();
    bool closed = true;
    bool browseEnabled = true;
    driver.duringConvert = [&] {
        EXPECT_TRUE(window.isBusy());
        closed = window.close();
        browseEnabled = child<QPushButton>("browseButton")->isEnabled();
        window.browse();
        window.convert(showPath);
        EXPECT_FALSE(window.save());
    };
    window.browse();
    EXPECT_FALSE(closed);
    EXPECT_FALSE(browseEnabled);
    EXPECT_TRUE(window.isVisible());
    EXPECT_EQ(driver.convertedPaths.size(), 1);
    EXPECT_EQ(chooser.openCount, 1);
    EXPECT_TRUE(driver.savedPaths.isEmpty());
    EXPECT_FALSE(window.isBusy());
}

TEST_F(MainWindowTest, SaveReplacesTheFileOnlyThroughTheDriver)
{
    window.browse();
    const QString target = folder.filePath(QStringLiteral("out.kv2"));
    ASSERT_TRUE(writeFile(target, "old project"));

    // The user agrees to overwrite; the file must still be there, unchanged,
    // when the save starts, and survive a failed save.
    driver.saveResult = false;
    EXPECT_FALSE(window.save());
    EXPECT_EQ(chooser.overwriteQuestions, QStringList{target});
    EXPECT_EQ(driver.savedPaths, QStringList{target});
    EXPECT_EQ(driver.existingBytesAtSave, QByteArray("old project"));
    EXPECT_EQ(readBytes(target), QByteArray("old project"));
    EXPECT_TRUE(window.hasUnsavedResult());
    EXPECT_EQ(chooser.saveCaption, QStringLiteral("Select output file"));
    EXPECT_EQ(chooser.saveFilter, QStringLiteral("Project File (*.kv2)"));
    EXPECT_TRUE(chooser.saveStart.endsWith(QStringLiteral("/my show")));

    driver.saveResult = true;
    EXPECT_TRUE(window.save());
    EXPECT_EQ(readBytes(target), QByteArray("new project"));
    EXPECT_FALSE(window.hasUnsavedResult());
    EXPECT_EQ(VersionedSettings::instance()->value(QLatin1String(MainWindow::kOutputPathKey)).toString(), target);

    // Declining the overwrite saves nothing.
    chooser.overwriteAnswer = CancelOverwrite;
    EXPECT_FALSE(window.save());
    EXPECT_EQ(driver.savedPaths.size(), 2);
}

TEST(MainWindowFontTest, LargeFontOnTheThreeMainWidgets)
{
    // With no window the log handler does nothing.
    ASSERT_EQ(MainWindow::instance(), nullptr);
    ShowConverterApp::onLogMessage(130, 0, "nobody listens\n", nullptr);

    const QFont before = QApplication::font();
    QApplication::setFont(AppStyle::normalFont());
    {
        FakeDriver driver;
        MainWindow window(&driver);
        for (const char* name : {"browseButton", "resultLabel", "saveButton"})
            EXPECT_EQ(window.findChild<QWidget*>(QLatin1String(name))->font().pointSize(),
                      AppStyle::kLargePointSize)
                << name;
        EXPECT_EQ(window.findChild<QWidget*>(QStringLiteral("reportPane"))->font().pointSize(),
                  AppStyle::kNormalPointSize);
    }
    QApplication::setFont(before);
}

TEST_F(MainWindowTest, GeometryIsRestoredOntoAScreen)
{
    const QRect area = QGuiApplication::primaryScreen()->availableGeometry();
    VersionedSettings::instance()->remove(QLatin1String(MainWindow::kGeometryKey), true);
    window.restoreGeometry();
    EXPECT_TRUE(area.contains(window.geometry())) << window.geometry().x();
    EXPECT_EQ(window.geometry().center(), area.center());

    // Saved on a monitor that is gone: moved to the primary screen.
    VersionedSettings::instance()->setValue(QLatin1String(MainWindow::kGeometryKey),
                                            QRect(area.right() + 5000, 10, 300, 200));
    window.restoreGeometry();
    EXPECT_TRUE(window.geometry().intersects(area));
    EXPECT_EQ(window.geometry().size(), QSize(300, 200));

    // Still on a screen: kept.
    const QRect kept(area.left() + 10, area.top() + 20, 300, 200);
    VersionedSettings::instance()->setValue(QLatin1String(MainWindow::kGeometryKey), kept);
    window.restoreGeometry();
    EXPECT_EQ(window.geometry(), kept);
}

}  // namespace
