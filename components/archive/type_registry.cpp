#include "components/archive/type_registry.h"

#include "components/archive/object_base.h"
#include "components/archive/stream_codes.h"

#include <mutex>
#include <stdexcept>

namespace ObjectRegistry {

namespace {

[[noreturn]] void fail(const QString& text) { throw std::runtime_error(text.toLatin1().toStdString()); }

}  // namespace

Record primitiveRecord(quint32 code, const QString& name)
{
    return Record {code, name, Kind::Primitive, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr};
}

Record coreRecord(quint32 code, const QString& name)
{
    return Record {code, name, Kind::Core, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr};
}

Record abstractObjectRecord(quint32 code, const QString& name)
{
    return Record {code, name, Kind::Object, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr};
}

void Registry::registerType(const Record& record)
{
    if (m_byCode.count(record.code))
        throw std::logic_error(QStringLiteral("Duplicate registration for code %1").arg(record.code).toStdString());
    m_byCode.emplace(record.code, record);
    // A shared name stands for its lowest code, so the start-up order of the
    // components cannot change what a stored text element reads back as.
    auto it = m_byName.find(record.name);
    if (it == m_byName.end())
        m_byName.emplace(record.name, record.code);
    else if (record.code < it->second)
        it->second = record.code;
}

const Record* Registry::find(quint32 code) const
{
    const auto it = m_byCode.find(code);
    return it == m_byCode.end() ? nullptr : &it->second;
}

const Record& Registry::lookup(quint32 code) const
{
    const Record* record = find(code);
    if (!record)
        fail(QStringLiteral("Bad registry lookup, id %1").arg(code));
    return *record;
}

quint32 Registry::codeForName(const QString& name) const
{
    const auto it = m_byName.find(name);
    if (it == m_byName.end())
        fail(QStringLiteral("Bad registry lookup, string %1").arg(name));
    return it->second;
}

QString Registry::nameForCode(quint32 code) const
{
    const Record* record = find(code);
    if (!record)
        fail(QStringLiteral("Bad registry lookup, number %1").arg(code));
    return record->name;
}

Archive::ObjectBase* Registry::create(quint32 code) const
{
    const Record& record = lookup(code);
    // A value or record code must never be taken for an object.
    if (record.kind == Kind::Value || record.kind == Kind::Record)
        fail(QStringLiteral("Bad registry lookup, id %1").arg(code));
    if (!record.objectFactory)
        fail(QStringLiteral("Trying to make an abstract object, id %1").arg(code));
    return record.objectFactory();
}

void* Registry::makeValue(quint32 code, const std::type_info& type) const
{
    const Record& record = lookup(code);
    if ((record.kind != Kind::Value && record.kind != Kind::Record) || !record.valueType || *record.valueType != type)
        fail(QStringLiteral("Bad registry lookup, id %1").arg(code));
    if (!record.valueFactory)
        fail(QStringLiteral("Trying to make an abstract object, id %1").arg(code));
    return record.valueFactory();
}

Registry& instance()
{
    static Registry registry;
    return registry;
}

void registerType(const Record& record) { instance().registerType(record); }

quint32 codeForName(const QString& name) { return instance().codeForName(name); }

QString nameForCode(quint32 code) { return instance().nameForCode(code); }

Archive::ObjectBase* create(quint32 code) { return instance().create(code); }

void registerCoreTypes()
{
    static std::once_flag once;
    std::call_once(once, [] {
        static const char* const primitives[] = {
            "int32",     "int16",       "int8",  "uint32",   "uint16", "uint8",      "vector",    "list",
            "map",       "set",         "float", "double",   "bool",   "string",     "QUuid",     nullptr,
            "pair",      nullptr,       "NULL",  "bitset",   "QHash",  "QByteArray", "QDateTime", "QDate",
            "bitvector", "QTime",       "QRect", "QSize",    "uint64", "QPointF",    "QSizeF",    "QList",
            "QVariant",  "QStringList", "array", "DateTime", "int64"};
        Registry& registry = instance();
        for (quint32 code = 0; code < sizeof primitives / sizeof *primitives; ++code) {
            if (primitives[code])
                registry.registerType(primitiveRecord(code, QString::fromLatin1(primitives[code])));
        }
        registry.registerType(
            coreRecord(StreamCode::OldFormatArchiveDatabase, QStringLiteral("OldFormatArchiveDatabase")));
        registry.registerType(coreRecord(StreamCode::ArchiveArray, QStringLiteral("ArchiveArray")));
        registry.registerType(objectRecord<Archive::ObjectBase>(StreamCode::ObjectBase, QStringLiteral("ObjectBase")));
        registry.registerType(coreRecord(StreamCode::ArchiveFileObjectPtr, QStringLiteral("ArchiveFileObjectPtr")));
        registry.registerType(valueRecord<ObjectTag>(StreamCode::ObjectTag, QStringLiteral("ObjectTag")));
        registry.registerType(coreRecord(StreamCode::ArchiveDatabase, QStringLiteral("ArchiveDatabase")));
    });
}

}  // namespace ObjectRegistry
