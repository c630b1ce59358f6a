// Archive::archive_exception: the one error type of the object database, its
// arrays and its numbered directories. It carries a numeric code and the ids of
// the database, array and object concerned (0xFFFFFFFF where none applies).
//
// The text returned by what() is formatted once, at construction, so what()
// is cheap, never allocates and is safe to call from any thread.
// messageForCode() gives the translated message of a code from the fixed table.
#ifndef ARCHIVE_ARCHIVE_EXCEPTION_H
#define ARCHIVE_ARCHIVE_EXCEPTION_H

#include <QString>

#include <map>
#include <stdexcept>
#include <string>

namespace Archive {

class archive_exception : public std::runtime_error
{
public:
    static constexpr quint32 kNoId = 0xFFFFFFFFu;

    archive_exception(int code, quint32 objectId = kNoId, quint32 arrayId = kNoId, quint32 databaseId = kNoId);

    // "Archive error %d (ObjId %u, ArrayId %u, dbId %u)".
    const char* what() const noexcept override;

    int code() const { return m_code; }
    quint32 databaseId() const { return m_databaseId; }
    quint32 arrayId() const { return m_arrayId; }
    quint32 objectId() const { return m_objectId; }

    // The translated message of each code 0 to 31; "Unknown error" for others.
    static QString messageForCode(int code);
    static const std::map<int, QString>& messageTable();

private:
    int m_code;
    quint32 m_databaseId;
    quint32 m_arrayId;
    quint32 m_objectId;
    std::string m_text;
};

}  // namespace Archive

#endif  // ARCHIVE_ARCHIVE_EXCEPTION_H
