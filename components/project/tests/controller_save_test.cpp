#include "applications/common/util/colour_palette.h"
#include "applications/common/util/colour_swatch.h"
#include "components/archive/edit_context.h"
#include "components/lx_objects/controller.h"
#include "components/lx_objects/frame_array.h"
#include "components/lx_objects/object_types.h"
#include "components/lx_objects/resource_keys.h"
#include "components/project/tarvel_vistrel_project.h"
#include "components/project/tests/project_test_support.h"
#include "seltrane_components/os/progress_tracker.h"

#include <gtest/gtest.h>

#include <QBuffer>
#include <QTemporaryDir>

#include <map>
#include <memory>
#include <vector>

namespace {

const QUuid kFrameA(QStringLiteral("{f0000000-0000-4000-8000-00000000000a}"));
const QUuid kFrameB(QStringLiteral("{f0000000-0000-4000-8000-00000000000b}"));
const QUuid kGzeFrame(QStringLiteral("{f0000000-0000-4000-8000-00000000000c}"));
const QUuid kPlaceholder(QStringLiteral("{f0000000-0000-4000-8000-00000000000d}"));

QString cueListArrayName(int controllerId) { return QStringLiteral("controller_cuelist_%1").arg(controllerId); }

// The project schema plus the cue-list arrays of controllers 3 and 4.
std::vector<Archive::ArraySchemaRow> schemaWithCueLists()
{
    std::vector<Archive::ArraySchemaRow> rows;
    for (const Archive::ArraySchemaRow* row = Archive::projectSchema(); row->arrayId != Archive::kSchemaEnd; ++row)
        rows.push_back(*row);
    for (const int controllerId : {3, 4})
        rows.push_back({100u + controllerId, Archive::kArrayBinaryFlag | Archive::kNotStoredField,
                        cueListArrayName(controllerId), 500});
    rows.push_back({Archive::kSchemaEnd, 0, QString(), 0});
    return rows;
}

void addObject(Archive::ArrayId arrayId, Archive::ObjectId id, Archive::ObjectBase* object, Archive::DatabaseId db)
{
    Archive::ObjectPtr pointer(object);
    Archive::addObject(arrayId, id, pointer, db);
}

// A project whose database holds a QMB (id 3) and a GZE (id 4), a cue list
// for each, and three frame arrays: frames for both controllers, one frame
// left out, and the frame of controller 3 missing.
class ControllerSaveTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        registerObjectTypes();
        project = std::make_unique<TarvelVistrelProject>(false);
        ASSERT_TRUE(project->create(QUuid::createUuid(), QString())) << project->lastError().toStdString();
        folder = project->folderPath() + QLatin1Char('/');

        const std::vector<Archive::ArraySchemaRow> schema = schemaWithCueLists();
        Archive::DatabaseOpenParameters open;
        open.path = folder + QStringLiteral("archive.tarv");
        db = openProjectDatabase(open, schema.data());
        project->setDatabaseId(db);
        {
            Archive::EditContext context(db);
            for (const quint8 type : {Controller::QmbType, Controller::GzeType}) {
                auto* controller = new Controller;
                controller->setType(type);
                addObject(Controller::kArrayId, type == Controller::QmbType ? 3 : 4, controller, db);
            }
            for (const int controllerId : {3, 4}) {
                auto* cueList = new ResourceKeys;  // stands in for a cue list
                cueList->keys[quint32(controllerId)] = QStringLiteral("cues of %1").arg(controllerId);
                addObject(100 + controllerId, Archive::kNoObjectId, cueList, db);
            }
            // Frames of controllers 3 and 4; of 3 only; left out; missing.
            const std::vector<std::map<int, QUuid>> arrays = {
                {{3, kFrameA}, {4, kGzeFrame}}, {{3, kFrameB}}, {{3, kPlaceholder}}, {}};
            for (const auto& frames : arrays) {
                auto* array = new FrameArray;
                for (const auto& frame : frames)
                    array->frames[frame.first] = frame.second;
                addObject(FrameArray::kArrayId, Archive::kNoObjectId, array, db);
            }
            context.commit();
        }
        Archive::saveDatabase(db, 0);
        writeFile(folder + QStringLiteral("archive.tarv/cuelist.tarv"), "stale");
        writeFile(folder + QStringLiteral("archive.tarv/sub/skipped.tarv"), "sub-folder");
        for (const QUuid& frame : {kFrameA, kFrameB, kGzeFrame, kPlaceholder})
            writeFile(folder + QStringLiteral("framearrays/") + frame.toString() + QStringLiteral(".ffa"),
                      frame.toByteArray());
    }

    void TearDown() override
    {
        closeProjectDatabase(db);
        project.reset();
    }

    ProjectSaveOptions optionsFor(qint32 controllerId) const
    {
        ProjectSaveOptions options;
        options.controllerId = controllerId;
        options.second = 9;
        options.placeholders = {kPlaceholder};
        return options;
    }

    // Saves with options into memory and unpacks the result into unpacked;
    // the entries in archive order.
    QStringList save(const ProjectSaveOptions& options, ProgressTracker* tracker = nullptr)
    {
        QByteArray bytes;
        QBuffer buffer(&bytes);
        buffer.open(QIODevice::WriteOnly);
        quint64 counter = 0;
        if (!project->saveWithOptions(&buffer, options, &counter, tracker))
            return {QStringLiteral("<failed: ") + project->lastError() + QLatin1Char('>')};
        buffer.close();
        EXPECT_GT(counter, 0u);

        buffer.open(QIODevice::ReadOnly);
        const QStringList names = archiveEntries(&buffer);
        buffer.seek(0);
        unpacked = std::make_unique<QTemporaryDir>();
        ArchiveFile extractor;
        if (!extractor.open(ArchiveFile::ReadMode, &buffer, ArchiveFile::TarGzKind)
            || !extractor.extractTo(unpacked->path()))
            return {QStringLiteral("<bad archive>")};
        return names;
    }

    QByteArray unpackedFile(const QString& name) const { return readAll(unpacked->path() + QLatin1Char('/') + name); }

    // What the database writes for a controller's cue-list array.
    QByteArray cueListBytes(int controllerId)
    {
        QTemporaryDir reference;
        Archive::saveArray(100 + controllerId, reference.path(), db);
        return readAll(reference.path() + QLatin1Char('/') + cueListArrayName(controllerId) + QStringLiteral(".tarv"));
    }

    std::unique_ptr<TarvelVistrelProject> project;
    QString folder;
    Archive::DatabaseId db = Archive::kNoDatabase;
    std::unique_ptr<QTemporaryDir> unpacked;
};

QStringList databaseEntries()
{
    return {QStringLiteral("archive.tarv/.tarvel_project"), QStringLiteral("archive.tarv/controller.tarv"),
            QStringLiteral("archive.tarv/frame_array.tarv"), QStringLiteral("archive.tarv/cuelist.tarv")};
}

}  // namespace

TEST_F(ControllerSaveTest, PacksTheControllersCueListFramesAndManifest)
{
    ProgressTracker tracker;
    const QStringList entries = save(optionsFor(3), &tracker);
    const QString a = QStringLiteral("framearrays/") + kFrameA.toString() + QStringLiteral(".fa");
    const QString b = QStringLiteral("framearrays/") + kFrameB.toString() + QStringLiteral(".fa");
    const QString left = QStringLiteral("framearrays/") + kPlaceholder.toString() + QStringLiteral(".fa");
    EXPECT_EQ(entries, databaseEntries() + QStringList({a, b, left, QStringLiteral(".migration")}))
        << entries.join(QLatin1Char(' ')).toStdString();
    EXPECT_EQ(tracker.depth(), 0);

    EXPECT_EQ(unpackedFile(a), kFrameA.toByteArray());
    EXPECT_EQ(unpackedFile(b), kFrameB.toByteArray());
    EXPECT_EQ(unpackedFile(left), QByteArray());
    EXPECT_EQ(unpackedFile(QStringLiteral(".migration")).toHex(), QByteArray("566f736b00010000000300000009"));
    EXPECT_EQ(unpackedFile(QStringLiteral("archive.tarv/cuelist.tarv")), cueListBytes(3));
    EXPECT_NE(cueListBytes(3), cueListBytes(4));
    EXPECT_EQ(unpackedFile(QStringLiteral("archive.tarv/controller.tarv")),
              readAll(folder + QStringLiteral("archive.tarv/controller.tarv")));
    // The temporary cue-list file is gone; the stale one stays where it was.
    EXPECT_FALSE(QFileInfo::exists(folder + cueListArrayName(3) + QStringLiteral(".tarv")));
    EXPECT_EQ(readAll(folder + QStringLiteral("archive.tarv/cuelist.tarv")), QByteArray("stale"));
}

TEST_F(ControllerSaveTest, OnlyControllersOfTypesOneToThreePackFrames)
{
    const QStringList entries = save(optionsFor(4));
    EXPECT_EQ(entries, databaseEntries() + QStringList({QStringLiteral(".migration")}))
        << entries.join(QLatin1Char(' ')).toStdString();
    EXPECT_EQ(unpackedFile(QStringLiteral("archive.tarv/cuelist.tarv")), cueListBytes(4));
    EXPECT_EQ(unpackedFile(QStringLiteral(".migration")).toHex(), QByteArray("566f736b00010000000400000009"));

    // The whole project: no manifest, no frames, the folder as it is.
    const QStringList whole = save(ProjectSaveOptions());
    EXPECT_FALSE(whole.contains(QStringLiteral(".migration")));
    EXPECT_TRUE(whole.contains(QStringLiteral("archive.tarv/sub/skipped.tarv")));
    EXPECT_TRUE(whole.filter(QStringLiteral("framearrays")).isEmpty());
}

TEST_F(ControllerSaveTest, FailuresLeaveTheSaveLockFree)
{
    // Every failure is followed by a save that needs the lock again.
    for (const qint32 id : {40, -2, 1000}) {
        EXPECT_EQ(save(optionsFor(id)),
                  QStringList({QStringLiteral("<failed: Invalid controller id %1>").arg(id)}));
        EXPECT_EQ(save(optionsFor(3)).size(), 8);
    }
    // Failing while the lock is held: no cue-list array for controller 5.
    EXPECT_EQ(save(optionsFor(5)),
              QStringList({QStringLiteral("<failed: The project holds no cue lists for controller 5>")}));
    EXPECT_EQ(save(optionsFor(3)).size(), 8);

    // A database that has gone.
    project->setDatabaseId(db + 100);
    const QStringList gone = save(optionsFor(3));
    ASSERT_EQ(gone.size(), 1);
    EXPECT_TRUE(gone.front().startsWith(QStringLiteral("<failed: Failed to save the project ("))) << gone.front().toStdString();
    project->setDatabaseId(db);

    // A frame file that is missing.
    ASSERT_TRUE(QFile::remove(folder + QStringLiteral("framearrays/") + kFrameB.toString() + QStringLiteral(".ffa")));
    EXPECT_EQ(save(optionsFor(3)),
              QStringList({QStringLiteral("<failed: Failed to add framearrays/%1.fa to the project archive>")
                               .arg(kFrameB.toString())}));
    EXPECT_EQ(save(optionsFor(4)).size(), 5);

    // Cancelled: the walk stops after its first file.
    ProgressTracker cancelling;
    cancelling.cancelFlag()->store(true);
    EXPECT_EQ(save(optionsFor(3), &cancelling), QStringList({QStringLiteral("<failed: Saving was cancelled>")}));
    EXPECT_EQ(cancelling.depth(), 0);
    EXPECT_FALSE(QFileInfo::exists(folder + cueListArrayName(3) + QStringLiteral(".tarv")));
    EXPECT_EQ(save(optionsFor(4)).size(), 5);
}

TEST(ProjectColours, PaletteAndSwatchLiveWithTheProject)
{
    ColourPaletteModel* model = ColourPaletteModel::instance();
    const int rows = model->rowCount();
    ColourSwatch active;
    ColourSwatch::setActiveSwatch(&active);
    {
        TarvelVistrelProject project(false);
        EXPECT_TRUE(project.children().isEmpty());  // neither is a child
    }
    EXPECT_EQ(model->rowCount(), rows);
    EXPECT_EQ(ColourSwatch::activeSwatch(), &active);
    ColourSwatch::setActiveSwatch(nullptr);
}
