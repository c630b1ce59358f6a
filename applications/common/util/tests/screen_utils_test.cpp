#include "applications/common/util/screen_utils.h"
#include "applications/common/util/tests/qt_print.h"

#include <QGuiApplication>
#include <QScreen>
#include <QWidget>
#include <gtest/gtest.h>

TEST(ScreenUtils, FitCutsToTheAreaAndCentres)
{
    const QRect area(100, 50, 800, 600);

    QRect large(0, 0, 1000, 700);
    fitRectToArea(large, area);
    EXPECT_EQ(large, area);

    QRect small(-5000, 3000, 200, 100);
    fitRectToArea(small, area);
    EXPECT_EQ(small.size(), QSize(200, 100));
    EXPECT_EQ(small.center(), area.center());

    QRect tall(0, 0, 300, 900);
    fitRectToArea(tall, area);
    EXPECT_EQ(tall.size(), QSize(300, 600));
    EXPECT_EQ(tall.center(), area.center());
}

TEST(ScreenUtils, EnsureMovesOnlyRectanglesOffEveryScreen)
{
    const QVector<QRect> areas{QRect(0, 0, 1920, 1080), QRect(1920, 0, 1280, 1024)};

    // Overlapping the second screen by one pixel: stays.
    QRect touching(3199, 1023, 400, 300);
    const QRect touchingBefore = touching;
    ensureRectOnAreas(touching, areas, areas.at(0));
    EXPECT_EQ(touching, touchingBefore);

    // Left on a monitor that was unplugged: centred on the default screen.
    QRect lost(4000, 0, 400, 300);
    ensureRectOnAreas(lost, areas, areas.at(0));
    EXPECT_EQ(lost.size(), QSize(400, 300));
    EXPECT_EQ(lost.center(), areas.at(0).center());
}

TEST(ScreenUtils, NoScreenLeavesTheRectangleAlone)
{
    const QRect original(4000, 4000, 640, 480);

    QRect fitted = original;
    fitRectToArea(fitted, QRect());
    EXPECT_EQ(fitted, original);

    QRect ensured = original;
    ensureRectOnAreas(ensured, {}, QRect());
    EXPECT_EQ(ensured, original);
}

TEST(ScreenUtils, UsesTheScreensOfTheApplication)
{
    const QScreen* primary = QGuiApplication::primaryScreen();
    ASSERT_NE(primary, nullptr);
    const QRect area = primary->availableGeometry();

    QRect oversized(0, 0, area.width() + 500, area.height() + 500);
    fitRectToScreen(oversized, nullptr);
    EXPECT_EQ(oversized, area);

    QWidget widget;
    QRect small(-9000, -9000, 50, 40);
    fitRectToScreen(small, &widget);
    EXPECT_EQ(small.size(), QSize(50, 40));
    EXPECT_EQ(small.center(), area.center());

    QRect far(area.right() + 10000, 0, 50, 40);
    ensureRectOnScreen(far);
    EXPECT_EQ(far.size(), QSize(50, 40));
    EXPECT_EQ(far.center(), area.center());

    QRect on(area.topLeft(), QSize(10, 10));
    const QRect onBefore = on;
    ensureRectOnScreen(on);
    EXPECT_EQ(on, onBefore);
}
