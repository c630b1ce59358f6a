#include "applications/common/util/screen_utils.h"
#include "applications/common/util/tests/qt_print.h"

#include <QGuiApplication>
#include <QScreen>
#include <QWidget>
#include <gtest/gtest.h>

namespace {

// A rectangle of the given size centred on the area.
QRect centred(const QSize& size, const QRect& area)
{
    QRect rect(QPoint(), size);
    rect.moveCenter(area.center());
    return rect;
}

TEST(ScreenUtils, FitAndEnsureOnGivenAreas)
{
    const auto fitted = [](QRect rect, const QRect& area) {
        fitRectToArea(rect, area);
        return rect;
    };
    const QRect area(100, 50, 800, 600);
    const QRect lost(4000, 4000, 640, 480);
    EXPECT_EQ(fitted(QRect(0, 0, 1000, 700), area), area);
    EXPECT_EQ(fitted(QRect(-5000, 3000, 200, 100), area), centred(QSize(200, 100), area));
    EXPECT_EQ(fitted(QRect(0, 0, 300, 900), area), centred(QSize(300, 600), area));
    EXPECT_EQ(fitted(lost, QRect()), lost) << "no screen: left alone";

    const auto ensured = [](QRect rect, const QVector<QRect>& areas) {
        ensureRectOnAreas(rect, areas, areas.value(0));
        return rect;
    };
    const QVector<QRect> areas{QRect(0, 0, 1920, 1080), QRect(1920, 0, 1280, 1024)};
    const QRect touching(3199, 1023, 400, 300);  // one pixel on the second screen
    EXPECT_EQ(ensured(touching, areas), touching);
    // Left on a monitor that was unplugged: centred on the default screen.
    EXPECT_EQ(ensured(QRect(4000, 0, 400, 300), areas), centred(QSize(400, 300), areas.at(0)));
    EXPECT_EQ(ensured(lost, {}), lost);
}

TEST(ScreenUtils, UsesTheScreensOfTheApplication)
{
    const QScreen* primary = QGuiApplication::primaryScreen();
    ASSERT_NE(primary, nullptr);
    const QRect area = primary->availableGeometry();

    QRect rect(0, 0, area.width() + 500, area.height() + 500);
    fitRectToScreen(rect, nullptr);
    EXPECT_EQ(rect, area);
    QWidget widget;
    rect = QRect(-9000, -9000, 50, 40);
    fitRectToScreen(rect, &widget);
    EXPECT_EQ(rect, centred(QSize(50, 40), area));
    rect = QRect(area.right() + 10000, 0, 50, 40);
    ensureRectOnScreen(rect);
    EXPECT_EQ(rect, centred(QSize(50, 40), area));
    const QRect on(area.topLeft(), QSize(10, 10));
    rect = on;
    ensureRectOnScreen(rect);
    EXPECT_EQ(rect, on);
}

} // namespace
