#ifndef APPLICATIONS_COMMON_UTIL_TESTS_QT_PRINT_H
#define APPLICATIONS_COMMON_UTIL_TESTS_QT_PRINT_H

// Readable failure messages for Qt values in GoogleTest assertions.

#include <QRect>
#include <QString>
#include <QStringList>

#include <ostream>

inline void PrintTo(const QString& text, std::ostream* os)
{
    *os << '"' << text.toStdString() << '"';
}

inline void PrintTo(const QStringList& list, std::ostream* os)
{
    *os << '[' << list.join(QStringLiteral("\", \"")).prepend('"').append('"').toStdString() << ']';
}

inline void PrintTo(const QRect& rect, std::ostream* os)
{
    *os << "QRect(" << rect.x() << ", " << rect.y() << ", " << rect.width() << "x" << rect.height() << ')';
}

#endif // APPLICATIONS_COMMON_UTIL_TESTS_QT_PRINT_H
