#include "applications/common/util/versioned_settings.h"
#include "applications/morvant/app_style.h"
#include "applications/morvant/single_instance.h"
#include "applications/morvant/tests/app_test_support.h"
#include "seltrane_components/os/atomic_file.h"

#include <QApplication>
#include <QFileInfo>
#include <QGlyphRun>
#include <QGuiApplication>
#include <QLabel>
#include <QProgressBar>
#include <QPushButton>
#include <QRawFont>
#include <QScreen>
#include <QSysInfo>
#include <QTest>
#include <QTextLayout>
#include <QTimer>
#include <QUuid>

#include <tuple>
#include <unistd.h>

namespace {

class MainWindowTest : public AppFixture
{
protected:
    void SetUp() override
    {
        AppFixture::SetUp();
        chooser.openAnswer = input(QStringLiteral("my show.kvq"), buildShow(showKeepingAll()));
        chooser.saveAnswer = folder.filePath(QStringLiteral("out"));
    }
    QVariant setting(const char* key) { return VersionedSettings::instance()->value(QLatin1String(key)); }
};

TEST_F(MainWindowTest, UnsavedResultIsAskedAboutBeforeANewConversionAndOnClose)
{
    window.show();
    window.browse();
    ASSERT_EQ(chooser.asked.size(), 1);
    EXPECT_TRUE(chooser.asked[0].startsWith(
        "Select input file|All shows (*.kvq *.kvx *.wvq *.wvx *.jvq *.jvx);;Design projects (*.kvq *.kvx);;Other "
        "projects (*.wvq *.wvx *.jvq *.jvx)|"));
    EXPECT_EQ(setting(MainWindow::kInputPathKey).toString(), chooser.openAnswer);
    // Answer, the save works, saves and conversions so far: a failed save stops the new conversion.
    const std::tuple<int, bool, int, int> steps[] = {{QMessageBox::Cancel, true, 0, 1},
                                                     {QMessageBox::Save, false, 1, 1},
                                                     {QMessageBox::Save, true, 2, 2},
                                                     {QMessageBox::Discard, true, 2, 3}};
    for (const auto& step : steps) {
        window.answer = std::get<0>(step);
        driver.failSave = !std::get<1>(step);
        window.browse();
        EXPECT_EQ(driver.saved.size(), std::get<2>(step));
        EXPECT_EQ(chooser.asked.filter(QStringLiteral("Select input file")).size(), std::get<3>(step));
    }
    EXPECT_EQ(window.questions, 4);

    window.answer = QMessageBox::Cancel;
    EXPECT_FALSE(window.close());
    window.answer = QMessageBox::Discard;
    window.setGeometry(QRect(30, 40, 900, 700));
    EXPECT_TRUE(window.close());
    EXPECT_EQ(setting(MainWindow::kGeometryKey).toRect().size(), QSize(900, 700));
    EXPECT_EQ(window.questions, 6);
}

// While a conversion runs nothing else starts; log levels below 132 are errors, 132 and above report lines.
TEST_F(MainWindowTest, NothingElseStartsWhileAConversionRunsAndItsLogIsShown)
{
    window.show();
    bool busy = false;
    driver.step = [&](ScriptedDriver&) {
        busy = window.isBusy();
        window.browse();
        window.convert(chooser.openAnswer);
        EXPECT_FALSE(window.save());
        logMessage(114, "autosave");
        logMessage(131, "warning");
        logMessage(132, "information");
    };
    window.browse();
    EXPECT_TRUE(busy);
    EXPECT_EQ(chooser.asked.size(), 1);
    EXPECT_EQ(text("errorPane"), QStringLiteral("autosave\nwarning"));
    EXPECT_TRUE(
        text("reportPane").endsWith(QStringLiteral("project\nScripted step\ninformation\nShow texts: 2 converted"))
        && !window.isBusy());
}

TEST_F(MainWindowTest, SaveReplacesTheFileOnlyThroughTheDriverAndEnterKeepsIt)
{
    window.show();
    window.browse();
    chooser.asked.clear();
    const QString target = folder.filePath(QStringLiteral("out.kv2"));
    ASSERT_TRUE(writeFile(target, "old project"));

    // The user agrees to overwrite; the file is unchanged when the save starts and survives a failed one, with
    // nothing left beside it.
    driver.failSave = true;
    EXPECT_FALSE(window.save());
    ASSERT_EQ(chooser.asked.size(), 3);
    EXPECT_TRUE(chooser.asked[0].startsWith(QStringLiteral("Select output file|Project File (*.kv2)|")));
    EXPECT_TRUE(chooser.asked[0].endsWith(QStringLiteral("/my show")));
    EXPECT_EQ(chooser.asked[1], QStringLiteral("overwrite ") + target);
    EXPECT_EQ(driver.bytesAtSave + readBytes(target), QByteArray("old projectold project"));
    EXPECT_EQ(QDir(folder.path()).entryList({QStringLiteral("out*")}), QStringList {"out.kv2"});
    EXPECT_TRUE(window.hasUnsavedResult());

    // Cancel is the overwrite question's default: Enter keeps the file.
    chooser.realOverwriteQuestion = true;
    QString defaultButton;
    QTimer::singleShot(5, [&defaultButton] {
        auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
        ASSERT_NE(box, nullptr);
        defaultButton = box->defaultButton()->text();
        QTest::keyClick(box, Qt::Key_Return);
    });
    EXPECT_FALSE(window.save());
    EXPECT_EQ(defaultButton, QStringLiteral("Cancel"));
    EXPECT_EQ(readBytes(target), QByteArray("old project"));
    EXPECT_EQ(driver.saved.size(), 1);

    chooser.realOverwriteQuestion = driver.failSave = false;
    EXPECT_TRUE(window.save());
    EXPECT_NE(readBytes(target), QByteArray("old project"));
    EXPECT_FALSE(window.hasUnsavedResult());
    EXPECT_EQ(setting(MainWindow::kOutputPathKey).toString(), target);
}

// Below a plain file nobody may write, root included, and into a folder that is gone; as an ordinary user a
// read-only folder fails too. Each says what failed and what it means, in the system's words.
TEST_F(MainWindowTest, AFailedSaveIsShownEachTimeAndItsFolderNotRemembered)
{
    VersionedSettings::instance()->remove(QLatin1String(MainWindow::kOutputPathKey));
    window.browse();
    const QString good = folder.filePath(QStringLiteral("out.kv2"));
    const QString gone = folder.filePath(QStringLiteral("gone"));
    // The file chosen, the system's reason, what that means.
    std::vector<std::tuple<QString, QString, QString>> failures {
        {good + "/x.kv2", "Not a directory",
         "\"" + good + "\" is a file, not a folder. Choose an existing folder, then save again."},
        {gone + "/x.kv2", "No such file or directory",
         "the folder \"" + gone + "\" does not exist (any more). Choose an existing folder, then save again."}};
    if (geteuid() != 0) {
        const QString readOnly = folder.filePath(QStringLiteral("read-only"));
        ASSERT_TRUE(QDir(folder.path()).mkdir(QStringLiteral("read-only")));
        ASSERT_TRUE(QFile::setPermissions(readOnly, QFileDevice::ReadOwner | QFileDevice::ExeOwner));
        failures.push_back({readOnly + "/x.kv2", "Permission denied",
                            "it may not be written there (Permission denied). Choose a folder you may write to, then "
                            "save again."});
    }
    ASSERT_TRUE(writeFile(good, "a plain file"));
    const auto* bar = window.findChild<QProgressBar*>(QStringLiteral("progressBar"));
    const auto* saveButton = window.findChild<QPushButton*>(QStringLiteral("saveButton"));
    const auto* result = window.findChild<QLabel*>(QStringLiteral("resultLabel"));
    const QString conversionReport = text("reportPane");

    // Before any save nothing is remembered; after one, that file stays the next start.
    for (const QString& remembered : {QString(), good}) {
        for (const auto& [path, reason, meaning] : failures) {
            for (int attempt = 0; attempt < 2; ++attempt) {  // the same lines each time, not a growing pile
                chooser.saveAnswer = path;
                EXPECT_FALSE(window.save());
                const QString advice = "The project was not saved as \"" + path + "\": " + meaning;
                EXPECT_EQ(
                    (QStringList {chooser.asked.last(), text("errorPane"), text("reportPane"), text("resultLabel")}),
                    (QStringList {"Save failed|" + advice,
                                  "Failed to write the project file " + path + " (" + reason + ")\n" + advice,
                                  conversionReport + "\nSaving the output project",
                                  "Conversion complete; the project was not saved"}));
                EXPECT_EQ(result->palette().color(QPalette::WindowText), QColor(190, 100, 0));
                EXPECT_EQ(bar->value(), bar->minimum() - 1);
                EXPECT_TRUE(saveButton->isEnabled());
                EXPECT_EQ(window.hasUnsavedResult(), remembered.isEmpty());  // until saved once
                EXPECT_EQ(setting(MainWindow::kOutputPathKey).toString(), remembered);
            }
        }
        // The second time the folder cannot be synced once the file is in place: saved all the same, with a note.
        const bool unsynced = !remembered.isEmpty();
        AtomicFile::setFaultInjector([unsynced](AtomicFile::Call call, const QString&) {
            return unsynced && call == AtomicFile::Call::SyncFolder ? EIO : 0;
        });
        chooser.saveAnswer = good;
        const bool saved = window.save();
        AtomicFile::setFaultInjector({});
        ASSERT_TRUE(saved);
        EXPECT_EQ(readBytes(good).left(4), "Tarv");
        EXPECT_EQ(text("errorPane"), QString());
        EXPECT_EQ(text("reportPane"),
                  conversionReport + "\nSaving the output project\nThe output project was saved as " + good
                      + (unsynced ? "; the folder could not be synced (Input/output error), so the file may not "
                                    "survive a power cut"
                                  : ""));
        EXPECT_EQ(text("resultLabel"), QStringLiteral("Conversion complete"));
        EXPECT_EQ(result->palette().color(QPalette::WindowText), QColor(0, 140, 0));
        EXPECT_FALSE(window.hasUnsavedResult());
    }
}

TEST_F(MainWindowTest, ALongPathIsElidedAndNeverWidensTheWindow)
{
    EXPECT_EQ(window.findChild<QProgressBar*>(QStringLiteral("progressBar"))->text(), QString());  // idle: no 0%
    window.resize(760, 560);
    window.show();
    QString path = folder.path() + '/';
    path += QString(496 - path.size(), 'x') + ".kvq";
    for (int i = path.size() - 90; i > folder.path().size(); i -= 90)
        path[i] = '/';
    window.convert(path);
    QApplication::processEvents();
    EXPECT_EQ(window.width(), 760);
    EXPECT_LT(window.minimumSizeHint().width(), 500);  // nor keeps it from narrowing
    const auto* label = window.findChild<QLabel*>(QStringLiteral("inputLabel"));
    EXPECT_TRUE(label->toolTip() == path && label->text().contains(QChar(0x2026)));

    // A geometry saved wider than the screen, as the window once grew, comes back cut to it.
    VersionedSettings::instance()->setValue(QLatin1String(MainWindow::kGeometryKey), QRect(10, 10, 2981, 560));
    window.restoreGeometry();
    EXPECT_TRUE(QGuiApplication::primaryScreen()->availableGeometry().contains(window.geometry()));
}

// The close comes while the first of two steps is held open: the second never runs and nothing is left behind. A
// close during a save lets the save finish.
TEST_F(MainWindowTest, ACloseDuringTheWorkIsHonouredWhenItReturns)
{
    window.show();
    QString workingFolder;
    driver.stepCount = 2;
    driver.step = [&](ScriptedDriver& self) {
        EXPECT_TRUE(workingFolder.isEmpty());
        workingFolder = self.outputFolder();
        EXPECT_EQ(QGuiApplication::overrideCursor()->shape(), Qt::WaitCursor);
        EXPECT_FALSE(window.close() || !window.isVisible());
    };
    window.browse();
    EXPECT_TRUE(text("reportPane").endsWith(QStringLiteral("Scripted step\nThe conversion was cancelled")));
    EXPECT_FALSE(window.isVisible() || QFileInfo::exists(workingFolder) || QGuiApplication::overrideCursor());
    EXPECT_EQ(QDir::temp().entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot), QStringList());

    driver.step = nullptr;
    window.show();
    window.browse();
    QTimer::singleShot(0, &window, &QWidget::close);  // delivered while the save reports its progress
    window.findChild<QPushButton*>(QStringLiteral("saveButton"))->click();
    EXPECT_EQ(driver.saved.size(), 1);
    EXPECT_FALSE(window.isVisible() || window.hasUnsavedResult());
}

// An end without anyone to ask (a signal): during a conversion the stopping text shows at once and the next step
// never runs; after one, with the unsaved-result question open (from a new conversion or from a close), the question
// is answered as cancelled and the result discarded. The window closes each time without a further question.
TEST_F(MainWindowTest, AnEndRequestStopsTheWorkAndDiscardsTheResult)
{
    window.show();
    driver.stepCount = 2;
    QStringList shown;
    driver.step = [&](ScriptedDriver&) {
        window.closeDiscardingResult();
        shown << text("resultLabel");
    };
    window.browse();
    EXPECT_EQ(shown, QStringList {"Stopping the conversion..."});
    EXPECT_FALSE(window.isVisible());

    driver.step = nullptr;
    window.realQuestion = true;
    for (const bool fromClose : {false, true}) {
        SCOPED_TRACE(fromClose ? "asked by a close" : "asked by a new conversion");
        window.show();
        window.convert(chooser.openAnswer);
        ASSERT_TRUE(window.hasUnsavedResult());
        const int questions = window.questions;
        bool asked = false;
        QTimer::singleShot(5, &window, [&] {
            asked = QApplication::activeModalWidget() != nullptr;
            window.closeDiscardingResult();
        });
        fromClose ? void(window.close()) : window.browse();
        for (int wait = 0; wait < 200 && window.isVisible(); ++wait)
            QTest::qWait(5);
        EXPECT_TRUE(asked);
        EXPECT_FALSE(window.isVisible() || window.hasUnsavedResult());
        EXPECT_EQ(window.questions, questions + 1);
    }
    EXPECT_EQ(chooser.asked.filter(QStringLiteral("Select input file")).size(), 1);
    EXPECT_TRUE(driver.saved.isEmpty());
}

// A second or later show on the command line is named in the report after the first one's conversion.
TEST_F(MainWindowTest, OnlyTheFirstShowOfTheCommandLineIsConverted)
{
    window.show();
    const QString second = folder.filePath(QStringLiteral("second.kvq"));
    ShowConverterApp::convertAtStart(window, {chooser.openAnswer, second, QStringLiteral("third.kvq")});
    EXPECT_EQ(window.inputPath(), chooser.openAnswer);
    EXPECT_EQ(text("resultLabel"), QStringLiteral("Conversion complete"));
    EXPECT_EQ(text("reportPane"),
              "Loading the input project\nCreating the output project\nShow texts: 2 converted\nOnly the first show "
              "on the command line is converted; \""
                  + QDir::toNativeSeparators(second)
                  + "\" was not\nOnly the first show on the command line is converted; \"third.kvq\" was not");
}

// Japanese text, as in a show's name, is drawn with real glyphs in the path label: the installed fonts cover it.
TEST_F(MainWindowTest, AJapanesePathIsDrawnWithGlyphsNotBoxes)
{
    AppStyle::install(*qApp);
    window.resize(760, 560);
    window.show();
    const QString japanese = QString::fromUtf8("\xE7\x85\xA7\xE6\x98\x8E\xE3\x82\xB7\xE3\x83\xA7\xE3\x83"
                                               "\xBC");  // a lighting show, in kanji and katakana
    window.convert(folder.filePath(japanese + ".kvq"));
    QApplication::processEvents();
    const auto* label = window.findChild<QLabel*>(QStringLiteral("inputLabel"));
    ASSERT_TRUE(label->text().contains(japanese));
    // The glyphs the label's font finds, falling back to other fonts as drawing does; glyph 0 is the empty box.
    QTextLayout layout(japanese, label->font());
    layout.beginLayout();
    layout.createLine();
    layout.endLayout();
    int glyphs = 0;
    for (const QGlyphRun& run : layout.glyphRuns()) {
        for (const quint32 glyph : run.glyphIndexes()) {
            EXPECT_NE(glyph, 0u) << run.rawFont().familyName().toStdString();
            ++glyphs;
        }
    }
    EXPECT_EQ(glyphs, japanese.size());
}

// As the program starts, with its style; both questions are answered in their own message boxes.
TEST_F(MainWindowTest, BothQuestionsShowTheirIconsWithoutAQtWarning)
{
    static QStringList warnings;
    const QtMessageHandler previous =
        qInstallMessageHandler([](QtMsgType type, const QMessageLogContext&, const QString& text) {
            // The headless platform cannot size windows from their contents; a screen can.
            if (type != QtDebugMsg && type != QtInfoMsg && !text.startsWith("This plugin does not support"))
                warnings << text;
        });
    AppStyle::install(*qApp);
    window.show();
    window.browse();
    ASSERT_TRUE(writeFile(chooser.saveAnswer + ".kv2", "old project"));
    chooser.realOverwriteQuestion = window.realQuestion = true;
    QStringList answered;
    for (QMessageBox::StandardButton answer : {QMessageBox::Cancel, QMessageBox::Discard}) {
        QTimer::singleShot(5, [&answered, answer] {
            auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
            ASSERT_NE(box, nullptr);
            answered << box->windowTitle() + (box->iconPixmap().isNull() ? " without icon" : "");
            box->button(answer)->click();
        });
        answer == QMessageBox::Cancel ? void(window.save()) : window.browse();
    }
    qInstallMessageHandler(previous);
    EXPECT_EQ(answered, (QStringList {"Overwrite", "Unsaved project"}));
    EXPECT_EQ(warnings, QStringList());
}

TEST(SingleInstanceLockTest, OneHolderAtATimeAndStaleLocksAreTakenOver)
{
    const QString name = QStringLiteral("MorvantTest") + QUuid::createUuid().toString();
    QString path;
    {
        SingleInstanceLock first(name);
        path = first.filePath();
        EXPECT_TRUE(first.acquire() && first.acquire());
        EXPECT_FALSE(SingleInstanceLock(name).acquire());
        // Released before its end (as main does before the signals' default handlers come back): the file goes.
        first.release();
        EXPECT_FALSE(first.isHeld() || QFile::exists(path));
        EXPECT_TRUE(SingleInstanceLock(name).acquire());
        EXPECT_TRUE(first.acquire());
    }
    EXPECT_FALSE(QFile::exists(path));

    // A lock left by a dead process: pid, program, host, machine and boot ids.
    QFile stale(path);
    ASSERT_TRUE(stale.open(QIODevice::WriteOnly));
    stale.write(QByteArray("2147483000\nmorvant\n") + QSysInfo::machineHostName().toUtf8() + '\n'
                + QSysInfo::machineUniqueId() + '\n' + QSysInfo::bootUniqueId() + '\n');
    stale.close();
    EXPECT_TRUE(SingleInstanceLock(name).acquire());
}

}  // namespace
