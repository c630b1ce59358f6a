#include "applications/common/util/screen_utils.h"
#include "applications/common/util/tests/settings_fixture.h"

#include <QGuiApplication>
#include <QScreen>
#include <QWidget>

namespace {

QRect centred(int width, int height, const QRect& area)
{
    QRect rect(0, 0, width, height);
    rect.moveCenter(area.center());
    return rect;
}

TEST(ScreenUtils, FitAndEnsureOnAreas)
{
    const QRect area(100, 50, 800, 600), lost(4000, 4000, 640, 480), touching(3199, 1023, 400, 300);
    const QVector<QRect> areas {QRect(0, 0, 1920, 1080), QRect(1920, 0, 1280, 1024)};  // touching: 1 pixel on #2
    // Each case fits to the area, or with areas given ensures the rect on them; no screen leaves it alone.
    const struct
    {
        QRect rect, area;
        QVector<QRect> areas;
        QRect expected;
    } cases[] = {{QRect(0, 0, 1000, 700), area, {}, area},
                 {QRect(-5000, 3000, 200, 100), area, {}, centred(200, 100, area)},
                 {QRect(0, 0, 300, 900), area, {}, centred(300, 600, area)},
                 {lost, QRect(), {}, lost},
                 {touching, {}, areas, touching},
                 {QRect(4000, 0, 400, 300), {}, areas, centred(400, 300, areas.at(0))}};
    for (auto c : cases) {
        c.areas.isEmpty() ? fitRectToArea(c.rect, c.area) : ensureRectOnAreas(c.rect, c.areas, c.areas.value(0));
        EXPECT_EQ(c.rect, c.expected);
    }

    // The application's screens, for a widget or none.
    const QRect screen = QGuiApplication::primaryScreen()->availableGeometry();
    QWidget widget;
    QRect rect(-9000, -9000, 50, 40), lostOnScreen(screen.right() + 10000, 0, 50, 40);
    fitRectToScreen(rect, &widget);
    ensureRectOnScreen(lostOnScreen);
    EXPECT_EQ(rect, centred(50, 40, screen));
    EXPECT_EQ(lostOnScreen, rect);
}

}  // namespace
