#include "components/lx_objects/controllers/controller.h"
#include "components/lx_objects/media/frame_array.h"
#include "components/lx_objects/project/directories.h"
#include "components/lx_objects/project/project_creator_info.h"
#include "components/lx_objects/project/resource_keys.h"
#include "components/lx_objects/tests/stream_bytes.h"
#include "components/project/tarvel_vistrel_project.h"
#include "components/project/tests/project_test_support.h"

#include <gtest/gtest.h>

#include <QBuffer>
#include <QDir>
#include <QTemporaryDir>

#include <vector>

namespace {

QByteArray savedFor(TarvelVistrelProject& project, const ProjectSaveOptions& options)
{
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    return project.saveWithOptions(&buffer, options, nullptr, nullptr) ? bytes : QByteArray();
}

}  // namespace

// The converter's road: a locked working folder, a fresh database in it, the
// database saved, the project packed into one file and for one controller;
// then the file unpacked and its database opened again.
TEST(ProjectRoundTrip, SavedProjectOpensAgain)
{
    QTemporaryDir output;
    const QString target = output.filePath(QStringLiteral("show.kv2"));
    const QUuid uuid = QUuid::createUuid();
    const QUuid frame = QUuid::createUuid();
    ProjectCreatorInfo creator;
    creator.programVersion = Version(1, 2, 3);
    // The project schema plus the cue-list array of controller 3.
    std::vector<Archive::ArraySchemaRow> schema;
    for (const Archive::ArraySchemaRow* row = Archive::projectSchema(); row->arrayId != Archive::kSchemaEnd; ++row)
        schema.push_back(*row);
    schema.push_back({103, Archive::kArrayBinaryFlag | Archive::kNotStoredField, "controller_cuelist_3", 500});
    schema.push_back({Archive::kSchemaEnd, 0, QString(), 0});
    {
        TarvelVistrelProject project(false);
        ASSERT_TRUE(project.create(uuid, QString())) << project.lastError().toStdString();
        ScratchDatabase database(project.folderPath() + QStringLiteral("/archive.tarv"), false, schema.data(),
                                 creator.toByteArray());
        Archive::setDatabaseUuid(project.projectUuid(), database.id());
        project.setDatabaseId(database.id());
        database.add(0, new TriggerDirectory, 7);
        database.add(0, new DaliSceneDirectory, 8);
        auto* controller = new Controller;
        controller->setType(Controller::QmbType);  // a type with frames
        database.add(Controller::kArrayId, controller, 3);
        database.add(103, new ResourceKeys);  // stands in for a cue list
        auto* frames = new FrameArray;
        frames->frames[3] = frame;
        database.add(FrameArray::kArrayId, frames);
        Archive::saveDatabase(database.id(), 0);
        ASSERT_TRUE(project.saveToFile(target, nullptr)) << project.lastError().toStdString();

        // For controller 3: its cue lists, its frame (left out here) and the
        // manifest.
        ProjectSaveOptions options;
        options.controllerId = 3, options.second = 9, options.placeholders = {frame};
        QByteArray bytes = savedFor(project, options);
        ASSERT_FALSE(bytes.isEmpty()) << project.lastError().toStdString();
        QBuffer buffer(&bytes);
        buffer.open(QIODevice::ReadOnly);
        EXPECT_EQ(archiveEntries(&buffer),
                  QStringLiteral("archive.tarv/.tarvel_project archive.tarv/controller.tarv "
                                 "archive.tarv/frame_array.tarv archive.tarv/misc.tarv archive.tarv/cuelist.tarv "
                                 "framearrays/%1.fa .migration")
                      .arg(frame.toString())
                      .toStdString());
        QTemporaryDir unpacked;
        buffer.seek(0);
        ASSERT_TRUE(extractArchive(&buffer, unpacked.path()));
        EXPECT_EQ(readAll(unpacked.filePath(QStringLiteral(".migration"))).toHex(),
                  QByteArray("566f736b00010000000300000009"));
        EXPECT_FALSE(QFileInfo::exists(project.folderPath() + QStringLiteral("/controller_cuelist_3.tarv")));
        // Failures, one of them while the save lock is held, leave it free.
        // Ids 0 and 39 pass the bound, -2 and 40 do not (-1 is the whole project).
        const std::pair<qint32, const char*> failures[] = {{40, "Invalid controller id 40"},
                                                           {39, "The project holds no cue lists for controller 39"},
                                                           {-2, "Invalid controller id -2"},
                                                           {0, "The project holds no cue lists for controller 0"}};
        for (const auto& failure : failures) {
            options.controllerId = failure.first;
            EXPECT_TRUE(savedFor(project, options).isEmpty());
            EXPECT_EQ(project.lastError(), QString::fromLatin1(failure.second));
        }
        // A frame that is neither on disk nor a placeholder.
        options.controllerId = 3, options.placeholders.clear();
        EXPECT_TRUE(savedFor(project, options).isEmpty());
        EXPECT_EQ(project.lastError(),
                  QStringLiteral("Failed to add framearrays/%1.fa to the project archive (%2/framearrays/%1.ffa does "
                                 "not exist)")
                      .arg(frame.toString(), project.folderPath()));
        options.placeholders = {frame};
        EXPECT_FALSE(savedFor(project, options).isEmpty());
        // An exception on the way says what failed (the file and the system's
        // reason, an archive code's text) and leaves the save lock free.
        const QString part = project.folderPath() + QStringLiteral("/controller_cuelist_3.tarv.part");
        ASSERT_TRUE(QDir().mkdir(part));
        EXPECT_TRUE(savedFor(project, options).isEmpty());
        EXPECT_EQ(project.lastError(),
                  QStringLiteral("Failed to save the project (Could not open %1 (Is a directory))").arg(part));
        ASSERT_TRUE(QDir().rmdir(part));
        project.setDatabaseId(database.id() + 1000);
        EXPECT_TRUE(savedFor(project, options).isEmpty());
        EXPECT_EQ(project.lastError(), QStringLiteral("Failed to save the project (Database not present)"));
        project.setDatabaseId(database.id());
        EXPECT_FALSE(savedFor(project, options).isEmpty());
    }

    // The header (its two later fields 0), then the database folder alone:
    // nothing of the working folder's own bookkeeping.
    QFile file(target);
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    TarvelBaseProject reader(false, 6);
    QString error;
    ASSERT_EQ(reader.readHeader(&file, &error), 27);
    EXPECT_EQ(reader.projectUuid(), uuid);
    file.seek(22);
    EXPECT_EQ(file.read(5), QByteArray(5, '\0'));
    EXPECT_EQ(archiveEntries(&file),
              "archive.tarv/ archive.tarv/.tarvel_project archive.tarv/controller.tarv "
              "archive.tarv/frame_array.tarv archive.tarv/misc.tarv");
    file.seek(27);
    QTemporaryDir unpacked;
    ASSERT_TRUE(extractArchive(&file, unpacked.path()));

    // The database header: the creator record, the database identifier (the
    // project's), the second identifier.
    const QByteArray header = readAll(unpacked.filePath(QStringLiteral("archive.tarv/.tarvel_project")));
    EXPECT_EQ(header.size(), 52);
    EXPECT_EQ(header.left(36).toHex(), (hex("00000010") + creator.toByteArray() + uuid.toRfc4122()).toHex());

    ScratchDatabase database(unpacked.filePath(QStringLiteral("archive.tarv")), true);
    EXPECT_EQ(database.foundVersion(), kProjectStreamVersion);
    EXPECT_TRUE(database.committed<TriggerDirectory>(0, 7));
    EXPECT_TRUE(database.committed<DaliSceneDirectory>(0, 8));
}
