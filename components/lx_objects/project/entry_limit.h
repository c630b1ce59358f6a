// The stored format gives some counts fewer bits than their containers may
// need. A count cut to its width, followed by every entry, leaves everything
// after it unreadable, so a writer checks its counts before writing anything
// and the save fails with a plain message instead.
#ifndef LX_OBJECTS_PROJECT_ENTRY_LIMIT_H
#define LX_OBJECTS_PROJECT_ENTRY_LIMIT_H

#include <QString>

#include <cstddef>
#include <stdexcept>

// Throws std::runtime_error "Too many entries in <className>: <count>, at
// most <limit>" when count exceeds limit.
inline void checkEntryCount(const char* className, std::size_t count, std::size_t limit)
{
    if (count <= limit)
        return;
    throw std::runtime_error(QStringLiteral("Too many entries in %1: %2, at most %3")
                                 .arg(QLatin1String(className))
                                 .arg(qulonglong(count))
                                 .arg(qulonglong(limit))
                                 .toStdString());
}

#endif  // LX_OBJECTS_PROJECT_ENTRY_LIMIT_H
