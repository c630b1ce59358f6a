#ifndef APPLICATIONS_COMMON_UTIL_FILE_DIALOGS_H
#define APPLICATIONS_COMMON_UTIL_FILE_DIALOGS_H

#include <QStandardPaths>
#include <QString>

class QWidget;

// Open and save dialogs that remember the last file per purpose in the
// versioned settings and start there next time; the first time they start in
// a standard folder of the platform where it exists (they make no folder).
// The save dialog also cleans the typed file name, adds the expected
// extension unless the name ends with it in any case, refuses a folder and
// asks before overwriting a file.
//
// GUI thread only.

// Where a dialog starts and where it remembers the user's choice.
struct FileDialogLocation
{
    // Versioned-settings key of the last choice; empty remembers nothing.
    QString settingsKey;
    // Used while nothing is remembered.
    QStandardPaths::StandardLocation standardLocation = QStandardPaths::DocumentsLocation;
    // Appended below the standard location when not empty.
    QString subFolder;
};

enum SaveFileDialogFlag : int {
    // Ask before choosing a file that exists.
    SaveAskOverwrite = 1,
    // Once the user agreed, make sure the existing file can be replaced.
    // Nothing is deleted here: the caller replaces the file atomically, so
    // the user's file survives a failed save.
    SaveReplaceExisting = 2
};

enum SaveFileDialogStatus : int {
    SaveFileChosen = 0,
    // A folder, or a file that SaveReplaceExisting finds cannot be replaced.
    SaveFileNotReplaceable = 1,
    SaveFileCancelled = 2,
    SaveFileOverwriteDeclined = 3
};

// askOverwrite() answers.
enum OverwriteAnswer : int { OverwriteFile = 0, SkipFile = 1, CancelOverwrite = 2 };

// The parts of the dialogs that wait for the user.  The base class shows the
// standard Qt dialogs; a subclass can answer instead (e.g. in tests).
class FileDialogChooser
{
public:
    virtual ~FileDialogChooser();

    virtual QString openFileName(QWidget* parent, const QString& caption, const QString& start, const QString& filter,
                                 QString* selectedFilter);
    // Must not ask about overwriting; saveFileDialog() does.
    virtual QString saveFileName(QWidget* parent, const QString& caption, const QString& start, const QString& filter,
                                 QString* selectedFilter);
    virtual int askOverwrite(const QString& path, bool offerSkip, QWidget* parent);
    virtual void showError(QWidget* parent, const QString& title, const QString& text);
};

// The chosen file (null when cancelled), remembered under the location's key.
// Starts in startFolder, or where defaultFolder() says when that is empty.
QString openFileDialog(QWidget* parent, const FileDialogLocation& location, const QString& startFolder,
                       const QString& caption, const QString& filter, QString* selectedFilter = nullptr,
                       FileDialogChooser* chooser = nullptr);

// The file to save to (null when nothing should be saved), ending with
// "." + extension; status receives a SaveFileDialogStatus when not null.
QString saveFileDialog(QWidget* parent, const QString& caption, const QString& filterTitle, const QString& extension,
                       const QString& suggestedName, const FileDialogLocation& location, int flags = SaveAskOverwrite,
                       int* status = nullptr, FileDialogChooser* chooser = nullptr);

// Asks whether path may be overwritten; returns an OverwriteAnswer.  "Skip"
// is offered only with offerSkip.  Cancel is the default button, so Enter
// keeps the file.
int askOverwrite(const QString& path, bool offerSkip, QWidget* parent);

// The remembered path (with asFolder, its folder when it names a file; else
// the path when it exists, or its folder while that exists), or the
// location's standard folder (with the sub-folder where that exists), or the
// home folder when there is none. Makes no folder. Never empty.
QString defaultFolder(const FileDialogLocation& location, bool asFolder);

#endif  // APPLICATIONS_COMMON_UTIL_FILE_DIALOGS_H
