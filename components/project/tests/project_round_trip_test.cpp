#include "components/archive/archive_file.h"
#include "components/archive/edit_context.h"
#include "components/lx_objects/directories.h"
#include "components/lx_objects/object_types.h"
#include "components/lx_objects/project_creator_info.h"
#include "components/project/tarvel_vistrel_project.h"
#include "components/project/tests/project_test_support.h"

#include <gtest/gtest.h>

#include <QDataStream>
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
    QString arrayName;
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
        Archive::getArrayName(arrayName, 0, db);
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
    // The header's two later fields stay 0.
    file.seek(22);
    EXPECT_EQ(file.read(5), QByteArray(5, '\0'));
    file.seek(27);
    // The database folder comes first, holding its header and one file per
    // array that holds objects; nothing of the working folder's own
    // bookkeeping travels with it.
    const QString arrayFile = QStringLiteral("archive.tarv/") + arrayName + QStringLiteral(".tarv");
    const QStringList entries = archiveEntries(&file);
    ASSERT_EQ(entries.size(), 3) << entries.join(QLatin1Char(' ')).toStdString();
    EXPECT_EQ(entries.first(), QStringLiteral("archive.tarv/"));
    EXPECT_TRUE(entries.contains(QStringLiteral("archive.tarv/.tarvel_project")));
    EXPECT_TRUE(entries.contains(arrayFile)) << arrayFile.toStdString();
    for (const QString& entry : entries) {
        SCOPED_TRACE(entry.toStdString());
        EXPECT_TRUE(entry == QLatin1String("archive.tarv/") || entry == QLatin1String("archive.tarv/.tarvel_project")
                    || entry == arrayFile);
    }
    file.seek(27);

    QTemporaryDir unpacked;
    ArchiveFile archive;
    ASSERT_TRUE(archive.open(ArchiveFile::ReadMode, &file, ArchiveFile::TarGzKind));
    ASSERT_TRUE(archive.extractTo(unpacked.path()));
    archive.close();

    // The database header: the creator record, the database identifier (the
    // project's), the second identifier: 52 bytes.
    QFile header(unpacked.filePath(QStringLiteral("archive.tarv/.tarvel_project")));
    ASSERT_TRUE(header.open(QIODevice::ReadOnly));
    EXPECT_EQ(header.size(), 52);
    QDataStream headerStream(&header);
    QByteArray extra;
    QUuid databaseId;
    headerStream >> extra >> databaseId;
    EXPECT_EQ(extra, creator.toByteArray());
    EXPECT_EQ(databaseId, uuid);

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
