// The object type registry: ties every streamable type's numeric code to its
// stored name and, for creatable types, to a factory.
//
// Each record carries its kind, so that a code met in a stream can only make
// what it stands for: create() makes archive objects (Kind::Object) only, and
// createValue<T>() makes values and records only, of exactly the registered
// class (for records, the root class).
//
// A name registered under several codes is found by name as its lowest code,
// whatever the order of registration. A repeated code is a programming error
// (std::logic_error "Duplicate registration for code %1").
//
// Every value and record registered through valueRecord<T> or
// polymorphicRecord<Root, T> can also be streamed, copied and destroyed
// without naming its class: its record carries T's block reader and writer
// (the block of T's own code, as a field holding a T streams it) and its
// deleter, all of which take what the record's factory made.
//
// Start-up: registerCoreTypes() adds the streams' own codes (idempotent); each
// later component adds its rows through its own registration function called
// from the same start-up path, before anything streams. After start-up the
// process-wide registry is only read, from any thread. A private Registry
// instance serves tests.
#ifndef ARCHIVE_TYPE_REGISTRY_H
#define ARCHIVE_TYPE_REGISTRY_H

#include "components/archive/in_stream.h"
#include "components/archive/out_stream.h"

#include <QString>

#include <map>
#include <memory>
#include <typeinfo>

namespace Archive {
class ObjectBase;
}

namespace ObjectRegistry {

enum class Kind : quint8 {
    Primitive,  // the streams' scalars and containers, codes 0 to 36
    Core,       // the store's own section codes
    Object,     // derives from Archive::ObjectBase
    Record,     // polymorphic record outside the object hierarchy
    Value,      // plain value type
};

using ObjectFactory = Archive::ObjectBase* (*)();
using ValueFactory = void* (*)();
// Each takes a value that the same record's valueFactory made.
using BlockReader = void (*)(void* value, InStream& in);
using BlockWriter = void (*)(const void* value, OutStream& out);
using ValueDeleter = void (*)(void* value);

struct Record
{
    quint32 code = 0;
    QString name;
    Kind kind = Kind::Primitive;
    ObjectFactory objectFactory = nullptr;      // Kind::Object; null when abstract
    ValueFactory valueFactory = nullptr;        // Kind::Value and Kind::Record
    const std::type_info* valueType = nullptr;  // what valueFactory returns
    BlockReader readBlock = nullptr;            // set with valueFactory
    BlockWriter writeBlock = nullptr;
    ValueDeleter deleteValue = nullptr;
};

// Record builders: a registration states its code, its name and its class.
Record primitiveRecord(quint32 code, const QString& name);
Record coreRecord(quint32 code, const QString& name);
Record abstractObjectRecord(quint32 code, const QString& name);

template <class T>
Record objectRecord(quint32 code, const QString& name)
{
    Record r {code, name, Kind::Object, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr};
    r.objectFactory = []() -> Archive::ObjectBase* { return new T; };
    return r;
}

namespace Detail {

// The T that a factory made as a Root (T itself for a plain value).
template <class Root, class T>
T* fromFactory(void* value)
{
    return static_cast<T*>(static_cast<Root*>(value));
}

template <class Root, class T>
void fillValueOperations(Record& r)
{
    r.valueFactory = []() -> void* { return static_cast<Root*>(new T); };
    r.readBlock = [](void* value, InStream& in) { in >> *fromFactory<Root, T>(value); };
    r.writeBlock = [](const void* value, OutStream& out) {
        out << *static_cast<const T*>(static_cast<const Root*>(value));
    };
    r.deleteValue = [](void* value) { delete fromFactory<Root, T>(value); };
}

}  // namespace Detail

template <class T>
Record valueRecord(quint32 code, const QString& name)
{
    Record r {code, name, Kind::Value, nullptr, nullptr, &typeid(T), nullptr, nullptr, nullptr};
    Detail::fillValueOperations<T, T>(r);
    return r;
}

// A record class T created through, and owned as, its polymorphic root Root.
// The row of a class that states its own code (T::kTypeCode), as every
// project class does: the code is written once, in the class.
template <class T>
Record objectRecord(const QString& name)
{
    return objectRecord<T>(T::kTypeCode, name);
}

template <class T>
Record valueRecord(const QString& name)
{
    return valueRecord<T>(T::kTypeCode, name);
}

template <class Root, class T>
Record polymorphicRecord(quint32 code, const QString& name)
{
    Record r {code, name, Kind::Record, nullptr, nullptr, &typeid(Root), nullptr, nullptr, nullptr};
    Detail::fillValueOperations<Root, T>(r);
    return r;
}

template <class Root>
Record abstractRecord(quint32 code, const QString& name)
{
    return Record {code, name, Kind::Record, nullptr, nullptr, &typeid(Root), nullptr, nullptr, nullptr};
}

class Registry
{
public:
    void registerType(const Record& record);

    // Null when the code is not registered.
    const Record* find(quint32 code) const;
    quint32 codeForName(const QString& name) const;
    QString nameForCode(quint32 code) const;

    // A new archive object; the caller owns it.
    Archive::ObjectBase* create(quint32 code) const;

    // A new value or record of exactly class T (the root for records).
    template <class T>
    std::unique_ptr<T> createValue(quint32 code) const
    {
        return std::unique_ptr<T>(static_cast<T*>(makeValue(code, typeid(T))));
    }

    std::size_t size() const { return m_byCode.size(); }

private:
    void* makeValue(quint32 code, const std::type_info& type) const;
    const Record& lookup(quint32 code) const;

    std::map<quint32, Record> m_byCode;
    std::map<QString, quint32> m_byName;
};

// The process-wide registry, created empty on first use.
Registry& instance();

void registerType(const Record& record);
quint32 codeForName(const QString& name);
QString nameForCode(quint32 code);
Archive::ObjectBase* create(quint32 code);

template <class T>
std::unique_ptr<T> createValue(quint32 code)
{
    return instance().createValue<T>(code);
}

// Registers codes 0 to 36 and the store's own codes (53 excepted: the numbered
// directories register it). Safe to call any number of times, from any thread.
void registerCoreTypes();

}  // namespace ObjectRegistry

#endif  // ARCHIVE_TYPE_REGISTRY_H
