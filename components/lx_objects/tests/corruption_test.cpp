// Damaged project objects read from binary streams at the versions their
// readers tell apart, from text streams and from a project database folder:
// a reader either succeeds or throws a std::runtime_error; the sanitizer
// builds watch for the rest.
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
#include <QScopeGuard>
#include <QTemporaryDir>
#include <gtest/gtest.h>

#include <map>
#include <memory>
#include <vector>

namespace {

// Controllers of every type with masks, a frame array and resource keys,
// with the array each belongs in.
std::vector<std::pair<Archive::ArrayId, Archive::ObjectBase*>> sampleObjects()
{
    std::vector<std::pair<Archive::ArrayId, Archive::ObjectBase*>> objects;
    for (quint8 type = 0; type <= 7; ++type) {
        auto* controller = new Controller;
        controller->setType(type);
        controller->setName(QStringLiteral("C%1").arg(type));
        controller->setText(QStringLiteral("second"), 3);
        controller->contentMasks = {{1, sampleMask()}, {2, ContentMask()}};
        objects.emplace_back(Controller::kArrayId, controller);
    }
    auto* frames = new FrameArray;
    frames->frames[39] = QUuid::createUuid();
    objects.emplace_back(FrameArray::kArrayId, frames);
    auto* keys = new ResourceKeys;
    keys->keys = {{1, QStringLiteral("one")}, {0xFFFFFFFF, QStringLiteral("last")}};
    objects.emplace_back(0, keys);
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
    for (const auto& object : sampleObjects()) {
        writeObjectPointer(out, object.second);
        delete object.second;
    }
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

void putFile(const QString& path, const QByteArray& bytes)
{
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
    file.write(bytes);
}

QByteArray fileBytes(const QString& path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

Archive::DatabaseId newProjectDatabase()
{
    return Archive::createDatabase(makeDatabaseSettings(0x7FFFFFFF, 0x7FFFFFFF), Archive::projectSchema());
}

void openProject(const QString& path)
{
    const Archive::DatabaseId db = newProjectDatabase();
    const auto close = qScopeGuard([db] { Archive::closeDatabase(db); });
    Archive::DatabaseOpenParameters open{path, kProjectStreamVersion, true, nullptr, 0, QByteArray()};
    Archive::openDatabase(open, db);
}

}  // namespace

TEST(LxCorruption, DamagedBinaryTextAndDatabaseForms)
{
    registerObjectTypes();
    Corruption::Outcomes outcomes;
    // Newer data read as older is one more kind of damage.
    const quint16 versions[] = {9, 61, 77, 112, 121, 130, 149, kProjectStreamVersion};
    int index = 0;
    Corruption::forEachDamage(streamBytes(writeSamples), 30, 1200, 5, [&](const Corruption::Damaged& d) {
        const quint16 version = versions[index++ % std::size(versions)];
        outcomes.run(d, [&] { readStream(d.bytes, version, readSamples); });
    });

    QTemporaryDir dir;
    const QString text = dir.filePath("objects.tarvt");
    writeTextFile(text, writeSamples);
    Corruption::forEachDamage(fileBytes(text), 31, 400, 256, [&](const Corruption::Damaged& d) {
        putFile(text, d.bytes);
        outcomes.run(d, [&] {
            TextInStream in;
            in.open(text, kProjectStreamVersion);
            readSamples(in);
        });
    });

    const QString path = dir.filePath("project");
    const Archive::DatabaseId db = newProjectDatabase();
    {
        Archive::EditContext context(db);
        auto objects = sampleObjects();
        objects.emplace_back(0, new TriggerDirectory);
        objects.emplace_back(0, new DaliSceneDirectory);
        for (std::size_t i = 0; i < objects.size(); ++i) {
            Archive::ObjectPtr pointer(objects[i].second);
            Archive::ObjectId id = i + 2 < objects.size() ? Archive::kNoObjectId : Archive::ObjectId(i);
            Archive::addObject(objects[i].first, id, pointer, db);
        }
        context.commit();
    }
    Archive::DatabaseOpenParameters create{path, kProjectStreamVersion, false, nullptr, 0, QByteArray("x")};
    Archive::openDatabase(create, db);
    Archive::saveDatabase(db, Archive::kSaveForce);
    Archive::closeDatabase(db);
    QStringList files;
    QDirIterator it(path, QDir::Files | QDir::Hidden, QDirIterator::Subdirectories);
    while (it.hasNext())
        files << it.next();
    files.sort();
    ASSERT_TRUE(files.contains(path + "/controller.tarv"));
    openProject(path);
    quint32 seed = 40;
    for (const QString& name : files) {
        SCOPED_TRACE(name.toStdString());
        const QByteArray original = fileBytes(name);
        Corruption::forEachDamage(original, seed++, 50, 24, [&](const Corruption::Damaged& d) {
            putFile(name, d.bytes);
            outcomes.run(d, [&] { openProject(path); });
        });
        putFile(name, original);
    }
    outcomes.expectBothOutcomes();
}
