// Reading the fixture library's text files: the definition files and the
// comma-separated lists. Every file is UTF-8 with LF or CRLF line ends (a
// leading byte-order mark is dropped) and is refused above 16 MiB, since
// definition files also come from a server.
//
// Nothing here keeps state; any thread.
#ifndef FIXTURE_LIBRARY_LIBRARY_FILES_H
#define FIXTURE_LIBRARY_LIBRARY_FILES_H

#include <QStringList>
#include <QtGlobal>

#include <functional>
#include <optional>

class MessageHandler;
class QIODevice;

constexpr qint64 kMaxLibraryFileSize = 16 * 1024 * 1024;

// The lines of the device (opened for reading when it is not open), or false
// when it cannot be read or is too large; that is reported to messages as
// "<fileName>: ...". Never reads more than the bound and one byte.
bool readTextLines(QIODevice& device, const QString& fileName, MessageHandler& messages, QStringList& lines);

// A decimal number of digits only (no sign, no blanks) up to max.
std::optional<quint32> decimalNumber(const QString& text, quint32 max);

// A value shortened for a message: a hue table or a long line would
// otherwise fill it.
QString shownValue(const QString& value);

// Reads a comma-separated list (boost::escaped_list_separator: "\" escapes,
// '"' quotes). Lines that are empty or start with "//" are skipped. Each
// other line is split and its fields trimmed; a line with another number of
// fields than fieldCount, a broken escape or a row that refuses it (answers
// the offending value) is reported as "Line N: Invalid value ..." and
// skipped. False when the file could not be read at all.
using CsvRow = std::function<std::optional<QString>(const QStringList& fields)>;
bool readCsvList(QIODevice& device, const QString& fileName, int fieldCount, MessageHandler& messages,
                 const CsvRow& row);

#endif  // FIXTURE_LIBRARY_LIBRARY_FILES_H
