#include "components/archive/archive_directory.h"
#include "components/archive/binary_stream.h"
#include "components/archive/edit_context.h"
#include "components/archive/text_stream.h"
#include "components/archive/type_registry.h"

#include "database_test_support.h"
#include "stream_test_types.h"

#include <gtest/gtest.h>

#include <QBuffer>
#include <QTemporaryDir>

#include <cmath>
#include <limits>

namespace {

constexpr Archive::ArrayId kMisc = DatabaseTest::kOthers;
constexpr Archive::ArrayId kItems = DatabaseTest::kThings;

// An object class of its own, counting live instances so a test can see who
// owns a new object after a failed add.
class Item : public Archive::ObjectBase
{
public:
    Item() { ++alive; }
    Item(const Item& other) : Archive::ObjectBase(other) { ++alive; }
    ~Item() override { --alive; }
    quint32 typeCode() const override { return 60101; }
    Archive::ObjectBase* clone() const override { return new Item(*this); }

    static int alive;
};
int Item::alive = 0;

}  // namespace

template <>
struct DirectoryTypeCode<Item>
{
    static constexpr quint32 value = 60100;
};

namespace {

typedef ArchiveDirectory<Item, kItems> ItemDirectory;

const double kInf = std::numeric_limits<double>::infinity();

class DirectoryTest : public DatabaseTest::DatabaseFixture
{
protected:
    void SetUp() override
    {
        ObjectRegistry::registerCoreTypes();
        registerDirectoryBaseType();
        DatabaseFixture::SetUp();
    }

    // Adds one item under each number in one committed transaction.
    void fill(ItemDirectory& directory, std::initializer_list<double> numbers)
    {
        Archive::EditContext context(db);
        for (double number : numbers) {
            Archive::ObjectId id = Archive::kNoObjectId;
            directory.addObject(number, new Item, &id, db);
        }
        context.commit();
    }
};

QByteArray bodyOf(const ItemDirectory& directory)
{
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    BinaryOutStream out(157);
    out.setDevice(&buffer);
    directory.write(out);
    out.close();
    return bytes;
}

void readBody(QByteArray bytes, ItemDirectory& directory)
{
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::ReadOnly);
    BinaryInStream in;
    in.setDevice(&buffer);
    directory.read(in);
}

}  // namespace

TEST_F(DirectoryTest, AddsUnderNumbersAndRefusesTakenOnes)
{
    const int base = Item::alive;
    ItemDirectory directory;
    {
        Archive::EditContext context(db);
        Archive::ObjectId id = 5;
        EXPECT_EQ(directory.addObject(3.0, new Item, &id, db), 3.0);

        Item* second = new Item;
        id = Archive::kNoObjectId;
        try {
            directory.addObject(3.0, second, &id, db);
            ADD_FAILURE() << "a taken number was accepted";
        } catch (const Archive::archive_exception& e) {
            EXPECT_EQ(e.code(), 28);
            EXPECT_EQ(e.arrayId(), kItems);
        }
        EXPECT_EQ(Item::alive, base + 2);  // the caller still owns the refused object

        try {
            directory.addObject(std::nan(""), second, &id, db);
            ADD_FAILURE() << "NaN was accepted";
        } catch (const std::logic_error& e) {
            EXPECT_STREQ(e.what(), "Invalid directory number");
        }
        delete second;
        context.commit();
    }
    EXPECT_EQ(directory.numberToId(), (std::map<decimal, Archive::ObjectId>{{3.0, 5}}));
    EXPECT_EQ(directory.idToNumber(), (std::map<Archive::ObjectId, decimal>{{5, 3.0}}));
    EXPECT_EQ(singleObjectId(kItems, db), 5u);

    // A failure of the database leaves the maps alone and frees the object.
    EXPECT_THROW(directory.addObject(4.0, new Item, nullptr, db), Archive::archive_exception);
    EXPECT_FALSE(directory.containsNumber(4.0));
    EXPECT_EQ(Item::alive, base + 1);
}

TEST_F(DirectoryTest, InfinityTakesTheNextFreeNumber)
{
    ItemDirectory gap;
    fill(gap, {1.0, 3.0, 1.5, -kInf});
    {
        Archive::EditContext context(db);
        EXPECT_EQ(gap.addObject(kInf, new Item, nullptr, db), 2.0);
        EXPECT_EQ(gap.addObject(kInf, new Item, nullptr, db), 4.0);
        context.commit();
    }
    EXPECT_THROW(gap.nextFreeNumber(std::nan("")), std::logic_error);

    EXPECT_EQ(singleObjectId(kItems, db), Archive::kNoObjectId);  // many objects
    EXPECT_EQ(singleObjectId(kMisc, db), Archive::kNoObjectId);   // none
}

TEST_F(DirectoryTest, StreamsBothMapsAndClones)
{
    ItemDirectory directory;
    fill(directory, {3.0, -0.5});
    const QByteArray body = bodyOf(directory);
    // Ids are given in order: 3.0 -> 0, -0.5 -> 1.
    EXPECT_EQ(body.toHex(), QByteArray("0034" "0035"
                                       "0008" "00000002" "bfe0000000000000" "00000001" "4008000000000000" "00000000"
                                       "0008" "00000002" "00000000" "4008000000000000" "00000001" "bfe0000000000000"));

    ItemDirectory read;
    fill(read, {7.0});  // emptied by the reader
    readBody(body, read);
    EXPECT_EQ(read.numberToId(), directory.numberToId());
    EXPECT_EQ(read.idToNumber(), directory.idToNumber());

    // The text form reads back the same maps, exact to the last bit.
    QTemporaryDir folder;
    const QString path = folder.path() + QStringLiteral("/directory.tarvt");
    ItemDirectory fractions;
    fill(fractions, {0.1, -kInf, 1e300});
    {
        const auto out = StreamTest::openWriter(path, true);
        fractions.write(*out);
        out->close();
    }
    ItemDirectory fromText;
    fromText.read(*StreamTest::openReader(path, true));
    EXPECT_EQ(fromText.numberToId(), fractions.numberToId());
    EXPECT_EQ(fromText.idToNumber(), fractions.idToNumber());

    // A NaN number in stored data is refused, not put into the map.
    EXPECT_THROW(readBody(QByteArray(body).replace(10, 8, QByteArray::fromHex("7ff8000000000000")), read),
                 std::runtime_error);
    // Any other tag where the object base belongs fails in the stream.
    QByteArray wrongTag = body;
    wrongTag[1] = 0x35;
    EXPECT_THROW(readBody(wrongTag, read), std::runtime_error);
}
