#include "applications/common/util/plan_scene.h"
#include "applications/common/util/plan_view.h"
#include "applications/common/util/tests/style_fixture.h"

#include <QAction>
#include <QGraphicsRectItem>
#include <QGraphicsSceneContextMenuEvent>
#include <QGraphicsSceneMouseEvent>
#include <QKeyEvent>
#include <QSignalSpy>
#include <QTest>

#include <cfloat>
#include <cmath>

namespace {

// Records its hooks as text; tests set its members directly.
class RecordingScene : public PlanScene
{
public:
    using PlanScene::m_axisLock, PlanScene::m_backgroundFitMode, PlanScene::m_backgroundImage,
        PlanScene::m_backgroundImagePath, PlanScene::m_backgroundImageRect, PlanScene::m_backgroundImageScale,
        PlanScene::m_bandItem, PlanScene::m_gridStep, PlanScene::m_gridStyle, PlanScene::m_lassoItem,
        PlanScene::m_liveSelection, PlanScene::m_majorLineEvery, PlanScene::m_moveId, PlanScene::m_selectionShapeMode,
        PlanScene::m_unit;

    enum PressAction { None, Lasso, Drag };

    RecordingScene()
    {
        setSceneRect(0, 0, 1000, 1000);
        setBackgroundBrush(Qt::white);
        setClock([this] { return now; });
    }

    QStringList log;
    std::uint64_t now = 1000;
    PressAction onPress = None;
    bool duplicates = false;
    QRectF itemsBounds {0, 0, 10, 10};

    void mousePressed(QGraphicsSceneMouseEvent* event, int clickCount) override
    {
        log << QString("pressed %1").arg(clickCount);
        if (onPress == Lasso)
            beginLasso(event);
        else if (onPress == Drag)
            beginItemDrag(event);
        event->setAccepted(onPress != None);
    }
    void mouseReleased(QGraphicsSceneMouseEvent*) override { log << "released"; }
    void selectItemsInRect(const QPointF& a, const QPointF& b, Qt::KeyboardModifiers modifiers, bool f) override
    {
        log << QString("rect %1").arg(f);
        PlanScene::selectItemsInRect(a, b, modifiers, f);
    }
    void selectItemsInPolygon(const QPolygonF& polygon, Qt::KeyboardModifiers modifiers, bool f) override
    {
        log << QString("polygon %1").arg(f);
        PlanScene::selectItemsInPolygon(polygon, modifiers, f);
    }
    void applySelection(const QList<QGraphicsItem*>& items, Qt::KeyboardModifiers modifiers) override
    {
        const QString keys =
            QString(modifiers & Qt::ShiftModifier ? "S" : "") + (modifiers & Qt::ControlModifier ? "C" : "");
        log << QString("apply %1 %2").arg(items.size()).arg(keys);
    }
    bool note(const QString& line, bool result = true) { return log << line, result; }
    bool nudgeSelection(const QPointF& d) override { return note(QString("nudge %1,%2").arg(d.x()).arg(d.y())); }
    void deleteSelection(Qt::KeyboardModifiers) override { log << "delete"; }
    bool duplicateSelection(Qt::KeyboardModifiers) override { return note("duplicate", duplicates); }
    QRectF dragItemsBounds() const override { return itemsBounds; }
    bool dragBy(const QPointF& d, Qt::KeyboardModifiers) override
    {
        return note(QString("dragBy %1,%2").arg(d.x()).arg(d.y()));
    }
    bool moveItems(const QPointF& d, int id, bool f) override
    {
        return note(QString("move %1,%2 id %3 final %4").arg(d.x()).arg(d.y()).arg(id).arg(f));
    }
    void dragFinished() override { log << "finished"; }
    bool menuTaken = false;
    bool contextMenuRequested(QGraphicsSceneContextMenuEvent*) override { return note("menu", menuTaken); }
    void contextMenuUnhandled(QGraphicsSceneContextMenuEvent*) override { log << "menu unhandled"; }
    void contextMenu(QPointF at)
    {
        QGraphicsSceneContextMenuEvent event(QEvent::GraphicsSceneContextMenu);
        event.setScenePos(at);
        event.setScreenPos(at.toPoint());
        QCoreApplication::sendEvent(this, &event);
    }

    // Mouse events as a view delivers them; screen positions equal scene ones.
    static constexpr auto Press = QEvent::GraphicsSceneMousePress, Move = QEvent::GraphicsSceneMouseMove,
                          Release = QEvent::GraphicsSceneMouseRelease;
    void mouse(QEvent::Type type, QPointF at, Qt::MouseButton button, Qt::MouseButtons buttons,
               Qt::KeyboardModifiers modifiers = {})
    {
        if (type == Press || type == QEvent::GraphicsSceneMouseDoubleClick)
            m_down[button] = at.toPoint();
        QGraphicsSceneMouseEvent event(type);
        event.setScenePos(at);
        event.setScreenPos(at.toPoint());
        for (auto it = m_down.cbegin(); it != m_down.cend(); ++it)
            event.setButtonDownScreenPos(it.key(), it.value());
        event.setButton(button);
        event.setButtons(buttons);
        event.setModifiers(modifiers);
        QCoreApplication::sendEvent(this, &event);
    }
    using Keys = Qt::KeyboardModifiers;
    void press(QPointF at, Qt::MouseButton b = Qt::LeftButton, Keys m = {}) { mouse(Press, at, b, b, m); }
    void move(QPointF at, Qt::MouseButtons b = Qt::LeftButton, Keys m = {}) { mouse(Move, at, Qt::NoButton, b, m); }
    void release(QPointF at, Qt::MouseButton b = Qt::LeftButton, Keys m = {}) { mouse(Release, at, b, {}, m); }
    void key(int key, Qt::KeyboardModifiers modifiers = {}, QEvent::Type type = QEvent::KeyPress)
    {
        QKeyEvent event(type, key, modifiers);
        QCoreApplication::sendEvent(this, &event);
    }

private:
    QMap<Qt::MouseButton, QPoint> m_down;
};

QImage render(QGraphicsScene& scene, const QSize& size)
{
    QImage image(size, QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::red);  // drawn over everywhere
    QPainter painter(&image);
    scene.render(&painter, QRectF(image.rect()), scene.sceneRect(), Qt::IgnoreAspectRatio);
    return image;
}

int darkPixels(const QImage& image)
{
    int count = 0;
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x)
            count += qGray(image.pixel(x, y)) < 200;
    return count;
}

using PlanSceneTest = StyleTest;

TEST_F(PlanSceneTest, LineGridOutsideBandAndSelectionItems)
{
    for (int every : {5, 1}) {
        RecordingScene scene;
        scene.m_gridStyle = 1;
        scene.m_majorLineEvery = every;
        QGraphicsView view(&scene);
        view.setFrameShape(QFrame::NoFrame);
        view.setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
        view.setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
        view.setRenderHint(QPainter::Antialiasing, false);
        view.resize(300, 300);
        view.setSceneRect(-200, -200, 1400, 1400);
        view.setTransform(QTransform::fromScale(0.4, 0.4));
        view.centerOn(275, 275);  // the scene's corner at about (40, 40)
        const QImage image = view.grab().toImage();
        // One character per pixel: band, white, grid line or other.
        const auto row = [&](int y) {
            QString s;
            for (int x = 0; x < image.width(); ++x) {
                const QColor c = image.pixelColor(x, y);
                s += c == grey(242) ? 'o' : c == Qt::white ? 'w' : c == grey(127) ? 'g' : '?';
            }
            return s;
        };
        const int edge = row(299).indexOf(QRegularExpression("[^o]"));
        ASSERT_GT(edge, 10);
        QString expected = QString(edge, 'o') + QString(300 - edge, 'w');
        for (int x = edge + 20; every == 5 && x < 300; x += 20)
            expected[x] = 'g';
        EXPECT_EQ(row(edge + 10), expected) << every;
        EXPECT_EQ(row(edge), expected) << "no line on the scene's edge";
    }

    // The band's interior over white; band and lasso above every item.
    RecordingScene scene;
    scene.press({100, 100});
    scene.move({300, 300});
    EXPECT_TRUE(pixelNear(render(scene, {100, 100}), 20, 20, QColor(198, 214, 239), 1));
    EXPECT_EQ(scene.m_bandItem->zValue(), DBL_MAX);
    EXPECT_EQ(scene.m_lassoItem->zValue(), DBL_MAX);
}

TEST_F(PlanSceneTest, GridWithoutViewDotsAndUnsafeValues)
{
    // Rendered 100 pixels wide: scene (0,0,250,250) at 0.4, (0,0,100,100) at 1.
    struct Row
    {
        int style, step, every, sceneSize;
        double unit;
        int dark;
    } rows[] = {
        {2, 10, 1, 250, 1.0, 0},           // dots 4 pixels apart: under the threshold
        {2, 20, 1, 250, 1.0, 13 * 13},     // 8 pixels apart
        {2, 1, 1, 250, 1.0, 0},            // would be 62,500 dots in 10,000 pixels
        {1, -10, 1, 100, 1.0, 0},          // no grid for a step <= 0
        {1, 10, 1, 100, 0.0, 0},           //
        {1, 10, 1, 100, std::nan(""), 0},  //
        {1, 10, 0, 100, 1.0, 1719},        // major every 0 taken as 1: 9 + 9 lines off the edges
    };
    for (const Row& row : rows) {
        RecordingScene scene;
        scene.setSceneRect(0, 0, row.sceneSize, row.sceneSize);
        scene.m_gridStyle = row.style;
        scene.m_gridStep = row.step;
        scene.m_majorLineEvery = row.every;
        scene.m_unit = row.unit;
        EXPECT_EQ(darkPixels(render(scene, {100, 100})), row.dark) << row.style << ' ' << row.step << ' ' << row.unit;
    }
}

TEST_F(PlanSceneTest, BackgroundImageFitModes)
{
    QImage source(10, 20, QImage::Format_RGB32);  // its top quarter red, the rest blue
    source.fill(Qt::blue);
    for (int y = 0; y < 5; ++y)
        for (int x = 0; x < 10; ++x)
            source.setPixelColor(x, y, Qt::red);
    const struct
    {
        int mode, x, y;
        Qt::GlobalColor colour;
    } samples[] = {
        {0, 20, 12, Qt::red},    {0, 20, 25, Qt::blue},  {0, 5, 5, Qt::white},   {0, 50, 50, Qt::white},
        {1, 100, 10, Qt::red},   {1, 100, 60, Qt::blue}, {1, 50, 50, Qt::white}, {1, 150, 50, Qt::white},
        {2, 100, 10, Qt::blue},  {2, 5, 95, Qt::blue},   {3, 5, 5, Qt::red},     {3, 100, 60, Qt::blue},
        {4, 100, 50, Qt::white},
    };
    for (const auto& sample : samples) {
        RecordingScene scene;
        scene.setSceneRect(0, 0, 200, 100);
        scene.m_backgroundImage = QPixmap::fromImage(source);
        scene.m_backgroundImageScale = 2;
        scene.m_backgroundImageRect = QRect(10, 10, 30, 20);
        scene.m_backgroundFitMode = sample.mode;
        EXPECT_TRUE(pixelNear(render(scene, {200, 100}), sample.x, sample.y, sample.colour)) << sample.mode;
    }

    // Each scene drops its reference to the shared image; a path not shared is left alone.
    auto& shared = PlanScene::sharedBackgroundImages();
    shared.insert("plan.png", {QPixmap(1, 1), 2});
    for (int refs : {1, 0, 0}) {
        RecordingScene().m_backgroundImagePath = "plan.png";
        EXPECT_EQ(shared.value("plan.png").refCount, refs);
    }
}

TEST_F(PlanSceneTest, ZoomLevelAndZoomToRect)
{
    PlanTransformController controller;
    QSignalSpy plain(&controller, qOverload<uint>(&PlanTransformController::zoomLevelChanged));
    QSignalSpy withOperation(
        &controller,
        qOverload<uint, PlanTransformController::ZoomOperation>(&PlanTransformController::zoomLevelChanged));
    // Asked, then the level, the two actions and whether it was announced.
    const std::tuple<uint, uint, bool, bool, bool> steps[] = {
        {5, 10, true, false, true},       {10, 10, true, false, false}, {5000, 1000, false, true, true},
        {1000, 1000, false, true, false}, {400, 400, true, true, true},
    };
    for (const auto& [asked, level, in, out, announced] : steps) {
        controller.setZoomLevel(asked);
        EXPECT_EQ(controller.zoomLevel(), level);
        EXPECT_EQ(controller.zoomInAction()->isEnabled(), in) << asked;
        EXPECT_EQ(controller.zoomOutAction()->isEnabled(), out) << asked;
        EXPECT_EQ(plain.count(), int(announced)) << asked;
        EXPECT_EQ(withOperation.count(), int(announced)) << asked;
        plain.clear();
        if (announced) {
            EXPECT_EQ(withOperation.takeFirst(),
                      (QVariantList {level, QVariant::fromValue(PlanTransformController::SetZoom)}));
        }
    }

    // A tiny rectangle zooms to about the maximum, whatever the base scale.
    RecordingScene scene;
    const std::pair<double, uint> cases[] = {{1.0, 1000}, {2.0, 1000}, {1.0, 50}};
    for (const auto& [base, maximum] : cases) {
        PlanView view(&scene);
        view.resize(300, 300);
        controller.setZoomRange(10, maximum);
        controller.setZoomLevel(100);
        view.setTransformController(&controller);
        view.setBaseScale(base);
        view.setTransform(QTransform::fromScale(base, base));
        view.zoomToRect({500, 500, 1, 1});  // kept until the view has its size
        view.show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(&view));
        EXPECT_LE(controller.zoomLevel(), maximum) << base;
        EXPECT_GE(controller.zoomLevel(), maximum * 95 / 100) << base;
        EXPECT_NEAR(view.transform().m11(), base * controller.zoomLevel() / 100, base / 100);
    }
    // No base scale, or no zoom allowed at all: the rectangle is left alone.
    PlanView view(&scene);
    view.resize(300, 300);
    view.setTransformController(&controller);
    view.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&view));
    for (const auto& [base, maximum] : {std::pair(0.0, 1000u), std::pair(1.0, 0u)}) {
        controller.setZoomRange(0, maximum);
        controller.setZoomLevel(maximum / 10);
        view.setBaseScale(base);
        view.setTransform(QTransform::fromScale(0.5, 0.5));
        view.zoomToRect({500, 500, 1, 1});
        EXPECT_EQ(std::pair(controller.zoomLevel(), view.transform()),
                  std::pair(maximum / 10, QTransform::fromScale(0.5, 0.5)))
            << base;
    }
}

TEST_F(PlanSceneTest, SelectionKeysAndClickCounting)
{
    using Mod = Qt::KeyboardModifier;
    using Scenario = std::function<void(RecordingScene&)>;
    const std::pair<Scenario, QStringList> scenarios[] = {
        {[](RecordingScene& s) {
             s.press({100, 100}), s.release({100, 100});
         },
         {"pressed 1", "released"}},
        {[](RecordingScene& s) {  // live band: modifiers of the press, empty space
             s.m_liveSelection = true;
             s.press({500, 500}, Qt::LeftButton, Mod::ShiftModifier);
             s.move({520, 520}), s.release({520, 520}, Qt::LeftButton, Mod::ControlModifier);
         },
         {"pressed 1", "rect 0", "apply 0 S", "rect 1", "apply 0 S"}},
        {[](RecordingScene& s) {  // the band takes the item it meets, the release's modifiers
             s.m_selectionShapeMode = 1;
             s.press({90, 90}), s.move({120, 120}), s.release({120, 120}, Qt::LeftButton, Mod::ControlModifier);
         },
         {"pressed 1", "rect 1", "apply 1 C"}},
        {[](RecordingScene& s) {
             s.onPress = RecordingScene::Lasso;
             s.press({90, 90}), s.move({130, 90}), s.move({130, 130}), s.move({90, 130}), s.release({90, 130});
         },
         {"pressed 1", "polygon 1", "apply 1 "}},
        {[](RecordingScene& s) {  // a right press and release during a band change nothing
             s.press({90, 90}), s.move({120, 120});
             s.mouse(s.Press, {120, 120}, Qt::RightButton, Qt::LeftButton | Qt::RightButton);
             s.mouse(s.Release, {120, 120}, Qt::RightButton, Qt::LeftButton);
             s.key(Qt::Key_D, Mod::ControlModifier);  // ignored during a band
             EXPECT_EQ(s.mode(), PlanScene::BandDragging);
             s.key(Qt::Key_Escape), s.release({120, 120});
         },
         {"pressed 1", "rect 1", "apply 0 ", "released"}},
        {[](RecordingScene& s) {  // the context menu: the hook, then the items, then the fallback; none in a band
             s.contextMenu({500, 500});
             s.menuTaken = true;
             s.contextMenu({500, 500});
             s.press({300, 300}), s.move({320, 320}), s.contextMenu({320, 320}), s.release({320, 320});
         },
         {"menu", "menu unhandled", "menu", "pressed 1", "rect 1", "apply 0 "}},
        {[](RecordingScene& s) {  // Ctrl+D during an item drag: no copies moved after it ends
             s.onPress = RecordingScene::Drag, s.duplicates = true;
             s.press({100, 100}), s.move({110, 100});
             s.key(Qt::Key_D, Mod::ControlModifier);
             EXPECT_EQ(s.mode(), PlanScene::ItemDrag);
             s.release({110, 100});
         },
         {"pressed 1", "dragBy 10,0", "move 10,0 id 0 final 1", "finished"}},
        {[](RecordingScene& s) {
             s.m_gridStyle = 1;
             s.key(Qt::Key_Right), s.key(Qt::Key_Right, Mod::ShiftModifier), s.key(Qt::Key_Up);
             s.m_gridStyle = 0;
             s.key(Qt::Key_Left), s.key(Qt::Key_Delete), s.key(Qt::Key_D, Mod::ControlModifier);
             s.duplicates = true;
             s.m_moveId = 3;
             s.key(Qt::Key_D, Mod::ControlModifier);
         },
         {"nudge 10,0", "nudge 1,0", "nudge 0,-10", "nudge -1,0", "delete", "duplicate", "duplicate",
          "move 5,5 id 3 final 1"}},
        {[](RecordingScene& s) {  // a double click 40 ms after its press repeats it
             s.press({100, 100}), s.release({100, 100});
             s.now += 40;
             s.mouse(QEvent::GraphicsSceneMouseDoubleClick, {100, 100}, Qt::LeftButton, Qt::LeftButton);
             s.release({100, 100});
             s.now += 60;
             s.press({101, 101}), s.release({101, 101});  // within the interval and 3 pixels: the second
             s.now += QApplication::doubleClickInterval() + 1;
             s.press({101, 101}), s.release({101, 101});
             s.now -= 5;  // a clock that went back starts a new count
             s.press({101, 101}), s.release({101, 101});
         },
         {"pressed 1", "released", "released", "pressed 2", "released", "pressed 1", "released", "pressed 1",
          "released"}},
    };
    for (const auto& [run, expected] : scenarios) {
        RecordingScene scene;
        scene.addRect(100, 100, 10, 10);
        run(scene);
        EXPECT_EQ(scene.log, expected);
        EXPECT_EQ(scene.mode(), PlanScene::Idle);
        EXPECT_EQ(scene.items().size(), 1) << "the band and lasso leave the scene";
    }
}

TEST_F(PlanSceneTest, ItemDrags)
{
    RecordingScene scene;
    scene.onPress = RecordingScene::Drag;
    // Axis lock follows the larger delta and ends with its modifier.
    scene.press({5, 5}, Qt::LeftButton, Qt::AltModifier);
    scene.move({25, 10}, Qt::LeftButton, Qt::AltModifier);
    scene.move({30, 40}, Qt::LeftButton, Qt::AltModifier);
    EXPECT_EQ(scene.m_axisLock, 1);
    scene.key(Qt::Key_Alt, Qt::AltModifier, QEvent::KeyRelease);  // reports the state before: none
    EXPECT_EQ(scene.m_axisLock, 0);
    scene.move({30, 40});
    // Committed after 250 ms, and finally on release, within the limits.
    QTRY_VERIFY_WITH_TIMEOUT(scene.log.contains("move 25,35 id 0 final 0"), 2000);
    scene.move({2000, 40});
    scene.release({2000, 40});
    EXPECT_EQ(scene.log,
              (QStringList {"pressed 1", "dragBy 20,0", "dragBy 5,0", "dragBy 0,35", "move 25,35 id 0 final 0",
                            "dragBy 1970,0", "move 965,0 id 0 final 1", "finished"}));
    EXPECT_EQ(scene.m_moveId, 1);

    // A duplicate drag with Ctrl moves the copies once, and keeps moveId.
    scene.log.clear();
    scene.duplicates = true;
    scene.now += 1000;
    scene.press({5, 5});
    scene.move({5, 25}, Qt::LeftButton, Qt::ControlModifier);
    EXPECT_EQ(scene.mode(), PlanScene::DuplicateDrag);
    scene.release({5, 25});
    EXPECT_EQ(scene.log, (QStringList {"pressed 1", "duplicate", "dragBy 0,20", "move 0,20 id 1 final 1", "finished"}));
    EXPECT_EQ(scene.m_moveId, 1);
    EXPECT_EQ(scene.mode(), PlanScene::Idle);
}

TEST_F(PlanSceneTest, MiddleButtonZoomsTheHoveredView)
{
    RecordingScene scene;
    PlanTransformController controller;
    auto view = std::make_unique<PlanView>(&scene);
    view->setTransformController(&controller);
    view->setFrameShape(QFrame::NoFrame);
    view->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    view->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    view->resize(300, 300);
    view->show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(view.get()));
    const auto zoomDrag = [&] {
        scene.press({100, 100}, Qt::MiddleButton);
        scene.move({250, 250}, Qt::MiddleButton);
        scene.release({250, 250}, Qt::MiddleButton);
    };
    PlanViewEvent enter(PlanViewEvent::enterType(), view.get());
    QCoreApplication::sendEvent(&scene, &enter);
    zoomDrag();
    EXPECT_EQ(controller.zoomLevel(), 197u);  // 296 pixels over 150 units
    EXPECT_EQ(scene.items().size(), 0);
    EXPECT_EQ(scene.log, QStringList {"pressed 1"});

    QCoreApplication::sendEvent(&scene, &enter);
    view.reset();
    zoomDrag();
    PlanViewEvent leave(PlanViewEvent::leaveType(), nullptr);
    QCoreApplication::sendEvent(&scene, &leave);
    EXPECT_EQ(scene.mode(), PlanScene::Idle);
}

}  // namespace
