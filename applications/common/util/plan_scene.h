#ifndef APPLICATIONS_COMMON_UTIL_PLAN_SCENE_H
#define APPLICATIONS_COMMON_UTIL_PLAN_SCENE_H

#include <QBrush>
#include <QCursor>
#include <QEvent>
#include <QGraphicsScene>
#include <QHash>
#include <QPixmap>
#include <QPointer>
#include <QPolygonF>
#include <QWidget>

#include <cstdint>
#include <functional>
#include <memory>

class QGraphicsPolygonItem;
class QGraphicsRectItem;

// PlanViewEvent tells a plan scene that the pointer entered or left one of
// its views. Views post it to their scene; the event keeps the view only
// weakly, so a view destroyed before delivery arrives as null. The two event
// types are registered once per process. GUI thread only.
class PlanViewEvent : public QEvent
{
public:
    static QEvent::Type enterType();
    static QEvent::Type leaveType();

    PlanViewEvent(QEvent::Type type, QWidget* view);

    QWidget* view() const { return m_view; }

private:
    QPointer<QWidget> m_view;
};

// PlanScene is a scene for two-dimensional plans: it draws the band outside
// the scene rectangle, an optional background image and a line or dot grid,
// and turns mouse and keys into rubber-band and lasso selection, a zoom
// rectangle, item drags and duplicates, nudges, deletes and cancels. It
// changes no item itself: every effect goes through the virtual hooks below,
// which do nothing here, for a subclass to fill in.
//
// The scene owns its band and lasso items; they are in the scene only while
// their interaction runs, and never reach the selection hooks. The hovered
// view is not owned. GUI thread only.
class PlanScene : public QGraphicsScene
{
    Q_OBJECT

public:
    // Interactions the scene runs itself; subclasses number their own from
    // FirstSubclassMode.
    enum Mode : int {
        Idle = 0,
        BandPressed = 1,
        BandDragging = 2,
        LassoPressed = 3,
        LassoDragging = 4,
        ZoomPressed = 5,
        ZoomDragging = 6,
        ItemDrag = 7,
        DuplicateDrag = 8,
        FirstSubclassMode = 128
    };

    // A background image shared by the scenes that show the same file.
    struct SharedBackgroundImage
    {
        QPixmap pixmap;
        int refCount = 0;
    };

    explicit PlanScene(QObject* parent = nullptr);
    ~PlanScene() override;

    int mode() const { return m_mode; }

    // Milliseconds for click counting; tickCount64 unless replaced.
    void setClock(std::function<std::uint64_t()> clock) { m_clock = std::move(clock); }

    // Background images by file path. Whoever fills it counts a reference
    // per scene that shows the entry; each scene drops its own when it dies.
    static QHash<QString, SharedBackgroundImage>& sharedBackgroundImages();

    virtual QRectF contentRect() const;
    virtual QRectF selectionBoundingRect() const;
    virtual void sceneContentChanged();
    virtual bool queryOption(int option) const;
    virtual void endInteraction();
    virtual QRectF dragBoundsRef() const;
    // Ends an item drag with a final step, as its release would.
    virtual void finishDrag();
    virtual void interactionModeChanged(int oldMode, int newMode);
    virtual void windowActivated();
    virtual void mousePressed(QGraphicsSceneMouseEvent* event, int clickCount);
    virtual void mouseMoved(QGraphicsSceneMouseEvent* event);
    virtual void mouseReleased(QGraphicsSceneMouseEvent* event);
    // True when the subclass showed a menu.
    virtual bool contextMenuRequested(QGraphicsSceneContextMenuEvent* event);
    virtual void contextMenuUnhandled(QGraphicsSceneContextMenuEvent* event);
    virtual void selectItemsInRect(const QPointF& a, const QPointF& b, Qt::KeyboardModifiers modifiers, bool isFinal);
    virtual void selectItemsInPolygon(const QPolygonF& polygon, Qt::KeyboardModifiers modifiers, bool isFinal);
    virtual void applySelection(const QList<QGraphicsItem*>& items, Qt::KeyboardModifiers modifiers);
    virtual bool nudgeSelection(const QPointF& offset);
    virtual void deleteSelection(Qt::KeyboardModifiers modifiers);
    // True when copies of the selection were made; they become what a drag moves.
    virtual bool duplicateSelection(Qt::KeyboardModifiers modifiers);
    virtual QRectF dragItemsBounds() const;
    // Shows the dragged items moved by delta; true when they moved.
    virtual bool dragBy(const QPointF& delta, Qt::KeyboardModifiers modifiers);
    // The rectangle dragged items must stay in; an empty one sets no limit.
    virtual QRectF dragLimits() const;
    // Commits a move of the dragged items. Steps of one drag share moveId;
    // the last has isFinal true.
    virtual bool moveItems(const QPointF& delta, int moveId, bool isFinal);
    virtual void dragFinished();

signals:
    void gridSpacingChanged(uint spacing);
    void gridSubdivisionsChanged(uint subdivisions);

public slots:
    void invalidateSelectionRect() { m_selectionBoundsDirty = true; }

protected:
    bool event(QEvent* event) override;
    void timerEvent(QTimerEvent* event) override;
    void contextMenuEvent(QGraphicsSceneContextMenuEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void keyReleaseEvent(QKeyEvent* event) override;
    void mousePressEvent(QGraphicsSceneMouseEvent* event) override;
    void mouseMoveEvent(QGraphicsSceneMouseEvent* event) override;
    void mouseReleaseEvent(QGraphicsSceneMouseEvent* event) override;
    void mouseDoubleClickEvent(QGraphicsSceneMouseEvent* event) override;
    void drawBackground(QPainter* painter, const QRectF& rect) override;

    // Reports every change through interactionModeChanged.
    void setMode(int mode);
    // Start a lasso or an item drag from mousePressed, in the idle mode or a
    // subclass mode; the press's scene position is where both begin.
    void beginLasso(QGraphicsSceneMouseEvent* event);
    void beginItemDrag(QGraphicsSceneMouseEvent* event);
    // Ends a band, lasso or zoom rectangle; with apply, a selection that was
    // being drawn is applied empty. True when an interaction ended.
    bool cancelInteraction(bool apply, Qt::KeyboardModifiers modifiers);
    // Drops this scene's reference to its shared background image.
    void releaseBackgroundImage();

    quint32 m_gridLineAlpha = 128;
    quint32 m_minimumGridPixels = 5;
    bool m_invertFineNudge = false;
    Qt::KeyboardModifiers m_fineNudgeModifier = Qt::ShiftModifier;
    Qt::KeyboardModifiers m_axisLockModifier = Qt::AltModifier;
    int m_mode = Idle;
    QBrush m_outsideBrush;
    QPixmap m_backgroundImage;
    QString m_backgroundImagePath;
    int m_backgroundImageScale = 1;
    QRect m_backgroundImageRect;
    // 0 the fixed rectangle, 1 fit, 2 fill (both keeping the aspect ratio),
    // 3 stretch to the scene rectangle.
    int m_backgroundFitMode = 0;
    double m_unit = 1.0;
    // 0 none, 1 lines, 2 dots.
    int m_gridStyle = 0;
    int m_gridStep = 10;
    int m_majorLineEvery = 1;
    bool m_clipGridToScene = true;
    QColor m_gridColour = Qt::black;
    bool m_rubberBandEnabled = true;
    int m_selectionShapeMode = 0;
    mutable bool m_selectionBoundsDirty = false;
    mutable QRectF m_selectionBounds;
    QRectF m_bandRect;
    QPointF m_currentPoint;
    std::unique_ptr<QGraphicsRectItem> m_bandItem;
    bool m_liveSelection = false;
    Qt::KeyboardModifiers m_latchedModifiers;
    QPolygonF m_lassoPolygon;
    std::unique_ptr<QGraphicsPolygonItem> m_lassoItem;
    QPoint m_lastPressScreenPos;
    Qt::MouseButton m_lastPressButton = Qt::NoButton;
    int m_clickCount = 0;
    std::uint64_t m_lastPressTime = 0;
    Qt::MouseButton m_interactionButton = Qt::NoButton;
    Qt::MouseButton m_dragButton = Qt::NoButton;
    bool m_dragStarted = false;
    // 0 free, 1 horizontal only, 2 vertical only.
    int m_axisLock = 0;
    QPointF m_startPoint;
    QPointF m_lastDragPoint;
    QRectF m_dragBounds;
    int m_autoScrollTimer = 0;
    int m_autoScrollInterval = 250;
    int m_moveId = 0;
    bool m_viewHovered = false;
    QPointer<QWidget> m_hoveredView;
    QCursor m_viewCursor;
    bool m_useViewCursor = false;
    std::function<std::uint64_t()> m_clock;

private:
    void press(QGraphicsSceneMouseEvent* event, std::uint64_t now);
    void countClick(const QGraphicsSceneMouseEvent* event, std::uint64_t now);
    void startBand(const QPointF& point);
    void dragMove(QGraphicsSceneMouseEvent* event);
    bool dragStep(bool isFinal);
    void endItemDrag();
    void clearDragState();
    void startCommitTimer();
    void stopCommitTimer();
    void viewEntered(QWidget* view);
    void viewLeft();
    void nudge(QKeyEvent* event, const QPointF& direction);
    QList<QGraphicsItem*> withoutOwnItems(QList<QGraphicsItem*> items) const;
    QRectF backgroundImageTarget() const;
    void drawGridLines(QPainter* painter, const QRectF& rect) const;
    void drawGridDots(QPainter* painter, const QRectF& rect) const;
};

#endif  // APPLICATIONS_COMMON_UTIL_PLAN_SCENE_H
