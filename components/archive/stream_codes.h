// Registry codes that the object streams themselves use to tag sections and,
// in the text form, to name elements. The registry (type_registry.h) ties each
// of them to its stored name; these constants only spare callers the numbers.
#ifndef ARCHIVE_STREAM_CODES_H
#define ARCHIVE_STREAM_CODES_H

#include <QtGlobal>

#include <stdexcept>

namespace StreamCode {

// The QDataStream version both encodings use for Qt's own values (Qt 5.4).
constexpr int kQtDataStreamVersion = 16;

// The streams' fixed failure texts are thrown through one place.
[[noreturn]] inline void fail(const char* text) { throw std::runtime_error(text); }

enum : quint32 {
    Int32 = 0,
    Int16 = 1,
    Int8 = 2,
    UInt32 = 3,
    UInt16 = 4,
    UInt8 = 5,
    Vector = 6,
    List = 7,
    Map = 8,
    Set = 9,
    Float = 10,
    Double = 11,
    Bool = 12,
    String = 13,
    Uuid = 14,
    Pair = 16,
    Point = 17,  // never registered: the text form of a QPoint fails on it
    Null = 18,
    Bitset = 19,
    Hash = 20,
    ByteArray = 21,
    DateTimeQt = 22,
    Date = 23,
    BitVector = 24,
    Time = 25,
    Rect = 26,
    Size = 27,
    UInt64 = 28,
    PointF = 29,
    SizeF = 30,
    QtList = 31,
    Variant = 32,
    StringList = 33,
    Array = 34,
    DateTime = 35,
    Int64 = 36,

    OldFormatArchiveDatabase = 50,
    ArchiveArray = 51,
    ObjectBase = 52,
    DirectoryBase = 53,
    ArchiveFileObjectPtr = 54,
    ObjectTag = 55,
    ArchiveDatabase = 56,
};

}  // namespace StreamCode

#endif  // ARCHIVE_STREAM_CODES_H
