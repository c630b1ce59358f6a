// The window where its work meets an end request, a failed save, a long result line and the command line.
#include "applications/morvant/conversion/report_causes.h"
#include "applications/morvant/tests/app_test_support.h"

#include <QApplication>
#include <QImage>
#include <QLabel>
#include <QPainter>

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
        EXPECT_TRUE(text("errorPane").startsWith(QStringLiteral("Failed to write the project file ")));
    }
}

namespace {

// A conversion whose one step leaves out 999,999 items and changes 100,000 (six digits each, digits being as wide
// as one another), with the lines they log dropped rather than piled into the error pane.
class WideCountDriver : public ScriptedDriver
{
public:
    const std::vector<Step>& steps() const override
    {
        static const std::vector<Step> counting {
            {"Counting", [](ConversionContext& context) {
                 removeLogHandler(&ShowConverterApp::onLogMessage);
                 context.report.ignore(ReportKind::Fixtures, "fixtures", "wide", Causes::kTypeNotInLibrary, 999999);
                 for (quint64 key = 0; key < 100000; ++key)
                     context.report.changed(ReportKind::Fixtures, key, "wide", Causes::kNoCounterpart);
                 addLogHandler(&ShowConverterApp::onLogMessage, nullptr);
             }}};
        return counting;
    }
};

// Whether label draws its text whole: its text, wrapped at the label's width, fits in the label, and every pixel
// that text covers fully in the label's colour is drawn in that colour (an elided or cut line leaves some out).
testing::AssertionResult drawsWholeText(QLabel& label)
{
    const QRect room = label.contentsRect();
    const int flags = int(label.alignment()) | Qt::TextWordWrap;
    const QRect needed = label.fontMetrics().boundingRect(room, flags, label.text());
    if (!room.contains(needed))
        return testing::AssertionFailure() << "the text needs " << needed.width() << " x " << needed.height()
                                           << " and has " << room.width() << " x " << room.height();
    const QImage drawn = label.grab().toImage().convertToFormat(QImage::Format_RGB32);
    QImage whole(drawn.size(), QImage::Format_ARGB32);
    whole.fill(Qt::transparent);
    const QRgb colour = label.palette().color(QPalette::WindowText).rgb();
    QPainter painter(&whole);
    painter.setFont(label.font());
    painter.setPen(QColor(colour));
    painter.drawText(room, flags, label.text());
    painter.end();
    int covered = 0, missing = 0;
    for (int y = 0; y < whole.height(); ++y) {
        for (int x = 0; x < whole.width(); ++x) {
            if (qAlpha(whole.pixel(x, y)) == 255)
                ++covered, missing += drawn.pixel(x, y) != colour;
        }
    }
    if (covered < 100 || missing != 0)
        return testing::AssertionFailure() << missing << " of the text's " << covered << " pixels are not drawn";
    return testing::AssertionSuccess();
}

}  // namespace

// A failed save keeps the conversion's counts in the result line, with the note that the project was not saved.
// With six-digit counts that line is longer than the window is wide at its start size: it is drawn whole (on more
// lines), and neither widens the window nor keeps it from narrowing.
TEST_F(AppFixture, AFailedSaveKeepsTheCountsAndTheWholeResultLineIsDrawnAtTheStartSize)
{
    WideCountDriver wide;
    wide.failSave = true;
    ScriptedWindow wideWindow(&wide);
    wideWindow.setFileDialogChooser(&chooser);
    chooser.saveAnswer = folder.filePath(QStringLiteral("out"));
    wideWindow.resize(760, 560);
    wideWindow.show();
    wideWindow.convert(input(QStringLiteral("show.kvq"), buildShow(showKeepingAll())));
    auto* label = wideWindow.findChild<QLabel*>(QStringLiteral("resultLabel"));
    // Whatever counts the conversion's line holds, before its pointer to the error pane.
    const QString pointer = QStringLiteral(" (see the error pane)");
    const QString conversion = label->text();
    ASSERT_TRUE(conversion.contains(QStringLiteral("999,999")) && conversion.contains(QStringLiteral("100,000"))
                && conversion.endsWith(pointer))
        << conversion.toStdString();
    EXPECT_FALSE(wideWindow.save());
    QApplication::processEvents();
    EXPECT_EQ(label->text(), conversion.chopped(pointer.size()) + "; the project was not saved" + pointer);
    EXPECT_GT(label->fontMetrics().horizontalAdvance(label->text()), label->width());  // the case at hand
    EXPECT_TRUE(drawsWholeText(*label));
    EXPECT_TRUE(wideWindow.width() == 760 && wideWindow.minimumSizeHint().width() < 500);
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
