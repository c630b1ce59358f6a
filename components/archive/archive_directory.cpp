#include "components/archive/archive_directory.h"

#include "components/archive/in_stream.h"
#include "components/archive/out_stream.h"
#include "components/archive/type_registry.h"

#include <mutex>

DirectoryBase::~DirectoryBase() = default;

void DirectoryBase::checkNumber(decimal number)
{
    if (std::isnan(number))
        throw std::logic_error("Invalid directory number");
}

void DirectoryBase::read(InStream& in)
{
    // Written by hand rather than through the generic map reader: a NaN key
    // from a damaged file would break the order of the map.
    StreamDetail::readContainer(in, StreamCode::Map, m_numberToId, [&] {
        decimal number = 0;
        Archive::ObjectId id = 0;
        in >> number >> id;
        if (std::isnan(number))
            throw std::runtime_error("Invalid directory number");
        m_numberToId[number] = id;
    });
    StreamDetail::readContainer(in, StreamCode::Map, m_idToNumber, [&] {
        Archive::ObjectId id = 0;
        decimal number = 0;
        in >> id >> number;
        m_idToNumber[id] = number;
    });
}

void DirectoryBase::write(OutStream& out) const { out << m_numberToId << m_idToNumber; }

decimal DirectoryBase::nextFreeNumber(decimal start) const
{
    checkNumber(start);
    decimal number = start;
    while (m_numberToId.count(number) != 0) {
        const decimal next = number + 1.0;
        if (next == number)  // infinity, or past the doubles that count in ones
            throw std::logic_error("Invalid directory number");
        number = next;
    }
    return number;
}

void DirectoryBase::enter(decimal number, Archive::ObjectId id)
{
    m_numberToId[number] = id;
    m_idToNumber[id] = number;
}

void registerDirectoryBaseType()
{
    static std::once_flag once;
    std::call_once(once, [] {
        ObjectRegistry::registerType(
            ObjectRegistry::valueRecord<DirectoryBase>(DirectoryBase::kTypeCode, QStringLiteral("DirectoryBase")));
    });
}

void readDirectoryObject(InStream& in, DirectoryBase& directory)
{
    in.beginSection(StreamCode::ObjectBase);
    in.endSection(StreamCode::ObjectBase);
    in >> directory;
}

void writeDirectoryObject(OutStream& out, const DirectoryBase& directory)
{
    out.beginSection(StreamCode::ObjectBase, true);
    out.endSection(StreamCode::ObjectBase);
    out << directory;
}

Archive::ObjectId singleObjectId(Archive::ArrayId arrayId, Archive::DatabaseId databaseId)
{
    if (Archive::getArraySize(arrayId, databaseId) != 1)
        return Archive::kNoObjectId;
    Archive::ArrayIterator<> iterator;
    Archive::iterateArray(iterator, arrayId, databaseId);
    if (!iterator.next())
        return Archive::kNoObjectId;
    return iterator.current()->getId();
}
