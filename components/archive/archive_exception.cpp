#include "components/archive/archive_exception.h"

#include "seltrane_components/os/file_utils.h"

#include <QDir>
#include <QObject>

#include <cerrno>
#include <cstdio>

namespace Archive {

archive_exception::archive_exception(int code, quint32 objectId, quint32 arrayId, quint32 databaseId)
    : std::runtime_error(std::string()), m_code(code), m_databaseId(databaseId), m_arrayId(arrayId),
      m_objectId(objectId)
{
    char buffer[128];
    std::snprintf(buffer, sizeof buffer, "Archive error %d (ObjId %u, ArrayId %u, dbId %u)", m_code,
                  unsigned(m_objectId), unsigned(m_arrayId), unsigned(m_databaseId));
    m_text = buffer;
}

const char* archive_exception::what() const noexcept { return m_text.c_str(); }

storage_error::storage_error(Step step, const QString& path, int systemError, quint32 arrayId, quint32 databaseId)
    : archive_exception(kCode, kNoId, arrayId, databaseId), m_step(step), m_path(path),
      m_systemError(systemError != 0 ? systemError : EIO)
{
    static const char* const kVerbs[] = {"create the folder", "open", "write", "sync", "close", "rename"};
    m_words = QStringLiteral("Could not %1 %2 (%3)")
                  .arg(QLatin1String(kVerbs[step]), QDir::toNativeSeparators(path), reason())
                  .toStdString();
}

const char* storage_error::what() const noexcept { return m_words.c_str(); }

QString storage_error::reason() const { return systemErrorText(m_systemError); }

const std::map<int, QString>& archive_exception::messageTable()
{
    // Codes that nothing raises stay in the table: it is the vocabulary of the
    // codes. The texts, typos included, are the ones users have seen.
    static const std::map<int, QString> table = {
        {0, QObject::tr("Internal error")},
        {1, QObject::tr("Commit failure")},
        {2, QObject::tr("Database already present")},
        {3, QObject::tr("Database not present")},
        {4, QObject::tr("Database not initialised")},
        {5, QObject::tr("File open error")},
        {6, QObject::tr("Unknown array")},
        {7, QObject::tr("File save error")},
        {8, QObject::tr("Array not present")},
        {9, QObject::tr("Array load error")},
        {10, QObject::tr("Recover ID failed")},
        {11, QObject::tr("Swap error")},
        {12, QObject::tr("Find error")},
        {13, QObject::tr("Edit transaction already started")},
        {14, QObject::tr("Edit transaction not started")},
        {15, QObject::tr("Edit transaction calling transponders")},
        {16, QObject::tr("ID allocation failed on add")},
        {17, QObject::tr("Added object already exists")},
        {18, QObject::tr("Sequence number mismatch on add")},
        {19, QObject::tr("Removed invalid object")},
        {20, QObject::tr("Sequence number mismatch on remove")},
        {21, QObject::tr("Restored object has pending edits")},
        {22, QObject::tr("Restored object already esixts")},
        {23, QObject::tr("Restored invalid object")},
        {24, QObject::tr("ID allocation failed on restore")},
        {25, QObject::tr("Replaced object has pending edits")},
        {26, QObject::tr("Replaced invalid object")},
        {27, QObject::tr("Sequence number mismatch on replace")},
        {28, QObject::tr("Directory number already used")},
        {29, QObject::tr("Restored invalid object")},
        {30, QObject::tr("Directory number already used")},
        {31, QObject::tr("Directory number not used")},
    };
    return table;
}

QString archive_exception::messageForCode(int code)
{
    const auto& table = messageTable();
    const auto it = table.find(code);
    return it != table.end() ? it->second : QObject::tr("Unknown error");
}

}  // namespace Archive
