#include "database_test_support.h"

#include "components/archive/archive_exception.h"
#include "components/archive/type_registry.h"

namespace DatabaseTest {

void registerTypes()
{
    static std::once_flag once;
    std::call_once(once, [] {
        ObjectRegistry::registerCoreTypes();
        ObjectRegistry::registerType(ObjectRegistry::objectRecord<Thing>(kThingCode, "DatabaseTestThing"));
    });
}

const Archive::ArraySchemaRow* schema()
{
    static const Archive::ArraySchemaRow rows[] = {
        {kThings, 0x80000000u, "things", 10000}, {kOthers, 0x80000000u, "others", 100},
        {kSmall, 0x80000000u, "small", 3},       {kRuns, 0x80000002u, "runs", 100},
        {kCues, 0xBFFFFFFFu, "cues", 500},       {Archive::kSchemaEnd, 0, QString(), 0},
    };
    return rows;
}

qint32 valueOf(const Archive::ObjectPtr& object)
{
    const auto thing = Archive::dynamicPointerCast<Thing>(object);
    return thing ? thing->value : -1;
}

Archive::DatabaseSettings settings(bool singleFile, bool binary)
{
    Archive::DatabaseSettings s;
    s.name = "Tarvel";
    s.singleFile = singleFile;
    s.binary = binary;
    s.binarySuffix = "tarv";
    s.textSuffix = "tarvt";
    s.headerName = ".tarvel_project";
    s.version = 157;
    return s;
}

Archive::ObjectId addThing(Archive::DatabaseId db, qint32 value, Archive::ObjectId id, Archive::ArrayId arrayId)
{
    Archive::ObjectPtr object = newThing(value);
    Archive::addObject(arrayId, id, object, db);
    return id;
}

Archive::ObjectPtr editThing(Archive::DatabaseId db, Archive::ObjectId id, qint32 value, Archive::ArrayId arrayId)
{
    Archive::ObjectPtr copy;
    Archive::editObject(copy, arrayId, id, db);
    Archive::dynamicPointerCast<Thing>(copy)->value = value;
    return copy;
}

void removeThing(Archive::DatabaseId db, Archive::ObjectId id, Archive::ArrayId arrayId)
{
    Archive::ObjectPtr object;
    Archive::getObject(object, arrayId, id, db);
    Archive::removeObject(arrayId, object, db);
}

void inTransaction(Archive::DatabaseId db, const std::function<void()>& change)
{
    Archive::EditContext context(db);
    change();
    context.commit();
}

int codeOf(const std::function<void()>& fn)
{
    try {
        fn();
    } catch (const Archive::archive_exception& e) {
        return e.code();
    }
    return -1;
}

void DatabaseFixture::SetUp()
{
    registerTypes();
    db = Archive::createDatabase(settings(), schema());
    Archive::setCurrentDatabase(db);
}

void DatabaseFixture::TearDown()
{
    Archive::closeDatabase(db);
}

std::vector<Archive::ObjectId> DatabaseFixture::addThings(const std::vector<qint32>& values,
                                                          Archive::ArrayId arrayId)
{
    std::vector<Archive::ObjectId> ids;
    inTransaction(db, [&] {
        for (qint32 value : values)
            ids.push_back(addThing(db, value, Archive::kNoObjectId, arrayId));
    });
    return ids;
}

void DatabaseFixture::removeIds(const std::vector<Archive::ObjectId>& ids, Archive::ArrayId arrayId)
{
    inTransaction(db, [&] {
        for (Archive::ObjectId id : ids)
            removeThing(db, id, arrayId);
    });
}

void DatabaseFixture::edit(Archive::ObjectId id, qint32 value, Archive::ArrayId arrayId)
{
    inTransaction(db, [&] { editThing(db, id, value, arrayId); });
}

qint32 DatabaseFixture::committedValue(Archive::ObjectId id, Archive::ArrayId arrayId)
{
    Archive::ObjectPtr object;
    Archive::getCommittedObject(object, arrayId, id, db);
    return valueOf(object);
}

Archive::Array& DatabaseFixture::array(Archive::ArrayId arrayId)
{
    return *Archive::getArray(arrayId, db);
}

void Recorder::record(const Entry& entry)
{
    {
        std::lock_guard<std::mutex> guard(m_mutex);
        m_entries.push_back(entry);
    }
    if (onSignal)
        onSignal();
}

void Recorder::notify(const Archive::ObjectChangeSignal& signal)
{
    record({false, signal.arrayId, signal.objectId, signal.newObject.isObject(), signal.oldObject.isObject(), 0});
}

void Recorder::notify(const Archive::ArrayChangeSignal& signal)
{
    record({true, signal.arrayId, Archive::kNoObjectId, false, false, signal.changes ? signal.changes->size() : 0});
}

std::vector<Recorder::Entry> Recorder::entries() const
{
    std::lock_guard<std::mutex> guard(m_mutex);
    return m_entries;
}

Recorder::Recorder(std::initializer_list<Archive::Array*> arrays) : m_arrays(arrays)
{
    for (Archive::Array* array : m_arrays) {
        array->objectListeners().add(this);
        array->arrayListeners().add(this);
    }
}

Recorder::~Recorder()
{
    for (Archive::Array* array : m_arrays) {
        array->objectListeners().remove(this);
        array->arrayListeners().remove(this);
    }
}

} // namespace DatabaseTest
