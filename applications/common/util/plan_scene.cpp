#include "applications/common/util/plan_scene.h"

#include "applications/common/util/plan_view.h"
#include "seltrane_components/os/clocks.h"

#include <QApplication>
#include <QGraphicsPolygonItem>
#include <QGraphicsRectItem>
#include <QGraphicsSceneContextMenuEvent>
#include <QGraphicsSceneMouseEvent>
#include <QKeyEvent>
#include <QPainter>
#include <QTimerEvent>

#include <cfloat>
#include <cmath>

namespace {

const QColor selectionColour(49, 106, 197);
const int selectionFillAlpha = 70;
// A double click this soon after its press repeats that press.
const std::uint64_t repeatedPressMs = 51;
const double nudgeOffset = 5.0;

QPen cosmeticPen(const QColor& colour)
{
    QPen pen(QBrush(colour), 0, Qt::SolidLine, Qt::SquareCap, Qt::BevelJoin);
    pen.setCosmetic(true);
    return pen;
}

QColor withAlpha(QColor colour, quint32 alpha)
{
    colour.setAlpha(int(std::min<quint32>(alpha, 255)));
    return colour;
}

// A modifier setting of none is never held.
bool held(Qt::KeyboardModifiers modifiers, Qt::KeyboardModifiers wanted)
{
    return wanted != Qt::NoModifier && (modifiers & wanted) == wanted;
}

bool reachedDragDistance(const QGraphicsSceneMouseEvent* event, Qt::MouseButton button)
{
    return (event->screenPos() - event->buttonDownScreenPos(button)).manhattanLength()
        >= QApplication::startDragDistance();
}

// The scale from scene units to pixels of whatever the painter draws on;
// a scene may be rendered without any view.
double pixelScale(const QPainter* painter)
{
    const double scale = std::abs(painter->worldTransform().m11());
    return scale > 0 ? scale : 1.0;
}

// Multiples of step from the first at or after from to the last at or
// before to, as the index of the first and how many follow it.
struct GridRange
{
    double first;
    qint64 extra;
};

GridRange gridRange(double from, double to, double step)
{
    const double first = std::ceil(from / step);
    const double last = std::floor(to / step);
    return {first, last >= first ? qint64(last - first) : -1};
}

void removeFromScene(QGraphicsItem* item)
{
    if (item->scene())
        item->scene()->removeItem(item);
}

}  // namespace

QEvent::Type PlanViewEvent::enterType()
{
    static const auto type = QEvent::Type(QEvent::registerEventType());
    return type;
}

QEvent::Type PlanViewEvent::leaveType()
{
    static const auto type = QEvent::Type(QEvent::registerEventType());
    return type;
}

PlanViewEvent::PlanViewEvent(QEvent::Type type, QWidget* view) : QEvent(type), m_view(view) {}

PlanScene::PlanScene(QObject* parent)
    : QGraphicsScene(parent), m_outsideBrush(QApplication::palette().brush(QPalette::Midlight)),
      m_bandItem(std::make_unique<QGraphicsRectItem>()), m_lassoItem(std::make_unique<QGraphicsPolygonItem>()),
      m_clock(tickCount64)
{
    QColor fill = selectionColour;
    fill.setAlpha(selectionFillAlpha);
    m_bandItem->setPen(cosmeticPen(selectionColour));
    m_bandItem->setBrush(fill);
    m_bandItem->setZValue(DBL_MAX);
    m_lassoItem->setPen(cosmeticPen(selectionColour));
    m_lassoItem->setBrush(fill);
    m_lassoItem->setZValue(DBL_MAX);
    m_lassoItem->setFillRule(Qt::WindingFill);
    connect(this, &QGraphicsScene::selectionChanged, this, &PlanScene::invalidateSelectionRect);
}

PlanScene::~PlanScene() { releaseBackgroundImage(); }

QHash<QString, PlanScene::SharedBackgroundImage>& PlanScene::sharedBackgroundImages()
{
    // Never destroyed: pixmaps must not outlive the application object.
    static auto* images = new QHash<QString, SharedBackgroundImage>;
    return *images;
}

void PlanScene::releaseBackgroundImage()
{
    auto& images = sharedBackgroundImages();
    const auto it = images.find(m_backgroundImagePath);
    if (!m_backgroundImagePath.isEmpty() && it != images.end()) {
        if (it->refCount <= 1)
            images.erase(it);
        else
            --it->refCount;
    }
    m_backgroundImagePath.clear();
}

QRectF PlanScene::contentRect() const { return sceneRect(); }

QRectF PlanScene::selectionBoundingRect() const
{
    if (m_selectionBoundsDirty) {
        m_selectionBounds = QRectF();
        for (const QGraphicsItem* item : selectedItems())
            m_selectionBounds |= item->sceneBoundingRect();
        m_selectionBoundsDirty = false;
    }
    return m_selectionBounds;
}

void PlanScene::sceneContentChanged() {}
bool PlanScene::queryOption(int) const { return true; }
void PlanScene::endInteraction() { finishDrag(); }
QRectF PlanScene::dragBoundsRef() const { return m_dragBounds; }

void PlanScene::finishDrag()
{
    if (m_mode == ItemDrag || m_mode == DuplicateDrag)
        endItemDrag();
    if (m_mode >= FirstSubclassMode)
        setMode(Idle);
}

void PlanScene::interactionModeChanged(int, int) {}
void PlanScene::windowActivated() {}
void PlanScene::mousePressed(QGraphicsSceneMouseEvent*, int) {}
void PlanScene::mouseMoved(QGraphicsSceneMouseEvent*) {}
void PlanScene::mouseReleased(QGraphicsSceneMouseEvent*) {}
bool PlanScene::contextMenuRequested(QGraphicsSceneContextMenuEvent*) { return false; }
void PlanScene::contextMenuUnhandled(QGraphicsSceneContextMenuEvent*) {}

void PlanScene::selectItemsInRect(const QPointF& a, const QPointF& b, Qt::KeyboardModifiers modifiers, bool)
{
    const QRectF rect = QRectF(a, b).normalized();
    QList<QGraphicsItem*> found;
    if (rect.width() > 0 && rect.height() > 0)
        found = items(rect, m_selectionShapeMode > 0 ? Qt::IntersectsItemShape : Qt::ContainsItemBoundingRect);
    applySelection(withoutOwnItems(found), modifiers);
}

void PlanScene::selectItemsInPolygon(const QPolygonF& polygon, Qt::KeyboardModifiers modifiers, bool)
{
    applySelection(withoutOwnItems(items(polygon, Qt::ContainsItemShape)), modifiers);
}

QList<QGraphicsItem*> PlanScene::withoutOwnItems(QList<QGraphicsItem*> items) const
{
    items.removeAll(m_bandItem.get());
    items.removeAll(m_lassoItem.get());
    return items;
}

void PlanScene::applySelection(const QList<QGraphicsItem*>&, Qt::KeyboardModifiers) {}
bool PlanScene::nudgeSelection(const QPointF&) { return false; }
void PlanScene::deleteSelection(Qt::KeyboardModifiers) {}
bool PlanScene::duplicateSelection(Qt::KeyboardModifiers) { return false; }
QRectF PlanScene::dragItemsBounds() const { return {}; }
bool PlanScene::dragBy(const QPointF&, Qt::KeyboardModifiers) { return false; }
QRectF PlanScene::dragLimits() const { return sceneRect(); }
bool PlanScene::moveItems(const QPointF&, int, bool) { return false; }
void PlanScene::dragFinished() {}

void PlanScene::setMode(int mode)
{
    if (mode == m_mode)
        return;
    const int oldMode = m_mode;
    m_mode = mode;
    interactionModeChanged(oldMode, mode);
}

// --- drawing ---

void PlanScene::drawBackground(QPainter* painter, const QRectF& rect)
{
    const QRectF scene = sceneRect();
    const QRectF inside = rect.intersected(scene);
    if (inside.isEmpty()) {
        painter->fillRect(rect, m_outsideBrush);
    } else {
        const QRectF outside[] = {
            {rect.left(), rect.top(), rect.width(), inside.top() - rect.top()},
            {rect.left(), inside.bottom(), rect.width(), rect.bottom() - inside.bottom()},
            {rect.left(), inside.top(), inside.left() - rect.left(), inside.height()},
            {inside.right(), inside.top(), rect.right() - inside.right(), inside.height()},
        };
        for (const QRectF& part : outside) {
            if (!part.isEmpty())
                painter->fillRect(part, m_outsideBrush);
        }
        painter->fillRect(inside, backgroundBrush());
    }

    if (!m_backgroundImage.isNull()) {
        const QRectF target = backgroundImageTarget();
        if (!target.isEmpty()) {
            painter->save();
            painter->setClipRect(scene, Qt::IntersectClip);
            painter->drawPixmap(target, m_backgroundImage, QRectF(m_backgroundImage.rect()));
            painter->restore();
        }
    }

    if (m_gridStep == 0)
        return;
    if (m_gridStyle == 1)
        drawGridLines(painter, rect);
    else if (m_gridStyle == 2)
        drawGridDots(painter, rect);
}

QRectF PlanScene::backgroundImageTarget() const
{
    const QRectF scene = sceneRect();
    const QSizeF image = QSizeF(m_backgroundImage.size()) * m_backgroundImageScale;
    QSizeF size;
    switch (m_backgroundFitMode) {
    case 0:
        return m_backgroundImageRect;
    case 1:
        size = image.scaled(scene.size(), Qt::KeepAspectRatio);
        break;
    case 2:
        size = image.scaled(scene.size(), Qt::KeepAspectRatioByExpanding);
        break;
    case 3:
        return scene;
    default:
        return {};
    }
    QRectF target(QPointF(), size);
    target.moveCenter(scene.center());
    return target;
}

// Both grids draw nothing for a step that is not a positive number, and
// nothing closer than the minimum spacing on screen (at least a pixel), so
// the number of lines or dots stays within what the painter's device shows.
void PlanScene::drawGridLines(QPainter* painter, const QRectF& rect) const
{
    const double step = m_gridStep * m_unit;
    if (!(step > 0) || !std::isfinite(step))
        return;
    const QRectF scene = sceneRect();
    const QRectF area = m_clipGridToScene ? rect.intersected(scene) : rect;
    const double every = std::max(1, m_majorLineEvery);
    const double pixels = step * pixelScale(painter);
    const double minimum = std::max<quint32>(1, m_minimumGridPixels);
    const bool minorVisible = pixels >= minimum;
    if (area.isEmpty() || !(every * pixels >= minimum))
        return;

    QVector<QLineF> major;
    QVector<QLineF> minor;
    const auto collect = [&](double from, double to, double edgeA, double edgeB, auto makeLine) {
        const GridRange range = gridRange(from, to, step);
        for (qint64 i = 0; i <= range.extra; ++i) {
            const double index = range.first + double(i);
            const double at = index * step;
            if (m_clipGridToScene && (at == edgeA || at == edgeB))
                continue;
            if (std::fmod(std::abs(index), every) == 0)
                major.append(makeLine(at));
            else if (minorVisible)
                minor.append(makeLine(at));
        }
    };
    collect(area.left(), area.right(), scene.left(), scene.right(),
            [&](double x) { return QLineF(x, area.top(), x, area.bottom()); });
    collect(area.top(), area.bottom(), scene.top(), scene.bottom(),
            [&](double y) { return QLineF(area.left(), y, area.right(), y); });

    painter->save();
    painter->setPen(cosmeticPen(withAlpha(m_gridColour, m_gridLineAlpha)));
    painter->drawLines(minor);
    painter->setPen(cosmeticPen(withAlpha(m_gridColour, minorVisible ? 255 : m_gridLineAlpha)));
    painter->drawLines(major);
    painter->restore();
}

void PlanScene::drawGridDots(QPainter* painter, const QRectF& rect) const
{
    const double step = m_gridStep * m_unit;
    if (!(step > 0) || !std::isfinite(step))
        return;
    const QRectF area = m_clipGridToScene ? rect.intersected(sceneRect()) : rect;
    const double minimum = std::max<quint32>(1, m_minimumGridPixels);
    if (area.isEmpty() || !(step * pixelScale(painter) >= minimum))
        return;

    const GridRange columns = gridRange(area.left(), area.right(), step);
    const GridRange rows = gridRange(area.top(), area.bottom(), step);
    painter->save();
    painter->setPen(cosmeticPen(m_gridColour));
    QVector<QPointF> row;
    for (qint64 r = 0; r <= rows.extra; ++r) {
        const double y = (rows.first + double(r)) * step;
        row.clear();
        for (qint64 c = 0; c <= columns.extra; ++c)
            row.append(QPointF((columns.first + double(c)) * step, y));
        painter->drawPoints(row);
    }
    painter->restore();
}

// --- events ---

bool PlanScene::event(QEvent* event)
{
    const QEvent::Type type = event->type();
    if (type == PlanViewEvent::enterType()) {
        viewEntered(static_cast<PlanViewEvent*>(event)->view());
        return true;
    }
    if (type == PlanViewEvent::leaveType()) {
        viewLeft();
        return true;
    }
    switch (type) {
    case QEvent::ShortcutOverride: {
        // Escape ends a band, lasso or zoom rectangle before any shortcut sees it.
        auto* key = static_cast<QKeyEvent*>(event);
        if (key->key() == Qt::Key_Escape && cancelInteraction(true, key->modifiers())) {
            event->accept();
            return true;
        }
        break;
    }
    case QEvent::WindowActivate:
        windowActivated();
        event->accept();
        return true;
    case QEvent::WindowDeactivate:
        event->accept();
        return true;
    default:
        break;
    }
    return QGraphicsScene::event(event);
}

void PlanScene::viewEntered(QWidget* view)
{
    if (m_useViewCursor && m_hoveredView)
        m_hoveredView->unsetCursor();
    m_hoveredView = view;
    m_viewHovered = view != nullptr;
    if (m_useViewCursor && m_hoveredView)
        m_hoveredView->setCursor(m_viewCursor);
}

void PlanScene::viewLeft()
{
    m_viewHovered = false;
    if (m_useViewCursor && m_hoveredView)
        m_hoveredView->unsetCursor();
    m_hoveredView = nullptr;
}

void PlanScene::timerEvent(QTimerEvent* event)
{
    if (m_autoScrollTimer == 0 || event->timerId() != m_autoScrollTimer) {
        QGraphicsScene::timerEvent(event);
        return;
    }
    if (m_mode == ItemDrag || m_mode == DuplicateDrag)
        dragStep(false);
    else
        stopCommitTimer();
}

void PlanScene::contextMenuEvent(QGraphicsSceneContextMenuEvent* event)
{
    if (m_mode >= BandPressed && m_mode < FirstSubclassMode)
        return;
    if (contextMenuRequested(event))
        return;
    QGraphicsScene::contextMenuEvent(event);
    if (!event->isAccepted())
        contextMenuUnhandled(event);
}

void PlanScene::keyPressEvent(QKeyEvent* event)
{
    event->setAccepted(false);
    const Qt::KeyboardModifiers modifiers = event->modifiers();
    switch (event->key()) {
    case Qt::Key_Delete:
    case Qt::Key_Backspace:
        deleteSelection(modifiers);
        cancelInteraction(true, modifiers);
        event->accept();
        break;
    case Qt::Key_Escape:
        cancelInteraction(true, modifiers);
        break;
    case Qt::Key_D:
        // Only when idle: a band, lasso or zoom would be left behind, and a
        // running drag would go on moving the copies after this ended.
        if ((modifiers & Qt::ControlModifier) && m_mode == Idle && duplicateSelection(modifiers)) {
            setMode(DuplicateDrag);
            moveItems(QPointF(nudgeOffset, nudgeOffset), m_moveId, true);
            setMode(Idle);
            event->accept();
        }
        break;
    case Qt::Key_Left:
        nudge(event, {-1, 0});
        break;
    case Qt::Key_Up:
        nudge(event, {0, -1});
        break;
    case Qt::Key_Right:
        nudge(event, {1, 0});
        break;
    case Qt::Key_Down:
        nudge(event, {0, 1});
        break;
    default:
        break;
    }
    if (!event->isAccepted())
        QGraphicsScene::keyPressEvent(event);
}

void PlanScene::nudge(QKeyEvent* event, const QPointF& direction)
{
    QPointF offset = direction * m_unit;
    const bool fine = held(event->modifiers(), m_fineNudgeModifier);
    if (m_gridStyle != 0 && !fine != m_invertFineNudge)
        offset *= m_gridStep;
    if (nudgeSelection(offset))
        event->accept();
}

void PlanScene::keyReleaseEvent(QKeyEvent* event)
{
    if (m_axisLock != 0 && !held(event->modifiers(), m_axisLockModifier))
        m_axisLock = 0;
    QGraphicsScene::keyReleaseEvent(event);
}

bool PlanScene::cancelInteraction(bool apply, Qt::KeyboardModifiers modifiers)
{
    const Qt::KeyboardModifiers selectionModifiers = m_liveSelection ? m_latchedModifiers : modifiers;
    switch (m_mode) {
    case BandPressed:
    case BandDragging:
        m_currentPoint = m_startPoint;
        m_bandRect = QRectF();
        if (apply && m_mode == BandDragging)
            selectItemsInRect(m_startPoint, m_currentPoint, selectionModifiers, true);
        removeFromScene(m_bandItem.get());
        break;
    case LassoPressed:
    case LassoDragging:
        m_lassoPolygon.clear();
        if (apply && m_mode == LassoDragging)
            selectItemsInPolygon(m_lassoPolygon, selectionModifiers, true);
        removeFromScene(m_lassoItem.get());
        break;
    case ZoomPressed:
    case ZoomDragging:
        removeFromScene(m_bandItem.get());
        break;
    default:
        return false;
    }
    setMode(Idle);
    return true;
}

// --- mouse ---

void PlanScene::mousePressEvent(QGraphicsSceneMouseEvent* event) { press(event, m_clock()); }

void PlanScene::mouseDoubleClickEvent(QGraphicsSceneMouseEvent* event)
{
    const std::uint64_t now = m_clock();
    if (now >= m_lastPressTime && now - m_lastPressTime < repeatedPressMs)
        return;
    press(event, now);
}

void PlanScene::countClick(const QGraphicsSceneMouseEvent* event, std::uint64_t now)
{
    const bool sameButton = event->button() == m_lastPressButton;
    const bool near = (event->screenPos() - m_lastPressScreenPos).manhattanLength() < 3;
    // Unsigned 64-bit times: no wrap, and a clock that went back counts as late.
    const auto interval = std::uint64_t(std::max(0, QApplication::doubleClickInterval()));
    const bool soon = now >= m_lastPressTime && now - m_lastPressTime <= interval;
    if (sameButton && near && soon) {
        ++m_clickCount;
    } else {
        m_clickCount = 1;
        if (!sameButton || !near) {
            m_lastPressButton = event->button();
            m_lastPressScreenPos = event->screenPos();
        }
    }
    m_lastPressTime = now;
}

void PlanScene::press(QGraphicsSceneMouseEvent* event, std::uint64_t now)
{
    countClick(event, now);
    // As a view delivers it: accepted afterwards means a hook took the press.
    event->setAccepted(false);
    if (m_mode == Idle || m_mode >= FirstSubclassMode)
        mousePressed(event, m_clickCount);
    const bool taken = event->isAccepted();

    if (m_mode == Idle && event->button() == Qt::MiddleButton) {
        startBand(event->scenePos());
        setMode(ZoomPressed);
    }
    if (m_mode < FirstSubclassMode) {
        if (event->buttons() & ~event->button())
            return;
        m_interactionButton = event->button();
    }
    if (m_rubberBandEnabled && !taken && m_mode == Idle && event->button() == Qt::LeftButton) {
        if (m_liveSelection)
            m_latchedModifiers = event->modifiers();
        startBand(event->scenePos());
        setMode(BandPressed);
    }
}

void PlanScene::startBand(const QPointF& point)
{
    m_startPoint = point;
    m_currentPoint = point;
    m_bandRect = QRectF(point, QSizeF());
    m_bandItem->setRect(m_bandRect);
    if (m_bandItem->scene() != this)
        addItem(m_bandItem.get());
}

void PlanScene::beginLasso(QGraphicsSceneMouseEvent* event)
{
    if (m_mode != Idle && m_mode < FirstSubclassMode)
        return;
    m_interactionButton = event->button();
    if (m_liveSelection)
        m_latchedModifiers = event->modifiers();
    m_startPoint = m_lastDragPoint = m_currentPoint = event->scenePos();
    m_lassoPolygon = QPolygonF() << event->scenePos();
    m_lassoItem->setPolygon(m_lassoPolygon);
    if (m_lassoItem->scene() != this)
        addItem(m_lassoItem.get());
    setMode(LassoPressed);
}

void PlanScene::beginItemDrag(QGraphicsSceneMouseEvent* event)
{
    if (m_mode != Idle && m_mode < FirstSubclassMode)
        return;
    m_interactionButton = m_dragButton = event->button();
    m_dragStarted = false;
    m_axisLock = 0;
    m_startPoint = m_lastDragPoint = m_currentPoint = event->scenePos();
    setMode(ItemDrag);
}

void PlanScene::mouseMoveEvent(QGraphicsSceneMouseEvent* event)
{
    if ((m_mode == BandPressed || m_mode == LassoPressed || m_mode == ZoomPressed)
        && reachedDragDistance(event, m_interactionButton))
        setMode(m_mode + 1);

    switch (m_mode) {
    case BandPressed:
    case LassoPressed:
    case ZoomPressed:
        break;
    case BandDragging:
    case ZoomDragging:
        m_currentPoint = event->scenePos();
        m_bandRect = QRectF(m_startPoint, m_currentPoint).normalized();
        m_bandItem->setRect(m_bandRect);
        if (m_mode == BandDragging && m_liveSelection)
            selectItemsInRect(m_startPoint, m_currentPoint, m_latchedModifiers, false);
        break;
    case LassoDragging:
        m_lassoPolygon.append(event->scenePos());
        m_lassoItem->setPolygon(m_lassoPolygon);
        if (m_liveSelection)
            selectItemsInPolygon(m_lassoPolygon, m_latchedModifiers, false);
        break;
    case ItemDrag:
    case DuplicateDrag:
        dragMove(event);
        break;
    default:
        mouseMoved(event);
        break;
    }
}

void PlanScene::dragMove(QGraphicsSceneMouseEvent* event)
{
    const Qt::KeyboardModifiers modifiers = event->modifiers();
    if (!m_dragStarted) {
        if (!reachedDragDistance(event, m_dragButton))
            return;
        if (m_mode == ItemDrag && (modifiers & Qt::ControlModifier) && duplicateSelection(modifiers))
            setMode(DuplicateDrag);
        m_axisLock = 0;
        m_dragBounds = dragItemsBounds();
        m_dragStarted = m_dragBounds.width() > 0 && m_dragBounds.height() > 0;
        if (!m_dragStarted)
            return;
    }
    QPointF delta = event->scenePos() - m_lastDragPoint;
    if (!held(modifiers, m_axisLockModifier))
        m_axisLock = 0;
    else if (m_axisLock == 0)
        m_axisLock = std::abs(delta.x()) >= std::abs(delta.y()) ? 1 : 2;
    if (m_axisLock == 1)
        delta.setY(0);
    else if (m_axisLock == 2)
        delta.setX(0);
    if (dragBy(delta, modifiers) && m_mode == ItemDrag)
        startCommitTimer();
    m_lastDragPoint += delta;
}

void PlanScene::mouseReleaseEvent(QGraphicsSceneMouseEvent* event)
{
    if (m_mode >= BandPressed && m_mode < FirstSubclassMode) {
        if (event->button() != m_interactionButton)
            return;
        m_interactionButton = Qt::NoButton;
    }
    const Qt::KeyboardModifiers modifiers = m_liveSelection ? m_latchedModifiers : event->modifiers();
    switch (m_mode) {
    case BandPressed:
    case LassoPressed:
    case ZoomPressed:
        cancelInteraction(false, modifiers);
        break;
    case BandDragging:
        if (event->button() != Qt::LeftButton)
            break;
        selectItemsInRect(m_startPoint, m_currentPoint, modifiers, true);
        removeFromScene(m_bandItem.get());
        setMode(Idle);
        return;
    case LassoDragging:
        if (event->button() != Qt::LeftButton)
            break;
        selectItemsInPolygon(m_lassoPolygon, modifiers, true);
        removeFromScene(m_lassoItem.get());
        setMode(Idle);
        return;
    case ZoomDragging:
        if (event->button() != Qt::MiddleButton)
            break;
        if (auto* view = qobject_cast<PlanView*>(m_hoveredView.data());
            m_viewHovered && view && m_bandRect.width() > 0 && m_bandRect.height() > 0)
            view->zoomToRect(m_bandRect);
        removeFromScene(m_bandItem.get());
        setMode(Idle);
        return;
    case ItemDrag:
    case DuplicateDrag:
        if (m_dragStarted && event->button() == m_dragButton) {
            endItemDrag();
            return;
        }
        clearDragState();
        break;
    default:
        break;
    }
    mouseReleased(event);
}

// --- item drags ---

void PlanScene::endItemDrag()
{
    dragStep(true);
    dragFinished();
    if (m_mode == ItemDrag)
        ++m_moveId;
    clearDragState();
}

void PlanScene::clearDragState()
{
    stopCommitTimer();
    m_dragStarted = false;
    m_dragBounds = QRectF();
    m_dragButton = Qt::NoButton;
    m_lastDragPoint = QPointF();
    setMode(Idle);
}

bool PlanScene::dragStep(bool isFinal)
{
    stopCommitTimer();
    QPointF delta = m_lastDragPoint - m_startPoint;
    const QRectF limits = dragLimits();
    if (limits.width() != 0 && limits.height() != 0) {
        if (m_dragBounds.left() + delta.x() < limits.left())
            delta.setX(limits.left() - m_dragBounds.left());
        if (m_dragBounds.right() + delta.x() > limits.right())
            delta.setX(limits.right() - m_dragBounds.right());
        if (m_dragBounds.top() + delta.y() < limits.top())
            delta.setY(limits.top() - m_dragBounds.top());
        if (m_dragBounds.bottom() + delta.y() > limits.bottom())
            delta.setY(limits.bottom() - m_dragBounds.bottom());
    }
    if (m_mode == DuplicateDrag)
        return moveItems(delta, m_moveId, true);
    if (delta.isNull() || !moveItems(delta, m_moveId, isFinal))
        return false;
    m_startPoint = m_lastDragPoint;
    m_dragBounds.translate(delta);
    return true;
}

void PlanScene::startCommitTimer()
{
    if (m_autoScrollTimer == 0 && m_autoScrollInterval != 0)
        m_autoScrollTimer = startTimer(m_autoScrollInterval, Qt::CoarseTimer);
}

void PlanScene::stopCommitTimer()
{
    if (m_autoScrollTimer != 0)
        killTimer(m_autoScrollTimer);
    m_autoScrollTimer = 0;
}
