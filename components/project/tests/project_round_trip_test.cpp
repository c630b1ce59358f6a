#include "components/archive/archive_file.h"
#include "components/archive/edit_context.h"
#include "components/lx_objects/directories.h"
#include "components/lx_objects/object_types.h"
#include "components/lx_objects/project_creator_info.h"
#include "components/project/tarvel_vistrel_project.h"
#include "components/project/tests/project_test_support.h"

#include <gtest/gtest.h>

#include <QTemporaryDir>

// The converter's road: a locked working folder, a fresh database in it with
// the two directories, the database saved, the project packed into one file;
// then the file unpacked and its database opened again.
TEST(ProjectRoundTrip, SavedProjectOpensAgain)
{
    registerObjectTypes();
    QTemporaryDir output;
    const QString target = output.filePath(QStringLiteral("show.kv2"));
    const QUuid uuid = QUuid::createUuid();
    ProjectCreatorInfo creator;
    creator.programVersion = Version(1, 2, 3);
    {
        TarvelVistrelProject project(false);
        ASSERT_TRUE(project.create(uuid, QString())) << project.lastError().toStdString();
        EXPECT_TRUE(project.lastModified(project.folderPath()).isNull());

        Archive::DatabaseOpenParameters open;
        open.path = project.folderPath() + QStringLiteral("/archive.tarv");
        open.extra = creator.toByteArray();
        const Archive::DatabaseId db = openProjectDatabase(open);
        Archive::setDatabaseUuid(project.projectUuid(), db);
        project.setDatabaseId(db);
        {
            Archive::EditContext context(db);
            Archive::ObjectId id = 7;
            Archive::ObjectPtr triggers(new TriggerDirectory);
            Archive::addObject(0, id, triggers, db);
            id = 8;
            Archive::ObjectPtr scenes(new DaliSceneDirectory);
            Archive::addObject(0, id, scenes, db);
            context.commit();
        }
        Archive::saveDatabase(db, 0);
        EXPECT_FALSE(project.lastModified(project.folderPath()).isNull());
        ASSERT_TRUE(project.saveToFile(target, nullptr)) << project.lastError().toStdString();
        closeProjectDatabase(db);
    }

    QFile file(target);
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    TarvelBaseProject reader(false, 6);
    QString error;
    ASSERT_EQ(reader.readHeader(&file, &error), 27);
    EXPECT_EQ(reader.projectUuid(), uuid);
    QTemporaryDir unpacked;
    ArchiveFile archive;
    ASSERT_TRUE(archive.open(ArchiveFile::ReadMode, &file, ArchiveFile::TarGzKind));
    ASSERT_TRUE(archive.extractTo(unpacked.path()));
    archive.close();

    Archive::DatabaseOpenParameters open;
    open.path = unpacked.filePath(QStringLiteral("archive.tarv"));
    open.openExisting = true;
    const Archive::DatabaseId db = openProjectDatabase(open);
    EXPECT_EQ(open.foundVersion, kProjectStreamVersion);
    EXPECT_EQ(open.extra, creator.toByteArray());
    Archive::ObjectPtr object;
    Archive::getCommittedObject(object, 0, 7, db);
    EXPECT_TRUE(Archive::dynamicPointerCast<TriggerDirectory>(object));
    Archive::getCommittedObject(object, 0, 8, db);
    EXPECT_TRUE(Archive::dynamicPointerCast<DaliSceneDirectory>(object));
    EXPECT_EQ(singleObjectId(0, db), Archive::kNoObjectId);  // two objects
    closeProjectDatabase(db);
}
