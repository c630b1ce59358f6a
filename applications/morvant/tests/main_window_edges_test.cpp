// The window where its work meets an end request, a failed save, a long result line and the command line.
#include "applications/morvant/tests/app_test_support.h"

#include <QApplication>
#include <QLabel>

namespace {

class MainWindowEdgesTest : public AppFixture
{
protected:
    void SetUp() override
    {
        AppFixture::SetUp();
        chooser.openAnswer = input(QStringLiteral("my show.kvq"), buildShow(showKeepingAll()));
        chooser.saveAnswer = folder.filePath(QStringLiteral("out"));
    }
};

// An end request (a signal) that comes while the save answering the unsaved-result question runs, from a close or
// from a new conversion; the save fails: no box waits for a person, the failure stands in the error pane, and the
// window closes without starting anything else.
TEST_F(MainWindowEdgesTest, AnEndRequestDuringTheQuestionsFailingSaveStillCloses)
{
    for (const bool fromClose : {true, false}) {
        SCOPED_TRACE(fromClose ? "asked by a close" : "asked by a new conversion");
        window.show();
        window.convert(chooser.openAnswer);
        ASSERT_TRUE(window.hasUnsavedResult());
        chooser.asked.clear();
        window.answer = QMessageBox::Save;
        driver.failSave = true;
        driver.onSave = [this] { window.closeDiscardingResult(); };
        fromClose ? void(window.close()) : window.browse();
        QApplication::processEvents();
        EXPECT_FALSE(window.isVisible() || window.hasUnsavedResult());
        EXPECT_EQ(chooser.asked.filter(QStringLiteral("Save failed")), QStringList());
        EXPECT_EQ(chooser.asked.filter(QStringLiteral("Select input file")), QStringList());
        EXPECT_TRUE(text("errorPane").startsWith(QStringLiteral("Failed to compress the output project")))
            << qPrintable(text("errorPane"));
        driver.onSave = nullptr;
    }
}

// A failed save keeps the conversion's count in the result line; a line longer than the window has room for is
// elided, whole in its tooltip, and neither widens the window nor keeps it from narrowing.
TEST_F(MainWindowEdgesTest, AFailedSaveKeepsTheCountAndALongResultNeverWidensTheWindow)
{
    window.resize(760, 560);
    window.show();
    window.convert(input(QStringLiteral("dropping.kvq"), buildShow(ShowContent())));
    const QString conversion = text("resultLabel");
    ASSERT_TRUE(conversion.startsWith(QStringLiteral("Conversion complete; ")));
    ASSERT_TRUE(conversion.endsWith(QStringLiteral(" items were not carried over (see the error pane)")));
    driver.failSave = true;
    EXPECT_FALSE(window.save());
    QApplication::processEvents();
    const QString count = conversion.mid(21, conversion.indexOf(' ', 21) - 21);
    const QString failed = "Conversion complete; " + count
        + " items were not carried over; the project was not saved (see the error pane)";
    const auto* label = window.findChild<QLabel*>(QStringLiteral("resultLabel"));
    EXPECT_EQ(label->text(), failed);
    EXPECT_EQ(label->toolTip(), failed);
    EXPECT_GT(label->fontMetrics().horizontalAdvance(failed), label->width());  // the case at hand: it does not fit
    EXPECT_EQ(window.width(), 760);
    EXPECT_LT(window.minimumSizeHint().width(), 500);

    // A clean conversion's line gains only the failed save.
    window.convert(chooser.openAnswer);
    EXPECT_FALSE(window.save());
    EXPECT_EQ(text("resultLabel"), QStringLiteral("Conversion complete; the project was not saved"));
}

// An empty first argument converts nothing, and the shows after it are not said to follow a conversion.
TEST_F(MainWindowEdgesTest, AnEmptyFirstArgumentIsSaidAsSuch)
{
    const QString second = folder.filePath(QStringLiteral("second.kvq"));
    ShowConverterApp::convertAtStart(window, {QString(), second});
    EXPECT_EQ(window.inputPath(), QString());
    EXPECT_TRUE(driver.saved.isEmpty() && !driver.hasOutputProject());
    EXPECT_EQ(text("reportPane"),
              "No show was converted: the first argument on the command line is empty. Choose the "
              "show with \"Select input file...\"\n\""
                  + QDir::toNativeSeparators(second)
                  + "\" was not converted either: only the first argument names a show to convert");
}

}  // namespace
