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

}  // namespace
