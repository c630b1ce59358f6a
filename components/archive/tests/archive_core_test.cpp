// The type registry, archive errors and object handles.
#include "components/archive/archive_exception.h"
#include "components/archive/object_base.h"
#include "components/archive/stream_codes.h"
#include "components/archive/type_registry.h"

#include "stream_test_types.h"

#include <gtest/gtest.h>

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
{
};

} // namespace

TEST(TypeRegistry, CoreTableNamesKindsAndLookups)
{
    ObjectRegistry::registerCoreTypes();
    ObjectRegistry::registerCoreTypes(); // idempotent
    const ObjectRegistry::Registry& reg = ObjectRegistry::instance();
    // Every name is part of the stored text form.
    const std::pair<quint32, const char*> rows[] = {
        {0, "int32"}, {1, "int16"}, {2, "int8"}, {3, "uint32"}, {4, "uint16"}, {5, "uint8"},
        {6, "vector"}, {7, "list"}, {8, "map"}, {9, "set"}, {10, "float"}, {11, "double"},
        {12, "bool"}, {13, "string"}, {14, "QUuid"}, {16, "pair"}, {18, "NULL"}, {19, "bitset"},
        {20, "QHash"}, {21, "QByteArray"}, {22, "QDateTime"}, {23, "QDate"}, {24, "bitvector"},
        {25, "QTime"}, {26, "QRect"}, {27, "QSize"}, {28, "uint64"}, {29, "QPointF"}, {30, "QSizeF"},
        {31, "QList"}, {32, "QVariant"}, {33, "QStringList"}, {34, "array"}, {35, "DateTime"},
        {36, "int64"}, {50, "OldFormatArchiveDatabase"}, {51, "ArchiveArray"}, {52, "ObjectBase"},
        {54, "ArchiveFileObjectPtr"}, {55, "ObjectTag"}, {56, "ArchiveDatabase"}};
    for (const auto& row : rows) {
        EXPECT_EQ(ObjectRegistry::nameForCode(row.first), QLatin1String(row.second));
        EXPECT_EQ(ObjectRegistry::codeForName(QLatin1String(row.second)), row.first);
        const ObjectRegistry::Kind kind = reg.find(row.first)->kind;
        if (row.first <= 36) {
            EXPECT_EQ(kind, ObjectRegistry::Kind::Primitive) << row.first;
        } else if (row.first != 52 && row.first != 55) {
            EXPECT_EQ(kind, ObjectRegistry::Kind::Core) << row.first;
        }
    }
    int core = 0;
    for (quint32 code = 0; code <= 56; ++code)
        core += reg.find(code) ? 1 : 0;
    EXPECT_EQ(core, 41); // 53 comes with the numbered directories
    for (quint32 code = 37; code < 50; ++code)
        EXPECT_EQ(reg.find(code), nullptr) << code;
    for (quint32 code : {0u, 36u, 50u, 51u, 54u, 56u}) // no factory: nothing to make
        EXPECT_EQ(errorOf([code] { ObjectRegistry::create(code); }),
                  QStringLiteral("Trying to make an abstract object, id %1").arg(code).toStdString());

    EXPECT_EQ(reg.find(52)->kind, ObjectRegistry::Kind::Object);
    EXPECT_EQ(reg.find(55)->kind, ObjectRegistry::Kind::Value);

    EXPECT_EQ(errorOf([] { ObjectRegistry::nameForCode(15); }), "Bad registry lookup, number 15");
    EXPECT_EQ(errorOf([] { ObjectRegistry::nameForCode(17); }), "Bad registry lookup, number 17");
    EXPECT_EQ(errorOf([] { ObjectRegistry::codeForName(QStringLiteral("Int32")); }),
              "Bad registry lookup, string Int32");
    EXPECT_EQ(errorOf([] { ObjectRegistry::create(13); }), "Trying to make an abstract object, id 13");
    EXPECT_EQ(errorOf([] { ObjectRegistry::create(999); }), "Bad registry lookup, id 999");
    // A value code never makes an object, and a value is made only as its class.
    EXPECT_EQ(errorOf([] { ObjectRegistry::create(55); }), "Bad registry lookup, id 55");
    EXPECT_EQ(errorOf([] { ObjectRegistry::createValue<Archive::ObjectBase>(55); }), "Bad registry lookup, id 55");
    auto tag = ObjectRegistry::createValue<ObjectTag>(55);
    EXPECT_TRUE(tag->first == 0xFFFFFFFFu && tag->second == 0xFFFFFFFFu && tag->third == 0xFFFFFFFFu);

    std::unique_ptr<Archive::ObjectBase> base(ObjectRegistry::create(52));
    EXPECT_EQ(base->getId(), Archive::kNoObjectId);
    EXPECT_EQ(base->typeCode(), 52u);
    EXPECT_EQ(base->clone(), nullptr);
}

TEST(TypeRegistry, PrivateInstanceDuplicatesAndSharedNames)
{
    using namespace ObjectRegistry;
    Registry reg;
    EXPECT_EQ(reg.find(0), nullptr); // a new registry is valid and empty

    reg.registerType(primitiveRecord(7, QStringLiteral("list")));
    try {
        reg.registerType(primitiveRecord(7, QStringLiteral("other")));
        FAIL() << "duplicate accepted";
    } catch (const std::logic_error& e) {
        EXPECT_STREQ(e.what(), "Duplicate registration for code 7");
    }
    EXPECT_EQ(reg.nameForCode(7), QStringLiteral("list"));
    EXPECT_EQ(reg.codeForName(QStringLiteral("list")), 7u);
    EXPECT_THROW(reg.codeForName(QStringLiteral("other")), std::runtime_error);

    // The lowest code keeps a shared name, in whatever order they come.
    reg.registerType(objectRecord<Counted>(352, QStringLiteral("Vux")));
    reg.registerType(objectRecord<Counted>(350, QStringLiteral("Vux")));
    reg.registerType(abstractObjectRecord(356, QStringLiteral("Vux")));
    EXPECT_EQ(reg.codeForName(QStringLiteral("Vux")), 350u);
    EXPECT_EQ(reg.nameForCode(352), QStringLiteral("Vux"));
    EXPECT_EQ(reg.nameForCode(356), QStringLiteral("Vux"));
    EXPECT_EQ(errorOf([&] { reg.create(356); }), "Trying to make an abstract object, id 356");
    std::unique_ptr<Archive::ObjectBase> made(reg.create(352));
    EXPECT_EQ(made->typeCode(), 9200u);
    EXPECT_EQ(reg.size(), 4u);
}

TEST(ArchiveException, TextFieldsAndTable)
{
    const Archive::archive_exception e(3, Archive::archive_exception::kNoId, Archive::archive_exception::kNoId, 7);
    EXPECT_STREQ(e.what(), "Archive error 3 (ObjId 4294967295, ArrayId 4294967295, dbId 7)");
    EXPECT_STREQ(Archive::archive_exception(-2, 1, 2, 3).what(), "Archive error -2 (ObjId 1, ArrayId 2, dbId 3)");

    EXPECT_EQ(Archive::archive_exception::messageTable().size(), 32u);
    EXPECT_EQ(Archive::archive_exception::messageForCode(29), QStringLiteral("Restored invalid object"));
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
        EXPECT_EQ(typed.sequence(), 5u);

        // An unrelated class gives null but keeps sequence and stamp.
        Archive::Pointer<Other> other = ptr; // the converting constructor checks
        EXPECT_TRUE(other.isNull());
        EXPECT_EQ(other.sequence(), 5u);
        EXPECT_EQ(other.stamp(), 9u);

        Archive::Pointer<Counted> unchecked = Archive::staticPointerCast<Counted>(ptr);
        EXPECT_EQ(unchecked.get(), typed.get());

        // A clone is a new object without an id.
        typed->setId(42);
        std::unique_ptr<Counted> copy(typed->clone());
        EXPECT_EQ(copy->getId(), Archive::kNoObjectId);
        EXPECT_EQ(typed->getId(), 42u);
        ptr = ptr; // self-assignment keeps the object
        EXPECT_EQ(ptr.useCount(), 3);
    }
    EXPECT_EQ(Counted::alive, 0);

    Archive::ObjectPtr removed = Archive::ObjectPtr::removedMarker();
    removed.setSequence(11);
    EXPECT_TRUE(removed.isRemovedMarker() && !removed.isObject() && !removed.get());
    EXPECT_EQ(errorOf([&] { removed->getId(); }), "Dereferenced an object pointer that holds no object");
    auto castRemoved = Archive::dynamicPointerCast<Counted>(removed);
    EXPECT_TRUE(castRemoved.isRemovedMarker());
    EXPECT_EQ(castRemoved.useCount(), 2);
    EXPECT_EQ(castRemoved.sequence(), 11u);
    EXPECT_TRUE(Archive::staticPointerCast<Counted>(removed).isRemovedMarker());
    castRemoved.reset();
    removed.reset(); // the last reference to the marker deletes nothing

    auto reserved = Archive::ObjectPtr::reservedMarker();
    EXPECT_TRUE(Archive::dynamicPointerCast<Counted>(reserved).isNull());
    EXPECT_TRUE(Archive::staticPointerCast<Counted>(reserved).isNull());
    EXPECT_TRUE(Archive::dynamicPointerCast<Counted>(Archive::ObjectPtr()).isNull());
}
