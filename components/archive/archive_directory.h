// Numbered directories: the user's own numbers (a trigger number, a DALI
// scene number) for the objects of one database array.
//
// DirectoryBase keeps the two mirrored maps number -> id and id -> number.
// ArchiveDirectory<T, A> is the database object that holds them for the
// objects of class T in array A, and adds new objects to that array under a
// number. Numbers are `decimal` (a double) and are compared exactly; positive
// infinity asks for the next free number counted from 1.
//
// The class T only needs to be complete where addObject is called, so the
// directory classes can be registered before their object classes exist.
// DirectoryTypeCode<T> gives the registry code of ArchiveDirectory<T, A>.
//
// singleObjectId gives the id of the only committed object of an array.
//
// Ownership: a directory is owned by the database like every archive object;
// addObject hands the new object to the database. Threads: as for every
// archive object, a committed directory is only read; the copy being edited
// belongs to the thread whose transaction made it.
#ifndef ARCHIVE_ARCHIVE_DIRECTORY_H
#define ARCHIVE_ARCHIVE_DIRECTORY_H

#include "components/archive/archive_exception.h"
#include "components/archive/database.h"
#include "components/archive/object_base.h"
#include "components/archive/stream_codes.h"

#include <QtGlobal>

#include <cmath>
#include <limits>
#include <map>
#include <stdexcept>

class InStream;
class OutStream;

typedef double decimal;

class DirectoryBase
{
public:
    static constexpr quint32 kTypeCode = StreamCode::DirectoryBase;
    // The code of a number that is already taken.
    static constexpr int kNumberUsedError = 28;

    DirectoryBase() = default;
    virtual ~DirectoryBase();

    // The content of a section of code 53: the two maps, each a map section.
    void read(InStream& in);
    void write(OutStream& out) const;
    quint32 typeCode() const { return kTypeCode; }

    bool containsNumber(decimal number) const { return m_numberToId.count(number) != 0; }
    // The first value from start on, in steps of 1, that is not taken;
    // std::logic_error("Invalid directory number") when there is none.
    decimal nextFreeNumber(decimal start) const;

    const std::map<decimal, Archive::ObjectId>& numberToId() const { return m_numberToId; }
    const std::map<Archive::ObjectId, decimal>& idToNumber() const { return m_idToNumber; }

protected:
    // Refuses NaN, which has no place in an ordered map, with
    // std::logic_error("Invalid directory number").
    static void checkNumber(decimal number);
    void enter(decimal number, Archive::ObjectId id);

private:
    std::map<decimal, Archive::ObjectId> m_numberToId;
    std::map<Archive::ObjectId, decimal> m_idToNumber;
};

// Registers DirectoryBase under code 53 (idempotent).
void registerDirectoryBaseType();

// Specialised for each object class that has a directory.
template <class T>
struct DirectoryTypeCode;

template <class T, Archive::ArrayId A>
class Directory : public DirectoryBase
{
public:
    static constexpr Archive::ArrayId kArrayId = A;
    ~Directory() override = default;
};

template <class T, Archive::ArrayId A>
class ArchiveDirectory : public Archive::ObjectBase, public Directory<T, A>
{
public:
    ArchiveDirectory() = default;
    ArchiveDirectory(const ArchiveDirectory& other) = default;

    void read(InStream& in) override;
    void write(OutStream& out) const override;
    static constexpr quint32 kTypeCode = DirectoryTypeCode<T>::value;
    quint32 typeCode() const override { return kTypeCode; }
    ArchiveDirectory* clone() const override { return new ArchiveDirectory(*this); }

    // Adds object, newly created and handed over, to array A under number
    // and returns the number used. *id holds the id to ask for
    // (0xFFFFFFFF: any) and receives the id given. A taken number raises
    // archive_exception 28 and NaN std::logic_error, both before the object
    // is taken over; failures of the database leave the maps unchanged.
    decimal addObject(decimal number, T* object, Archive::ObjectId* id, Archive::DatabaseId databaseId);
};

// The stream form of a directory object: an empty section of code 52 (the
// object base), then a section of code 53 holding the two maps.
void readDirectoryObject(InStream& in, DirectoryBase& directory);
void writeDirectoryObject(OutStream& out, const DirectoryBase& directory);

template <class T, Archive::ArrayId A>
void ArchiveDirectory<T, A>::read(InStream& in)
{
    readDirectoryObject(in, *this);
}

template <class T, Archive::ArrayId A>
void ArchiveDirectory<T, A>::write(OutStream& out) const
{
    writeDirectoryObject(out, *this);
}

template <class T, Archive::ArrayId A>
decimal ArchiveDirectory<T, A>::addObject(decimal number, T* object, Archive::ObjectId* id,
                                          Archive::DatabaseId databaseId)
{
    DirectoryBase::checkNumber(number);
    if (this->containsNumber(number))
        throw Archive::archive_exception(DirectoryBase::kNumberUsedError, Archive::kNoObjectId, A, databaseId);
    if (number == std::numeric_limits<decimal>::infinity())
        number = this->nextFreeNumber(1.0);

    Archive::ObjectId localId = Archive::kNoObjectId;
    Archive::ObjectId& objectId = id ? *id : localId;
    Archive::ObjectPtr pointer(object);
    Archive::addObject(A, objectId, pointer, databaseId);
    this->enter(number, objectId);
    return number;
}

// The id of the one committed object of the array; 0xFFFFFFFF when it holds
// none or more than one. databaseId 0 is the current database.
Archive::ObjectId singleObjectId(Archive::ArrayId arrayId, Archive::DatabaseId databaseId = 0);

#endif  // ARCHIVE_ARCHIVE_DIRECTORY_H
