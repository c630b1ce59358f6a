// ContourParameters describes one contour shape of a timeline preset: a kind
// and four values whose meaning the kind gives (the scripts set them).
//
// A plain value held by timeline presets; one thread uses a value at a time.
#ifndef LX_OBJECTS_PROGRAMMING_CONTOUR_PARAMETERS_H
#define LX_OBJECTS_PROGRAMMING_CONTOUR_PARAMETERS_H

#include "components/archive/stream_fwd.h"

#include <QtGlobal>

struct ContourParameters
{
    static constexpr quint32 kTypeCode = 194;

    quint16 kind = 0;
    quint16 a = 0;
    qint16 b = 0;
    quint32 c = 65536;  // 1.0
    quint16 d = 1;
    quint8 flag = 0;  // the owner's; not streamed

    quint32 typeCode() const { return kTypeCode; }
    void read(InStream& in);
    void write(OutStream& out) const;

    bool operator==(const ContourParameters&) const = default;

private:
    friend class Archive::FieldAccess;
    template <class F, class Self>
    static void fields(F& f, Self& s);
    // Keeps the owner's flag, which the stream does not carry.
    void resetForRead();
};

#endif  // LX_OBJECTS_PROGRAMMING_CONTOUR_PARAMETERS_H
