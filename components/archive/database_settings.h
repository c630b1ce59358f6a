// Archive::DatabaseSettings is the record every database is created with, and
// Archive::ArraySchemaRow one row of the table of arrays it holds. Both are
// plain values: the database copies what it needs at creation.
//
// A schema table ends with a row whose array id is kSchemaEnd. The 30-bit
// field of a row's flags says how the array is stored: kNotStoredField means
// never stored, and changes to such an array never mark the database modified.
//
// Thread safety: plain values; no locking.
#ifndef ARCHIVE_DATABASE_SETTINGS_H
#define ARCHIVE_DATABASE_SETTINGS_H

#include "components/archive/object_base.h"

#include <QString>
#include <QtGlobal>

namespace Archive {

struct DatabaseSettings
{
    QString name;                   // the application word of the database
    bool singleFile = false;        // one stream file (true) or the folder layout
    bool binary = true;             // single-file layout: binary or text stream
    QString binarySuffix;           // suffix of binary stream files
    QString textSuffix;             // suffix of text stream files
    QString headerName;             // header file inside a database folder
    quint16 version = 0;            // stream version written and accepted
    qint32 idleDelay = 0x7FFFFFFF;  // ms after the last change; 0x7FFFFFFF: no autosave
    qint32 maxDelay = 0x7FFFFFFF;   // longest wait of a change for an autosave
};

struct ArraySchemaRow
{
    ArrayId arrayId;
    quint32 flags;
    QString name;
    quint32 maxObjects;
};

constexpr ArrayId kSchemaEnd = 0xFFFFFFFFu;

// Array flags: the top two bits and a 30-bit storage field.
constexpr quint32 kArrayBinaryFlag = 0x80000000u;
constexpr quint32 kArrayTextFlag = 0x40000000u;
constexpr quint32 kArrayFieldMask = 0x3FFFFFFFu;
constexpr quint32 kNotStoredField = 0x3FFFFFFFu;

}  // namespace Archive

#endif  // ARCHIVE_DATABASE_SETTINGS_H
