// Damaged project objects: controllers of every type (with content masks),
// frame arrays, resource keys and both numbered directories, read from damaged
// binary and text streams at the stream versions their readers tell apart,
// and a damaged project database folder reopened. A reader either succeeds
// or throws a std::runtime_error; the sanitizer builds watch for the rest.
#include "components/archive/binary_stream.h"
#include "components/archive/database.h"
#include "components/archive/database_schema.h"
#include "components/archive/database_storage.h"
#include "components/archive/edit_context.h"
#include "components/archive/tests/corruption.h"
#include "components/archive/text_stream.h"
#include "components/lx_objects/controller.h"
#include "components/lx_objects/directories.h"
#include "components/lx_objects/frame_array.h"
#include "components/lx_objects/object_types.h"
#include "components/lx_objects/project_database.h"
#include "components/lx_objects/resource_keys.h"

#include <QBuffer>
#include <QDirIterator>
#include <QFile>
#include <QTemporaryDir>
#include <gtest/gtest.h>

#include <functional>
#include <memory>
#include <vector>

namespace {

using Corruption::Outcomes;

ContentMask mask(const QString& name)
{
    ContentMask m;
    m.name = name;
    m.position = QPointF(1.5, -2);
    m.size = QSize(640, 480);
    m.angle = 90;
    m.factor1 = 0.5f;
    return m;
}

// The objects every test streams: a controller of each type, a frame array,
// resource keys and a filled directory of each kind.
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
        controller->contentMasks = {{1, mask("a")}, {2, mask("b")}};
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

// A directory's stream form, written field by field: entering numbers needs a
// database, reading them does not.
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

constexpr int kSampleCount = 12;

void readSamples(InStream& in)
{
    for (int i = 0; i < kSampleCount; ++i) {
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
    QByteArray original;
    {
        QBuffer buffer(&original);
        buffer.open(QIODevice::WriteOnly);
        BinaryOutStream out(kProjectStreamVersion);
        out.setDevice(&buffer);
        writeSamples(out);
        out.close();
    }
    // The versions at which the readers' layouts differ; newer data read as
    // older is one more kind of damage.
    const quint16 versions[] = {9, 61, 77, 112, 121, 130, 149, kProjectStreamVersion};
    int index = 0;
    Corruption::forEachDamage(original, 30, 1200, 5, [&](const Corruption::Damaged& d) {
        const quint16 version = versions[index++ % (sizeof versions / sizeof versions[0])];
        outcomes.run(d, [&] {
            QByteArray bytes = d.bytes;
            QBuffer buffer(&bytes);
            buffer.open(QIODevice::ReadOnly);
            BinaryInStream in;
            in.setDevice(&buffer);
            in.setVersion(version);
            readSamples(in);
        });
    });
    outcomes.expectBothOutcomes();
}

TEST_F(LxCorruptionTest, DamagedTextObjects)
{
    const QString path = dir.filePath("objects.tarvt");
    {
        TextOutStream out(kProjectStreamVersion);
        out.open(path);
        writeSamples(out);
        out.close();
    }
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    const QByteArray original = file.readAll();
    file.close();
    Corruption::forEachDamage(original, 31, 400, 256, [&](const Corruption::Damaged& d) {
        QFile damaged(path);
        ASSERT_TRUE(damaged.open(QIODevice::WriteOnly | QIODevice::Truncate));
        damaged.write(d.bytes);
        damaged.close();
        outcomes.run(d, [&] {
            TextInStream in;
            in.open(path, kProjectStreamVersion);
            readSamples(in);
        });
    });
    outcomes.expectBothOutcomes();
}

// --- a project database folder

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
    const Archive::DatabaseId db =
        Archive::createDatabase(makeDatabaseSettings(0x7FFFFFFF, 0x7FFFFFFF), Archive::projectSchema());
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
        const Archive::DatabaseId db =
            Archive::createDatabase(makeDatabaseSettings(0x7FFFFFFF, 0x7FFFFFFF), Archive::projectSchema());
        for (auto& object : sampleObjects()) {
            const quint32 code = object->typeCode();
            const Archive::ArrayId arrayId =
                code == Controller::kTypeCode ? Controller::kArrayId : code == FrameArray::kTypeCode ? FrameArray::kArrayId : 0;
            addObjectTo(db, arrayId, object.release());
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
            QFile out(name);
            ASSERT_TRUE(out.open(QIODevice::WriteOnly | QIODevice::Truncate));
            out.write(bytes);
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
