// The 16-bit time code of looks, look elements and version-1 palettes:
// milliseconds to 8,191 as they are, then 10 ms steps from 8,190, 100 ms
// steps from 90,090 and 1 s steps from 1,728,090 up to 34,495,090 ms. Longer
// times take the longest code.
//
// Header-only, so that the version-1 reader shares it without linking the
// object library. Pure functions; any thread.
#ifndef LX_OBJECTS_PROGRAMMING_PACKED_TIME_H
#define LX_OBJECTS_PROGRAMMING_PACKED_TIME_H

#include <QtGlobal>

// The code of `milliseconds`. A negative time is taken as 0: its low bits
// would stand for hours.
inline quint16 encodeTime16(qint32 milliseconds)
{
    const qint64 t = milliseconds;
    if (t < 0)
        return 0;
    if (t < 8192)
        return static_cast<quint16>(t);
    if (t - 8190 < 81920)
        return static_cast<quint16>(0x2000 | (t - 8190) / 10);
    if (t - 90090 < 1638400)
        return static_cast<quint16>(0x4000 | (t - 90090) / 100);
    if (t - 1728090 < 32768000)
        return static_cast<quint16>(0x8000 | (t - 1728090) / 1000);
    return 0xFFFF;
}

namespace Quil {

// The time in milliseconds of a code: the inverse of encodeTime16.
inline quint32 decodePackedTime(quint16 code)
{
    if (code & 0x8000)
        return (code & 0x7FFFu) * 1000 + 1728090;
    if (code & 0x4000)
        return (code & 0x3FFFu) * 100 + 90090;
    if (code & 0x2000)
        return ((code & 0x1FFFu) + 819) * 10;
    return code & 0x1FFFu;
}

}  // namespace Quil

#endif  // LX_OBJECTS_PROGRAMMING_PACKED_TIME_H
