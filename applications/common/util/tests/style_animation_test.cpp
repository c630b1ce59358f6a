#include "applications/common/util/style_animation.h"
#include "applications/common/util/tarvel_style.h"
#include "applications/common/util/tests/style_fixture.h"

#include <QPointer>
#include <QTest>
#include <QWidget>

#include <tuple>

namespace {

// Counts the update events a target receives.
class UpdateCounter : public QObject
{
public:
    int count = 0;

protected:
    bool eventFilter(QObject*, QEvent* event) override
    {
        count += event->type() == QEvent::StyleAnimationUpdate;
        return false;
    }
};

using StyleAnimationTest = StyleTest;

TEST_F(StyleAnimationTest, OneUpdatePerStep)
{
    QObject target;
    UpdateCounter counter;
    target.installEventFilter(&counter);
    ProgressStyleAnimation animation(60, &target);
    EXPECT_EQ(animation.duration(), -1);
    // Time in ms, then the step and the updates so far.
    const std::tuple<int, int, int> ticks[] = {{0, 0, 0},  // not past the delay yet
                                               {10, 0, 1}, {16, 0, 1},    {17, 1, 2},   {33, 1, 2},
                                               {34, 2, 3}, {1000, 60, 4}, {1000, 60, 4}};
    for (const auto& [time, step, updates] : ticks) {
        animation.setCurrentTime(time);
        EXPECT_EQ(animation.animationStep(), step) << time;
        EXPECT_EQ(counter.count, updates) << time;
    }

    // The plain animation updates on every tick past its delay.
    StyleAnimation plain(&target);
    counter.count = 0;
    for (int time : {0, 5, 5, 6})
        plain.setCurrentTime(time);
    EXPECT_EQ(counter.count, 3);
}

TEST_F(StyleAnimationTest, HiddenOrMinimisedTargetStops)
{
    for (bool minimise : {false, true}) {
        QWidget widget;
        widget.show();
        UpdateCounter counter;
        widget.installEventFilter(&counter);
        auto* animation = new ProgressStyleAnimation(60, &widget);
        style()->startAnimation(animation);
        ASSERT_EQ(animation->state(), QAbstractAnimation::Running);
        animation->setCurrentTime(20);
        EXPECT_EQ(counter.count, 1);
        EXPECT_EQ(animation->state(), QAbstractAnimation::Running);

        if (minimise)
            widget.setWindowState(Qt::WindowMinimized);
        else
            widget.hide();
        // The tick that stops still paints; no tick follows.
        animation->setCurrentTime(40);
        EXPECT_EQ(animation->state(), QAbstractAnimation::Stopped) << minimise;
        EXPECT_EQ(counter.count, 2);
        QTest::qWait(80);
        EXPECT_EQ(counter.count, 2);
        style()->stopAnimation(&widget);
    }
}

TEST_F(StyleAnimationTest, OneAnimationPerTarget)
{
    QWidget widget;
    widget.show();
    QPointer<StyleAnimation> first = new ProgressStyleAnimation(60, &widget);
    style()->startAnimation(first);
    EXPECT_EQ(style()->animation(&widget), first);

    // A second one replaces the first, which stops and goes.
    QPointer<StyleAnimation> second = new ProgressStyleAnimation(60, &widget);
    style()->startAnimation(second);
    EXPECT_EQ(first->state(), QAbstractAnimation::Stopped);
    EXPECT_EQ(style()->animation(&widget), second);
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    EXPECT_TRUE(first.isNull());
    style()->startAnimation(second);  // the same one again keeps running
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    ASSERT_FALSE(second.isNull());
    EXPECT_EQ(second->state(), QAbstractAnimation::Running);

    style()->stopAnimation(&widget);
    EXPECT_EQ(style()->animation(&widget), nullptr);
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    EXPECT_TRUE(second.isNull());
    style()->stopAnimation(&widget);  // nothing left to stop

    // An animation dies with its widget; the entry left behind is never followed.
    auto* doomed = new QWidget;
    doomed->show();
    style()->startAnimation(new ProgressStyleAnimation(60, doomed));
    const QObject* gone = doomed;
    delete doomed;
    EXPECT_EQ(style()->animation(gone), nullptr);
    style()->stopAnimation(gone);

    // Painting without a widget (into an image, printing) has no target to hide: nothing runs.
    QPointer<StyleAnimation> orphan = new ProgressStyleAnimation(60, nullptr);
    style()->startAnimation(orphan);
    EXPECT_TRUE(orphan.isNull());
    EXPECT_EQ(style()->animation(nullptr), nullptr);
}

}  // namespace
