// Test support for the converter: a file-dialog chooser that answers in
// place of the user, a window whose unsaved-result question is answered by
// the test, and writers of the input files (shows, bundles, archives).
#ifndef MORVANT_TESTS_APP_TEST_SUPPORT_H
#define MORVANT_TESTS_APP_TEST_SUPPORT_H

#include "applications/common/util/file_dialogs.h"
#include "applications/morvant/main_window.h"
#include "components/quilshow/tests/show_writer.h"

#include <QByteArray>
#include <QMessageBox>
#include <QString>
#include <QStringList>

#include <utility>
#include <vector>

class ScriptedChooser : public FileDialogChooser
{
public:
    QString openFileName(QWidget*, const QString& caption, const QString&, const QString& filter, QString*) override
    {
        ++openCount;
        openCaption = caption;
        openFilter = filter;
        return openAnswer;
    }
    QString saveFileName(QWidget*, const QString& caption, const QString& start, const QString& filter,
                         QString*) override
    {
        ++saveCount;
        saveCaption = caption;
        saveFilter = filter;
        saveStart = start;
        return saveAnswer;
    }
    int askOverwrite(const QString& path, bool, QWidget*) override
    {
        overwriteQuestions << path;
        return overwriteAnswer;
    }
    void showError(QWidget*, const QString& title, const QString& text) override
    {
        errors << title + QLatin1Char('|') + text;
    }

    QString openAnswer;
    QString saveAnswer;
    int overwriteAnswer = OverwriteFile;
    int openCount = 0;
    int saveCount = 0;
    QString openCaption, openFilter, saveCaption, saveFilter, saveStart;
    QStringList overwriteQuestions;
    QStringList errors;
};

class ScriptedWindow : public MainWindow
{
public:
    using MainWindow::MainWindow;

    int answer = QMessageBox::Cancel;
    int questions = 0;

protected:
    int askAboutUnsavedResult() override
    {
        ++questions;
        return answer;
    }
};

// A show file of the given stream version with every section empty.
QByteArray plainShow(quint16 version = 454);
// The files packed as a tar.gz (kind 0) or zip (kind 2) archive.
QByteArray packArchive(int kind, const std::vector<std::pair<QString, QByteArray>>& files);
QByteArray readBytes(const QString& path);

#endif  // MORVANT_TESTS_APP_TEST_SUPPORT_H
