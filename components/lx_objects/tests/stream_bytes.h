// Helpers of the stream tests at the project's stream version: an object's
// bytes in a headerless binary stream, bytes read back at a chosen version,
// the table of a type's newest forms, a scratch project database and a
// content mask with every field set. One test thread. A class's test states
// its forms and its gates as tables (notation: tests/support/stream_check.h):
//     expectForms<Group>({{Group(), "007e 00000000 ffffffff ffff ffff 0006 00000000"}, {sampleGroup(), "..."}},
//                        {{1, 2, "7fffffff", StreamCheck::kCountTooLarge, "0006 00000002"}});
//     StreamCheck::expectGateReads<Group>(StreamCheck::chunks(R"(
//         -:     00000000 'g' 0001 0002   // every version
//         -37:                            // old keys renumbered: both edges read
//     )"), kProjectStreamVersion, [](quint16 v) { ...the whole group read at v... });
#ifndef LX_OBJECTS_TESTS_STREAM_BYTES_H
#define LX_OBJECTS_TESTS_STREAM_BYTES_H

#include "components/archive/database.h"
#include "components/archive/database_schema.h"
#include "components/archive/database_storage.h"
#include "components/archive/edit_context.h"
#include "components/lx_objects/controllers/content_mask.h"
#include "components/lx_objects/programming/colour_gradient.h"
#include "components/lx_objects/project/object_types.h"
#include "components/lx_objects/project/project_database.h"
#include "tests/support/corruption.h"
#include "tests/support/stream_check.h"

#include <memory>
#include <string>
#include <type_traits>

using StreamCheck::hex;
using StreamCheck::readBinary;  // answers the number of bytes left unread

// Fills the registry once before the first test: objects are read through it
// and the text stream names blocks by their registered names.
class ObjectTypesEnvironment : public ::testing::Environment
{
public:
    void SetUp() override { registerObjectTypes(); }
};
inline ::testing::Environment* const kObjectTypesEnvironment =
    ::testing::AddGlobalTestEnvironment(new ObjectTypesEnvironment);

inline QByteArray streamBytes(StreamCheck::Callback<void(OutStream&)> writeFields)
{
    return StreamCheck::binaryBytes(kProjectStreamVersion, writeFields);
}

template <class T>
QByteArray writtenBytes(const T& value)
{
    return streamBytes([&](OutStream& out) { value.write(out); });
}

template <class T>
qint64 readBytes(T& value, const QByteArray& bytes, quint16 version = kProjectStreamVersion)
{
    return readBinary(bytes, version, [&](InStream& in) { value.read(in); });
}

// The forms of T at the project's stream version (StreamCheck::checkForms).
template <class T>
void expectForms(const std::vector<StreamCheck::Form<T>>& forms, const std::vector<StreamCheck::Damage>& damages = {})
{
    StreamCheck::checkForms(kProjectStreamVersion, forms, damages);
}

// An object as an owned-pointer field holds it: its block behind its code.
inline QByteArray objectPointerBytes(const Archive::ObjectBase& object)
{
    return streamBytes([&](OutStream& out) { writeObjectPointer(out, &object); });
}

template <class T>
QByteArray blockBytes(const T& value)
{
    return streamBytes([&](OutStream& out) { out << value; });
}

inline void readOneObject(InStream& in)
{
    std::unique_ptr<Archive::ObjectBase> object;
    readObjectPointer(in, object);
}

template <class T>
void readValue(InStream& in)
{
    T value;
    in >> value;
}

// The whole of `bytes` reads by `read`, every strict prefix fails with an
// exception (the check of everyStrictPrefixFails, once for every type).
inline ::testing::AssertionResult everyStrictPrefixOfFails(const QByteArray& bytes,
                                                           StreamCheck::Callback<void(InStream&)> read)
{
    // The whole must read, or every prefix would fail for the wrong reason.
    if (readBinary(bytes, kProjectStreamVersion, read) != 0)
        return ::testing::AssertionFailure() << "the whole does not read";
    for (int length = 0; length < bytes.size(); ++length) {
        try {
            readBinary(bytes.left(length), kProjectStreamVersion, read);
        } catch (const std::exception&) {
            continue;
        }
        return ::testing::AssertionFailure() << "a prefix of " << length << " of " << bytes.size() << " bytes read";
    }
    return ::testing::AssertionSuccess();
}

// Every strict prefix of `value` as its owner writes it (an object behind its
// code, a value in its block), read back through the registry, fails with an
// exception: never a crash, never a quiet success.
template <class T>
::testing::AssertionResult everyStrictPrefixFails(const T& value)
{
    if constexpr (std::is_base_of<Archive::ObjectBase, T>::value)
        return everyStrictPrefixOfFails(objectPointerBytes(value), readOneObject);
    else
        return everyStrictPrefixOfFails(blockBytes(value), readValue<T>);
}

// Damaged copies of `bytes` (a sweep every `stride` bytes, then `count` random
// ones from `seed`), read by `read` at each of `versions` in turn: each reads
// or throws a std::runtime_error, and both happen.
inline void expectDamageHandled(const QByteArray& bytes, const std::vector<quint16>& versions, quint32 seed, int count,
                                int stride, StreamCheck::Callback<void(InStream&)> read)
{
    Corruption::Outcomes outcomes;
    std::size_t index = 0;
    Corruption::forEachDamage(bytes, seed, count, stride, [&](const Corruption::Damaged& d) {
        const quint16 version = versions[index++ % versions.size()];
        outcomes.run(d, [&] { readBinary(d.bytes, version, read); });
    });
    outcomes.expectBothOutcomes();
}

// A project database at `path` (of `schema`, with `extra` in its header),
// current while it lives; opened with `existing`, it holds what an earlier one
// saved there.
class ScratchDatabase
{
public:
    explicit ScratchDatabase(const QString& path, bool existing = false,
                             const Archive::ArraySchemaRow* schema = Archive::projectSchema(),
                             const QByteArray& extra = QByteArray())
    {
        m_id = Archive::createDatabase(makeDatabaseSettings(0x7FFFFFFF, 0x7FFFFFFF), schema);
        m_open.path = path, m_open.openExisting = existing, m_open.extra = extra;
        m_open.supportedVersion = kProjectStreamVersion;
        Archive::openDatabase(m_open, m_id);
        Archive::setCurrentDatabase(m_id);
    }
    ~ScratchDatabase()
    {
        Archive::resetDatabase(m_id);
        Archive::closeDatabase(m_id);
        Archive::setCurrentDatabase(Archive::kNoDatabase);
    }
    Archive::DatabaseId id() const { return m_id; }
    quint16 foundVersion() const { return m_open.foundVersion; }

    // Adds and commits `object` (owned from here on); answers its id.
    Archive::ObjectId add(Archive::ArrayId array, Archive::ObjectBase* object,
                          Archive::ObjectId id = Archive::kNoObjectId)
    {
        Archive::EditContext context(m_id);
        Archive::ObjectPtr pointer(object);
        Archive::addObject(array, id, pointer, m_id);
        context.commit();
        return id;
    }

    template <class T>
    Archive::Pointer<T> committed(Archive::ArrayId array, Archive::ObjectId id) const
    {
        Archive::ObjectPtr object;
        Archive::getCommittedObject(object, array, id, m_id);
        return Archive::dynamicPointerCast<T>(object);
    }

private:
    Archive::DatabaseOpenParameters m_open;
    Archive::DatabaseId m_id;
};

// A colour with every byte given.
inline RGBData rgb(int r, int g, int b, int a, int extra, int kind)
{
    RGBData c(r, g, b, a);
    c.extra = quint8(extra), c.kind = quint8(kind);
    return c;
}

inline ContentMask sampleMask()
{
    ContentMask mask;
    mask.name = QStringLiteral("m"), mask.position = QPointF(1.5, -2), mask.size = QSize(640, 480);
    mask.angle = 90, mask.offset = QPointF(0, 0.25), mask.valueA = 1, mask.valueB = 0xFFFFFFFF;
    mask.factor1 = 0.5f, mask.factor2 = 1.0f, mask.factor3 = 2.0f;
    return mask;
}

#endif  // LX_OBJECTS_TESTS_STREAM_BYTES_H
