// Archive::archive_exception: the one error type of the object database, its
// arrays and its numbered directories. It carries a numeric code and the ids of
// the database, array and object concerned (0xFFFFFFFF where none applies).
//
// The text returned by what() is formatted once, at construction, so what()
// is cheap, never allocates and is safe to call from any thread.
// messageForCode() gives the translated message of a code from the fixed table.
//
// Archive::storage_error is the code 7 ("File save error") of a file or
// folder of the database's storage that could not be written: it carries the
// system's errno and the path, and what() says so in words ("Could not
// rename <path> (Input/output error)").
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

class storage_error : public archive_exception
{
public:
    static constexpr int kCode = 7;
    // The system call that failed.
    enum Step { MakeFolder, Open, Write, Sync, Close, Rename };

    // A systemError of 0 is taken as EIO: the system gave no reason.
    storage_error(Step step, const QString& path, int systemError, quint32 arrayId, quint32 databaseId);

    // "Could not <step> <path> (<reason>)".
    const char* what() const noexcept override;

    Step step() const { return m_step; }
    QString path() const { return m_path; }
    int systemError() const { return m_systemError; }
    // The system's reason in words ("No space left on device").
    QString reason() const;

private:
    Step m_step;
    QString m_path;
    int m_systemError;
    std::string m_words;
};

}  // namespace Archive

#endif  // ARCHIVE_ARCHIVE_EXCEPTION_H
