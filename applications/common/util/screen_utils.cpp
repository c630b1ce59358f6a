#include "applications/common/util/screen_utils.h"

#include <QGuiApplication>
#include <QScreen>
#include <QWidget>

namespace {

QRect availableArea(const QScreen* screen) { return screen ? screen->availableGeometry() : QRect(); }

}  // namespace

void fitRectToArea(QRect& rect, const QRect& area)
{
    if (area.isNull())
        return;
    if (rect.width() > area.width())
        rect.setWidth(area.width());
    if (rect.height() > area.height())
        rect.setHeight(area.height());
    rect.moveCenter(area.center());
}

void ensureRectOnAreas(QRect& rect, const QVector<QRect>& areas, const QRect& defaultArea)
{
    for (const QRect& area : areas) {
        if (area.intersects(rect))
            return;
    }
    if (!defaultArea.isNull())
        rect.moveCenter(defaultArea.center());
}

void fitRectToScreen(QRect& rect, QWidget* widget)
{
    // QWidget::screen() falls back to the primary screen, which may itself be
    // missing while no monitor is attached.
    const QScreen* screen = widget ? widget->screen() : QGuiApplication::primaryScreen();
    fitRectToArea(rect, availableArea(screen));
}

void ensureRectOnScreen(QRect& rect)
{
    QVector<QRect> areas;
    const QList<QScreen*> screens = QGuiApplication::screens();
    for (const QScreen* screen : screens)
        areas.append(availableArea(screen));
    ensureRectOnAreas(rect, areas, availableArea(QGuiApplication::primaryScreen()));
}
