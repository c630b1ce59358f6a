// ContentMask is one placement of content on a controller's output: a named
// rectangle with a position, a size, an angle, an offset and six values that
// the program carries without interpreting them. A controller keeps its masks
// in a map by number and streams each as a block of code 258.
//
// Stream form: name, position, size, angle, offset, valueA, valueB, factor1
// to factor4. Data older than version 77 has no name; before version 150 the
// angle was stored in turns and is read back in degrees.
//
// A plain value; one thread uses an object at a time.
#ifndef LX_OBJECTS_CONTROLLERS_CONTENT_MASK_H
#define LX_OBJECTS_CONTROLLERS_CONTENT_MASK_H

#include "components/archive/stream_fwd.h"

#include <QPointF>
#include <QSize>
#include <QString>
#include <QtGlobal>

struct ContentMask
{
    static constexpr quint32 kTypeCode = 258;

    QString name;
    QPointF position;
    QSize size;
    qint32 angle = 0;
    QPointF offset;
    quint32 valueA = 0;
    quint32 valueB = 0;
    float factor1 = 0.0f;
    float factor2 = 0.0f;
    float factor3 = 0.0f;
    float factor4 = 0.0f;

    quint32 typeCode() const { return kTypeCode; }
    void read(InStream& in);
    void write(OutStream& out) const;

    bool operator==(const ContentMask&) const = default;

private:
    friend class Archive::FieldAccess;
    template <class F, class Self>
    static void fields(F& f, Self& s);
};

#endif  // LX_OBJECTS_CONTROLLERS_CONTENT_MASK_H
