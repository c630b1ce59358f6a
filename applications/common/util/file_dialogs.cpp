#include "applications/common/util/file_dialogs.h"

#include "applications/common/util/versioned_settings.h"
#include "seltrane_components/os/file_utils.h"

#include <QDir>
#include <QFileDialog>
#include <QFileInfo>
#include <QMessageBox>
#include <QPushButton>

namespace {

FileDialogChooser& chooserOrDefault(FileDialogChooser* chooser)
{
    static FileDialogChooser standard;
    return chooser ? *chooser : standard;
}

// What an atomic save needs: a plain, writable file in a writable folder.
bool canReplace(const QString& path)
{
    const QFileInfo info(path);
    return info.isFile() && info.isWritable() && QFileInfo(info.absolutePath()).isWritable();
}

}  // namespace

FileDialogChooser::~FileDialogChooser() = default;

QString FileDialogChooser::openFileName(QWidget* parent, const QString& caption, const QString& start,
                                        const QString& filter, QString* selectedFilter)
{
    return QFileDialog::getOpenFileName(parent, caption, start, filter, selectedFilter);
}

QString FileDialogChooser::saveFileName(QWidget* parent, const QString& caption, const QString& start,
                                        const QString& filter, QString* selectedFilter)
{
    return QFileDialog::getSaveFileName(parent, caption, start, filter, selectedFilter,
                                        QFileDialog::DontConfirmOverwrite);
}

int FileDialogChooser::askOverwrite(const QString& path, bool offerSkip, QWidget* parent)
{
    return ::askOverwrite(path, offerSkip, parent);
}

void FileDialogChooser::showError(QWidget* parent, const QString& title, const QString& text)
{
    QMessageBox::critical(parent, title, text, QMessageBox::Ok);
}

QString defaultFolder(const FileDialogLocation& location, bool asFolder)
{
    QString remembered;
    if (!location.settingsKey.isEmpty())
        remembered = VersionedSettings::instance()->value(location.settingsKey, QVariant(), true).toString();
    if (!remembered.isEmpty()) {
        const QFileInfo info(remembered);
        if (asFolder ? info.isDir() : info.exists())
            return remembered;
        // A dialog given a missing folder would type its name into the name
        // box; once the folder is gone too, start as if nothing were
        // remembered.
        if (QFileInfo(info.absolutePath()).isDir())
            return info.absolutePath();
    }

    // A dialog makes no folder: the standard folder with its sub-folder, or
    // without it, where they exist; else the home folder. Without a standard
    // folder a sub-folder would land in the file-system root, and an empty
    // start would be the process's current folder.
    const QString folder = QStandardPaths::writableLocation(location.standardLocation);
    if (folder.isEmpty())
        return QDir::homePath();
    const QString sub = folder + QLatin1Char('/') + location.subFolder;
    if (!location.subFolder.isEmpty() && QFileInfo(sub).isDir())
        return sub;
    return QFileInfo(folder).isDir() ? folder : QDir::homePath();
}

QString openFileDialog(QWidget* parent, const FileDialogLocation& location, const QString& startFolder,
                       const QString& caption, const QString& filter, QString* selectedFilter,
                       FileDialogChooser* chooser)
{
    const QString start = startFolder.isEmpty() ? defaultFolder(location, false) : startFolder;
    const QString path = chooserOrDefault(chooser).openFileName(parent, caption, start, filter, selectedFilter);
    if (!path.isEmpty() && !location.settingsKey.isEmpty())
        VersionedSettings::instance()->setValue(location.settingsKey, path);
    return path;
}

QString saveFileDialog(QWidget* parent, const QString& caption, const QString& filterTitle, const QString& extension,
                       const QString& suggestedName, const FileDialogLocation& location, int flags, int* status,
                       FileDialogChooser* chooser)
{
    FileDialogChooser& ask = chooserOrDefault(chooser);
    int result = SaveFileChosen;
    const auto finish = [&result, status](const QString& path) {
        if (status)
            *status = result;
        return path;
    };

    QString start = defaultFolder(location, true);
    if (!start.isEmpty() && !suggestedName.isEmpty())
        start = QDir(start).filePath(suggestedName);
    const QString filter =
        filterTitle.isEmpty() ? QString() : filterTitle + QStringLiteral(" (*.") + extension + QLatin1Char(')');
    QString selectedFilter;

    QString path = ask.saveFileName(parent, caption, start, filter, &selectedFilter);
    if (path.isEmpty()) {
        result = SaveFileCancelled;
        return finish(QString());
    }

    const QFileInfo chosen(path);
    QString cleaned = chosen.fileName();
    sanitiseFileName(cleaned, QLatin1Char('_'));
    if (cleaned != chosen.fileName())
        path = QDir(chosen.path()).filePath(cleaned);
    const QString suffix = QLatin1Char('.') + extension;
    if (!extension.isEmpty() && !path.endsWith(suffix, Qt::CaseInsensitive))
        path += suffix;
    // A folder cannot be replaced by a file: refused before anything is asked or remembered.
    if (QFileInfo(path).isDir()) {
        ask.showError(
            parent, QObject::tr("Error"),
            QObject::tr("%1 is a folder: choose a file name, then save again.").arg(QDir::toNativeSeparators(path)));
        result = SaveFileNotReplaceable;
        return finish(QString());
    }

    if (!location.settingsKey.isEmpty())
        VersionedSettings::instance()->setValue(location.settingsKey, QFileInfo(path).absoluteFilePath());

    if (!(flags & SaveAskOverwrite) || !QFileInfo::exists(path))
        return finish(path);

    if (ask.askOverwrite(path, false, parent) != OverwriteFile) {
        result = SaveFileOverwriteDeclined;
        return finish(QString());
    }
    if ((flags & SaveReplaceExisting) && !canReplace(path)) {
        ask.showError(parent, QObject::tr("Error"), QObject::tr("Cannot overwrite %1").arg(path));
        result = SaveFileNotReplaceable;
        return finish(QString());
    }
    return finish(path);
}

int askOverwrite(const QString& path, bool offerSkip, QWidget* parent)
{
    // A warning: the answer may lose the file there now.
    QMessageBox box(QMessageBox::Warning, QObject::tr("Overwrite"), QString(), QMessageBox::NoButton, parent);
    box.setText(QObject::tr("%1 already exists.").arg(path));
    box.setInformativeText(QObject::tr("Do you want to overwrite it?"));
    QPushButton* overwrite = box.addButton(QObject::tr("Overwrite"), QMessageBox::YesRole);
    QPushButton* skip = offerSkip ? box.addButton(QObject::tr("Skip"), QMessageBox::NoRole) : nullptr;
    // Enter must never replace the user's file.
    box.setDefaultButton(box.addButton(QMessageBox::Cancel));
    box.exec();

    const QAbstractButton* clicked = box.clickedButton();
    if (clicked && clicked == overwrite)
        return OverwriteFile;
    if (clicked && clicked == skip)
        return SkipFile;
    return CancelOverwrite;
}
