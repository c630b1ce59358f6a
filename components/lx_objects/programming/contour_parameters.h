// ContourParameters describes one contour shape of a timeline preset: a kind
// and four values whose meaning the kind gives (the scripts set them).
//
// Stream form: kind (uint16), then for kinds 0 to 3 and 6: a (uint16),
// b (int16), c (uint32, 16.16 fixed point), d (uint16); for kinds 4 and 5
// a, b, c and d as uint16 (data older than version 84 held c at 8 at most:
// a larger value reads as 8); other kinds carry nothing more. Reading
// replaces the streamed fields.
//
// A plain value held by timeline presets; one thread uses a value at a time.
#ifndef LX_OBJECTS_PROGRAMMING_CONTOUR_PARAMETERS_H
#define LX_OBJECTS_PROGRAMMING_CONTOUR_PARAMETERS_H

#include <QtGlobal>

class InStream;
class OutStream;

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

    bool operator==(const ContourParameters& other) const
    {
        return kind == other.kind && a == other.a && b == other.b && c == other.c && d == other.d && flag == other.flag;
    }
    bool operator!=(const ContourParameters& other) const { return !(*this == other); }

private:
    template <class F, class Self>
    static void fields(F& f, Self& s);
};

#endif  // LX_OBJECTS_PROGRAMMING_CONTOUR_PARAMETERS_H
