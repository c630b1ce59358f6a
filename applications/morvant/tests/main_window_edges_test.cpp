// The window where its work meets an end request, a failed save, a long result line and the command line.
#include "applications/morvant/tests/app_test_support.h"

#include <QApplication>
#include <QLabel>

// An end request (a signal) while the save that answers the unsaved-result question runs, from a close or from a
// new conversion, and the save fails: no box waits for a person, the failure stands in the error pane, the window
// closes and nothing else starts.
TEST_F(AppFixture, AnEndRequestDuringTheQuestionsFailingSaveStillCloses)
{
    const QString show = input(QStringLiteral("show.kvq"), buildShow(showKeepingAll()));
    chooser.saveAnswer = folder.filePath(QStringLiteral("out"));
    window.answer = QMessageBox::Save;
    driver.failSave = true;
    driver.onSave = [this] { window.closeDiscardingResult(); };
    for (const bool fromClose : {true, false}) {
        SCOPED_TRACE(fromClose ? "asked by a close" : "asked by a new conversion");
        window.show();
        window.convert(show);
        fromClose ? void(window.close()) : window.browse();
        EXPECT_FALSE(window.isVisible() || window.hasUnsavedResult());
        EXPECT_TRUE(chooser.asked.filter("Save failed").isEmpty() && chooser.asked.filter("input file").isEmpty());
        EXPECT_TRUE(text("errorPane").startsWith(QStringLiteral("Failed to compress the output project")));
    }
}

// A failed save keeps the conversion's count in the result line, which, longer than the window has room for, is
// elided, whole in its tooltip, and neither widens the window nor keeps it from narrowing.
TEST_F(AppFixture, AFailedSaveKeepsTheCountAndALongResultNeverWidensTheWindow)
{
    chooser.saveAnswer = folder.filePath(QStringLiteral("out"));
    driver.failSave = true;
    window.resize(760, 560);
    window.show();
    window.convert(input(QStringLiteral("dropping.kvq"), buildShow(ShowContent())));
    // Whatever counts the conversion's line holds, before its pointer to the error pane.
    const QString pointer = QStringLiteral(" (see the error pane)");
    const QString conversion = text("resultLabel");
    ASSERT_TRUE(conversion.contains(QStringLiteral(" not carried over")) && conversion.endsWith(pointer));
    EXPECT_FALSE(window.save());
    QApplication::processEvents();
    const QString failed = conversion.chopped(pointer.size()) + "; the project was not saved" + pointer;
    const auto* label = window.findChild<QLabel*>(QStringLiteral("resultLabel"));
    EXPECT_TRUE(label->text() == failed && label->toolTip() == failed);
    EXPECT_GT(label->fontMetrics().horizontalAdvance(failed), label->width());  // the case at hand: it does not fit
    EXPECT_TRUE(window.width() == 760 && window.minimumSizeHint().width() < 500);
}

// An empty first argument converts nothing, and the shows after it are not said to follow a conversion.
TEST_F(AppFixture, AnEmptyFirstArgumentIsSaidAsSuch)
{
    ShowConverterApp::convertAtStart(window, {QString(), QStringLiteral("second.kvq")});
    EXPECT_FALSE(driver.hasOutputProject());
    EXPECT_EQ(text("reportPane"),
              "No show was converted: the first argument on the command line is empty. Choose the "
              "show with \"Select input file...\"\n\"second.kvq\" was not converted either: only the "
              "first argument names a show to convert");
}
