// Gradient is the touch-panel interface's colour ramp: a name and colour
// stops keyed by their position (0 to 1). A default gradient is empty.
//
// Its stored form is not known yet: the two stream operators below are the
// one place that form goes, and until then both throw std::runtime_error
// "No stream layout is specified for Gradient" before touching the stream.
// Whatever embeds a gradient therefore cannot be streamed with one.
//
// A plain value; one thread uses a value at a time.
#ifndef LX_OBJECTS_INTERFACE_GRADIENT_H
#define LX_OBJECTS_INTERFACE_GRADIENT_H

#include "components/archive/stream_fwd.h"

#include <QColor>
#include <QString>

#include <map>

struct Gradient
{
    QString name;
    std::map<qreal, QColor> stops;

    bool operator==(const Gradient&) const = default;
};

InStream& operator>>(InStream& in, Gradient& gradient);
OutStream& operator<<(OutStream& out, const Gradient& gradient);

// What both operators throw. A holder that is sure to meet a gradient throws
// it first, so a failed write leaves nothing of the holder behind.
[[noreturn]] void throwGradientHasNoLayout();

#endif  // LX_OBJECTS_INTERFACE_GRADIENT_H
