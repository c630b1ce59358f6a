// Damaged object streams, database files and archives: whatever the damage,
// a reader either succeeds or fails in its documented way (a
// std::runtime_error, which version_exception and archive_exception are; false
// for the archive reader), and never crashes, hangs or allocates what the data
// does not pay for (the sanitizer builds watch for those).
#include "components/archive/archive_exception.h"
#include "components/archive/archive_file.h"
#include "components/archive/binary_stream.h"
#include "components/archive/database.h"
#include "components/archive/database_schema.h"
#include "components/archive/database_storage.h"
#include "components/archive/edit_context.h"
#include "components/archive/text_stream.h"

#include "seltrane_components/os/bit_vector.h"
#include "seltrane_components/os/date_time.h"

#include "corruption.h"
#include "database_test_support.h"
#include "stream_test_types.h"

#include <QBuffer>
#include <QDir>
#include <QDirIterator>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <functional>
#include <memory>

using namespace Archive;
using StreamTest::Node;
using StreamTest::Shape;

namespace {

using Corruption::Outcomes;

// A bit of every stream form: scalars, Qt values, containers, nested and
// recursive blocks, variants and object pointers.
struct Content
{
    DateTime dateTime;
    BitVector bits{70};
    QStringList strings{QStringLiteral("a"), QStringLiteral("<&>")};
    QVariant variant = QVariantMap{
        {QStringLiteral("k"), QVariantList{1, QStringLiteral("two"), 3.5, QStringList{QStringLiteral("x")},
                                           QByteArray("yz"), QDateTime(QDate(2020, 1, 2), QTime(3, 4), Qt::UTC)}}};
    QSizeF sizeF{1.25, -2};
    QRect rect{-1, 2, 30, 40};
    QTime time{23, 59, 58, 7};
    QDate date{1999, 2, 28};
    QDateTime dateTime2{QDate(2026, 1, 6), QTime(1, 2, 3), Qt::OffsetFromUTC, -5400};
    QUuid uuid = QUuid(QStringLiteral("{0a112233-4455-6677-8899-aabbccddeeff}"));
    QByteArray bytes = QByteArray("\0\x01<>%\xFF", 6);
    QString text = QStringLiteral("text &lt;");
    double real = 0.1;
    float single = -7.0f;
    quint64 u64 = 0x0102030405060708ull;
    qint16 i16 = -2;
    std::list<std::pair<qint32, QString>> pairs{{1, QStringLiteral("one")}, {2, QStringLiteral("two")}};
    QHash<QString, QVector<quint16>> hash{{QStringLiteral("h"), {1, 2, 3}}};
    QMap<quint32, std::set<qint64>> map{{5, {-1, 1}}, {6, {}}};
    std::array<ObjectTag, 2> tags{};
    QSet<quint32> set{4, 8};
    std::vector<bool> flags{true, false, true};
    std::unique_ptr<Shape> shape;
    std::unique_ptr<ObjectBase> none;
    Node tree;

    Content()
    {
        bits.setBit(69);
        const QVariant inner(QVariantList{QStringLiteral("inner"), 5});
        variant = QVariantList{variant, QVariant(int(QMetaType::QVariant), &inner)};
        shape = std::make_unique<Shape>();
        shape->name = QStringLiteral("shape");
        shape->points = {{1, 2}, {3, 4}};
        shape->labels = {{1, QStringLiteral("l")}};
        tree.children.resize(2);
        tree.children[1].children.resize(1);
    }

    void write(OutStream& out) const
    {
        out << dateTime << bits << strings << variant << sizeF << rect << time << date << dateTime2 << uuid
            << bytes << text << real << single << u64 << i16 << pairs << hash << map << tags << set << flags
            << shape << none << tree;
    }
    void read(InStream& in)
    {
        in >> dateTime >> bits >> strings >> variant >> sizeF >> rect >> time >> date >> dateTime2 >> uuid
            >> bytes >> text >> real >> single >> u64 >> i16 >> pairs >> hash >> map >> tags >> set >> flags
            >> shape >> none >> tree;
    }
};

QByteArray contentFile(const QString& path, bool text)
{
    const QByteArray extra("creator");
    const auto out = StreamTest::openWriter(path, text, &extra);
    Content().write(*out);
    out->close();
    return StreamTest::readFile(path);
}

void readContentFile(const QString& path, bool text)
{
    QByteArray extra;
    Content().read(*StreamTest::openReader(path, text, &extra));
}

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
    for (const bool text : {false, true}) {
        SCOPED_TRACE(text ? "text" : "binary");
        const QString path = dir.filePath("content");
        const QByteArray original = contentFile(path, text);
        readContentFile(path, text);
        Outcomes perEncoding;
        Corruption::forEachDamage(original, text ? 2 : 1, text ? 800 : 1500, text ? 16 : 1,
                                  [&](const Corruption::Damaged& d) {
            StreamTest::writeFile(path, d.bytes);
            perEncoding.run(d, [&] { readContentFile(path, text); });
        });
        perEncoding.expectBothOutcomes();
    }
}

// A QVariant may hold a QVariant (type 41); the inner one must pass the same
// depth limit and type checks as every other nested value.
TEST_F(CorruptionTest, VariantsNestedInVariants)
{
    const auto readVariant = [](QByteArray bytes) {
        QBuffer buffer(&bytes);
        buffer.open(QIODevice::ReadOnly);
        BinaryInStream in;
        in.setDevice(&buffer);
        QVariant value;
        in >> value;
        in.checkStatus();
        return value;
    };
    const QByteArray wrapper = QByteArray::fromHex("0000002900");
    // Deeper than any stored value, and cheap to write: 5 bytes a level.
    EXPECT_EQ(StreamTest::errorOf([&] { readVariant(wrapper.repeated(200000) + QByteArray::fromHex("0000000200")); }),
              "Error reading from file");
    // A list count the data cannot hold, and a type Qt reads unchecked.
    EXPECT_EQ(StreamTest::errorOf([&] { readVariant(wrapper + QByteArray::fromHex("00000009007fffffff")); }),
              "Error reading from file");
    EXPECT_EQ(StreamTest::errorOf([&] { readVariant(wrapper + QByteArray::fromHex("00000047007fffffff")); }),
              "Error reading from file");

    // A stored variant in a variant still reads back as one.
    const QVariant inner(QStringLiteral("in"));
    const QVariant outer(int(QMetaType::QVariant), &inner);
    QByteArray bytes;
    {
        QBuffer buffer(&bytes);
        buffer.open(QIODevice::WriteOnly);
        BinaryOutStream out(157);
        out.setDevice(&buffer);
        out << outer;
        out.close();
    }
    ASSERT_TRUE(bytes.startsWith(wrapper));
    const QVariant read = readVariant(bytes);
    EXPECT_EQ(read.userType(), int(QMetaType::QVariant));
    EXPECT_EQ(read.value<QVariant>(), inner);
}

// --- database files

constexpr ArrayId kShapes = 2;
constexpr ArrayId kRuns = 5;
constexpr ArrayId kSmall = 9;

const ArraySchemaRow* shapeSchema()
{
    static const ArraySchemaRow rows[] = {
        {kShapes, 0x80000000u, "shapes", 1000},
        {kRuns, 0x80000002u, "runs", 100},
        {kSmall, 0x80000000u, "small", 3},
        {kSchemaEnd, 0, QString(), 0},
    };
    return rows;
}

void addShape(DatabaseId db, ArrayId arrayId, const QString& name, ObjectId id = kNoObjectId)
{
    EditContext context(db);
    auto* shape = new Shape;
    shape->name = name;
    shape->points = {{1, 2}};
    shape->labels = {{7, name}};
    ObjectPtr object(shape);
    addObject(arrayId, id, object, db);
    context.commit();
}

// Saves a database with objects, a freed id and run files at path.
void saveShapes(const QString& path, const DatabaseSettings& settings)
{
    const DatabaseId db = createDatabase(settings, shapeSchema());
    addShape(db, kShapes, "zero");
    addShape(db, kShapes, "one");
    addShape(db, kShapes, "seven", 7);
    {
        EditContext context(db);
        ObjectPtr object;
        getObject(object, kShapes, 1, db);
        removeObject(kShapes, object, db);
        context.commit();
    }
    addShape(db, kRuns, "r0");
    addShape(db, kRuns, "r3", 3);
    addShape(db, kSmall, "s");
    DatabaseOpenParameters create{path, 157, false, nullptr, 0, QByteArray("creator")};
    openDatabase(create, db);
    saveDatabase(db, kSaveForce);
    closeDatabase(db);
}

// Opens the stored database at path in a new database and walks its objects.
void loadShapes(const QString& path, const DatabaseSettings& settings)
{
    const DatabaseId db = createDatabase(settings, shapeSchema());
    try {
        DatabaseOpenParameters open{path, 157, true, nullptr, 0, QByteArray()};
        openDatabase(open, db);
        for (const ArraySchemaRow* row = shapeSchema(); row->arrayId != kSchemaEnd; ++row) {
            const Array* array = getArray(row->arrayId, db);
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

// Damages each file of the stored database in turn, the others intact.
void damageEachFile(const QString& path, const DatabaseSettings& settings, int randomCount, int stride,
                    Outcomes& outcomes)
{
    QStringList files;
    if (QFileInfo(path).isDir()) {
        QDirIterator it(path, QDir::Files | QDir::Hidden, QDirIterator::Subdirectories);
        while (it.hasNext())
            files << it.next();
    } else {
        files << path;
    }
    files.sort();
    quint32 seed = 10;
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

TEST_F(CorruptionTest, DamagedDatabaseFolder)
{
    const QString path = dir.filePath("project");
    const DatabaseSettings settings = DatabaseTest::settings(false, true);
    saveShapes(path, settings);
    ASSERT_TRUE(QFileInfo(path + "/.tarvel_project").isFile());
    ASSERT_TRUE(QFileInfo(path + "/runs/2-3.tarv").isFile());
    damageEachFile(path, settings, 150, 2, outcomes);
    outcomes.expectBothOutcomes();
}

TEST_F(CorruptionTest, DamagedDatabaseFiles)
{
    for (const bool binary : {true, false}) {
        const QString path = dir.filePath(binary ? "single.tarv" : "single.tarvt");
        const DatabaseSettings settings = DatabaseTest::settings(true, binary);
        saveShapes(path, settings);
        damageEachFile(path, settings, 200, binary ? 6 : 32, outcomes);
    }
    outcomes.expectBothOutcomes();
}

// --- archives

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
        Corruption::forEachDamage(original, 20 + kind, 200, kind == ArchiveFile::TarKind ? 16 : 8,
                                  [&](const Corruption::Damaged& d) {
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
            EXPECT_EQ(beside, QStringList{QStringLiteral("packed")}) << d.what;
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

} // namespace
