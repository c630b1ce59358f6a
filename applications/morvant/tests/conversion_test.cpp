#include "applications/morvant/app_identity.h"
#include "applications/morvant/tests/app_test_support.h"
#include "components/archive/archive_file.h"
#include "components/archive/database.h"
#include "components/archive/database_schema.h"
#include "components/lx_objects/project/directories.h"
#include "components/lx_objects/project/project_creator_info.h"
#include "components/lx_objects/project/project_database.h"
#include "components/project/tarvel_base_project.h"
#include "seltrane_components/os/progress_tracker.h"

#include <QDir>
#include <QFileInfo>

#include <tuple>

namespace {

// Reads a saved kv2 file back through the project's own classes: header, database and creator record.
void expectSavedProject(const QString& path, const QUuid& projectId)
{
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    TarvelBaseProject reader(false, 6);
    QString error;
    ASSERT_EQ(reader.readHeader(&file, &error), 27) << error.toStdString();
    EXPECT_EQ(reader.projectUuid(), projectId);
    QTemporaryDir unpacked;  // the packed database
    ArchiveFile archive;
    ASSERT_TRUE(archive.open(ArchiveFile::ReadMode, &file, ArchiveFile::TarGzKind));
    ASSERT_TRUE(archive.extractTo(unpacked.path())) << archive.errorString().toStdString();
    const Archive::DatabaseId database =
        Archive::createDatabase(makeDatabaseSettings(0x7FFFFFFF, 0x7FFFFFFF), Archive::projectSchema());
    Archive::DatabaseOpenParameters open;
    open.path = unpacked.filePath(QStringLiteral("archive.tarv"));
    open.supportedVersion = kProjectStreamVersion;
    open.openExisting = true;
    Archive::openDatabase(open, database);
    ProjectCreatorInfo creator;
    creator.programVersion = AppIdentity::programVersion();
    EXPECT_EQ(open.extra, creator.toByteArray());
    Archive::resetDatabase(database);
    Archive::closeDatabase(database);
    Archive::setCurrentDatabase(Archive::kNoDatabase);
}

typedef AppFixture ConversionTest;

TEST_F(ConversionTest, EveryInputFormConvertsAndSaves)
{
    const QByteArray show = buildShow({});
    const std::vector<std::pair<QString, QByteArray>> files{{QStringLiteral("notes.txt"), "notes"},
                                                            {QString::fromUtf8("Sc\xC3\xA8ne/inner.kvq"), show}};
    const std::pair<const char*, QByteArray> inputs[] = {
        {"plain.kvq", show}, {"bundle.kvx", buildBundle({{"media/clip.txt", "clip"}, {"my show.kvq", show}})},
        {"tarred.kvx", packArchive(ArchiveFile::TarGzKind, files)},
        {"Foyer \xC3\xA9t\xC3\xA9 50%.kvx", packArchive(ArchiveFile::ZipKind, files)}};
    QString earlierFolder;
    for (const auto& entry : inputs) {
        SCOPED_TRACE(entry.first);
        ASSERT_TRUE(convert(input(QString::fromUtf8(entry.first), entry.second)));
        EXPECT_EQ(text("errorPane"), QString());
        EXPECT_FALSE(QFileInfo::exists(earlierFolder));  // gone with the earlier result
        earlierFolder = driver.outputFolder();
        // Saved under the name the user typed, with the extension added.
        chooser.saveAnswer = folder.filePath(QString::fromUtf8(entry.first) + QStringLiteral("-out"));
        ASSERT_TRUE(window.save());
        const QString saved = chooser.saveAnswer + QStringLiteral(".kv2");
        EXPECT_EQ(text("reportPane"), QStringLiteral("Loading the input project\nCreating the output project\n"
                                                     "Saving the output project\nThe output project was saved as ")
                                          + saved);
        expectSavedProject(saved, Archive::resolveDatabase(driver.outputDatabaseId()).databaseUuid());
    }
}

TEST_F(ConversionTest, LoadFailuresEndTheConversion)
{
    ShowContent tooNew;
    tooNew.version = 455;
    const std::tuple<const char*, QByteArray, QString> inputs[] = {
        {"new.kvx", packArchive(ArchiveFile::TarGzKind, {{QStringLiteral("s.kvq"), buildShow(tooNew)}}),
         "Failed to load the input project, error = attempting to load show created in a newer version of "
         "software (3.2.1)"},
        {"other.wvq", buildShow({}), "Failed to load the input project, result = 1"},
        {"empty.kvx", buildBundle({{"readme.txt", "no show"}}),
         "Failed to load the input project, error = The bundle holds no show file"},
        {"broken.kvx", buildBundle({{"a.kvq", "x"}}, "7"),
         "Failed to load the input project, error = Bad file start magicnum"},
        {"short.kvq", buildShow({}).left(40),
         "Error reading/writing from file\nFailed to load the input project, result = 3"},
    };
    // A failed conversion also drops the earlier result, and there is nothing to save.
    ASSERT_TRUE(convert(input(QStringLiteral("good.kvq"), buildShow({}))));
    const QString earlierFolder = driver.outputFolder();
    for (const auto& entry : inputs) {
        EXPECT_FALSE(convert(input(QLatin1String(std::get<0>(entry)), std::get<1>(entry))));
        EXPECT_FALSE(QFileInfo::exists(earlierFolder));
        EXPECT_EQ(text("errorPane"), std::get<2>(entry));
        EXPECT_FALSE(window.save());
        EXPECT_TRUE(chooser.asked.isEmpty());
    }
}

TEST_F(ConversionTest, AFailedSaveKeepsTheExistingFile)
{
    ASSERT_TRUE(convert(input(QStringLiteral("good.kvq"), buildShow({}))));
    const QString target = folder.filePath(QStringLiteral("existing.kv2"));
    const QByteArray old("the user's earlier project \x00\x01\x02", 31);
    ASSERT_TRUE(writeFile(target, old));
    // The save stops half-way (as when cancelled); nothing replaces the file.
    ProgressTracker cancelled;
    cancelled.cancelFlag()->store(true);
    EXPECT_FALSE(driver.saveOutputProject(target, cancelled));
    EXPECT_EQ(readBytes(target), old);
    EXPECT_EQ(text("errorPane"), QStringLiteral("Failed to compress the output project (Saving was cancelled)"));
    EXPECT_EQ(QDir(folder.path()).entryList({QStringLiteral("existing*")}), QStringList{"existing.kv2"});
    // The project is still there and saves over the old file.
    ProgressTracker progress;
    EXPECT_TRUE(driver.saveOutputProject(target, progress) && readBytes(target) != old);
}

TEST_F(ConversionTest, AStepThatThrowsRollsBackAndFails)
{
    Archive::DatabaseId database = Archive::kNoDatabase;
    driver.step = [&database](ScriptedDriver& self) {
        database = self.outputDatabaseId();
        Archive::ObjectId id = Archive::kNoObjectId;
        Archive::ObjectPtr extra(new TriggerDirectory);
        Archive::addObject(0, id, extra, database);
        throw std::runtime_error("no such controller");
    };
    EXPECT_FALSE(convert(input(QStringLiteral("b.kvx"), buildBundle({{"s.kvq", buildShow({})}}))));
    EXPECT_EQ(text("reportPane"),
              QStringLiteral("Loading the input project\nCreating the output project\nScripted step"));
    EXPECT_EQ(text("errorPane"), QStringLiteral("Failed to convert the input project (no such controller)"));
    // Rolled back and closed: the database is gone, and so is the project.
    EXPECT_NE(database, Archive::kNoDatabase);
    EXPECT_EQ(Archive::getArray(0, database), nullptr);
    EXPECT_FALSE(driver.hasOutputProject());
}

}  // namespace
