#include "applications/morvant/main_window.h"

#include "applications/common/util/file_dialogs.h"
#include "applications/common/util/screen_utils.h"
#include "applications/common/util/versioned_settings.h"
#include "applications/morvant/app_style.h"
#include "applications/morvant/conversion/conversion_driver.h"
#include "seltrane_components/os/progress_tracker.h"

#include <QApplication>
#include <QCloseEvent>
#include <QCoreApplication>
#include <QDialog>
#include <QDir>
#include <QFileInfo>
#include <QGroupBox>
#include <QGuiApplication>
#include <QHBoxLayout>
#include <QLabel>
#include <QMessageBox>
#include <QPlainTextEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QScreen>
#include <QTextBlock>
#include <QTextCursor>
#include <QTextDocument>
#include <QTimer>
#include <QVBoxLayout>

#include <cstdio>

const char MainWindow::kInputPathKey[] = "LastInputFilePath";
const char MainWindow::kOutputPathKey[] = "LastOutputFilePath";
const char MainWindow::kGeometryKey[] = "Geometry/MainWindow";

namespace {

MainWindow* s_instance = nullptr;

const QSize kDefaultSize(760, 560);

const QColor kSucceeded(0, 140, 0);
const QColor kFailed(200, 0, 0);
// The conversion worked, but its result is not saved yet or lacks items of
// the show.
const QColor kNotSaved(190, 100, 0);
const QColor kStopping(90, 90, 90);

QPlainTextEdit* makePane(const QString& objectName)
{
    auto* pane = new QPlainTextEdit;
    pane->setObjectName(objectName);
    pane->setReadOnly(true);
    // What to do, after a failure or a load that left something out, is a
    // sentence or two: read whole, not scrolled to.
    pane->setLineWrapMode(QPlainTextEdit::WidgetWidth);
    return pane;
}

// A path in one line whatever its length: elided in the middle to the width
// the layout gives it, whole in the tooltip. Its text never widens the window.
class PathLabel : public QLabel
{
public:
    PathLabel() { setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Preferred); }

    void setPath(const QString& path)
    {
        m_path = path;
        setToolTip(path);
        elide();
    }

protected:
    void resizeEvent(QResizeEvent* event) override
    {
        QLabel::resizeEvent(event);
        elide();
    }

private:
    void elide() { setText(fontMetrics().elidedText(m_path, Qt::ElideMiddle, contentsRect().width())); }

    QString m_path;
};

// The result, read whole at any width the window takes: a line too long for
// it wraps onto the next, so its text never widens the window.
QLabel* makeResultLabel()
{
    auto* label = new QLabel;
    label->setTextFormat(Qt::PlainText);
    label->setWordWrap(true);
    label->setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Preferred);
    return label;
}

// The available area of the screen that holds most of rect; null without
// screens.
QRect areaHolding(const QRect& rect)
{
    QRect best;
    qint64 bestOverlap = -1;
    for (const QScreen* screen : QGuiApplication::screens()) {
        const QRect overlap = screen->availableGeometry().intersected(rect);
        const qint64 size = overlap.isEmpty() ? 0 : qint64(overlap.width()) * overlap.height();
        if (size > bestOverlap) {
            best = screen->availableGeometry();
            bestOverlap = size;
        }
    }
    return best;
}

QGroupBox* framed(const QString& title, QWidget* content)
{
    auto* box = new QGroupBox(title);
    auto* layout = new QVBoxLayout(box);
    layout->addWidget(content);
    return box;
}

}  // namespace

MainWindow::MainWindow(ConversionDriver* driver, QWidget* parent) : QMainWindow(parent), m_driver(driver)
{
    setWindowTitle(tr("Show Converter"));

    m_browseButton = new QPushButton(tr("Select input file..."));
    m_browseButton->setObjectName(QStringLiteral("browseButton"));
    m_inputLabel = new PathLabel;
    m_inputLabel->setObjectName(QStringLiteral("inputLabel"));
    m_inputLabel->setTextInteractionFlags(Qt::TextSelectableByMouse);
    m_progressBar = new QProgressBar;
    m_progressBar->setObjectName(QStringLiteral("progressBar"));
    // Empty, not "0%", until a conversion starts.
    m_progressBar->reset();
    m_resultLabel = makeResultLabel();
    m_resultLabel->setObjectName(QStringLiteral("resultLabel"));
    m_reportPane = makePane(QStringLiteral("reportPane"));
    m_errorPane = makePane(QStringLiteral("errorPane"));
    m_saveButton = new QPushButton(tr("Save output file..."));
    m_saveButton->setObjectName(QStringLiteral("saveButton"));
    m_saveButton->setEnabled(false);

    for (QWidget* widget : {static_cast<QWidget*>(m_browseButton), static_cast<QWidget*>(m_resultLabel),
                            static_cast<QWidget*>(m_saveButton)})
        widget->setFont(AppStyle::largeFont());

    auto* inputRow = new QHBoxLayout;
    inputRow->addWidget(m_browseButton);
    inputRow->addWidget(m_inputLabel, 1);
    auto* resultRow = new QHBoxLayout;
    resultRow->addWidget(m_resultLabel, 1);
    resultRow->addWidget(m_saveButton);

    auto* central = new QWidget;
    auto* layout = new QVBoxLayout(central);
    layout->addLayout(inputRow);
    layout->addWidget(m_progressBar);
    layout->addWidget(framed(tr("Report"), m_reportPane), 3);
    layout->addWidget(framed(tr("Errors"), m_errorPane), 2);
    layout->addLayout(resultRow);
    setCentralWidget(central);

    connect(m_browseButton, &QPushButton::clicked, this, &MainWindow::browse);
    connect(m_saveButton, &QPushButton::clicked, this, [this] {
        save();
        closeIfRequested();
    });

    s_instance = this;
}

MainWindow::~MainWindow()
{
    if (s_instance == this)
        s_instance = nullptr;
}

MainWindow* MainWindow::instance() { return s_instance; }

void MainWindow::restoreGeometry()
{
    QRect rect = VersionedSettings::instance()->value(QLatin1String(kGeometryKey)).toRect();
    if (rect.isValid()) {
        // The screen it was on may be gone, or smaller now.
        ensureRectOnScreen(rect);
        const QRect area = areaHolding(rect);
        if (rect.width() > area.width() || rect.height() > area.height())
            fitRectToArea(rect, area);
    } else {
        rect = QRect(QPoint(0, 0), kDefaultSize);
        fitRectToScreen(rect, this);
    }
    setGeometry(rect);
}

void MainWindow::browse()
{
    if (m_busy)
        return;
    // A close requested while the question's save ran goes first, whether
    // that save worked or not.
    const bool mayGoOn = resolveUnsavedResult();
    if (closeIfRequested() || !mayGoOn)
        return;
    FileDialogLocation location;
    location.settingsKey = QLatin1String(kInputPathKey);
    location.standardLocation = QStandardPaths::DocumentsLocation;
    const QString filter = tr("All shows (*.kvq *.kvx *.wvq *.wvx *.jvq *.jvx);;Design projects (*.kvq *.kvx);;"
                              "Other projects (*.wvq *.wvx *.jvq *.jvx)");
    const QString path = openFileDialog(this, location, QString(), tr("Select input file"), filter, nullptr, m_chooser);
    if (!path.isEmpty())
        convert(path);
}

void MainWindow::convert(const QString& path)
{
    if (m_busy)
        return;
    setBusy(true);
    m_inputPath = path;
    m_unsavedResult = false;
    static_cast<PathLabel*>(m_inputLabel)->setPath(QDir::toNativeSeparators(path));
    m_reportPane->clear();
    m_errorPane->clear();
    m_resultLabel->clear();
    m_progressBar->setValue(0);

    bool converted = false;
    {
        ProgressTracker progress(&MainWindow::onProgress, nullptr, m_progressBar);
        m_conversion = &progress;
        converted = m_driver->convert(path, progress);
        m_conversion = nullptr;
    }
    m_unsavedResult = converted;
    if (converted) {
        showConversionResult();
    } else {
        // A full bar beside a failure would say the opposite.
        m_progressBar->reset();
        showResult(tr("Conversion failed"), kFailed);
    }
    m_conversionReportLines = lineCount(m_reportPane);
    m_conversionErrorLines = lineCount(m_errorPane);
    setBusy(false);
    closeIfRequested();
}

bool MainWindow::save()
{
    if (m_busy || !m_driver->hasOutputProject())
        return false;
    FileDialogLocation location;
    location.settingsKey = QLatin1String(kOutputPathKey);
    location.standardLocation = QStandardPaths::DocumentsLocation;
    // The dialog remembers the chosen file at once; a save that then fails
    // must not make its folder the next start.
    VersionedSettings* settings = VersionedSettings::instance();
    const QVariant lastOutput = settings->value(location.settingsKey, QVariant(), false);
    // The file is replaced atomically by the save, so the dialog must not
    // delete it beforehand.
    const QString path =
        saveFileDialog(this, tr("Select output file"), tr("Project File"), QStringLiteral("kv2"),
                       QFileInfo(m_inputPath).completeBaseName(), location, SaveAskOverwrite, nullptr, m_chooser);
    if (path.isEmpty())
        return false;

    // Each attempt shows its own lines, not a pile of the earlier ones.
    keepLines(m_reportPane, m_conversionReportLines);
    keepLines(m_errorPane, m_conversionErrorLines);
    setBusy(true);
    bool saved = false;
    {
        ProgressTracker progress(&MainWindow::onProgress, nullptr, m_progressBar);
        saved = m_driver->saveOutputProject(path, progress);
    }
    if (saved) {
        m_unsavedResult = false;
        showConversionResult();
    } else {
        if (lastOutput.isNull())
            settings->remove(location.settingsKey);
        else
            settings->setValue(location.settingsKey, lastOutput);
        m_progressBar->reset();
        // The conversion's counts stay, the save's failure beside them.
        showResult(m_driver->report().resultText(tr("the project was not saved")), kNotSaved);
    }
    setBusy(false);
    if (saved)
        return true;
    if (m_discardResult) {
        // A close that discards the result (a signal, the session's end) is
        // waiting: nobody is there to answer a box, and the error pane goes
        // with the window, so the failure is written where a log keeps it.
        const QString told = tr("Save failed: %1 The program was asked to end meanwhile, so the converted project "
                                "was discarded: convert the show again to save it.")
                                 .arg(m_driver->saveFailure());
        std::fprintf(stderr, "%s\n", told.toLocal8Bit().constData());
        std::fflush(stderr);
    } else {
        FileDialogChooser standard;
        (m_chooser ? *m_chooser : standard).showError(this, tr("Save failed"), m_driver->saveFailure());
    }
    return false;
}

void MainWindow::addReport(const QString& text) { appendLine(m_reportPane, text); }

void MainWindow::addError(const QString& text) { appendLine(m_errorPane, text); }

void MainWindow::closeDiscardingResult()
{
    m_discardResult = true;
    // A dialog's own event loop must end before the window can close.
    if (QWidget* modal = QApplication::activeModalWidget()) {
        if (auto* dialog = qobject_cast<QDialog*>(modal))
            dialog->reject();
        else
            modal->close();
        QTimer::singleShot(0, this, &MainWindow::closeDiscardingResult);
        return;
    }
    // Refused while idle only when a close that is still asking its question
    // is under way: again once it has returned. While busy the close is
    // honoured when the work returns.
    if (!close() && !m_busy)
        QTimer::singleShot(0, this, &MainWindow::closeDiscardingResult);
}

void MainWindow::closeEvent(QCloseEvent* event)
{
    if (m_busy) {
        // Honoured once the work returns; a conversion stops at its next check.
        m_closeRequested = true;
        if (m_conversion) {
            m_conversion->cancelFlag()->store(true);
            // Painted now: the step may run a while before its next check.
            showResult(tr("Stopping the conversion..."), kStopping);
            m_resultLabel->repaint();
        }
        event->ignore();
        return;
    }
    bool mayClose = m_discardResult || resolveUnsavedResult();
    // A close that discards, even one that came while the question's save
    // ran and failed, closes.
    if (m_discardResult) {
        m_unsavedResult = false;
        mayClose = true;
    }
    // Only this close discards: a window shown again asks again.
    m_discardResult = false;
    // This close answers any request made meanwhile, by a save it started.
    m_closeRequested = false;
    if (!mayClose) {
        event->ignore();
        return;
    }
    VersionedSettings::instance()->setValue(QLatin1String(kGeometryKey), normalGeometry());
    event->accept();
}

int MainWindow::askAboutUnsavedResult()
{
    QMessageBox box(QMessageBox::Question, tr("Unsaved project"), tr("The converted project has not been saved."),
                    QMessageBox::Save | QMessageBox::Discard | QMessageBox::Cancel, this);
    box.setInformativeText(tr("Do you want to save it?"));
    box.setDefaultButton(QMessageBox::Save);
    return box.exec();
}

void MainWindow::onProgress(quint32 done, quint32 total, void* userData)
{
    auto* bar = static_cast<QProgressBar*>(userData);
    bar->setMaximum(static_cast<int>(total));
    bar->setValue(static_cast<int>(done));
    // Keeps the window alive while the work runs on this thread.
    QCoreApplication::processEvents();
}

bool MainWindow::closeIfRequested()
{
    if (!m_closeRequested)
        return false;
    m_closeRequested = false;
    close();
    return true;
}

bool MainWindow::resolveUnsavedResult()
{
    if (!m_unsavedResult)
        return true;
    switch (askAboutUnsavedResult()) {
    case QMessageBox::Save:
        return save();
    case QMessageBox::Discard:
        m_unsavedResult = false;
        return true;
    default:
        return false;
    }
}

void MainWindow::setBusy(bool busy)
{
    if (busy != m_busy) {
        if (busy)
            QGuiApplication::setOverrideCursor(Qt::WaitCursor);
        else
            QGuiApplication::restoreOverrideCursor();
    }
    m_busy = busy;
    m_browseButton->setEnabled(!busy);
    m_saveButton->setEnabled(!busy && m_driver->hasOutputProject());
}

void MainWindow::showConversionResult()
{
    // Green only when every item of the show arrived as itself.
    const ConversionReport& report = m_driver->report();
    const bool whole = report.ignoredTotal() == 0 && report.changedTotal() == 0;
    showResult(report.resultText(), whole ? kSucceeded : kNotSaved);
}

void MainWindow::showResult(const QString& text, const QColor& colour)
{
    QPalette palette = m_resultLabel->palette();
    palette.setColor(QPalette::WindowText, colour);
    m_resultLabel->setPalette(palette);
    m_resultLabel->setText(text);
}

void MainWindow::appendLine(QPlainTextEdit* pane, const QString& text)
{
    QString line = text;
    // Log messages end in a newline; the pane adds its own.
    while (line.endsWith(QLatin1Char('\n')) || line.endsWith(QLatin1Char('\r')))
        line.chop(1);
    pane->appendPlainText(line);
}

int MainWindow::lineCount(const QPlainTextEdit* pane)
{
    // An empty pane still holds one empty block.
    return pane->document()->isEmpty() ? 0 : pane->blockCount();
}

void MainWindow::keepLines(QPlainTextEdit* pane, int lines)
{
    if (lines <= 0) {
        pane->clear();
        return;
    }
    if (lines >= pane->blockCount())
        return;
    // From the end of the last kept line, its newline included, to the end.
    QTextCursor cursor(pane->document()->findBlockByNumber(lines - 1));
    cursor.movePosition(QTextCursor::EndOfBlock);
    cursor.movePosition(QTextCursor::End, QTextCursor::KeepAnchor);
    cursor.removeSelectedText();
}
