// TarvelStyle's controls, complex controls and their geometry.
#include "applications/common/util/style_animation.h"
#include "applications/common/util/tarvel_style.h"

#include <QPainter>
#include <QPainterPath>
#include <QPixmapCache>
#include <QStyleOption>
#include <QTabBar>
#include <QtMath>

#include <algorithm>
#include <cmath>

namespace {

using TarvelStyleArtwork::kArrowPath;
using TarvelStyleArtwork::kTintArrowPath;

// Busy stripes repeat every this many pixels.
constexpr int kStripePeriod = 22;
// The slider's track keeps this many pixels of groove clear at each end of a scroll bar.
constexpr int kScrollBarTrackInset = 2;

bool isVertical(QTabBar::Shape shape)
{
    return shape == QTabBar::RoundedWest || shape == QTabBar::RoundedEast || shape == QTabBar::TriangularWest
        || shape == QTabBar::TriangularEast;
}

bool isSouth(QTabBar::Shape shape) { return shape == QTabBar::RoundedSouth || shape == QTabBar::TriangularSouth; }

bool isWest(QTabBar::Shape shape) { return shape == QTabBar::RoundedWest || shape == QTabBar::TriangularWest; }

bool isEast(QTabBar::Shape shape) { return shape == QTabBar::RoundedEast || shape == QTabBar::TriangularEast; }

// A tab option of the layout the style reads (buttons and icon size).
const QStyleOptionTab* tabOption(const QStyleOption* option)
{
    const auto* tab = qstyleoption_cast<const QStyleOptionTab*>(option);
    return tab && tab->version >= 3 ? tab : nullptr;
}

const QStyleOptionProgressBar* progressOption(const QStyleOption* option)
{
    const auto* bar = qstyleoption_cast<const QStyleOptionProgressBar*>(option);
    return bar && bar->version >= 2 ? bar : nullptr;
}

// Lets a vertical progress bar be drawn as a horizontal one: turns the
// painter a quarter clockwise about the bar and gives the bar's rectangle in
// the turned coordinates, (0, 0) at its top-left.
QRect turnProgressBar(const QStyleOptionProgressBar* bar, QPainter* painter)
{
    QRect rect = bar->rect;
    painter->translate(rect.topLeft());
    rect.moveTo(0, 0);
    if (bar->orientation == Qt::Vertical) {
        rect.setSize(rect.size().transposed());
        painter->translate(rect.height(), 0);
        painter->rotate(90);
    }
    return rect;
}

}  // namespace

void TarvelStyle::tabLayout(const QStyleOptionTab* tab, const QWidget* widget, QRect* textRect, QRect* iconRect) const
{
    const bool vertical = isVertical(tab->shape);
    QRect rect = vertical ? QRect(0, 0, tab->rect.height(), tab->rect.width()) : tab->rect;
    const int strip = proxy()->pixelMetric(PixelMetric(PM_TabUnderlineHeight), tab, widget);
    if (isSouth(tab->shape))
        rect.setBottom(rect.bottom() + strip - 1);
    else
        rect.setBottom(rect.bottom() - (strip + 1));

    int verticalShift = proxy()->pixelMetric(PM_TabBarTabShiftVertical, tab, widget);
    const int horizontalShift = proxy()->pixelMetric(PM_TabBarTabShiftHorizontal, tab, widget);
    const int hPadding = proxy()->pixelMetric(PM_TabBarTabHSpace, tab, widget) / 2;
    const int vPadding = proxy()->pixelMetric(PM_TabBarTabVSpace, tab, widget) / 2;
    if (isSouth(tab->shape))
        verticalShift = -verticalShift;
    rect.adjust(hPadding, verticalShift - vPadding, horizontalShift - hPadding, vPadding);
    if (tab->state & State_Selected) {
        rect.setRight(rect.right() - horizontalShift);
        rect.setTop(rect.top() - verticalShift);
    }

    const auto along = [vertical](const QSize& size) { return vertical ? size.height() : size.width(); };
    if (!tab->leftButtonSize.isEmpty())
        rect.setLeft(rect.left() + 4 + along(tab->leftButtonSize));
    if (!tab->rightButtonSize.isEmpty())
        rect.setRight(rect.right() - 4 - along(tab->rightButtonSize));

    *iconRect = QRect();
    if (!tab->icon.isNull()) {
        QSize iconSize = tab->iconSize;
        if (!iconSize.isValid()) {
            const int extent = proxy()->pixelMetric(PM_SmallIconSize, tab, widget);
            iconSize = QSize(extent, extent);
        }
        const QSize actual =
            tab->icon.actualSize(iconSize, tab->state & State_Enabled ? QIcon::Normal : QIcon::Disabled,
                                 tab->state & State_Selected ? QIcon::On : QIcon::Off);
        QRect icon(rect.left(), rect.center().y() - actual.height() / 2, actual.width(), actual.height());
        *iconRect = vertical ? icon : visualRect(tab->direction, tab->rect, icon);
        rect.setLeft(rect.left() + actual.width() + 4);
    }
    *textRect = vertical ? rect : visualRect(tab->direction, tab->rect, rect);
}

void TarvelStyle::drawControl(ControlElement element, const QStyleOption* option, QPainter* painter,
                              const QWidget* widget) const
{
    switch (element) {
    case CE_TabBarTabShape:
        if (const QStyleOptionTab* tab = tabOption(option)) {
            if (tab->shape <= QTabBar::RoundedEast) {
                drawTabShape(tab, painter, widget);
                return;
            }
        }
        break;
    case CE_TabBarTabLabel:
        if (const QStyleOptionTab* tab = tabOption(option)) {
            drawTabLabel(tab, painter, widget);
            return;
        }
        break;
    case CE_ProgressBarGroove:
        return;
    case CE_ProgressBarContents:
        if (const QStyleOptionProgressBar* bar = progressOption(option)) {
            drawProgressContents(bar, painter, widget);
            return;
        }
        break;
    case CE_ProgressBarLabel:
        if (const QStyleOptionProgressBar* bar = progressOption(option)) {
            drawProgressLabel(bar, painter);
            return;
        }
        break;
    case CE_ToolButtonLabel:
        if (const auto* button = qstyleoption_cast<const QStyleOptionToolButton*>(option)) {
            if (button->state & (State_Sunken | State_On)) {
                QStyleOptionToolButton pressed(*button);
                pressed.palette.setColor(QPalette::ButtonText, colourVisitedBlue);
                QProxyStyle::drawControl(element, &pressed, painter, widget);
                return;
            }
        }
        break;
    case CE_Splitter:
        if (option->state & State_Enabled)
            painter->fillRect(option->rect, option->state & State_MouseOver ? colourLightGrey : colourButtonGrey);
        return;
    case CE_ToolBar:
        if (const auto* toolBar = qstyleoption_cast<const QStyleOptionToolBar*>(option)) {
            QProxyStyle::drawControl(element, option, painter, widget);
            if (toolBar->toolBarArea == Qt::TopToolBarArea || toolBar->toolBarArea == Qt::NoToolBarArea) {
                painter->save();
                painter->setPen(colourButtonGrey);
                painter->drawLine(option->rect.bottomLeft(), option->rect.bottomRight());
                painter->restore();
            }
            return;
        }
        break;
    default:
        break;
    }
    QProxyStyle::drawControl(element, option, painter, widget);
}

void TarvelStyle::drawTabShape(const QStyleOptionTab* tab, QPainter* painter, const QWidget* widget) const
{
    // Every shape is drawn as a north tab in turned coordinates: the pixels
    // of the tab's rectangle mirrored or transposed onto themselves.
    const QRect& rect = tab->rect;
    QRect north = rect;
    QTransform turn;
    if (isSouth(tab->shape)) {
        turn = QTransform(1, 0, 0, -1, 0, rect.top() + rect.bottom() + 1);
    } else if (isWest(tab->shape)) {
        turn = QTransform(0, 1, 1, 0, 0, 0);
        north = rect.transposed().translated(rect.y() - rect.x(), rect.x() - rect.y());
    } else if (isEast(tab->shape)) {
        turn = QTransform(0, 1, -1, 0, rect.left() + rect.right() + 1, 0);
        north = rect.transposed().translated(rect.y() - rect.x(), rect.x() - rect.y());
    }
    // Tabs stand apart by the (negative) overlap, but the bar's far end stays flush.
    const bool reversed = tab->direction == Qt::RightToLeft && !isVertical(tab->shape);
    const bool farEnd = tab->position == QStyleOptionTab::OnlyOneTab || tab->position == QStyleOptionTab::End
        || (reversed && tab->position == QStyleOptionTab::Beginning);
    if (!farEnd)
        north.setRight(north.right() + proxy()->pixelMetric(PM_TabBarTabOverlap, tab, widget));
    const int strip = proxy()->pixelMetric(PixelMetric(PM_TabUnderlineHeight), tab, widget);
    const int pointer = proxy()->pixelMetric(PixelMetric(PM_SelectedTabPointerWidth), tab, widget);
    const QRectF body = QRectF(north).adjusted(0, 0, 0, -strip);

    painter->save();
    painter->setTransform(turn, true);
    painter->setRenderHint(QPainter::Antialiasing);
    painter->setPen(Qt::NoPen);
    if (tab->state & State_Selected) {
        const qreal cx = body.center().x(), bottom = body.bottom();
        const QPolygonF shape(QVector<QPointF> {body.topLeft(),
                                                body.topRight(),
                                                body.bottomRight(),
                                                {cx + pointer / 2.0, bottom},
                                                {cx, bottom + strip},
                                                {cx - pointer / 2.0, bottom},
                                                body.bottomLeft()});
        painter->setBrush(tab->palette.brush(QPalette::Dark));
        painter->drawPolygon(shape, Qt::OddEvenFill);
    } else {
        const bool hover = (tab->state & State_MouseOver) && (tab->state & State_Enabled);
        painter->setBrush(tab->palette.brush(hover ? QPalette::Midlight : QPalette::Button));
        painter->drawRect(body);
    }
    painter->restore();
}

void TarvelStyle::drawTabLabel(const QStyleOptionTab* tab, QPainter* painter, const QWidget* widget) const
{
    painter->save();
    const QRect& rect = tab->rect;
    if (isEast(tab->shape)) {
        painter->translate(rect.right() + 1, rect.top());
        painter->rotate(90);
    } else if (isWest(tab->shape)) {
        painter->translate(rect.left(), rect.bottom() + 1);
        painter->rotate(-90);
    }
    QRect textRect, iconRect;
    tabLayout(tab, widget, &textRect, &iconRect);
    textRect = proxy()->subElementRect(SE_TabBarTabText, tab, widget);
    const bool enabled = tab->state & State_Enabled, selected = tab->state & State_Selected;
    if (!tab->icon.isNull()) {
        const QPixmap icon = tab->icon.pixmap(iconRect.size(), enabled ? QIcon::Normal : QIcon::Disabled,
                                              selected ? QIcon::On : QIcon::Off);
        painter->drawPixmap(iconRect.topLeft(), icon);
    }
    int alignment = Qt::AlignCenter | Qt::TextShowMnemonic;
    if (!proxy()->styleHint(SH_UnderlineShortcut, tab, widget))
        alignment |= Qt::TextHideMnemonic;
    proxy()->drawItemText(painter, textRect, alignment, tab->palette, enabled, tab->text,
                          selected ? QPalette::Light : QPalette::WindowText);
    painter->restore();
}

void TarvelStyle::drawProgressContents(const QStyleOptionProgressBar* bar, QPainter* painter,
                                       const QWidget* widget) const
{
    const bool indeterminate = bar->minimum == 0 && bar->maximum == 0;
    const bool complete = !indeterminate && bar->progress == bar->maximum;
    const bool vertical = bar->orientation == Qt::Vertical;
    // A busy bar that became determinate (or is drawn elsewhere) needs no more repaints.
    if (!indeterminate && widget)
        stopAnimation(widget);

    painter->save();
    painter->setRenderHint(QPainter::Antialiasing);
    const QRect rect = turnProgressBar(bar, painter).adjusted(0, 0, -1, -1);
    painter->translate(0.5, 0.5);
    const int height = rect.bottom() - rect.top() + 1;
    const qreal radius = height * 0.5;
    QPainterPath shape;
    shape.addRoundedRect(QRectF(rect), radius, radius);

    // A rounded groove: dark at the top, lightening quickly to a flat grey lower half.
    const QColor dark = bar->palette.color(QPalette::Dark);
    QLinearGradient groove(0, rect.top(), 0, rect.bottom());
    groove.setColorAt(0, dark);
    for (const qreal t : {0.2, 0.4, 0.6, 0.8}) {
        const qreal value = dark.valueF() + std::sqrt(t) * (colourDisabledGrey.valueF() - dark.valueF());
        groove.setColorAt(t * t * 0.5, QColor::fromHsvF(dark.hsvHueF(), dark.hsvSaturationF(), value, 1.0));
    }
    groove.setColorAt(0.5, colourDisabledGrey);
    painter->setPen(Qt::NoPen);
    painter->setBrush(groove);
    painter->drawPath(shape);

    if (indeterminate || bar->progress > bar->minimum) {
        painter->save();
        painter->setClipPath(shape, painter->hasClipping() ? Qt::IntersectClip : Qt::ReplaceClip);
        if (complete) {
            painter->fillRect(rect, colourAccentBlue);
        } else if (!indeterminate) {
            // In double: maximum - minimum overflows an int for a full-range bar.
            const double width = rect.width();
            const double done = double(std::max(bar->progress, bar->minimum)) - bar->minimum;
            const double part = std::trunc(done * width / std::max(double(bar->maximum) - bar->minimum, 1.0));
            bool reversed = vertical || bar->direction == Qt::RightToLeft;
            if (bar->invertedAppearance)
                reversed = !reversed;
            const double left = reversed ? rect.left() + width - part : rect.left();
            painter->setClipRect(QRectF(left, rect.top(), part, rect.height()), Qt::IntersectClip);
            painter->fillRect(rect, colourAccentBlue);
        } else {
            int step = 0;
            if (widget) {
                const auto* running = qobject_cast<ProgressStyleAnimation*>(animation(widget));
                if (running && running->state() == QAbstractAnimation::Running)
                    step = running->animationStep() % kStripePeriod;
                else
                    startAnimation(new ProgressStyleAnimation(60, const_cast<QWidget*>(widget)));
            }
            painter->setPen(QPen(colourAccentBlue, 9.0, Qt::SolidLine, Qt::SquareCap, Qt::BevelJoin));
            for (int x = rect.left() - height; x < rect.right(); x += kStripePeriod)
                painter->drawLine(QLineF(x + step, rect.bottom() + 1, x + height + step, rect.top() - 2));
        }
        painter->restore();
    }

    painter->setPen(dark);
    painter->setBrush(Qt::NoBrush);
    painter->drawPath(shape);
    painter->restore();
}

void TarvelStyle::drawProgressLabel(const QStyleOptionProgressBar* bar, QPainter* painter) const
{
    painter->save();
    const QRect rect = turnProgressBar(bar, painter);
    painter->setPen(Qt::white);
    painter->drawText(QRectF(rect), bar->text, QTextOption(Qt::AlignHCenter | Qt::AlignVCenter | Qt::AlignAbsolute));
    painter->restore();
}

QRect TarvelStyle::subElementRect(SubElement element, const QStyleOption* option, const QWidget* widget) const
{
    switch (element) {
    case SE_ProgressBarGroove:
    case SE_ProgressBarContents:
    case SE_ProgressBarLabel:
        return option->rect;
    case SE_TabWidgetTabPane:
    case SE_TabWidgetTabContents:
        if (const auto* frame = qstyleoption_cast<const QStyleOptionTabWidgetFrame*>(option);
            frame && frame->version >= 2) {
            const int overlap = frame->lineWidth == 0 ? 0 : proxy()->pixelMetric(PM_TabBarBaseOverlap, option, widget);
            const QSize bar = frame->tabBarSize, whole = frame->rect.size();
            const int height = std::min(whole.height(), whole.height() - bar.height() + overlap);
            const int width = std::min(whole.width(), whole.width() - bar.width() + overlap);
            QRect pane;
            if (isVertical(frame->shape))
                pane = QRect(isWest(frame->shape) ? std::max(0, bar.width() - overlap) : 0, 0, width, whole.height());
            else
                pane = QRect(0, isSouth(frame->shape) ? 0 : std::max(0, bar.height() - overlap), whole.width(), height);
            if (element == SE_TabWidgetTabContents && frame->lineWidth > 0)
                pane.adjust(5, 2, -5, -5);
            return pane;
        }
        break;
    case SE_TabBarTabLeftButton:
    case SE_TabBarTabRightButton:
        if (const QStyleOptionTab* tab = tabOption(option))
            return tabButtonRect(tab, element == SE_TabBarTabLeftButton, widget);
        break;
    case SE_TabBarTabText:
        if (const QStyleOptionTab* tab = tabOption(option)) {
            QRect textRect, iconRect;
            tabLayout(tab, widget, &textRect, &iconRect);
            return textRect;
        }
        break;
    default:
        break;
    }
    return QProxyStyle::subElementRect(element, option, widget);
}

QRect TarvelStyle::tabButtonRect(const QStyleOptionTab* tab, bool left, const QWidget* widget) const
{
    const QSize size = left ? tab->leftButtonSize : tab->rightButtonSize;
    const int padding = proxy()->pixelMetric(PM_TabBarTabHSpace, tab, widget) / 2;
    const int strip = proxy()->pixelMetric(PixelMetric(PM_TabUnderlineHeight), tab, widget);
    const QRect& rect = tab->rect;
    // Centred across the tab, clear of the strip on the side of the bar's base.
    QRect across = rect;
    if (isSouth(tab->shape))
        across.setTop(across.top() + strip);
    else if (isWest(tab->shape))
        across.setRight(across.right() - strip);
    else if (isEast(tab->shape))
        across.setLeft(across.left() + strip);
    else
        across.setBottom(across.bottom() - strip);
    const auto centred = [](int start, int space, int extent) { return start + qCeil((space - extent) / 2.0); };

    if (!isVertical(tab->shape)) {
        const int x = left ? rect.left() + padding : rect.right() - padding - size.width() + 1;
        return visualRect(tab->direction, rect,
                          QRect(QPoint(x, centred(across.top(), across.height(), size.height())), size));
    }
    // A west tab's text reads upwards, so its start (the left button) is at the bottom.
    const bool atBottom = isWest(tab->shape) == left;
    const int y = atBottom ? rect.bottom() - padding - size.height() + 1 : rect.top() + padding;
    return QRect(QPoint(centred(across.left(), across.width(), size.width()), y), size);
}

void TarvelStyle::drawComplexControl(ComplexControl control, const QStyleOptionComplex* option, QPainter* painter,
                                     const QWidget* widget) const
{
    switch (control) {
    case CC_ComboBox:
        if (const auto* box = qstyleoption_cast<const QStyleOptionComboBox*>(option)) {
            drawComboBox(box, painter, widget);
            return;
        }
        break;
    case CC_ScrollBar:
        if (const auto* bar = qstyleoption_cast<const QStyleOptionSlider*>(option)) {
            drawScrollBar(bar, painter, widget);
            return;
        }
        break;
    case CC_GroupBox:
        if (const auto* box = qstyleoption_cast<const QStyleOptionGroupBox*>(option)) {
            drawGroupBox(box, painter, widget);
            return;
        }
        break;
    default:
        break;
    }
    QProxyStyle::drawComplexControl(control, option, painter, widget);
}

namespace {

// Frame drawn, for the cache key and the painting alike: a frameless box
// (an item view's editor) must not share a framed one's pixmap.
bool comboHasFrame(const QStyleOptionComboBox* box)
{
    return (box->subControls & QStyle::SC_ComboBoxFrame) && box->frame;
}

}  // namespace

void TarvelStyle::drawComboBox(const QStyleOptionComboBox* box, QPainter* painter, const QWidget* widget) const
{
    const QRect& rect = box->rect;
    if (rect.isEmpty())
        return;
    QString key = styleOptionKey(QStringLiteral("combobox"), box, rect.size());
    if (comboHasFrame(box))
        key += QLatin1String("-raised");
    else if (box->state & State_On)
        key += QLatin1String("-sunken");
    if (box->editable)
        key += QLatin1String("-editable");
    if (box->state & State_Enabled)
        key += QLatin1String("-enabled");

    QPixmap cached;
    if (!QPixmapCache::find(key, &cached)) {
        cached = highDpiPixmap(rect.size());
        cached.fill(Qt::transparent);
        QStyleOptionComboBox atOrigin(*box);
        atOrigin.rect.moveTo(0, 0);
        QPainter cachePainter(&cached);
        paintComboBox(&atOrigin, &cachePainter, widget);
        cachePainter.end();
        QPixmapCache::insert(key, cached);
    }
    painter->drawPixmap(rect.topLeft(), cached);
}

void TarvelStyle::paintComboBox(const QStyleOptionComboBox* box, QPainter* painter, const QWidget* widget) const
{
    const State state = box->state;
    const bool open = state & State_On;
    const QRect arrow = proxy()->subControlRect(CC_ComboBox, box, SC_ComboBoxArrow, widget);
    QStyleOptionButton button;
    button.QStyleOption::operator=(*box);
    button.state = state & (State_KeyboardFocusChange | State_MouseOver | State_HasFocus | State_Enabled);
    if (open) {
        button.state |= State_Sunken;
        button.state &= ~State_MouseOver;
    }

    if (!box->editable) {
        if (comboHasFrame(box))
            proxy()->drawPrimitive(PE_PanelButtonCommand, &button, painter, widget);
    } else {
        QStyleOptionFrame frame;
        frame.QStyleOption::operator=(button);
        frame.state |= State_KeyboardFocusChange;
        proxy()->drawPrimitive(PE_FrameLineEdit, &frame, painter, widget);

        // The button side only, widened under the clip so its text-side edge does not show.
        const bool leftToRight = box->direction != Qt::RightToLeft;
        button.rect = leftToRight ? arrow.adjusted(-6, 0, 0, 0) : arrow.adjusted(0, 0, 6, 0);
        painter->save();
        painter->setClipRect(arrow, Qt::IntersectClip);
        proxy()->drawPrimitive(PE_PanelButtonCommand, &button, painter, widget);
        painter->restore();

        const QBrush& window = box->palette.window();
        const QColor outline = window.texture().isNull() ? window.color().darker(140) : QColor(0, 0, 0, 160);
        const bool keyboardFocus = (state & State_HasFocus) && (state & State_KeyboardFocusChange);
        const QBrush separator = keyboardFocus ? box->palette.highlight() : QBrush(outline.lighter(110));
        const int inset = open ? 2 : 1;
        const int x = leftToRight ? arrow.left() : arrow.right();
        painter->save();
        painter->setPen(QPen(separator, 1.0, Qt::SolidLine, Qt::SquareCap, Qt::BevelJoin));
        painter->drawLine(QPoint(x, arrow.top() + inset), QPoint(x, arrow.bottom() - inset));
        painter->restore();
    }

    if (box->subControls & SC_ComboBoxArrow) {
        // The disabled artwork is pure tint, meant to be recoloured: drawn as it
        // stands it would be bright blue.
        const QPixmap image = state & State_Enabled
            ? QPixmap(kArrowPath)
            : colourisedPixmap(kTintArrowPath, box->palette.color(QPalette::Disabled, QPalette::WindowText), 0);
        const QPoint centre = arrow.center();
        const QRectF target(centre.x() - image.width() * 0.25 + 1, centre.y() - image.height() * 0.25 + 1,
                            image.width() * 0.5, image.height() * 0.5);
        painter->save();
        painter->setRenderHint(QPainter::SmoothPixmapTransform);
        painter->drawPixmap(target, image, QRectF(image.rect()));
        painter->restore();
    }
}

void TarvelStyle::drawScrollBar(const QStyleOptionSlider* bar, QPainter* painter, const QWidget* widget) const
{
    if (bar->subControls & SC_ScrollBarGroove)
        painter->fillRect(proxy()->subControlRect(CC_ScrollBar, bar, SC_ScrollBarGroove, widget),
                          bar->palette.brush(QPalette::Midlight));
    if (!(bar->subControls & SC_ScrollBarSlider))
        return;
    const bool horizontal = bar->orientation == Qt::Horizontal;
    QRect slider = proxy()->subControlRect(CC_ScrollBar, bar, SC_ScrollBarSlider, widget);
    slider = horizontal ? slider.adjusted(0, 2, -1, -3) : slider.adjusted(2, 0, -3, -1);
    const qreal radius = (horizontal ? slider.height() : slider.width()) / 2.0;
    const bool active =
        (bar->activeSubControls & SC_ScrollBarSlider) && (bar->state & (State_Sunken | State_MouseOver));
    painter->save();
    painter->setRenderHint(QPainter::Antialiasing);
    painter->translate(0.5, 0.5);
    painter->setPen(Qt::NoPen);
    painter->setBrush(active ? QBrush(colourDisabledGrey) : bar->palette.brush(QPalette::Mid));
    painter->drawRoundedRect(QRectF(slider), radius, radius);
    painter->restore();
}

void TarvelStyle::drawGroupBox(const QStyleOptionGroupBox* box, QPainter* painter, const QWidget* widget) const
{
    if (box->subControls & SC_GroupBoxFrame) {
        QStyleOptionFrame frame;
        frame.QStyleOption::operator=(*box);
        frame.features = box->features;
        frame.lineWidth = box->lineWidth;
        frame.midLineWidth = box->midLineWidth;
        frame.rect = proxy()->subControlRect(CC_GroupBox, box, SC_GroupBoxFrame, widget);
        proxy()->drawPrimitive(PE_FrameGroupBox, &frame, painter, widget);
    }
    if ((box->subControls & SC_GroupBoxLabel) && !box->text.isEmpty()) {
        const QRect label = proxy()->subControlRect(CC_GroupBox, box, SC_GroupBoxLabel, widget);
        int alignment = int(box->textAlignment) | Qt::TextShowMnemonic | Qt::AlignLeft;
        if (!proxy()->styleHint(SH_UnderlineShortcut, box, widget))
            alignment |= Qt::TextHideMnemonic;
        painter->save();
        painter->setPen(QPen(box->palette.color(QPalette::WindowText), 1.0));
        proxy()->drawItemText(painter, label, alignment, box->palette, box->state & State_Enabled, box->text,
                              QPalette::NoRole);
        painter->restore();
        if (box->state & State_HasFocus) {
            QStyleOptionFocusRect focus;
            focus.QStyleOption::operator=(*box);
            focus.rect = label.adjusted(-2, -1, 2, 1);
            proxy()->drawPrimitive(PE_FrameFocusRect, &focus, painter, widget);
        }
    }
    if (box->subControls & SC_GroupBoxCheckBox) {
        QStyleOptionButton check;
        check.QStyleOption::operator=(*box);
        check.rect = proxy()->subControlRect(CC_GroupBox, box, SC_GroupBoxCheckBox, widget);
        proxy()->drawPrimitive(PE_IndicatorCheckBox, &check, painter, widget);
    }
}

QRect TarvelStyle::subControlRect(ComplexControl control, const QStyleOptionComplex* option, SubControl subControl,
                                  const QWidget* widget) const
{
    if (control == CC_ScrollBar) {
        if (const auto* bar = qstyleoption_cast<const QStyleOptionSlider*>(option))
            return scrollBarRect(bar, subControl, widget);
    } else if (control == CC_GroupBox) {
        if (const auto* box = qstyleoption_cast<const QStyleOptionGroupBox*>(option))
            return groupBoxRect(box, subControl, widget);
    }
    return QProxyStyle::subControlRect(control, option, subControl, widget);
}

QRect TarvelStyle::scrollBarRect(const QStyleOptionSlider* bar, SubControl subControl, const QWidget* widget) const
{
    const bool horizontal = bar->orientation == Qt::Horizontal;
    const QRect& rect = bar->rect;
    const int track = std::max(0, (horizontal ? rect.width() : rect.height()) - 2 * kScrollBarTrackInset);
    // A range of nothing, or a backwards one, fills the track: it must not
    // divide by a page step of 0 plus an empty or negative range.
    int length = track;
    if (bar->maximum > bar->minimum) {
        const qint64 range = qint64(bar->maximum) - bar->minimum;
        const qint64 page = std::max(0, bar->pageStep);
        length = int(page * track / (page + range));
        const int shortest = proxy()->pixelMetric(PM_ScrollBarSliderMin, bar, widget);
        if (length < shortest || range >= 0x40000000)
            length = shortest;
        length = std::min(length, track);
    }
    const int start =
        sliderPositionFromValue(bar->minimum, bar->maximum, bar->sliderPosition, track - length, bar->upsideDown)
        + kScrollBarTrackInset;
    // From first to last along the bar (inclusive), the whole thickness across.
    const auto along = [&](int first, int last) {
        const QRect part = horizontal ? QRect(QPoint(first, 0), QPoint(last, rect.height() - 1))
                                      : QRect(QPoint(0, first), QPoint(rect.width() - 1, last));
        return visualRect(bar->direction, rect, part.translated(rect.topLeft()));
    };
    switch (subControl) {
    case SC_ScrollBarSubLine:
    case SC_ScrollBarAddLine:
        return QRect();
    case SC_ScrollBarSubPage:
        return along(0, start - 1);
    case SC_ScrollBarAddPage:
        return along(start + length, track - 1);
    case SC_ScrollBarSlider:
        return along(start, start + length - 1);
    case SC_ScrollBarGroove:
        return visualRect(bar->direction, rect, rect);
    default:
        return QProxyStyle::subControlRect(CC_ScrollBar, bar, subControl, widget);
    }
}

QRect TarvelStyle::groupBoxRect(const QStyleOptionGroupBox* box, SubControl subControl, const QWidget* widget) const
{
    const QRect& rect = box->rect;
    switch (subControl) {
    case SC_GroupBoxFrame:
        return rect;
    case SC_GroupBoxContents: {
        // Below the title line, where the frame starts.
        const int title =
            std::max(box->fontMetrics.height(), proxy()->pixelMetric(PM_ExclusiveIndicatorHeight, box, widget));
        return QRect(QPoint(rect.left() + 6, rect.top() + 6 + title), QPoint(rect.right() - 6, rect.bottom() - 6));
    }
    case SC_GroupBoxLabel:
    case SC_GroupBoxCheckBox: {
        const QSize text = box->fontMetrics.boundingRect(box->text).size() + QSize(2, 2);
        const int indicatorWidth = proxy()->pixelMetric(PM_IndicatorWidth, box, widget);
        const int indicatorHeight = proxy()->pixelMetric(PM_IndicatorHeight, box, widget);
        QRect part;
        if (subControl == SC_GroupBoxLabel) {
            part = QRect(QPoint(7, 1), text);
            if (box->subControls & SC_GroupBoxCheckBox)
                part.translate(indicatorWidth + 5, 0);
        } else {
            part = QRect(7, std::max(0, (text.height() - indicatorHeight) / 2), indicatorWidth, indicatorHeight);
        }
        return visualRect(box->direction, rect, part.translated(rect.topLeft()));
    }
    default:
        return QRect();
    }
}

QSize TarvelStyle::sizeFromContents(ContentsType type, const QStyleOption* option, const QSize& contentsSize,
                                    const QWidget* widget) const
{
    QSize size = QProxyStyle::sizeFromContents(type, option, contentsSize, widget);
    if (type == CT_SpinBox)
        size.setHeight(size.height() - 1);
    return size;
}
