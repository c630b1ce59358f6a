#ifndef APPLICATIONS_COMMON_UTIL_TESTS_SCRIPTED_CHOOSER_H
#define APPLICATIONS_COMMON_UTIL_TESTS_SCRIPTED_CHOOSER_H

// Shared test support. ScriptedChooser answers the file dialogs in place of
// the user and records every question in `asked`, in order: "caption|filter|
// start", "overwrite <path>" or "title|text". Main thread only.

#include "applications/common/util/file_dialogs.h"

#include <QStringList>

class ScriptedChooser : public FileDialogChooser
{
public:
    QString openFileName(QWidget*, const QString& caption, const QString& start, const QString& filter,
                         QString*) override
    {
        asked << caption + '|' + filter + '|' + start;
        return openAnswer;
    }
    QString saveFileName(QWidget* parent, const QString& caption, const QString& start, const QString& filter,
                         QString* selected) override
    {
        openFileName(parent, caption, start, filter, selected);
        return saveAnswer;
    }
    int askOverwrite(const QString& path, bool offerSkip, QWidget* parent) override
    {
        asked << QStringLiteral("overwrite ") + path;
        return realOverwriteQuestion ? FileDialogChooser::askOverwrite(path, offerSkip, parent) : overwriteAnswer;
    }
    void showError(QWidget*, const QString& title, const QString& text) override { asked << title + '|' + text; }

    QString openAnswer, saveAnswer;
    int overwriteAnswer = OverwriteFile;
    bool realOverwriteQuestion = false;  // the message box itself asks
    QStringList asked;
};

#endif  // APPLICATIONS_COMMON_UTIL_TESTS_SCRIPTED_CHOOSER_H
