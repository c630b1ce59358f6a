#include "components/archive/archive_directory.h"
#include "components/archive/type_registry.h"

#include "database_test_support.h"
#include "tests/support/stream_check.h"

#include <cmath>
#include <limits>

namespace {

// Counts live instances, to see who owns a new object after a failed add.
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

typedef ArchiveDirectory<Item, DatabaseTest::kThings> ItemDirectory;

using DirectoryTest = DatabaseTest::DatabaseFixture;

}  // namespace

TEST_F(DirectoryTest, AddsUnderNumbersAndRefusesTakenOnes)
{
    registerDirectoryBaseType();
    const int base = Item::alive;
    const double kInf = std::numeric_limits<double>::infinity();
    ItemDirectory directory;
    {
        Archive::EditContext context(db);
        for (double number : {3.0, -0.5, 1.0, 1.5, -kInf})
            directory.addObject(number, new Item, nullptr, db);
        EXPECT_EQ(directory.addObject(kInf, new Item, nullptr, db), 2.0);
        EXPECT_EQ(directory.addObject(kInf, new Item, nullptr, db), 4.0);

        // A taken number or NaN is refused before the object is taken over.
        Item* refused = new Item;
        Archive::ObjectId id = Archive::kNoObjectId;
        EXPECT_EQ(DatabaseTest::codeOf([&] { directory.addObject(3.0, refused, &id, db); }), 28);
        try {
            directory.addObject(std::nan(""), refused, &id, db);
            ADD_FAILURE() << "NaN was accepted";
        } catch (const std::logic_error& e) {
            EXPECT_STREQ(e.what(), "Invalid directory number");
        }
        EXPECT_EQ(Item::alive, base + 8);  // the caller still owns the refused object
        delete refused;
        context.commit();
    }
    // A failure of the database leaves the maps alone and frees the object.
    EXPECT_EQ(DatabaseTest::codeOf([&] { directory.addObject(5.0, new Item, nullptr, db); }), 14);
    EXPECT_FALSE(directory.containsNumber(5.0));
    EXPECT_EQ(Item::alive, base + 7);

    // Golden bytes of both maps; ids in order of adding.
    ItemDirectory two;
    DatabaseTest::inTransaction(db, [&] {
        two.addObject(3.0, new Item, nullptr, db);
        two.addObject(-0.5, new Item, nullptr, db);
    });
    EXPECT_EQ(StreamCheck::binaryBytes(157, [&](OutStream& out) { two.write(out); }).toHex(),
              StreamCheck::hex("0034 0035 0008 00000002 bfe0000000000000 00000008 4008000000000000 00000007"
                               " 0008 00000002 00000007 4008000000000000 00000008 bfe0000000000000")
                  .toHex());
    EXPECT_EQ(two.idToNumber(), (std::map<Archive::ObjectId, decimal> {{7, 3.0}, {8, -0.5}}));
}
