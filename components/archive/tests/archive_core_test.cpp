// The type registry, archive errors and object handles.
#include "components/archive/archive_exception.h"
#include "components/archive/object_base.h"
#include "components/archive/type_registry.h"

#include "stream_test_types.h"
#include "tests/support/stream_check.h"

using StreamTest::errorOf;

namespace {

struct Counted : Archive::ObjectBase
{
    static int alive;
    Counted() { ++alive; }
    Counted(const Counted& o) : Archive::ObjectBase(o) { ++alive; }
    ~Counted() override { --alive; }
    quint32 typeCode() const override { return 9200; }
    Counted* clone() const override { return new Counted(*this); }
};
int Counted::alive = 0;

struct Other : Archive::ObjectBase
{};

// A record family whose class holds its root behind another base, so the
// root pointer a factory hands out is not the class's own address.
struct RecordRoot
{
    virtual ~RecordRoot() = default;
    virtual void read(InStream& in) = 0;
    virtual void write(OutStream& out) const = 0;
    virtual quint32 typeCode() const = 0;
};

struct Padding
{
    virtual ~Padding() = default;
    quint64 padding = 0;
};

struct CountedRecord final : Padding, RecordRoot
{
    static int alive;
    quint32 value = 7;
    CountedRecord() { ++alive; }
    ~CountedRecord() override { --alive; }
    void read(InStream& in) override { in >> value; }
    void write(OutStream& out) const override { out << value; }
    quint32 typeCode() const override { return 9201; }
};
int CountedRecord::alive = 0;

}  // namespace

TEST(TypeRegistry, CoreLookupsAndErrors)
{
    ObjectRegistry::registerCoreTypes();
    ObjectRegistry::registerCoreTypes();  // idempotent
    EXPECT_EQ(ObjectRegistry::nameForCode(52), QStringLiteral("ObjectBase"));
    EXPECT_EQ(ObjectRegistry::codeForName(QStringLiteral("QStringList")), 33u);

    EXPECT_EQ(errorOf([] { ObjectRegistry::nameForCode(17); }), "Bad registry lookup, number 17");
    EXPECT_EQ(errorOf([] { ObjectRegistry::codeForName(QStringLiteral("Int32")); }),
              "Bad registry lookup, string Int32");
    EXPECT_EQ(errorOf([] { ObjectRegistry::create(13); }), "Trying to make an abstract object, id 13");
    EXPECT_EQ(errorOf([] { ObjectRegistry::create(999); }), "Bad registry lookup, id 999");
    // A value code never makes an object, and a value is made only as its class.
    EXPECT_EQ(errorOf([] { ObjectRegistry::create(55); }), "Bad registry lookup, id 55");
    EXPECT_EQ(errorOf([] { ObjectRegistry::createValue<Archive::ObjectBase>(55); }), "Bad registry lookup, id 55");
    EXPECT_TRUE(ObjectRegistry::createValue<ObjectTag>(55));
}

TEST(TypeRegistry, PrivateInstanceDuplicatesAndSharedNames)
{
    using namespace ObjectRegistry;
    Registry reg;
    EXPECT_EQ(reg.find(0), nullptr);  // a new registry is valid and empty

    reg.registerType(primitiveRecord(7, QStringLiteral("list")));
    EXPECT_EQ(errorOf([&] { reg.registerType(primitiveRecord(7, QStringLiteral("other"))); }),
              "Duplicate registration for code 7");
    EXPECT_EQ(reg.nameForCode(7), QStringLiteral("list"));

    // The lowest code keeps a shared name, in whatever order they come.
    reg.registerType(objectRecord<Counted>(352, QStringLiteral("Vux")));
    reg.registerType(objectRecord<Counted>(350, QStringLiteral("Vux")));
    reg.registerType(abstractObjectRecord(356, QStringLiteral("Vux")));
    EXPECT_EQ(reg.codeForName(QStringLiteral("Vux")), 350u);
    EXPECT_EQ(reg.nameForCode(356), QStringLiteral("Vux"));
    EXPECT_EQ(errorOf([&] { reg.create(356); }), "Trying to make an abstract object, id 356");
    EXPECT_EQ(std::unique_ptr<Archive::ObjectBase>(reg.create(352))->typeCode(), 9200u);
}

TEST(ArchiveException, TextFieldsAndTable)
{
    const Archive::archive_exception e(3, Archive::archive_exception::kNoId, Archive::archive_exception::kNoId, 7);
    EXPECT_STREQ(e.what(), "Archive error 3 (ObjId 4294967295, ArrayId 4294967295, dbId 7)");
    EXPECT_STREQ(Archive::archive_exception(-2, 1, 2, 3).what(), "Archive error -2 (ObjId 1, ArrayId 2, dbId 3)");

    EXPECT_EQ(Archive::archive_exception::messageForCode(22), QStringLiteral("Restored object already esixts"));
    EXPECT_EQ(Archive::archive_exception::messageForCode(30), QStringLiteral("Directory number already used"));
    EXPECT_EQ(Archive::archive_exception::messageForCode(32), QStringLiteral("Unknown error"));
}

TEST(ObjectPtr, CastsMarkersAndOwnership)
{
    {
        Archive::ObjectPtr ptr(new Counted, 5, 9);
        Archive::Pointer<Counted> typed = Archive::dynamicPointerCast<Counted>(ptr);
        ASSERT_TRUE(typed);
        EXPECT_EQ(Archive::staticPointerCast<Counted>(ptr).get(), typed.get());
        // An unrelated class gives null but keeps sequence and stamp.
        Archive::Pointer<Other> other = Archive::dynamicPointerCast<Other>(ptr);
        EXPECT_TRUE(other.isNull() && other.sequence() == 5u && other.stamp() == 9u);
        // Only upwards is implicit; the base handle shares the object.
        static_assert(std::is_convertible<Archive::Pointer<Counted>, Archive::ObjectPtr>::value, "upcast");
        static_assert(!std::is_convertible<Archive::ObjectPtr, Archive::Pointer<Counted>>::value, "downcast");
        static_assert(!std::is_convertible<Archive::Pointer<Counted>, Archive::Pointer<Other>>::value, "sideways");
        const Archive::ObjectPtr up = typed;
        EXPECT_TRUE(up.get() == typed.get() && up.sequence() == 5u && up.stamp() == 9u);
        // A clone is a new object without an id.
        typed->setId(42);
        EXPECT_EQ(std::unique_ptr<Counted>(typed->clone())->getId(), Archive::kNoObjectId);
        const Archive::ObjectPtr& self = ptr;
        ptr = self;  // self-assignment keeps the object
        EXPECT_EQ(ptr.useCount(), 3);
    }
    EXPECT_EQ(Counted::alive, 0);
    {
        // Made in one allocation, shared and dropped like one wrapped later.
        const Archive::Pointer<Counted> made = Archive::makeObject<Counted>();
        Archive::ObjectPtr up = made;
        EXPECT_TRUE(up.get() == made.get() && made.useCount() == 2 && Counted::alive == 1);
        EXPECT_EQ(Archive::dynamicPointerCast<Counted>(up).get(), made.get());
        EXPECT_TRUE(Archive::dynamicPointerCast<Other>(up).isNull());
    }
    EXPECT_EQ(Counted::alive, 0);

    Archive::ObjectPtr removed = Archive::ObjectPtr::removedMarker();
    removed.setSequence(11);
    EXPECT_TRUE(removed.isRemovedMarker() && removed.isMarker() && !removed.isObject() && !removed.get());
    EXPECT_EQ(errorOf([&] { removed->getId(); }), "Dereferenced an object pointer that holds no object");
    auto castRemoved = Archive::dynamicPointerCast<Counted>(removed);
    EXPECT_TRUE(castRemoved.isRemovedMarker() && castRemoved.sequence() == 11u);
    EXPECT_TRUE(Archive::staticPointerCast<Counted>(removed).isRemovedMarker());
    castRemoved.reset();
    removed.reset();  // the last reference to the marker deletes nothing

    auto reserved = Archive::ObjectPtr::reservedMarker();
    EXPECT_TRUE(reserved.isMarker() && !reserved.isRemovedMarker() && !Archive::ObjectPtr().isMarker());
    EXPECT_TRUE(Archive::dynamicPointerCast<Counted>(reserved).isNull());
    EXPECT_TRUE(Archive::staticPointerCast<Counted>(reserved).isNull());
}

TEST(TypeRegistry, RecordsStreamAndDestroyWhatTheirFactoryMade)
{
    using namespace ObjectRegistry;
    Registry reg;
    reg.registerType(polymorphicRecord<RecordRoot, CountedRecord>(9201, QStringLiteral("CountedRecord")));
    reg.registerType(valueRecord<ObjectTag>(55, QStringLiteral("ObjectTag")));
    reg.registerType(abstractRecord<RecordRoot>(9200, QStringLiteral("RecordRoot")));
    const Record& record = *reg.find(9201);
    void* made = record.valueFactory();
    EXPECT_EQ(CountedRecord::alive, 1);
    // The block of the class's own code, as a field holding it stores it.
    const QByteArray bytes = StreamCheck::binaryBytes(1, [&](OutStream& out) { record.writeBlock(made, out); });
    EXPECT_EQ(StreamCheck::hexOf(bytes), "23f100000007");
    void* read = record.valueFactory();
    EXPECT_EQ(StreamCheck::readBinary(StreamCheck::hex("23f1 0000002a"), 1,
                                      [&](InStream& in) { record.readBlock(read, in); }),
              0);
    EXPECT_EQ(static_cast<CountedRecord*>(static_cast<RecordRoot*>(read))->value, 42u);
    // Another code in its place is refused (the message names what the
    // process-wide registry knows of the code: here nothing of 0x23f1).
    EXPECT_EQ(errorOf([&] {
                  StreamCheck::readBinary(StreamCheck::hex("0037 0000002a"), 1,
                                          [&](InStream& in) { record.readBlock(read, in); });
              }),
              "Bad registry lookup, number 9201");
    record.deleteValue(made);
    record.deleteValue(read);
    EXPECT_EQ(CountedRecord::alive, 0);

    const Record& tag = *reg.find(55);
    void* value = tag.valueFactory();
    EXPECT_EQ(StreamCheck::hexOf(StreamCheck::binaryBytes(1, [&](OutStream& out) { tag.writeBlock(value, out); })),
              "0037ffffffffffffffffffffffff");
    tag.deleteValue(value);

    // Nothing to make, so nothing to stream.
    const Record& root = *reg.find(9200);
    EXPECT_FALSE(root.valueFactory || root.readBlock || root.writeBlock || root.deleteValue);
    const Record core = coreRecord(56, QStringLiteral("ArchiveDatabase"));
    EXPECT_FALSE(core.readBlock || core.writeBlock || core.deleteValue);
}
