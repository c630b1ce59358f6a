// Damaged project objects (controllers of every type with content masks, a
// frame array, resource keys and both directories) read from binary streams
// at the versions their readers tell apart, from text streams, and from a
// project database folder. A reader either succeeds or throws a
// std::runtime_error; the sanitizer builds watch for the rest.
#include "components/archive/database.h"
#include "components/archive/database_schema.h"
#include "components/archive/database_storage.h"
#include "components/archive/edit_context.h"
#include "components/archive/tests/corruption.h"
#include "components/lx_objects/controller.h"
#include "components/lx_objects/directories.h"
#include "components/lx_objects/frame_array.h"
#include "components/lx_objects/object_types.h"
#include "components/lx_objects/resource_keys.h"
#include "components/lx_objects/tests/stream_bytes.h"

#include <QDirIterator>
#include <QFile>
#include <QTemporaryDir>
#include <gtest/gtest.h>

#include <iterator>
#include <memory>
#include <vector>

namespace {

using Corruption::Outcomes;

std::vector<std::unique_ptr<Archive::ObjectBase>> sampleObjects()
{
    std::vector<std::unique_ptr<Archive::ObjectBase>> objects;
    for (quint8 type = 0; type <= 7; ++type) {
        auto controller = std::make_unique<Controller>();
        controller->setType(type);
        controller->setName(QStringLiteral("C%1").arg(type));
        controller->setText(QStringLiteral("first"), 0);
        controller->setText(QStringLiteral("second"), 3);
        controller->number = type;
        controller->contentMasks = {{1, sampleMask()}, {2, ContentMask()}};
        objects.push_back(std::move(controller));
    }
    auto frames = std::make_unique<FrameArray>();
    frames->frames[0] = QUuid::createUuid();
    frames->frames[39] = QUuid::createUuid();
    frames->index = 3;
    objects.push_back(std::move(frames));
    auto keys = std::make_unique<ResourceKeys>();
    keys->keys = {{1, QStringLiteral("one")}, {0xFFFFFFFF, QStringLiteral("last")}};
    objects.push_back(std::move(keys));
    return objects;
}

// A directory written field by field: entering numbers needs a database,
// reading them does not.
void writeDirectory(OutStream& out, quint32 code)
{
    out.beginSection(code, true);
    out.beginSection(StreamCode::ObjectBase, true);
    out.endSection(StreamCode::ObjectBase);
    out.beginSection(DirectoryBase::kTypeCode, true);
    out << std::map<double, quint32>{{1, 4}, {2.5, 9}} << std::map<quint32, double>{{4, 1}, {9, 2.5}};
    out.endSection(DirectoryBase::kTypeCode);
    out.endSection(code);
}

void writeSamples(OutStream& out)
{
    for (const auto& object : sampleObjects())
        writeObjectPointer(out, object.get());
    writeDirectory(out, DirectoryTypeCode<Trigger>::value);
    writeDirectory(out, DirectoryTypeCode<DaliScene>::value);
}

void readSamples(InStream& in)
{
    for (int i = 0; i < 12; ++i) {
        std::unique_ptr<Archive::ObjectBase> object;
        readObjectPointer(in, object);
    }
}

class LxCorruptionTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        registerObjectTypes();
        ASSERT_TRUE(dir.isValid());
    }

    QTemporaryDir dir;
    Outcomes outcomes;
};

TEST_F(LxCorruptionTest, DamagedBinaryObjectsAtEveryReaderVersion)
{
    // Newer data read as older is one more kind of damage.
    const quint16 versions[] = {9, 61, 77, 112, 121, 130, 149, kProjectStreamVersion};
    int index = 0;
    Corruption::forEachDamage(streamBytes(writeSamples), 30, 1200, 5, [&](const Corruption::Damaged& d) {
        const quint16 version = versions[index++ % std::size(versions)];
        outcomes.run(d, [&] { readStream(d.bytes, version, readSamples); });
    });
    outcomes.expectBothOutcomes();
}

TEST_F(LxCorruptionTest, DamagedTextObjects)
{
    const QString path = dir.filePath("objects.tarvt");
    writeTextFile(path, writeSamples);
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    const QByteArray original = file.readAll();
    file.close();
    Corruption::forEachDamage(original, 31, 400, 256, [&](const Corruption::Damaged& d) {
        ASSERT_TRUE(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
        file.write(d.bytes);
        file.close();
        outcomes.run(d, [&] {
            TextInStream in;
            in.open(path, kProjectStreamVersion);
            readSamples(in);
        });
    });
    outcomes.expectBothOutcomes();
}

Archive::DatabaseId newProjectDatabase()
{
    return Archive::createDatabase(makeDatabaseSettings(0x7FFFFFFF, 0x7FFFFFFF), Archive::projectSchema());
}

void addObjectTo(Archive::DatabaseId db, Archive::ArrayId arrayId, Archive::ObjectBase* object,
                 Archive::ObjectId id = Archive::kNoObjectId)
{
    Archive::EditContext context(db);
    Archive::ObjectPtr pointer(object);
    Archive::addObject(arrayId, id, pointer, db);
    context.commit();
}

void openProject(const QString& path)
{
    const Archive::DatabaseId db = newProjectDatabase();
    try {
        Archive::DatabaseOpenParameters open{path, kProjectStreamVersion, true, nullptr, 0, QByteArray()};
        Archive::openDatabase(open, db);
    } catch (...) {
        Archive::closeDatabase(db);
        throw;
    }
    Archive::closeDatabase(db);
}

TEST_F(LxCorruptionTest, DamagedProjectDatabaseFolder)
{
    const QString path = dir.filePath("project");
    {
        const Archive::DatabaseId db = newProjectDatabase();
        for (auto& object : sampleObjects()) {
            const quint32 code = object->typeCode();
            addObjectTo(db,
                        code == Controller::kTypeCode   ? Controller::kArrayId
                        : code == FrameArray::kTypeCode ? FrameArray::kArrayId
                                                        : 0,
                        object.release());
        }
        addObjectTo(db, 0, new TriggerDirectory, 7);
        addObjectTo(db, 0, new DaliSceneDirectory, 8);
        Archive::DatabaseOpenParameters create{path, kProjectStreamVersion, false, nullptr, 0, QByteArray("x")};
        Archive::openDatabase(create, db);
        Archive::saveDatabase(db, Archive::kSaveForce);
        Archive::closeDatabase(db);
    }
    QStringList files;
    QDirIterator it(path, QDir::Files | QDir::Hidden, QDirIterator::Subdirectories);
    while (it.hasNext())
        files << it.next();
    files.sort();
    ASSERT_TRUE(files.contains(path + "/.tarvel_project"));
    ASSERT_TRUE(files.contains(path + "/controller.tarv"));
    openProject(path);
    quint32 seed = 40;
    for (const QString& name : files) {
        SCOPED_TRACE(name.toStdString());
        QFile file(name);
        ASSERT_TRUE(file.open(QIODevice::ReadOnly));
        const QByteArray original = file.readAll();
        file.close();
        const auto put = [&](const QByteArray& bytes) {
            ASSERT_TRUE(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
            file.write(bytes);
            file.close();
        };
        Corruption::forEachDamage(original, seed++, 50, 24, [&](const Corruption::Damaged& d) {
            put(d.bytes);
            outcomes.run(d, [&] { openProject(path); });
        });
        put(original);
    }
    outcomes.expectBothOutcomes();
}

}  // namespace
