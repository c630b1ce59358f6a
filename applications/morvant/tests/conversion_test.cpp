#include "applications/morvant/conversion_driver.h"
#include "applications/morvant/output_project.h"
#include "applications/morvant/show_converter_app.h"
#include "applications/morvant/tests/app_test_support.h"
#include "components/archive/archive_file.h"
#include "components/archive/database.h"
#include "components/archive/database_schema.h"
#include "applications/morvant/app_identity.h"
#include "components/lx_objects/directories.h"
#include "components/lx_objects/project_creator_info.h"
#include "components/lx_objects/project_database.h"
#include "components/project/tarvel_base_project.h"
#include "components/quilshow/show/quil_show.h"
#include "seltrane_components/os/logger.h"
#include "seltrane_components/os/progress_tracker.h"

#include <QDir>
#include <QFileInfo>
#include <QLabel>
#include <QPlainTextEdit>
#include <QTemporaryDir>
#include <gtest/gtest.h>

namespace {

// The numbered directories of a converted project, where they belong.
void expectDirectories(Archive::DatabaseId database)
{
    ASSERT_NE(database, Archive::kNoDatabase);
    Archive::ObjectPtr object;
    Archive::getCommittedObject(object, 0, OutputProject::kTriggerDirectoryId, database);
    const auto triggers = Archive::dynamicPointerCast<TriggerDirectory>(object);
    ASSERT_TRUE(triggers);
    EXPECT_EQ(triggers->getId(), OutputProject::kTriggerDirectoryId);
    EXPECT_TRUE(triggers->numberToId().empty());
    Archive::getCommittedObject(object, 0, OutputProject::kDaliSceneDirectoryId, database);
    const auto scenes = Archive::dynamicPointerCast<DaliSceneDirectory>(object);
    ASSERT_TRUE(scenes);
    EXPECT_EQ(scenes->getId(), OutputProject::kDaliSceneDirectoryId);
    EXPECT_EQ(Archive::getArraySize(0, database), 2u);
}

// Reads a saved kv2 file back through the project's own classes: the header,
// then the packed database with its creator record and the two directories.
void expectSavedProject(const QString& path, const QUuid& projectId)
{
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    TarvelBaseProject reader(false, 6);
    QString error;
    ASSERT_EQ(reader.readHeader(&file, &error), 27) << error.toStdString();
    EXPECT_EQ(reader.projectUuid(), projectId);

    QTemporaryDir unpacked;
    ArchiveFile archive;
    ASSERT_TRUE(archive.open(ArchiveFile::ReadMode, &file, ArchiveFile::TarGzKind));
    ASSERT_TRUE(archive.extractTo(unpacked.path())) << archive.errorString().toStdString();
    archive.close();

    const Archive::DatabaseId database =
        Archive::createDatabase(makeDatabaseSettings(0x7FFFFFFF, 0x7FFFFFFF), Archive::projectSchema());
    Archive::DatabaseOpenParameters open;
    open.path = unpacked.filePath(QStringLiteral("archive.tarv"));
    open.supportedVersion = kProjectStreamVersion;
    open.openExisting = true;
    Archive::openDatabase(open, database);
    EXPECT_EQ(open.foundVersion, kProjectStreamVersion);
    ProjectCreatorInfo creator;
    creator.programVersion = AppIdentity::programVersion();
    EXPECT_EQ(open.extra, creator.toByteArray());
    EXPECT_EQ(Archive::resolveDatabase(database).databaseUuid(), projectId);
    expectDirectories(database);
    Archive::resetDatabase(database);
    Archive::closeDatabase(database);
    Archive::setCurrentDatabase(Archive::kNoDatabase);
}

QStringList temporaryEntries()
{
    return QDir::temp().entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot);
}

class ConversionTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        ASSERT_TRUE(folder.isValid());
        // A temporary folder of this test's own, so that what the
        // conversions leave behind can be seen (other tests run alongside).
        savedTmpDir = qgetenv("TMPDIR");
        ASSERT_TRUE(QDir(folder.path()).mkdir(QStringLiteral("tmp")));
        qputenv("TMPDIR", QFile::encodeName(folder.filePath(QStringLiteral("tmp"))));
        addLogHandler(&ShowConverterApp::onLogMessage, nullptr);
        window.setFileDialogChooser(&chooser);
        window.answer = QMessageBox::Discard;
    }
    void TearDown() override
    {
        removeLogHandler(&ShowConverterApp::onLogMessage);
        EXPECT_EQ(temporaryEntries(), QStringList());
        EXPECT_EQ(Quil::_gpShow, nullptr);
        if (savedTmpDir.isNull())
            qunsetenv("TMPDIR");
        else
            qputenv("TMPDIR", savedTmpDir);
    }

    QString input(const QString& name, const QByteArray& bytes)
    {
        const QString path = folder.filePath(name);
        EXPECT_TRUE(writeFile(path, bytes));
        return path;
    }
    bool convert(const QString& path)
    {
        window.convert(path);
        EXPECT_TRUE(driver.temporaryFolder().isEmpty());
        EXPECT_EQ(temporaryEntries(), QStringList());
        return result() == QStringLiteral("Conversion complete");
    }
    QString result() { return window.findChild<QLabel*>(QStringLiteral("resultLabel"))->text(); }
    QString errors() { return window.findChild<QPlainTextEdit*>(QStringLiteral("errorPane"))->toPlainText(); }
    QString report() { return window.findChild<QPlainTextEdit*>(QStringLiteral("reportPane"))->toPlainText(); }

    QTemporaryDir folder;
    ConversionDriver driver;
    ScriptedChooser chooser;
    ScriptedWindow window{&driver};
    QByteArray savedTmpDir;
};

const QString kLoaded = QStringLiteral("Loading the input project\nCreating the output project");

TEST_F(ConversionTest, EveryInputFormConverts)
{
    const QByteArray show = plainShow();
    const QByteArray bundle = buildBundle({{"media/clip.txt", "clip"}, {"my show.kvq", show}});
    const std::vector<std::pair<QString, QByteArray>> files{{QStringLiteral("notes.txt"), "notes"},
                                                            {QStringLiteral("show/inner.kvq"), show}};
    const struct
    {
        const char* name;
        QByteArray bytes;
    } inputs[] = {
        {"plain.kvq", show},
        {"bundle.kvx", bundle},
        {"tarred.kvx", packArchive(ArchiveFile::TarGzKind, files)},
        {"zipped.kvx", packArchive(ArchiveFile::ZipKind, files)},
        // A bundle kind holding a plain show file is read as one.
        {"loose.kvx", show},
        {"Foyer \xC3\xA9t\xC3\xA9 \xE2\x80\x93 50%.kvx",
         packArchive(ArchiveFile::ZipKind, {{QStringLiteral("Sc\u00E8ne/\u00E9t\u00E9.kvq"), show}})},
    };
    QString earlierFolder;
    for (const auto& entry : inputs) {
        SCOPED_TRACE(entry.name);
        ASSERT_FALSE(entry.bytes.isEmpty());
        EXPECT_TRUE(convert(input(QString::fromUtf8(entry.name), entry.bytes)));
        EXPECT_EQ(errors(), QString());
        EXPECT_TRUE(report().startsWith(kLoaded)) << report().toStdString();
        EXPECT_TRUE(window.hasUnsavedResult());
        expectDirectories(driver.outputDatabaseId());
        ASSERT_TRUE(QFileInfo(driver.outputFolder()).isDir());
        // The earlier result is gone with its working folder.
        if (!earlierFolder.isEmpty()) {
            EXPECT_FALSE(QFileInfo::exists(earlierFolder));
        }
        earlierFolder = driver.outputFolder();

        // Saved under the name the user typed, with the extension added.
        chooser.saveAnswer = folder.filePath(QString::fromUtf8(entry.name) + QStringLiteral("-out"));
        const QUuid projectId = Archive::resolveDatabase(driver.outputDatabaseId()).databaseUuid();
        ASSERT_TRUE(window.save());
        const QString saved = chooser.saveAnswer + QStringLiteral(".kv2");
        EXPECT_TRUE(report().endsWith(QStringLiteral("Saving the output project\nThe output project was saved as ")
                                      + saved))
            << report().toStdString();
        EXPECT_EQ(errors(), QString());
        EXPECT_FALSE(window.hasUnsavedResult());
        expectSavedProject(saved, projectId);
    }
}

TEST_F(ConversionTest, LoadFailuresEndTheConversion)
{
    ShowContent tooNew;
    tooNew.version = 455;
    const QByteArray truncated = plainShow().left(40);
    const struct
    {
        const char* name;
        QByteArray bytes;
        const char* error;
    } inputs[] = {
        {"new.kvq", buildShow(tooNew),
         "Failed to load the input project, error = attempting to load show created in a newer version of "
         "software (3.2.1)"},
        {"other.wvq", plainShow(), "Failed to load the input project, result = 1"},
        {"empty.kvx", buildBundle({{"readme.txt", "no show here"}}),
         "Failed to load the input project, error = The bundle holds no show file"},
        {"broken.kvx", buildBundle({{"a.kvq", "x"}}, "7"),
         "Failed to load the input project, error = Bad file start magicnum"},
        // The reader names what went wrong before the load fails.
        {"short.kvq", truncated, "Error reading/writing from file\nFailed to load the input project, result = 3"},
        {"tarred-new.kvx", packArchive(ArchiveFile::TarGzKind, {{QStringLiteral("s.kvq"), buildShow(tooNew)}}),
         "Failed to load the input project, error = attempting to load show created in a newer version of "
         "software (3.2.1)"},
    };
    // A failed conversion also drops the earlier result.
    ASSERT_TRUE(convert(input(QStringLiteral("good.kvq"), plainShow())));
    const QString earlierFolder = driver.outputFolder();
    for (const auto& entry : inputs) {
        SCOPED_TRACE(entry.name);
        EXPECT_FALSE(convert(input(QLatin1String(entry.name), entry.bytes)));
        EXPECT_FALSE(QFileInfo::exists(earlierFolder));
        EXPECT_EQ(result(), QStringLiteral("Conversion failed"));
        EXPECT_EQ(errors(), QLatin1String(entry.error));
        EXPECT_EQ(report(), QStringLiteral("Loading the input project"));
        EXPECT_FALSE(driver.hasOutputProject());
        EXPECT_FALSE(window.hasUnsavedResult());
        EXPECT_EQ(driver.outputDatabaseId(), Archive::kNoDatabase);
        // Nothing to save: the user is not even asked for a file.
        chooser.saveAnswer = folder.filePath(QStringLiteral("out.kv2"));
        EXPECT_FALSE(window.save());
        EXPECT_EQ(chooser.saveCount, 0);
        EXPECT_FALSE(QFileInfo::exists(chooser.saveAnswer));
    }
    EXPECT_FALSE(convert(folder.filePath(QStringLiteral("missing.kvq"))));
    EXPECT_EQ(errors(), QStringLiteral("Failed to load the input project, result = 1"));
}

TEST_F(ConversionTest, AFailedSaveKeepsTheExistingFile)
{
    ASSERT_TRUE(convert(input(QStringLiteral("good.kvq"), plainShow())));
    const QString target = folder.filePath(QStringLiteral("existing.kv2"));
    const QByteArray old("the user's earlier project \x00\x01\x02", 31);
    ASSERT_TRUE(writeFile(target, old));

    // The save stops half-way (as when cancelled); nothing replaces the file.
    ProgressTracker cancelled;
    cancelled.cancelFlag()->store(true);
    EXPECT_FALSE(driver.saveOutputProject(target, cancelled));
    EXPECT_EQ(readBytes(target), old);
    EXPECT_EQ(errors(), QStringLiteral("Failed to compress the output project (Saving was cancelled)"));
    EXPECT_EQ(QDir(folder.path()).entryList({QStringLiteral("existing*")}, QDir::Files),
              QStringList{QStringLiteral("existing.kv2")});

    // A folder that does not exist: the reason is named, nothing is written.
    const QString nowhere = folder.filePath(QStringLiteral("missing/out.kv2"));
    ProgressTracker progress;
    EXPECT_FALSE(driver.saveOutputProject(nowhere, progress));
    EXPECT_FALSE(QFileInfo::exists(nowhere));
    EXPECT_TRUE(errors().endsWith(
        QStringLiteral("\nFailed to compress the output project (Error 2 (No such file or directory))")))
        << errors().toStdString();

    // The project is still there and saves over the old file.
    EXPECT_TRUE(driver.saveOutputProject(target, progress));
    EXPECT_NE(readBytes(target), old);
    expectSavedProject(target, Archive::resolveDatabase(driver.outputDatabaseId()).databaseUuid());
}

// A driver with extra steps: one that adds an object, one that fails.
class FailingDriver : public ConversionDriver
{
public:
    const std::vector<Step>& steps() const override
    {
        static const std::vector<Step> sequence{
            {"Adding an object", [](ConversionDriver& driver, ProgressTracker&) {
                 static_cast<FailingDriver&>(driver).databaseSeen = driver.outputDatabaseId();
                 Archive::ObjectId id = Archive::kNoObjectId;
                 Archive::ObjectPtr extra(new TriggerDirectory);
                 Archive::addObject(0, id, extra, driver.outputDatabaseId());
             }},
            {"Failing", [](ConversionDriver&, ProgressTracker&) { throw std::runtime_error("no such controller"); }},
            {"Never reached", [](ConversionDriver&, ProgressTracker&) { ADD_FAILURE(); }},
        };
        return sequence;
    }

    Archive::DatabaseId databaseSeen = Archive::kNoDatabase;
};

TEST_F(ConversionTest, AStepThatThrowsFailsTheConversion)
{
    FailingDriver failing;
    ScriptedWindow failingWindow(&failing);
    const QString path = input(QStringLiteral("bundle.kvx"), buildBundle({{"s.kvq", plainShow()}}));
    failingWindow.convert(path);
    const auto pane = [&failingWindow](const char* name) {
        return failingWindow.findChild<QPlainTextEdit*>(QLatin1String(name))->toPlainText();
    };
    EXPECT_EQ(failingWindow.findChild<QLabel*>(QStringLiteral("resultLabel"))->text(),
              QStringLiteral("Conversion failed"));
    EXPECT_EQ(pane("reportPane"), kLoaded + QStringLiteral("\nAdding an object\nFailing"));
    EXPECT_EQ(pane("errorPane"), QStringLiteral("Failed to convert the input project (no such controller)"));
    EXPECT_NE(failing.databaseSeen, Archive::kNoDatabase);
    // Rolled back and closed: the database is gone, and so is the project.
    EXPECT_EQ(Archive::getArray(0, failing.databaseSeen), nullptr);
    EXPECT_FALSE(failing.hasOutputProject());
    EXPECT_FALSE(failingWindow.hasUnsavedResult());
    EXPECT_TRUE(failing.temporaryFolder().isEmpty());
}

}  // namespace
