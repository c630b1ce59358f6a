// MainWindow is the converter's one window: the user chooses an input file,
// watches the progress bar and the report and error panes while the
// conversion runs, sees "Conversion complete" (in the warning colour, with a
// count, when items of the show were not carried over) or "Conversion
// failed", and saves the result as a kv2 file. Starting a new conversion or closing the
// window first asks about a result that has not been saved. A failed
// conversion resets the progress bar; a failed save is shown in a message box
// and in the result line, which keeps the conversion's counts, and is not
// remembered as the next save's folder. A result line too long for the window's
// width wraps onto further lines, never widening the window.
// The panes hold the conversion's lines and those of the latest save only.
//
// The window does not own the conversion driver, which must outlive it. The
// one live window is reached through instance(), so that log messages find
// their pane. The file dialogs' choosers, the failed-save message and the
// unsaved-result question can be answered by a test instead of the user
// (setFileDialogChooser and askAboutUnsavedResult).
//
// GUI thread only. During a conversion or a save the window keeps handling
// events; its buttons are disabled and the wait cursor shows. A close
// requested meanwhile is honoured when the work returns: a conversion shows
// that it is stopping and stops at its next check, a save runs to its end.
// A close that discards the result opens no box: a save that fails under it
// is told in the error pane and, as the window goes with the close, on
// standard error.
#ifndef APPLICATIONS_MORVANT_MAIN_WINDOW_H
#define APPLICATIONS_MORVANT_MAIN_WINDOW_H

#include <QMainWindow>
#include <QString>

class ConversionDriver;
class ProgressTracker;
class QColor;
class FileDialogChooser;
class QLabel;
class QPlainTextEdit;
class QProgressBar;
class QPushButton;

class MainWindow : public QMainWindow
{
    Q_OBJECT

public:
    // Settings keys of the remembered paths and of the window geometry.
    static const char kInputPathKey[];
    static const char kOutputPathKey[];
    static const char kGeometryKey[];

    explicit MainWindow(ConversionDriver* driver, QWidget* parent = nullptr);
    ~MainWindow() override;

    // The live main window, or null.
    static MainWindow* instance();

    // Answers the file dialogs instead of the standard ones; not owned
    // (null restores the standard dialogs).
    void setFileDialogChooser(FileDialogChooser* chooser) { m_chooser = chooser; }

    // Places the window where it was last closed, or centred on its screen,
    // always on a screen that exists now.
    void restoreGeometry();

    bool isBusy() const { return m_busy; }
    // True after a successful conversion until its result is saved.
    bool hasUnsavedResult() const { return m_unsavedResult; }
    QString inputPath() const { return m_inputPath; }

public slots:
    // Asks about an unsaved result, lets the user choose a show and
    // converts it.
    void browse();
    // Converts the show at path (as after a browse that chose it).
    void convert(const QString& path);
    // Lets the user choose the output file and saves the result there;
    // false when nothing was saved.
    bool save();
    // Closes the window as an end without anyone to ask would (a signal, the
    // end of the session): an unsaved result is discarded, an open dialog is
    // answered as cancelled, and work under way ends as for a close.
    void closeDiscardingResult();

    void addReport(const QString& text);
    void addError(const QString& text);

protected:
    void closeEvent(QCloseEvent* event) override;

    // Asks whether to save the unsaved result first: QMessageBox::Save,
    // QMessageBox::Discard or QMessageBox::Cancel.
    virtual int askAboutUnsavedResult();

private:
    static void onProgress(quint32 done, quint32 total, void* userData);

    // True when the caller may go on: nothing unsaved, saved, or discarded.
    bool resolveUnsavedResult();
    // Closes the window when a close was requested while it was busy; true
    // when there was such a request.
    bool closeIfRequested();
    void setBusy(bool busy);
    // "Conversion complete", in green when every item of the show arrived,
    // else in the warning colour with the count of items not carried over.
    void showConversionResult();
    void showResult(const QString& text, const QColor& colour);
    static void appendLine(QPlainTextEdit* pane, const QString& text);
    // Removes the lines after the first `lines` ones.
    static void keepLines(QPlainTextEdit* pane, int lines);
    static int lineCount(const QPlainTextEdit* pane);

    ConversionDriver* m_driver;
    FileDialogChooser* m_chooser = nullptr;
    QString m_inputPath;
    bool m_busy = false;
    bool m_unsavedResult = false;
    bool m_closeRequested = false;
    // Set by closeDiscardingResult: a close then asks nothing.
    bool m_discardResult = false;
    // The running conversion's tracker, whose cancel flag a close sets.
    ProgressTracker* m_conversion = nullptr;
    // The panes' lines once the conversion ended.
    int m_conversionReportLines = 0;
    int m_conversionErrorLines = 0;

    QPushButton* m_browseButton;
    QLabel* m_inputLabel;
    QProgressBar* m_progressBar;
    QLabel* m_resultLabel;
    QPlainTextEdit* m_reportPane;
    QPlainTextEdit* m_errorPane;
    QPushButton* m_saveButton;
};

#endif  // APPLICATIONS_MORVANT_MAIN_WINDOW_H
