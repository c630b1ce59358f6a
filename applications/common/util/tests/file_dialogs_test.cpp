#include "applications/common/util/file_dialogs.h"
#include "applications/common/util/versioned_settings.h"
#include "applications/common/util/tests/qt_print.h"
#include "applications/common/util/tests/settings_fixture.h"

#include <QAbstractButton>
#include <QApplication>
#include <QDir>
#include <QMessageBox>
#include <QTemporaryDir>
#include <QTimer>

namespace {

const QString kInputKey = QStringLiteral("LastInputFilePath");
const QString kOutputKey = QStringLiteral("LastOutputFilePath");

// Answers in place of the user and records what the dialogs were shown.
class ScriptedChooser : public FileDialogChooser
{
public:
    QString openFileName(QWidget*, const QString&, const QString& start, const QString& filter, QString*) override
    {
        shownStart = start;
        shownFilter = filter;
        return answer;
    }
    QString saveFileName(QWidget* parent, const QString& caption, const QString& start, const QString& filter,
                         QString* selected) override
    {
        return openFileName(parent, caption, start, filter, selected);
    }
    int askOverwrite(const QString& path, bool offerSkip, QWidget*) override
    {
        askedAbout = path;
        EXPECT_FALSE(offerSkip);
        return overwriteAnswer;
    }
    void showError(QWidget*, const QString& title, const QString& text) override
    {
        errors << title + QLatin1Char('|') + text;
    }

    QString answer;
    int overwriteAnswer = OverwriteFile;
    QString shownStart, shownFilter, askedAbout;
    QStringList errors;
};

// The versioned settings instance outlives the tests, so their keys are removed after each.
class FileDialogsTest : public OwnSettingsTest
{
protected:
    void TearDown() override
    {
        VersionedSettings::instance()->remove(kInputKey);
        VersionedSettings::instance()->remove(kOutputKey);
        VersionedSettings::instance()->sync();
        OwnSettingsTest::TearDown();
    }
    static QString remembered(const QString& key)
    {
        return VersionedSettings::instance()->value(key, QVariant(), false).toString();
    }
    QString save(int flags, int* status)
    {
        return saveFileDialog(nullptr, "Select output file", "Project File", "kv2", QString(), output, flags, status,
                              &chooser);
    }

    QTemporaryDir dir;
    ScriptedChooser chooser;
    const FileDialogLocation output{kOutputKey, QStandardPaths::AppDataLocation, QString()};
};

} // namespace

TEST_F(FileDialogsTest, SaveCleansTheNameAndAddsTheExtension)
{
    for (const auto& c : {std::make_pair("show", "show.kv2"), std::make_pair("show.kv2", "show.kv2"),
                          std::make_pair("show.KV2", "show.KV2.kv2"), std::make_pair("a:b?c", "a_b_c.kv2"),
                          std::make_pair(".hidden", "hidden.kv2")}) {
        chooser.answer = dir.filePath(c.first);
        int status = -1;
        const QString path = save(SaveAskOverwrite, &status);
        EXPECT_EQ(path, dir.filePath(c.second)) << c.first;
        EXPECT_EQ(status, SaveFileChosen);
        EXPECT_EQ(remembered(kOutputKey), path);
    }
    EXPECT_EQ(chooser.shownFilter, "Project File (*.kv2)");
    EXPECT_TRUE(chooser.askedAbout.isEmpty());

    // The next save starts in the remembered folder with the suggested name.
    saveFileDialog(nullptr, "Select output file", QString(), "kv2", "next.kv2", output, 0, nullptr, &chooser);
    EXPECT_EQ(chooser.shownStart, dir.filePath("next.kv2"));
    EXPECT_TRUE(chooser.shownFilter.isEmpty());

    // Cancelling stores nothing new.
    chooser.answer.clear();
    int status = -1;
    EXPECT_TRUE(save(SaveAskOverwrite, &status).isNull());
    EXPECT_EQ(status, SaveFileCancelled);
    EXPECT_EQ(remembered(kOutputKey), dir.filePath("hidden.kv2"));
}

TEST_F(FileDialogsTest, OverwritingNeverDeletesTheUsersFile)
{
    QFile file(dir.filePath("show.kv2"));
    ASSERT_TRUE(file.open(QIODevice::WriteOnly) && file.write("user data") == 9);
    file.close();
    const QString existing = file.fileName();
    chooser.answer = dir.filePath("show");
    int status = -1;

    EXPECT_EQ(save(0, &status), existing);  // without the flag nobody is asked
    EXPECT_TRUE(chooser.askedAbout.isEmpty());
    chooser.overwriteAnswer = CancelOverwrite;
    EXPECT_TRUE(save(SaveAskOverwrite, &status).isNull());
    EXPECT_EQ(status, SaveFileOverwriteDeclined);
    EXPECT_EQ(chooser.askedAbout, existing);

    chooser.overwriteAnswer = OverwriteFile;
    for (int flags : {int(SaveAskOverwrite), SaveAskOverwrite | SaveReplaceExisting}) {
        status = -1;
        EXPECT_EQ(save(flags, &status), existing);
        EXPECT_EQ(status, SaveFileChosen);
        ASSERT_TRUE(file.open(QIODevice::ReadOnly)) << "flags " << flags;
        EXPECT_EQ(file.readAll(), "user data");
        file.close();
    }
    EXPECT_TRUE(chooser.errors.isEmpty());

    // Something that cannot be replaced by a saved file is reported at once.
    ASSERT_TRUE(QDir(dir.path()).mkdir("folder.kv2"));
    chooser.answer = dir.filePath("folder.kv2");
    EXPECT_TRUE(save(SaveAskOverwrite | SaveReplaceExisting, &status).isNull());
    EXPECT_EQ(status, SaveFileNotReplaceable);
    EXPECT_EQ(chooser.errors, QStringList{"Error|Cannot overwrite " + chooser.answer});
    EXPECT_TRUE(QFileInfo(chooser.answer).isDir());
}

TEST_F(FileDialogsTest, OpenStartsWhereTheLastChoiceWasOrInTheStandardFolder)
{
    // Without a key nothing is remembered and the standard folder is made and used.
    const QString appData = QStandardPaths::writableLocation(QStandardPaths::AppDataLocation);
    const FileDialogLocation unkeyed{QString(), QStandardPaths::AppDataLocation, "dialog-test/projects"};
    chooser.answer = dir.filePath("in.kvq");
    EXPECT_EQ(openFileDialog(nullptr, unkeyed, QString(), "Select input file", "*.kvq", nullptr, &chooser),
              chooser.answer);
    EXPECT_EQ(chooser.shownStart, appData + "/dialog-test/projects");
    EXPECT_TRUE(QFileInfo(chooser.shownStart).isDir());
    EXPECT_EQ(defaultFolder(unkeyed, true), chooser.shownStart);
    EXPECT_TRUE(remembered(kInputKey).isEmpty());
    QDir(appData).removeRecursively();  // the application name, and so the folder, is this test's own

    const FileDialogLocation input{kInputKey, QStandardPaths::AppDataLocation, QString()};
    const auto open = [&](const QString& start) {
        return openFileDialog(nullptr, input, start, "Select input file", "*.kvq", nullptr, &chooser);
    };
    ASSERT_TRUE(QFile(dir.filePath("show.kvq")).open(QIODevice::WriteOnly));
    const QString existing = chooser.answer = dir.filePath("show.kvq");
    EXPECT_EQ(open(QString()), existing);
    EXPECT_EQ(remembered(kInputKey), existing);

    // An existing file is the start itself, its folder for a folder request.
    open(QString());
    EXPECT_EQ(chooser.shownStart, existing);
    EXPECT_EQ(defaultFolder(input, true), dir.path());

    // A remembered file that went away: start in its folder.
    QFile::remove(existing);
    chooser.answer.clear();
    EXPECT_TRUE(open(QString()).isNull());
    EXPECT_EQ(chooser.shownStart, dir.path());
    EXPECT_EQ(remembered(kInputKey), existing);

    // A start folder given by the caller wins.
    open("/given");
    EXPECT_EQ(chooser.shownStart, "/given");
}

TEST_F(FileDialogsTest, AskOverwriteOffersTheRightButtons)
{
    // Answers the question box as soon as it is up, recording its texts and buttons.
    const auto answer = [](const QString& buttonText, QStringList* seen) {
        auto* timer = new QTimer;
        QObject::connect(timer, &QTimer::timeout, [timer, buttonText, seen] {
            auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
            if (!box || !box->isVisible())
                return;
            *seen = QStringList{box->windowTitle(), box->text(), box->informativeText()};
            QAbstractButton* target = nullptr;
            for (QAbstractButton* button : box->buttons()) {
                *seen << button->text();
                if (button->text() == buttonText)
                    target = button;
            }
            timer->deleteLater();
            timer->stop();
            target ? target->click() : box->reject();
        });
        timer->start(5);
    };

    QStringList seen;
    answer("Overwrite", &seen);
    EXPECT_EQ(askOverwrite("/x/show.kv2", false, nullptr), OverwriteFile);
    EXPECT_EQ(seen.mid(0, 3), QStringList({"Overwrite", "/x/show.kv2 already exists.", "Do you want to overwrite it?"}));
    EXPECT_EQ(seen.size(), 5) << "no Skip without offerSkip";
    EXPECT_FALSE(seen.contains("Skip"));

    answer("Skip", &seen);
    EXPECT_EQ(askOverwrite("/x/show.kv2", true, nullptr), SkipFile);
    EXPECT_TRUE(seen.contains("Skip"));
    answer("Cancel", &seen);
    EXPECT_EQ(askOverwrite("/x/show.kv2", true, nullptr), CancelOverwrite);
}
