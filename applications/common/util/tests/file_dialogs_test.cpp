#include "applications/common/util/file_dialogs.h"
#include "applications/common/util/tests/scripted_chooser.h"
#include "applications/common/util/tests/settings_fixture.h"
#include "applications/common/util/versioned_settings.h"

#include <QAbstractButton>
#include <QApplication>
#include <QDir>
#include <QMessageBox>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTimer>

namespace {

// The versioned settings instance outlives the tests, so the key is removed after each.
class FileDialogsTest : public OwnSettingsTest
{
protected:
    void TearDown() override
    {
        VersionedSettings::instance()->remove(kKey);
        OwnSettingsTest::TearDown();
    }
    QString remembered() const { return VersionedSettings::instance()->value(kKey, QVariant(), false).toString(); }
    QString save(int flags, int* status)
    {
        return saveFileDialog(nullptr, "Select", "Project File", "kv2", QString(), location, flags, status, &chooser);
    }

    const QString kKey = QStringLiteral("LastOutputFilePath");
    QTemporaryDir dir;
    ScriptedChooser chooser;
    const FileDialogLocation location {kKey, QStandardPaths::AppDataLocation, QString()};
    int status = -1;
};

}  // namespace

TEST_F(FileDialogsTest, SaveCleansTheNameAndNeverDeletesTheUsersFile)
{
    for (const auto& c : {std::make_pair("show.KV2", "show.KV2"), std::make_pair("a:b?c", "a_b_c.kv2"),
                          std::make_pair(".hidden", "hidden.kv2"), std::make_pair("show", "show.kv2")}) {
        chooser.saveAnswer = dir.filePath(c.first);
        EXPECT_EQ(save(SaveAskOverwrite, &status), dir.filePath(c.second)) << c.first;
        EXPECT_EQ(remembered(), dir.filePath(c.second));
    }
    EXPECT_EQ(chooser.asked.last(), "Select|Project File (*.kv2)|" + dir.path());  // starts in the remembered folder
    chooser.saveAnswer.clear();
    EXPECT_TRUE(save(SaveAskOverwrite, &status).isNull() && status == SaveFileCancelled);
    EXPECT_EQ(remembered(), dir.filePath("show.kv2"));  // cancelling stores nothing new

    QFile file(dir.filePath("show.kv2"));
    ASSERT_TRUE(file.open(QIODevice::WriteOnly) && file.write("user data") == 9);
    file.close();
    chooser.saveAnswer = dir.filePath("show");
    EXPECT_EQ(save(0, &status), file.fileName());  // without the flag nobody is asked
    chooser.overwriteAnswer = CancelOverwrite;
    EXPECT_TRUE(save(SaveAskOverwrite, &status).isNull() && status == SaveFileOverwriteDeclined);
    chooser.overwriteAnswer = OverwriteFile;
    EXPECT_EQ(save(SaveAskOverwrite | SaveReplaceExisting, &status), file.fileName());
    EXPECT_EQ(status, SaveFileChosen);
    EXPECT_EQ(chooser.asked.filter("overwrite "),
              QStringList({"overwrite " + file.fileName(), "overwrite " + file.fileName()}));
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    EXPECT_EQ(file.readAll(), "user data");

    // A folder, with the extension typed or not, is refused at once in words: nobody is asked to overwrite it, and
    // it is not remembered.
    ASSERT_TRUE(QDir(dir.path()).mkdir("folder.kv2"));
    const int asked = chooser.asked.size();
    for (const char* typed : {"folder.kv2", "folder"}) {
        chooser.saveAnswer = dir.filePath(typed);
        EXPECT_TRUE(save(SaveAskOverwrite, &status).isNull() && status == SaveFileNotReplaceable);
        EXPECT_EQ(chooser.asked.last(),
                  "Error|" + dir.filePath("folder.kv2") + " is a folder: choose a file name, then save again.");
    }
    EXPECT_EQ(chooser.asked.size(), asked + 4);  // each time the dialog and the refusal
    EXPECT_EQ(remembered(), dir.filePath("show.kv2"));
}

TEST_F(FileDialogsTest, OpenStartsAtTheLastChoiceOrInTheStandardFolder)
{
    const QString appData = QStandardPaths::writableLocation(QStandardPaths::AppDataLocation);
    const FileDialogLocation unkeyed {QString(), QStandardPaths::AppDataLocation, "dialog-test/projects"};
    const auto open = [this](const FileDialogLocation& where, const QString& start) {
        return openFileDialog(nullptr, where, start, "Select input file", "*.kvq", nullptr, &chooser);
    };
    chooser.openAnswer = dir.filePath("show.kvq");
    ASSERT_TRUE(QFile(chooser.openAnswer).open(QIODevice::WriteOnly));
    // A standard folder or its sub-folder is where it exists; none is made. Remembers nothing.
    QDir(appData).removeRecursively();  // the application name, so the folder, is this test's own
    open(unkeyed, QString());
    EXPECT_EQ(chooser.asked.last(), "Select input file|*.kvq|" + QDir::homePath());
    EXPECT_FALSE(QFileInfo::exists(appData));
    ASSERT_TRUE(QDir().mkpath(appData));
    open(unkeyed, QString());
    EXPECT_EQ(chooser.asked.last(), "Select input file|*.kvq|" + appData);
    ASSERT_TRUE(QDir().mkpath(appData + "/dialog-test/projects"));
    open(unkeyed, QString());
    EXPECT_EQ(chooser.asked.last(), "Select input file|*.kvq|" + appData + "/dialog-test/projects");
    QDir(appData).removeRecursively();

    // An existing file is the start itself (its folder for a folder); a file gone away: its folder.
    EXPECT_EQ(open(location, QString()), chooser.openAnswer);
    const QString existing = remembered();
    open(location, QString());
    EXPECT_EQ(chooser.asked.last(), "Select input file|*.kvq|" + existing);
    EXPECT_EQ(defaultFolder(location, true), dir.path());
    QFile::remove(existing);
    open(location, QString());
    EXPECT_EQ(chooser.asked.last(), "Select input file|*.kvq|" + dir.path());

    // Once the folder is gone too: the documents folder where there is one, else the home folder, never a missing
    // folder (a dialog given one would type its name into the name box) nor the process's current folder; nothing
    // is made in the user's home.
    const QString documents = QDir::home().filePath("Documents");
    ASSERT_EQ(QStandardPaths::writableLocation(QStandardPaths::DocumentsLocation), documents);
    QDir(documents).removeRecursively();
    dir.remove();
    const FileDialogLocation inDocuments {kKey, QStandardPaths::DocumentsLocation, QString()};
    for (bool asFolder : {false, true}) {
        EXPECT_EQ(defaultFolder(inDocuments, asFolder), QDir::homePath());
        EXPECT_FALSE(QFileInfo::exists(documents));
    }
    ASSERT_TRUE(QDir().mkpath(documents));
    EXPECT_EQ(defaultFolder(inDocuments, true), documents);
    QDir(documents).removeRecursively();
}

TEST_F(FileDialogsTest, AskOverwriteOffersTheRightButtons)
{
    QStringList seen;
    const auto answer = [&seen](const QString& buttonText) {
        QTimer::singleShot(5, [buttonText, &seen] {
            auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
            ASSERT_NE(box, nullptr);
            seen = QStringList {box->windowTitle(), box->text(), box->informativeText(), box->defaultButton()->text()};
            for (QAbstractButton* button : box->buttons())
                seen << button->text();
            box->buttons().at(seen.indexOf(buttonText, 4) - 4)->click();
        });
    };
    answer("Overwrite");
    EXPECT_EQ(askOverwrite("/x/show.kv2", false, nullptr), OverwriteFile);
    // Cancel is the default, so Enter keeps the user's file (the main window's tests press it).
    EXPECT_EQ(seen.mid(0, 4),
              QStringList({"Overwrite", "/x/show.kv2 already exists.", "Do you want to overwrite it?", "Cancel"}));
    EXPECT_FALSE(seen.contains("Skip"));
    answer("Skip");
    EXPECT_EQ(askOverwrite("/x/show.kv2", true, nullptr), SkipFile);
    EXPECT_EQ(seen.value(3), "Cancel");  // still the default beside Skip
    answer("Cancel");
    EXPECT_EQ(askOverwrite("/x/show.kv2", true, nullptr), CancelOverwrite);
}
