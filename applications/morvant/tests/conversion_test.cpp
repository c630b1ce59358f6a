#include "applications/morvant/app_identity.h"
#include "applications/morvant/conversion/output_project.h"
#include "applications/morvant/tests/app_test_support.h"
#include "components/archive/database.h"
#include "components/archive/database_schema.h"
#include "components/lx_objects/project/directories.h"
#include "components/lx_objects/project/project_creator_info.h"
#include "components/lx_objects/project/project_database.h"
#include "components/project/tarvel_base_project.h"
#include "seltrane_components/os/atomic_file.h"
#include "tests/support/file_size_limit.h"
#include "tests/support/peak_memory.h"

#include <QBuffer>
#include <QFileInfo>
#include <QImage>
#include <QLabel>
#include <QProgressBar>
#include <QPushButton>
#include <QRandomGenerator>

#include <algorithm>
#include <optional>
#include <set>
#include <tuple>
#include <unistd.h>

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
    const QByteArray show = buildShow(showKeepingAll());
    const std::vector<std::pair<QString, QByteArray>> files {{QStringLiteral("notes.txt"), "notes"},
                                                             {QString::fromUtf8("Sc\xC3\xA8ne/inner.kvq"), show}};
    const std::pair<const char*, QByteArray> inputs[] = {
        {"plain.kvq", show},
        {"bundle.kvx", buildBundle({{"media/clip.txt", "clip"}, {"my show.kvq", show}})},
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
        EXPECT_EQ(text("reportPane"),
                  QStringLiteral("Loading the input project\nCreating the output project\nShow texts: 2 converted\n"
                                 "Saving the output project\nThe output project was saved as ")
                      + saved);
        expectSavedProject(saved, Archive::resolveDatabase(driver.outputDatabaseId()).databaseUuid());
    }
}

// Each failure keeps the system's own line and adds one in plain words; %1 is the input's path, quoted.
TEST_F(ConversionTest, LoadFailuresSayWhatHappenedAndWhatToDo)
{
    ShowContent tooNew, unsupported;
    tooNew.version = 455;
    unsupported.triggerCount = 2;
    const QByteArray show = buildShow(showKeepingAll());
    const QByteArray tarred = packArchive(ArchiveFile::TarGzKind, {{QStringLiteral("s.kvq"), show}});
    const QString notOpened = QStringLiteral("Failed to load the input project, result = 1\n");
    const QString damaged = QStringLiteral(" is damaged or incomplete: its content goes on past the end of the file at "
                                           "byte %2. It was probably cut short while being copied or saved; choose a "
                                           "complete copy.");
    const QString folderText =
        notOpened + "%1 is a folder, not a show file: choose the show file (.kvq or .kvx) inside it.";
    const QString renamed = notOpened
        + "%1 is a version-1 show of the kind .kvq, but its name ends in \"%2\", so it was not read as one: rename it "
          "to end in .kvq and choose it again.";
    const QString readFailed = "Error reading/writing from file\nFailed to load the input project, result = 3\n";
    // Name, bytes ("-" makes no file, "/" a folder), the error pane.
    const std::tuple<const char*, QByteArray, QString> cases[] = {
        {"missing.kvq", "-",
         notOpened + "%1 does not exist: it may have been moved, renamed or deleted. Choose the show again."},
        {"empty.kvq", "",
         notOpened
             + "%1 is empty (0 bytes) and holds no show: it was probably not saved completely. Choose an earlier copy "
               "of the show."},
        {"folder.kvq", "/", folderText},
        {"folder.kvx", "/", folderText},
        {"renamed.txt", show, renamed.arg("%1", ".txt")},
        {"other.wvq", show, renamed.arg("%1", ".wvq")},
        {"notes.kvq", "Lighting notes, not a show",
         notOpened
             + "%1 is not a version-1 show: its first bytes are not those of a show, a bundle, a tar or a zip archive. "
               "Choose a show file (.kvq) or bundle (.kvx)."},
        {"archive.kvq", tarred,
         notOpened
             + "%1 is a gzip-compressed tar archive, but only files ending in .kvx, .wvx or .jvx are opened as "
               "archives: rename it to end in .kvx and choose it again."},
        {"cut.kvx", tarred.left(30),
         notOpened
             + "%1 starts like a gzip-compressed tar archive but cannot be read as one: it is damaged or incomplete. "
               "Choose an earlier copy of it."},
        {"new.kvx", packArchive(ArchiveFile::TarGzKind, {{QStringLiteral("s.kvq"), buildShow(tooNew)}}),
         "Failed to load the input project, error = attempting to load show created in a newer version of software "
         "(3.2.1)\n%1 was saved by a newer version of the show software than this converter reads; nothing was "
         "converted. Use a newer version of the converter."},
        {"short.kvq", show.left(40), readFailed + "The show %1" + damaged.arg(40)},
        {"bundled.kvx", buildBundle({{"a.kvq", show.left(45)}}),
         readFailed + "The show file \"a.kvq\" in %1" + damaged.arg(45)},
        {"triggers.kvq", buildShow(unsupported),
         "Unsupported version-1 section: triggers\nFailed to load the input project, result = 3\nThe show %1 is not "
         "damaged, but it holds triggers, which this version of the converter cannot convert yet; nothing was "
         "converted. Keep the show as it is."},
        {"noshow.kvx", buildBundle({{"readme.txt", "no show"}}),
         "Failed to load the input project, error = The bundle holds no show file\n%1 was opened, but it holds no "
         "version-1 show file of its kind (such as a .kvq file for a .kvx): choose the bundle or archive that holds "
         "the show."},
        {"broken.kvx", buildBundle({{"a.kvq", "x"}}, "7"),
         "Failed to load the input project, error = Bad file start magicnum\nThe bundle %1 is damaged or incomplete "
         "and cannot be expanded. Choose an earlier copy of it."}};
    // A failed conversion also drops the earlier result: the bar is reset, the line red, nothing to save.
    ASSERT_TRUE(convert(input(QStringLiteral("good.kvq"), show)));
    const QString earlierFolder = driver.outputFolder();
    const auto* bar = window.findChild<QProgressBar*>(QStringLiteral("progressBar"));
    const auto* result = window.findChild<QLabel*>(QStringLiteral("resultLabel"));
    const auto* saveButton = window.findChild<QPushButton*>(QStringLiteral("saveButton"));
    for (const auto& [name, bytes, errors] : cases) {
        SCOPED_TRACE(name);
        const QString path = folder.filePath(QLatin1String(name));
        if (bytes == "/")
            ASSERT_TRUE(QDir(folder.path()).mkdir(QLatin1String(name)));
        else if (bytes != "-")
            input(QLatin1String(name), bytes);
        EXPECT_FALSE(convert(path));
        EXPECT_FALSE(QFileInfo::exists(earlierFolder));
        EXPECT_EQ(text("errorPane"), errors.arg('"' + QDir::toNativeSeparators(path) + '"'));
        EXPECT_EQ(text("resultLabel"), QStringLiteral("Conversion failed"));
        EXPECT_EQ(result->palette().color(QPalette::WindowText), QColor(200, 0, 0));
        EXPECT_EQ(bar->value(), bar->minimum() - 1);  // reset: no percentage shown
        EXPECT_FALSE(saveButton->isEnabled() || window.save());
        EXPECT_TRUE(chooser.asked.isEmpty());
    }
    // Root reads any file; an ordinary user is told the system's reason.
    if (geteuid() != 0) {
        const QString locked = input(QStringLiteral("locked.kvq"), show);
        ASSERT_TRUE(QFile::setPermissions(locked, QFileDevice::WriteOwner));
        EXPECT_FALSE(convert(locked));
        EXPECT_EQ(text("errorPane"),
                  notOpened + '"' + locked
                      + "\" cannot be read (Permission denied): check that "
                        "you may read it, then choose it again.");
    }
}

TEST_F(ConversionTest, ASparseShowInATarFailsWithoutTheMemoryItAsksFor)
{
    // sparse-show-in-tar.kvx: a GNU sparse show.kvq, 35 bytes of header whose
    // header text claims 0xF0000000 bytes, then a hole up to 4.5 GB.
    const QByteArray kvx = QByteArray::fromHex(
        "1f8b0808c8f2156b02037370617273652d73686f772e74617200edd0bd0dc2400c86e10b2c7213a058f7c32074747448294e2401"
        "16c836ec41c72e6c10cc35410181100251bc4f619f6ceb8aaf59a7fdacda6dcc17952a7a9fbb1a75c96f09ae0c6e2e4e742e3148"
        "3476617e60dbb4abda5a53a7d43ebb7bb5ff289d478978f11245831b12cbf3b7dd7e74c7f55d77adc7623a294e87e5885e9c0d00"
        "000000000000000000000000e0ff5c00cd748eea00280000");
    ASSERT_EQ(kvx.size(), 180);
    const QString path = input(QStringLiteral("sparse-show-in-tar.kvx"), kvx);
    const qint64 baseline = TestSupport::resetPeakMemory();
    EXPECT_FALSE(convert(path));
    EXPECT_LT(TestSupport::peakMemoryBytes() - baseline, 100LL << 20);
    // Refused by the size bound, in words, and not as "damaged, or the disk may be full".
    EXPECT_EQ(text("errorPane"),
              "Failed to load the input project, error = The entry show.kvq of the archive \""
                  + QDir::toNativeSeparators(path)
                  + "\" would take it beyond 1.0 GiB, more than any show or project of its size holds: it is damaged "
                    "or was made to fill the disk, so nothing of it was kept. Choose another copy of it.");
}

// Expanding is the first nine tenths of the bar's first half, moved by the bytes read; reading the show after it
// never takes the bar back.
TEST_F(ConversionTest, ExpandingA50MBBundleMovesTheBarWhileItRuns)
{
    QByteArray media(50 << 20, Qt::Uninitialized);  // as incompressible as media are
    QRandomGenerator(7).fillRange(reinterpret_cast<quint32*>(media.data()), media.size() / 4);
    const std::vector<std::pair<QString, QByteArray>> files {{"media/clip.bin", media},
                                                             {"s.kvq", buildShow(showKeepingAll())}};
    const std::pair<const char*, QByteArray> inputs[] = {
        {"bundle.kvx", buildBundle({{"media/clip.bin", media}, {"s.kvq", buildShow(showKeepingAll())}})},
        {"tarred.kvx", packArchive(ArchiveFile::TarGzKind, files)},
        {"zipped.kvx", packArchive(ArchiveFile::ZipKind, files)}};
    for (const auto& [name, bytes] : inputs) {
        SCOPED_TRACE(name);
        std::vector<double> seen;
        const auto record = [](quint32 done, quint32 total, void* seen) {
            static_cast<std::vector<double>*>(seen)->push_back(double(done) / total);
        };
        ProgressTracker progress(record, nullptr, &seen);
        ASSERT_TRUE(driver.convert(input(QLatin1String(name), bytes), progress));
        EXPECT_TRUE(std::is_sorted(seen.begin(), seen.end()));
        const std::set<double> expanding(std::upper_bound(seen.begin(), seen.end(), 0.0),
                                         std::lower_bound(seen.begin(), seen.end(), 0.5 * 0.9));
        EXPECT_GE(expanding.size(), 10u);
        EXPECT_EQ(seen.back(), 1.0);
    }
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
    EXPECT_FALSE(convert(input(QStringLiteral("b.kvx"), buildBundle({{"s.kvq", buildShow(showKeepingAll())}}))));
    EXPECT_EQ(text("reportPane"),
              QStringLiteral("Loading the input project\nCreating the output project\nScripted step"));
    EXPECT_EQ(text("errorPane"),
              QStringLiteral("Failed to convert the input project (no such controller)\nThe show "
                             "was read, but converting it failed, so no project was made. Keep the "
                             "show and report this message with it."));
    // Rolled back and closed: the database is gone, and so is the project.
    EXPECT_NE(database, Archive::kNoDatabase);
    EXPECT_EQ(Archive::getArray(0, database), nullptr);
    EXPECT_FALSE(driver.hasOutputProject());

    // The database's own error is told in its words, with the array (and object) concerned, never as a code.
    driver.step = [](ScriptedDriver& self) {
        Archive::ObjectId id = OutputProject::kTriggerDirectoryId;
        Archive::ObjectPtr again(new TriggerDirectory);
        Archive::addObject(0, id, again, self.outputDatabaseId());
    };
    EXPECT_FALSE(convert(input(QStringLiteral("s.kvq"), buildShow(showKeepingAll()))));
    EXPECT_EQ(text("errorPane").section('\n', 0, 0),
              QStringLiteral("Failed to convert the input project (ID allocation failed on add (array 0))"));
}

// The working folders' disk is full (a file-size limit) when the bundle's plan image is copied into it, and when the
// project's database is written at the save: each failure names the folder (never the temporary one), the system's
// reason and what to do there, asks for no report, and the earlier file is kept.
TEST_F(ConversionTest, AFullDataFolderIsToldInPlainWords)
{
    const QString dataFolder = QDir::cleanPath(TarvelBaseProject(false, 6).projectsFolder());
    const QString advice =
        QStringLiteral("The converter keeps its working folders in \"%1\" and could not write there, "
                       "so no project was made. Free some space on that disk, or make the folder "
                       "writable, then convert the show again.")
            .arg(dataFolder);
    std::optional<FileSizeLimit> full;
    // The show names a.png, which the bundle holds; the limit comes after the steps.
    QByteArray png;
    QBuffer buffer(&png);
    ASSERT_TRUE(buffer.open(QIODevice::WriteOnly) && QImage(8, 8, QImage::Format_RGB32).save(&buffer, "PNG"));
    QString workingFolder;
    driver.step = [&](ScriptedDriver& self) {
        workingFolder = self.outputFolder();
        full.emplace(16);
    };
    EXPECT_FALSE(convert(
        input(QStringLiteral("plan.kvx"), buildBundle({{"a.png", png}, {"s.kvq", buildShow(ShowContent(454))}}))));
    full.reset();
    EXPECT_TRUE(text("errorPane")
                    .endsWith("Failed to convert the input project (a.png could not be copied into " + workingFolder
                              + "/resources (File too large))\n" + advice))
        << text("errorPane").toStdString();

    driver.step = nullptr;
    ASSERT_TRUE(convert(input(QStringLiteral("s.kvq"), buildShow(showKeepingAll()))));
    const QString target = folder.filePath(QStringLiteral("s.kv2"));
    ASSERT_TRUE(writeFile(target, "earlier"));
    driver.onSave = [&] { full.emplace(16); };
    chooser.saveAnswer = target;
    EXPECT_FALSE(window.save());
    full.reset();
    EXPECT_EQ(readBytes(target), "earlier");
    const QString saveAdvice =
        QStringLiteral("The project was not saved: the working folder %1 could not take it (File "
                       "too large). The file you chose was not touched. The converter keeps its "
                       "working folders in \"%2\": free some space on that disk, or make the "
                       "folder writable, then save again.")
            .arg(driver.outputFolder(), dataFolder);
    EXPECT_EQ(chooser.asked.last(), "Save failed|" + saveAdvice);
    const QStringList lines = text("errorPane").split('\n');
    EXPECT_EQ(lines.size(), 2);
    EXPECT_TRUE(lines.first().startsWith("Failed to save the output project (Could not write " + driver.outputFolder()
                                         + "/archive.tarv/")
                && lines.first().endsWith(".tarv.part (File too large))"))
        << lines.first().toStdString();
    EXPECT_EQ(lines.last(), saveAdvice);
}

// A one-off failure in the working folder at a save (a database file's rename or close, the project file's open) is
// that folder's, named with the system's reason and no code; the file chosen is untouched and the next save works.
// A working folder removed meanwhile is said to be gone, with the show to be converted again.
TEST_F(ConversionTest, AWorkingFolderFailureAtASaveIsThatFoldersInWords)
{
    const QString dataFolder = QDir::cleanPath(TarvelBaseProject(false, 6).projectsFolder());
    ASSERT_TRUE(convert(input(QStringLiteral("s.kvq"), buildShow(showKeepingAll()))));
    const QString working = driver.outputFolder();
    const QString target = folder.filePath(QStringLiteral("s.kv2"));
    ASSERT_TRUE(writeFile(target, "earlier"));
    chooser.saveAnswer = target;
    using Call = AtomicFile::Call;
    const std::tuple<Call, QString, QString> failures[] = {{Call::Rename, ".tarv.part", "rename"},
                                                           {Call::Close, ".tarv.part", "close"},
                                                           {Call::Open, "/.tarvel_project.part", "open"}};
    for (const auto& failure : failures) {
        const Call failing = std::get<0>(failure);
        const QString ending = std::get<1>(failure);
        QString failed;  // the first file asked about: once
        AtomicFile::setFaultInjector([&](Call call, const QString& path) {
            if (call != failing || !path.endsWith(ending) || !failed.isEmpty())
                return 0;
            failed = path;
            return EIO;
        });
        const bool saved = window.save();
        AtomicFile::setFaultInjector({});
        EXPECT_FALSE(saved);
        const QString advice = "The project was not saved: the working folder " + working
            + " could not take it (Input/output error). The file you chose was not touched. The converter keeps its "
              "working folders in \""
            + dataFolder + "\": free some space on that disk, or make the folder writable, then save again.";
        EXPECT_EQ(text("errorPane"),
                  "Failed to save the output project (Could not " + std::get<2>(failure) + " " + failed
                      + " (Input/output error))\n" + advice);
        EXPECT_EQ(readBytes(target), "earlier");
    }
    ASSERT_TRUE(window.save());
    expectSavedProject(target, Archive::resolveDatabase(driver.outputDatabaseId()).databaseUuid());

    ASSERT_TRUE(QDir(working).removeRecursively());
    EXPECT_FALSE(window.save());
    EXPECT_EQ(text("errorPane"),
              "Failed to save the output project (The working folder " + working
                  + " is gone)\nThe project was not saved: the working folder " + working
                  + ", which held the converted project, is gone (it was removed while the "
                    "converter ran). The file you chose was not touched. Convert the show again, "
                    "then save it.");
}

}  // namespace
