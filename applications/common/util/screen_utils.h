#ifndef APPLICATIONS_COMMON_UTIL_SCREEN_UTILS_H
#define APPLICATIONS_COMMON_UTIL_SCREEN_UTILS_H

#include <QRect>
#include <QVector>

class QWidget;

// Keeping a window rectangle usable on the screens present, e.g. when
// restoring a geometry saved on another monitor layout.  All areas are the
// screens' available geometries (without task bars).  With no screen at all
// the rectangle is left as it is.
//
// GUI thread only.

// Cuts rect to the available area of the widget's screen (the primary screen
// for a null widget) and centres it there.
void fitRectToScreen(QRect& rect, QWidget* widget);

// Leaves rect alone when it touches any screen; otherwise centres it, size
// kept, on the primary screen.
void ensureRectOnScreen(QRect& rect);

// The geometry behind the two helpers, for callers that already hold the
// areas.  A null area stands for "no screen": rect is left unchanged.
void fitRectToArea(QRect& rect, const QRect& area);
void ensureRectOnAreas(QRect& rect, const QVector<QRect>& areas, const QRect& defaultArea);

#endif  // APPLICATIONS_COMMON_UTIL_SCREEN_UTILS_H
