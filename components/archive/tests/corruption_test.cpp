// Damaged object streams, database files and archives: a reader either
// succeeds or fails in its documented way (a std::runtime_error; false for the
// archive reader), and never crashes, hangs or over-allocates (the sanitizers watch).
#include "components/archive/archive_file.h"
#include "components/archive/database_schema.h"
#include "components/archive/database_storage.h"

#include "database_test_support.h"
#include "stream_test_types.h"
#include "tests/support/corruption.h"

#include <QBuffer>
#include <QDirIterator>

using namespace Archive;
using Corruption::Outcomes;
using StreamTest::Shape;

namespace {

class CorruptionTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        StreamTest::registerTestTypes();
        ASSERT_TRUE(dir.isValid());
    }

    QTemporaryDir dir;
    Outcomes outcomes;
};

TEST_F(CorruptionTest, DamagedStreams)
{
    const QString path = dir.filePath("content");
    const QByteArray extra("creator");
    for (const bool text : {false, true}) {
        SCOPED_TRACE(text ? "text" : "binary");
        const auto read = [&] { StreamTest::Sample().read(*StreamTest::openReader(path, text)); };
        {
            const auto out = StreamTest::openWriter(path, text, &extra);
            StreamTest::Sample().write(*out);
            out->close();
        }
        const QByteArray original = StreamTest::readFile(path);
        read();
        Outcomes perEncoding;
        Corruption::forEachDamage(original, text ? 2 : 1, text ? 300 : 500, text ? 24 : 4,
                                  [&](const Corruption::Damaged& d) {
                                      StreamTest::writeFile(path, d.bytes);
                                      perEncoding.run(d, read);
                                  });
        perEncoding.expectBothOutcomes();
    }
}

// Saves a database with objects, a freed id and run files at path.
void saveShapes(const QString& path, const DatabaseSettings& settings)
{
    using namespace DatabaseTest;
    const DatabaseId db = createDatabase(settings, schema());
    inTransaction(db, [&] {
        const std::tuple<ArrayId, const char*, ObjectId> shapes[] = {{kThings, "zero", kNoObjectId},
                                                                     {kThings, "one", kNoObjectId},
                                                                     {kThings, "seven", 7},
                                                                     {kRuns, "r0", kNoObjectId},
                                                                     {kRuns, "r3", 3},
                                                                     {kSmall, "s", kNoObjectId}};
        for (const auto& [arrayId, name, id] : shapes) {
            auto* shape = new Shape;
            shape->name = QLatin1String(name);
            shape->points = {{1, 2}};
            shape->labels = {{7, shape->name}};
            ObjectPtr object(shape);
            ObjectId objectId = id;
            addObject(arrayId, objectId, object, db);
        }
    });
    inTransaction(db, [&] { removeThing(db, 1); });
    DatabaseOpenParameters create {path, 157, false, nullptr, 0, QByteArray("creator")};
    openDatabase(create, db);
    saveDatabase(db, kSaveForce);
    closeDatabase(db);
}

// Opens the stored database at path in a new database and walks its objects.
void loadShapes(const QString& path, const DatabaseSettings& settings)
{
    const DatabaseId db = createDatabase(settings, DatabaseTest::schema());
    try {
        DatabaseOpenParameters open {path, 157, true, nullptr, 0, QByteArray()};
        openDatabase(open, db);
        for (const ArrayId arrayId : {DatabaseTest::kThings, DatabaseTest::kRuns, DatabaseTest::kSmall}) {
            const Array* array = getArray(arrayId, db);
            for (ObjectId id = 0; id < array->slotCount(); ++id) {
                const auto shape = dynamicPointerCast<Shape>(array->committed(id));
                if (shape.isObject() && shape->getId() != id)
                    throw std::logic_error("object filed under another id");
            }
        }
    } catch (...) {
        closeDatabase(db);
        throw;
    }
    closeDatabase(db);
}

// Damages each file of each stored form in turn, the others intact.
TEST_F(CorruptionTest, DamagedDatabases)
{
    // Name, single file, binary, random copies, sweep stride.
    const std::tuple<const char*, bool, bool, int, int> forms[] = {
        {"project", false, true, 80, 4}, {"single.tarv", true, true, 100, 8}, {"single.tarvt", true, false, 100, 48}};
    quint32 seed = 10;
    for (const auto& [name, singleFile, binary, randomCount, stride] : forms) {
        const QString path = dir.filePath(name);
        const DatabaseSettings settings = DatabaseTest::settings(singleFile, binary);
        saveShapes(path, settings);
        QStringList files {path};
        if (!singleFile) {
            ASSERT_TRUE(QFileInfo(path + "/.tarvel_project").isFile());
            ASSERT_TRUE(QFileInfo(path + "/runs/2-3.tarv").isFile());
            files.clear();
            QDirIterator it(path, QDir::Files | QDir::Hidden, QDirIterator::Subdirectories);
            while (it.hasNext())
                files << it.next();
            files.sort();
        }
        for (const QString& file : files) {
            SCOPED_TRACE(file.toStdString());
            const QByteArray original = StreamTest::readFile(file);
            loadShapes(path, settings);
            Corruption::forEachDamage(original, seed++, randomCount, stride, [&](const Corruption::Damaged& d) {
                StreamTest::writeFile(file, d.bytes);
                outcomes.run(d, [&] { loadShapes(path, settings); });
            });
            StreamTest::writeFile(file, original);
        }
    }
    outcomes.expectBothOutcomes();
}

QByteArray packed(int kind)
{
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    ArchiveFile archive;
    EXPECT_TRUE(archive.open(ArchiveFile::WriteMode, &buffer, kind));
    EXPECT_TRUE(archive.addBuffer(QByteArray("first file"), "folder/one.txt"));
    EXPECT_TRUE(archive.addBuffer(QByteArray(3000, 'x') + QByteArray(50, '\x01'), "two.bin"));
    EXPECT_TRUE(archive.addEmptyFile("folder/sub/empty"));
    EXPECT_TRUE(archive.close());
    return bytes;
}

TEST_F(CorruptionTest, DamagedArchivesListOrExtractOrAnswerFalse)
{
    const QString path = dir.filePath("packed");
    int round = 0;
    int extracted = 0;
    int refused = 0;
    for (const int kind : {int(ArchiveFile::TarGzKind), int(ArchiveFile::TarKind), int(ArchiveFile::ZipKind)}) {
        SCOPED_TRACE(kind);
        const QByteArray original = packed(kind);
        const int readKind = kind == ArchiveFile::ZipKind ? ArchiveFile::ZipKind : ArchiveFile::TarGzKind;
        Corruption::forEachDamage(
            original, 20 + kind, 120, kind == ArchiveFile::TarKind ? 32 : 12, [&](const Corruption::Damaged& d) {
                StreamTest::writeFile(path, d.bytes);
                QStringList names;
                ArchiveFile::openFile(path, names);

                QFile file(path);
                ASSERT_TRUE(file.open(QIODevice::ReadOnly));
                ArchiveFile archive;
                const QString root = dir.filePath(QStringLiteral("out%1").arg(round++));
                // A zip reader looks at the data when it opens.
                if (archive.open(ArchiveFile::ReadMode, &file, readKind) && archive.extractTo(root))
                    ++extracted;
                else
                    ++refused;
                archive.close();
                // Nothing lands beside the target folder.
                QStringList beside = QDir(dir.path()).entryList(QDir::AllEntries | QDir::NoDotAndDotDot);
                beside.removeAll(QFileInfo(root).fileName());
                EXPECT_EQ(beside, QStringList {QStringLiteral("packed")}) << d.what;
                EXPECT_TRUE(QDir(root).removeRecursively()) << d.what;
            });
    }
    EXPECT_GT(extracted, 0);
    EXPECT_GT(refused, 0);
}

// A zip64 locator may name any 64-bit offset; the archive here starts
// behind a prefix, so the device offset is the archive offset plus that.
TEST_F(CorruptionTest, HugeZipOffsetsBehindAPrefix)
{
    const QByteArray zip = packed(ArchiveFile::ZipKind);
    const QByteArray prefix(16, 'p');
    for (const quint64 offset : {0x7FFFFFFFFFFFFFFFull, 0x7FFFFFFFFFFFFFF8ull, 0xFFFFFFFFFFFFFFFFull}) {
        QByteArray locator("PK\x06\x07", 4);
        locator += QByteArray(4, '\0');
        for (int i = 0; i < 8; ++i)
            locator += char((offset >> (8 * i)) & 0xFF);
        locator += QByteArray("\x01\0\0\0", 4);
        const QByteArray bytes = prefix + zip.left(zip.size() - 22) + locator + zip.right(22);
        const QString path = dir.filePath("prefixed.zip");
        StreamTest::writeFile(path, bytes);
        QFile file(path);
        ASSERT_TRUE(file.open(QIODevice::ReadOnly));
        ASSERT_TRUE(file.seek(prefix.size()));
        ArchiveFile archive;
        QStringList names;
        if (archive.open(ArchiveFile::ReadMode, &file, ArchiveFile::ZipKind))
            archive.listEntries(names);
        archive.close();
    }
}

}  // namespace
