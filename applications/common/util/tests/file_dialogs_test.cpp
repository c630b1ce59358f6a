#include "applications/common/util/file_dialogs.h"
#include "applications/common/util/versioned_settings.h"
#include "applications/common/util/tests/qt_print.h"

#include <QApplication>
#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QLabel>
#include <QMessageBox>
#include <QPushButton>
#include <QSettings>
#include <QTemporaryDir>
#include <QTimer>
#include <gtest/gtest.h>

namespace {

const QString kInputKey = QStringLiteral("LastInputFilePath");
const QString kOutputKey = QStringLiteral("LastOutputFilePath");

// Answers in place of the user and records what the dialogs were shown.
class ScriptedChooser : public FileDialogChooser
{
public:
    QString openFileName(QWidget*, const QString& caption, const QString& start, const QString& filter,
                         QString*) override
    {
        record(caption, start, filter);
        return answer;
    }
    QString saveFileName(QWidget*, const QString& caption, const QString& start, const QString& filter,
                         QString*) override
    {
        record(caption, start, filter);
        return answer;
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
    QString shownCaption, shownStart, shownFilter, askedAbout;
    QStringList errors;

private:
    void record(const QString& caption, const QString& start, const QString& filter)
    {
        shownCaption = caption;
        shownStart = start;
        shownFilter = filter;
    }
};

class FileDialogsTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        // Before the versioned settings are first made: settings and standard
        // folders of this test's own, safe from tests in parallel processes.
        const char* test = ::testing::UnitTest::GetInstance()->current_test_info()->name();
        QCoreApplication::setApplicationName(QStringLiteral("GuiUtilFileDialogsTest_") + QLatin1String(test));
        ASSERT_TRUE(dir.isValid());
        VersionedSettings::instance()->remove(kInputKey);
        VersionedSettings::instance()->remove(kOutputKey);
    }

    void TearDown() override
    {
        VersionedSettings::instance()->remove(kInputKey);
        VersionedSettings::instance()->remove(kOutputKey);
        VersionedSettings::instance()->sync();
        QString fileName;
        {
            QSettings settings;
            fileName = settings.fileName();
        }
        QFile::remove(fileName);
    }

    QString makeFile(const QString& name, const QByteArray& content = "user data")
    {
        QFile file(dir.filePath(name));
        EXPECT_TRUE(file.open(QIODevice::WriteOnly));
        file.write(content);
        return file.fileName();
    }

    static QString remembered(const QString& key)
    {
        return VersionedSettings::instance()->value(key, QVariant(), false).toString();
    }

    QTemporaryDir dir;
    ScriptedChooser chooser;
    const FileDialogLocation output{kOutputKey, QStandardPaths::AppDataLocation, QString()};
};

} // namespace

TEST_F(FileDialogsTest, SaveCleansTheNameAndAddsTheExtension)
{
    const struct
    {
        const char* typed;
        const char* expected;
    } cases[] = {
        {"show", "show.kv2"},
        {"show.kv2", "show.kv2"},
        {"show.KV2", "show.KV2.kv2"},
        {"a:b?c", "a_b_c.kv2"},
        {".hidden", "hidden.kv2"},
    };
    for (const auto& c : cases) {
        chooser.answer = dir.filePath(QString::fromUtf8(c.typed));
        int status = -1;
        const QString path = saveFileDialog(nullptr, "Select output file", "Project File", "kv2", QString(),
                                            output, SaveAskOverwrite, &status, &chooser);
        EXPECT_EQ(path, dir.filePath(QString::fromUtf8(c.expected))) << c.typed;
        EXPECT_EQ(status, SaveFileChosen);
        EXPECT_EQ(remembered(kOutputKey), path);
    }
    EXPECT_EQ(chooser.shownFilter, "Project File (*.kv2)");
    EXPECT_EQ(chooser.shownCaption, "Select output file");
    EXPECT_TRUE(chooser.askedAbout.isEmpty());

    // The next save starts in the remembered folder with the suggested name.
    saveFileDialog(nullptr, "Select output file", QString(), "kv2", "next.kv2", output, 0, nullptr, &chooser);
    EXPECT_EQ(chooser.shownStart, dir.filePath("next.kv2"));
    EXPECT_TRUE(chooser.shownFilter.isEmpty());

    // Cancelling stores nothing new.
    chooser.answer.clear();
    int status = -1;
    EXPECT_TRUE(saveFileDialog(nullptr, "c", "t", "kv2", QString(), output, SaveAskOverwrite, &status, &chooser)
                    .isNull());
    EXPECT_EQ(status, SaveFileCancelled);
    EXPECT_EQ(remembered(kOutputKey), dir.filePath("hidden.kv2"));
}

TEST_F(FileDialogsTest, OverwritingNeverDeletesTheUsersFile)
{
    const QString existing = makeFile("show.kv2");
    chooser.answer = dir.filePath("show");
    int status = -1;

    // Without the flag nobody is asked.
    EXPECT_EQ(saveFileDialog(nullptr, "c", "t", "kv2", QString(), output, 0, &status, &chooser), existing);
    EXPECT_TRUE(chooser.askedAbout.isEmpty());

    chooser.overwriteAnswer = CancelOverwrite;
    EXPECT_TRUE(saveFileDialog(nullptr, "c", "t", "kv2", QString(), output, SaveAskOverwrite, &status, &chooser)
                    .isNull());
    EXPECT_EQ(status, SaveFileOverwriteDeclined);
    EXPECT_EQ(chooser.askedAbout, existing);

    chooser.overwriteAnswer = OverwriteFile;
    for (int flags : {int(SaveAskOverwrite), SaveAskOverwrite | SaveReplaceExisting}) {
        status = -1;
        EXPECT_EQ(saveFileDialog(nullptr, "c", "t", "kv2", QString(), output, flags, &status, &chooser), existing);
        EXPECT_EQ(status, SaveFileChosen);
        QFile file(existing);
        ASSERT_TRUE(file.open(QIODevice::ReadOnly)) << "flags " << flags;
        EXPECT_EQ(file.readAll(), "user data");
    }
    EXPECT_TRUE(chooser.errors.isEmpty());

    // Something that cannot be replaced by a saved file is reported at once.
    ASSERT_TRUE(QDir(dir.path()).mkdir("folder.kv2"));
    chooser.answer = dir.filePath("folder.kv2");
    EXPECT_TRUE(saveFileDialog(nullptr, "c", "t", "kv2", QString(), output, SaveAskOverwrite | SaveReplaceExisting,
                               &status, &chooser)
                    .isNull());
    EXPECT_EQ(status, SaveFileNotReplaceable);
    ASSERT_EQ(chooser.errors.size(), 1);
    EXPECT_EQ(chooser.errors.at(0), "Error|Cannot overwrite " + chooser.answer);
    EXPECT_TRUE(QFileInfo(chooser.answer).isDir());
}

TEST_F(FileDialogsTest, WithoutAKeyNothingIsRememberedAndTheStandardFolderIsUsed)
{
    const FileDialogLocation location{QString(), QStandardPaths::AppDataLocation, "dialog-test/projects"};
    const QString standard =
        QStandardPaths::writableLocation(QStandardPaths::AppDataLocation) + "/dialog-test/projects";
    QDir(standard).removeRecursively();

    chooser.answer = dir.filePath("in.kvq");
    EXPECT_EQ(openFileDialog(nullptr, location, QString(), "Select input file", "*.kvq", nullptr, &chooser),
              chooser.answer);
    EXPECT_EQ(chooser.shownStart, standard);
    EXPECT_TRUE(QFileInfo(standard).isDir());
    EXPECT_EQ(defaultFolder(location, true), standard);
    EXPECT_TRUE(remembered(kInputKey).isEmpty());

    // The application name is this test's own, and so is the folder.
    QDir(QStandardPaths::writableLocation(QStandardPaths::AppDataLocation)).removeRecursively();
}

TEST_F(FileDialogsTest, OpenStartsWhereTheLastChoiceWas)
{
    const FileDialogLocation input{kInputKey, QStandardPaths::AppDataLocation, QString()};
    const QString existing = makeFile("show.kvq");

    chooser.answer = existing;
    EXPECT_EQ(openFileDialog(nullptr, input, QString(), "Select input file", "*.kvq", nullptr, &chooser), existing);
    EXPECT_EQ(remembered(kInputKey), existing);

    // An existing file is the start itself, its folder for a folder request.
    openFileDialog(nullptr, input, QString(), "c", "f", nullptr, &chooser);
    EXPECT_EQ(chooser.shownStart, existing);
    EXPECT_EQ(defaultFolder(input, true), dir.path());

    // A remembered file that went away: start in its folder.
    QFile::remove(existing);
    chooser.answer.clear();
    EXPECT_TRUE(openFileDialog(nullptr, input, QString(), "c", "f", nullptr, &chooser).isNull());
    EXPECT_EQ(chooser.shownStart, dir.path());
    EXPECT_EQ(remembered(kInputKey), existing);

    // A start folder given by the caller wins.
    openFileDialog(nullptr, input, "/given", "c", "f", nullptr, &chooser);
    EXPECT_EQ(chooser.shownStart, "/given");
}

TEST_F(FileDialogsTest, AskOverwriteOffersTheRightButtons)
{
    // Answers the question box as soon as it is up; nothing waits for a user.
    const auto answer = [](const QString& buttonText, QStringList* seen) {
        auto* timer = new QTimer;
        QObject::connect(timer, &QTimer::timeout, [timer, buttonText, seen] {
            for (QWidget* widget : QApplication::topLevelWidgets()) {
                auto* box = qobject_cast<QMessageBox*>(widget);
                if (!box || !box->isVisible())
                    continue;
                seen->clear();
                *seen << box->windowTitle() << box->text() << box->informativeText();
                QAbstractButton* target = nullptr;
                for (QAbstractButton* button : box->buttons()) {
                    *seen << button->text();
                    if (button->text() == buttonText)
                        target = button;
                }
                timer->stop();
                timer->deleteLater();
                if (target)
                    target->click();
                else
                    box->reject();
                return;
            }
        });
        timer->start(5);
    };

    QStringList seen;
    answer("Overwrite", &seen);
    EXPECT_EQ(askOverwrite("/x/show.kv2", false, nullptr), OverwriteFile);
    EXPECT_EQ(seen.mid(0, 3), QStringList({"Overwrite", "/x/show.kv2 already exists.", "Do you want to overwrite it?"}));
    EXPECT_FALSE(seen.contains("Skip"));
    EXPECT_EQ(seen.size(), 5);

    answer("Skip", &seen);
    EXPECT_EQ(askOverwrite("/x/show.kv2", true, nullptr), SkipFile);
    EXPECT_TRUE(seen.contains("Skip"));

    answer("Cancel", &seen);
    EXPECT_EQ(askOverwrite("/x/show.kv2", true, nullptr), CancelOverwrite);
}
