// ContentMask is one placement of content on a controller's output: a named
// rectangle with a position, a size, an angle (in degrees), an offset and six
// values that the program carries without interpreting them. A controller
// owns its masks, in a map by number.
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
