#include "applications/common/util/tarvel_style.h"

#include "applications/common/util/special_value_text_selector.h"
#include "applications/common/util/style_animation.h"

#include <QAbstractSpinBox>
#include <QApplication>
#include <QCalendarWidget>
#include <QIcon>
#include <QPainter>
#include <QPainterPath>
#include <QPixmapCache>
#include <QScreen>
#include <QStyleFactory>
#include <QStyleOption>
#include <QTabBar>
#include <QTextCharFormat>
#include <QTransform>
#include <qdrawutil.h>

#include <algorithm>

const QColor colourOffWhite(253, 253, 253);
const QColor colourLightGrey(242, 242, 242);
const QColor colourButtonGrey(230, 230, 230);
const QColor colourDisabledGrey(192, 192, 192);
const QColor colourMidGrey(153, 153, 153);
const QColor colourDarkGrey(77, 77, 77);
const QColor colourBlack(0, 0, 0);
const QColor colourAccentBlue(0, 128, 255);
const QColor colourPaleBlue(192, 227, 255);
const QColor colourVisitedBlue(44, 104, 153);

QFont normalFont;
QFont smallFont;
QFont largeFont;

void initTarvelStyleResources() { Q_INIT_RESOURCE(tarvel_style); }

namespace {

using TarvelStyleArtwork::kArrowPath;
using TarvelStyleArtwork::kTintArrowPath;

// Icons kept for the whole run.  Dropped when the application object goes:
// an icon engine or pixmap that outlived it would be destroyed after Qt's
// plugins and platform are gone.
struct ProcessIcons
{
    bool arrowsBuilt = false;
    QIcon arrowLeft;
    QIcon arrowRight;
    QIcon tabClose;
};

ProcessIcons* s_processIcons = nullptr;

void dropProcessIcons()
{
    delete s_processIcons;
    s_processIcons = nullptr;
}

ProcessIcons& processIcons()
{
    if (!s_processIcons) {
        s_processIcons = new ProcessIcons;
        qAddPostRoutine(dropProcessIcons);
    }
    return *s_processIcons;
}

// Turns by angle degrees about the image centre.
QTransform rotationAbout(int width, int height, int angle)
{
    return QTransform::fromTranslate(-(width / 2), -(height / 2)) * QTransform().rotate(angle)
        * QTransform::fromTranslate(width / 2, height / 2);
}

// x / 255 rounded, for x a product of two 8-bit values (either sign).
int divideBy255(int x) { return (x + (x >> 8) + 128) >> 8; }

void setRoleColours(QPalette& palette, QPalette::ColorRole role, const QColor& all, const QColor& disabled)
{
    palette.setBrush(QPalette::All, role, all);
    palette.setBrush(QPalette::Disabled, role, disabled);
}

// A rectangle one pixel short at the right and bottom, for outlines drawn
// half a pixel in under antialiasing.
QRect outlineRect(const QRect& rect) { return rect.adjusted(0, 0, -1, -1); }

}  // namespace

int roundStyleDpi(qreal logicalDpi) { return std::max(96, qRound(logicalDpi / 96.0) * 96); }

int styleDpi()
{
    if (QCoreApplication::testAttribute(Qt::AA_Use96Dpi))
        return 96;
    const QScreen* screen = QGuiApplication::primaryScreen();
    if (!screen)
        return 96;
    return roundStyleDpi(screen->logicalDotsPerInch());
}

double styleScaled(double value)
{
    static const double factor = styleDpi() / 96.0;
    return factor * value;
}

QImage colouriseImage(const QImage& source, const QColor& colour)
{
    QImage image = source.convertToFormat(QImage::Format_ARGB32_Premultiplied);
    const int ac = colour.alpha(), rc = colour.red(), gc = colour.green(), bc = colour.blue();
    for (int y = 0; y < image.height(); ++y) {
        auto* line = reinterpret_cast<QRgb*>(image.scanLine(y));
        for (int x = 0; x < image.width(); ++x) {
            const QRgb pixel = line[x];
            const int grey = qGreen(pixel), weight = qBlue(pixel) - qRed(pixel);
            const int alpha = divideBy255(qAlpha(pixel) * ac);
            // A strong tint on a light grey must saturate, not wrap round to dark.
            const auto channel = [&](int c) {
                return std::min(std::clamp(grey + divideBy255(weight * c), 0, 255), alpha);
            };
            line[x] = qRgba(channel(rc), channel(gc), channel(bc), alpha);
        }
    }
    return image;
}

TarvelStyle::TarvelStyle() : QProxyStyle(QStyleFactory::create(QStringLiteral("Fusion")))
{
    setRoleColours(m_palette, QPalette::Window, colourOffWhite, colourOffWhite);
    setRoleColours(m_palette, QPalette::Button, colourButtonGrey, colourLightGrey);
    setRoleColours(m_palette, QPalette::Base, colourOffWhite, colourButtonGrey);
    setRoleColours(m_palette, QPalette::AlternateBase, colourButtonGrey, colourLightGrey);
    setRoleColours(m_palette, QPalette::Text, colourBlack, colourDisabledGrey);
    setRoleColours(m_palette, QPalette::WindowText, colourDarkGrey, colourDisabledGrey);
    setRoleColours(m_palette, QPalette::ButtonText, colourAccentBlue, colourDisabledGrey);
    setRoleColours(m_palette, QPalette::BrightText, colourPaleBlue, colourMidGrey);
    setRoleColours(m_palette, QPalette::Link, colourAccentBlue, colourDisabledGrey);
    setRoleColours(m_palette, QPalette::LinkVisited, colourVisitedBlue, colourButtonGrey);
    setRoleColours(m_palette, QPalette::ToolTipBase, colourButtonGrey, colourButtonGrey);
    setRoleColours(m_palette, QPalette::ToolTipText, colourDarkGrey, colourDarkGrey);
    setRoleColours(m_palette, QPalette::Light, colourOffWhite, colourButtonGrey);
    setRoleColours(m_palette, QPalette::Midlight, colourLightGrey, colourButtonGrey);
    setRoleColours(m_palette, QPalette::Mid, colourMidGrey, colourDisabledGrey);
    setRoleColours(m_palette, QPalette::Dark, colourDarkGrey, colourDisabledGrey);
    setRoleColours(m_palette, QPalette::Shadow, colourBlack, colourDarkGrey);
    setRoleColours(m_palette, QPalette::Highlight, colourPaleBlue, colourDisabledGrey);
    setRoleColours(m_palette, QPalette::HighlightedText, colourBlack, colourButtonGrey);

    normalFont = QApplication::font();
    normalFont.setPointSize(8);
    smallFont = QFont();
    smallFont.setPointSize(7);
    largeFont = normalFont;
    largeFont.setPointSize(normalFont.pointSize() * 3 / 2);
}

TarvelStyle::~TarvelStyle()
{
    // The animations belong to their widgets.
    m_animations.clear();
}

QPalette TarvelStyle::standardPalette() const { return m_palette; }

void TarvelStyle::polish(QWidget* widget)
{
    QProxyStyle::polish(widget);
    if (widget->inherits("SegmentedControl")) {
        QPalette palette = widget->palette();
        setRoleColours(palette, QPalette::Base, colourOffWhite, colourOffWhite);
        setRoleColours(palette, QPalette::Highlight, colourAccentBlue, colourDisabledGrey);
        setRoleColours(palette, QPalette::Button, colourAccentBlue, colourDisabledGrey);
        setRoleColours(palette, QPalette::Light, colourButtonGrey, colourButtonGrey);
        setRoleColours(palette, QPalette::Text, colourAccentBlue, colourDisabledGrey);
        setRoleColours(palette, QPalette::HighlightedText, colourOffWhite, colourOffWhite);
        widget->setPalette(palette);
    } else if (widget->inherits("QToolButton")) {
        widget->setFocusPolicy(Qt::StrongFocus);
    } else if (widget->inherits("QTabBar")) {
        widget->setAttribute(Qt::WA_Hover);
    } else if (widget->inherits("QCalendarWidget")) {
        auto* calendar = static_cast<QCalendarWidget*>(widget);
        calendar->setHorizontalHeaderFormat(QCalendarWidget::SingleLetterDayNames);
        // Weekend days look like weekdays.
        QTextCharFormat format = calendar->weekdayTextFormat(Qt::Saturday);
        format.setForeground(colourDarkGrey);
        calendar->setWeekdayTextFormat(Qt::Saturday, format);
        calendar->setWeekdayTextFormat(Qt::Sunday, format);
    } else if (widget->inherits("QAbstractSpinBox")) {
        // Once only: a widget is polished again whenever the style changes.
        auto* spinBox = static_cast<QAbstractSpinBox*>(widget);
        if (!widget->testAttribute(Qt::WA_WState_Polished) && !spinBox->specialValueText().isEmpty())
            new SpecialValueTextSelector(spinBox);
    }
}

void TarvelStyle::unpolish(QWidget* widget)
{
    QProxyStyle::unpolish(widget);
    if (qobject_cast<QTabBar*>(widget))
        widget->setAttribute(Qt::WA_Hover, false);
}

int TarvelStyle::pixelMetric(PixelMetric metric, const QStyleOption* option, const QWidget* widget) const
{
    const auto scaled = [](double value) { return static_cast<int>(styleScaled(value)); };
    switch (static_cast<uint>(metric)) {
    case PM_DefaultFrameWidth:
        return 1;
    case PM_ScrollBarExtent:
        return scaled(14);
    case PM_ScrollBarSliderMin:
        return scaled(10);
    case PM_TabBarTabOverlap:
        return -2;
    case PM_TabBarTabHSpace:
        return 12;
    case PM_TabBarTabVSpace:
        return 17;
    case PM_TabBarBaseHeight:
        return 0;
    case PM_TabBarBaseOverlap:
        return 4;
    case PM_SplitterWidth:
        return scaled(4);
    case PM_TabBarTabShiftHorizontal:
    case PM_TabBarTabShiftVertical:
        return 0;
    case PM_TabCloseIndicatorWidth:
    case PM_TabCloseIndicatorHeight:
        return 12;
    case PM_SelectedTabPointerWidth:
        return 14;
    case PM_TabUnderlineHeight:
        return 8;
    default:
        return QProxyStyle::pixelMetric(metric, option, widget);
    }
}

int TarvelStyle::styleHint(StyleHint hint, const QStyleOption* option, const QWidget* widget,
                           QStyleHintReturn* returnData) const
{
    switch (hint) {
    case SH_TabBar_Alignment:
        return Qt::AlignCenter;
    case SH_TabBar_PreferNoArrows:
        return 1;
    case SH_Slider_AbsoluteSetButtons:
        return Qt::LeftButton;
    case SH_DialogButtonBox_ButtonsHaveIcons:
        // The platform's stock button icons do not match the flat artwork.
        return 0;
    default:
        return QProxyStyle::styleHint(hint, option, widget, returnData);
    }
}

QIcon TarvelStyle::standardIcon(StandardPixmap icon, const QStyleOption* option, const QWidget* widget) const
{
    ProcessIcons& icons = processIcons();
    if (!icons.arrowsBuilt) {
        icons.arrowLeft = QIcon(rotatedPixmap(kArrowPath, 90));
        icons.arrowRight = QIcon(rotatedPixmap(kArrowPath, -90));
        icons.arrowsBuilt = true;
    }
    switch (icon) {
    case SP_MessageBoxInformation:
        return QIcon(QStringLiteral(":/style/tarvel_mb_information.svg"));
    case SP_MessageBoxWarning:
        return QIcon(QStringLiteral(":/icons/issue_warning"));
    case SP_MessageBoxCritical:
        return QIcon(QStringLiteral(":/style/tarvel_mb_critical.svg"));
    case SP_MessageBoxQuestion:
        return QIcon(QStringLiteral(":/icons/help_questionmark.svg"));
    case SP_ArrowLeft:
        return icons.arrowLeft;
    case SP_ArrowRight:
        return icons.arrowRight;
    default:
        return QProxyStyle::standardIcon(icon, option, widget);
    }
}

QPixmap TarvelStyle::colourisedPixmap(const QString& path, const QColor& colour, int angle) const
{
    const QString key =
        QLatin1String("$tarvel-colourised-") + path + QString::number(colour.rgba(), 16) + QString::number(angle);
    QPixmap pixmap;
    if (QPixmapCache::find(key, &pixmap))
        return pixmap;
    QImage image(path);
    if (image.isNull())
        return pixmap;
    image = colouriseImage(image, colour);
    if (angle != 0)
        image = image.transformed(rotationAbout(image.width(), image.height(), angle), Qt::FastTransformation);
    pixmap = QPixmap::fromImage(image);
    QPixmapCache::insert(key, pixmap);
    return pixmap;
}

QPixmap TarvelStyle::rotatedPixmap(const QString& path, int angle) const
{
    const QString key = QLatin1String("$tarvel-rotated-") + path + QString::number(angle);
    QPixmap pixmap;
    if (QPixmapCache::find(key, &pixmap))
        return pixmap;
    pixmap = QPixmap(path);
    if (pixmap.isNull())
        return pixmap;
    if (angle != 0)
        pixmap = pixmap.transformed(rotationAbout(pixmap.width(), pixmap.height(), angle), Qt::FastTransformation);
    QPixmapCache::insert(key, pixmap);
    return pixmap;
}

QString TarvelStyle::styleOptionKey(const QString& name, const QStyleOption* option, const QSize& size) const
{
    // Separated: run together, 0x12 x 0x3 and 0x1 x 0x23 would read the same.
    QStringList parts {name, QString::number(uint(option->state), 16), QString::number(int(option->direction), 16)};
    if (option->type >= QStyleOption::SO_Complex)
        parts << QString::number(uint(static_cast<const QStyleOptionComplex*>(option)->activeSubControls));
    else
        parts << QStringLiteral("0u");
    parts << QString::number(quint64(option->palette.cacheKey()), 16) << QString::number(size.width(), 16)
          << QString::number(size.height(), 16);
    if (const auto* spinBox = qstyleoption_cast<const QStyleOptionSpinBox*>(option)) {
        parts << QString::number(int(spinBox->buttonSymbols), 16) << QString::number(uint(spinBox->stepEnabled), 16)
              << QLatin1String(spinBox->frame ? "1" : "0");
    }
    return parts.join(QLatin1Char(','));
}

QPixmap TarvelStyle::highDpiPixmap(const QSize& size) const
{
    const qreal ratio = qApp->devicePixelRatio();
    QPixmap pixmap(qRound(size.width() * ratio), qRound(size.height() * ratio));
    pixmap.setDevicePixelRatio(ratio);
    return pixmap;
}

void TarvelStyle::drawBorderPixmap(QPainter* painter, const QRect& target, const QMargins& margins,
                                   const QPixmap& pixmap) const
{
    qDrawBorderPixmap(painter, target, margins, pixmap, pixmap.rect(), margins, QTileRules(Qt::StretchTile));
}

void TarvelStyle::drawPrimitive(PrimitiveElement element, const QStyleOption* option, QPainter* painter,
                                const QWidget* widget) const
{
    switch (element) {
    case PE_Frame:
        if (widget && (widget->inherits("QComboBoxPrivateContainer") || widget->inherits("ShowMoreComboBoxPopup"))) {
            QStyleOption raised(*option);
            raised.state |= State_Raised;
            drawPrimitive(PE_PanelMenu, &raised, painter, widget);
        } else {
            painter->fillRect(option->rect, option->palette.brush(QPalette::Midlight));
        }
        return;
    case PE_FrameDefaultButton:
    case PE_FrameTabBarBase:
        return;
    case PE_FrameFocusRect: {
        const auto* focus = qstyleoption_cast<const QStyleOptionFocusRect*>(option);
        if (!focus || !(focus->state & State_KeyboardFocusChange))
            return;
        QColor outline = option->palette.color(QPalette::LinkVisited);
        outline.setAlpha(80);
        QColor fill = option->palette.color(QPalette::Highlight);
        fill.setAlpha(30);
        painter->save();
        painter->setRenderHint(QPainter::Antialiasing);
        painter->translate(0.5, 0.5);
        painter->setPen(outline);
        painter->setBrush(fill);
        painter->drawRect(outlineRect(option->rect));
        painter->restore();
        return;
    }
    case PE_FrameGroupBox: {
        QRect target = option->rect;
        target.setTop(target.top()
                      + std::max(option->fontMetrics.height(), proxy()->pixelMetric(PM_ExclusiveIndicatorHeight)));
        drawBorderPixmap(painter, target, QMargins(66, 18, 66, 6),
                         QPixmap(QStringLiteral(":/style/tarvel_frame_group.png")));
        return;
    }
    case PE_FrameMenu:
    case PE_PanelMenu:
        painter->save();
        painter->setRenderHint(QPainter::Antialiasing);
        painter->translate(0.5, 0.5);
        painter->setPen(option->palette.color(QPalette::Dark));
        if (element == PE_PanelMenu)
            painter->setBrush(option->palette.brush(QPalette::Base));
        else
            painter->setBrush(Qt::NoBrush);
        painter->drawRect(outlineRect(option->rect));
        painter->restore();
        return;
    case PE_FrameTabWidget:
        drawBorderPixmap(painter, option->rect, QMargins(66, 2, 66, 6),
                         QPixmap(QStringLiteral(":/style/tarvel_frame_tab_north.png")));
        return;
    case PE_IndicatorArrowDown:
    case PE_IndicatorSpinDown:
        drawArrow(option, painter, 0);
        return;
    case PE_IndicatorArrowUp:
    case PE_IndicatorSpinUp:
        drawArrow(option, painter, 180);
        return;
    case PE_IndicatorArrowLeft:
        drawArrow(option, painter, 90);
        return;
    case PE_IndicatorArrowRight:
        drawArrow(option, painter, -90);
        return;
    case PE_IndicatorCheckBox:
        if (qstyleoption_cast<const QStyleOptionButton*>(option)) {
            drawCheckBox(option, painter);
            return;
        }
        break;
    case PE_IndicatorRadioButton:
        drawRadioButton(option, painter);
        return;
    case PE_IndicatorTabClose:
        drawTabClose(option, painter, widget);
        return;
    default:
        break;
    }
    QProxyStyle::drawPrimitive(element, option, painter, widget);
}

void TarvelStyle::drawArrow(const QStyleOption* option, QPainter* painter, int angle) const
{
    const QRect& rect = option->rect;
    if (rect.width() <= 1 || rect.height() <= 1)
        return;
    const QPixmap pixmap = colourisedPixmap(kTintArrowPath, option->palette.color(QPalette::WindowText), angle);
    if (pixmap.isNull())
        return;
    const int side = std::min(std::min(pixmap.width(), pixmap.height()), std::min(rect.width(), rect.height()));
    QSize size(side, side);
    if (pixmap.width() > pixmap.height())
        size.setHeight(pixmap.height() * side / pixmap.width());
    else
        size.setWidth(pixmap.width() * side / pixmap.height());
    QRect target(QPoint(), size);
    target.moveCenter(QPoint((rect.left() + rect.right()) / 2, (rect.top() + rect.bottom()) / 2));
    const bool smooth = painter->testRenderHint(QPainter::SmoothPixmapTransform);
    painter->setRenderHint(QPainter::SmoothPixmapTransform);
    painter->drawPixmap(target, pixmap);
    painter->setRenderHint(QPainter::SmoothPixmapTransform, smooth);
}

void TarvelStyle::drawCheckBox(const QStyleOption* option, QPainter* painter) const
{
    const QPalette& palette = option->palette;
    const QRect& rect = option->rect;
    const bool keyboardFocus = (option->state & State_HasFocus) && (option->state & State_KeyboardFocusChange);
    painter->save();
    painter->setRenderHint(QPainter::Antialiasing);
    painter->translate(0.5, 0.5);
    painter->setBrush(palette.brush(option->state & State_Sunken ? QPalette::Button : QPalette::Base));
    painter->setPen(palette.color(keyboardFocus ? QPalette::Shadow : QPalette::Dark));
    painter->drawRect(outlineRect(rect));
    if (option->state & State_NoChange) {
        const int inset = static_cast<int>(styleScaled(3));
        painter->setBrush(palette.color(QPalette::ButtonText));
        painter->setPen(QPen(palette.color(QPalette::Highlight), 1.0, Qt::SolidLine, Qt::SquareCap, Qt::BevelJoin));
        painter->drawRect(outlineRect(rect).adjusted(inset, inset, -inset, -inset));
    } else if (option->state & State_On) {
        const qreal w = rect.width(), h = rect.height();
        QPainterPath tick(QPointF(5.0, h * 0.5));
        tick.lineTo(w * 0.5, h - 2);
        tick.lineTo(w - 2.5, 3.0);
        tick.translate(rect.topLeft());
        painter->translate(-0.8, 0.5);
        painter->setBrush(Qt::NoBrush);
        painter->setPen(QPen(palette.color(QPalette::ButtonText), 2.0, Qt::SolidLine, Qt::SquareCap, Qt::BevelJoin));
        painter->drawPath(tick);
    }
    painter->restore();
}

void TarvelStyle::drawRadioButton(const QStyleOption* option, QPainter* painter) const
{
    const QPalette& palette = option->palette;
    const bool keyboardFocus = (option->state & State_HasFocus) && (option->state & State_KeyboardFocusChange);
    const QPointF centre = option->rect.center();
    const qreal radius = styleScaled(6.5);
    painter->save();
    painter->setRenderHint(QPainter::Antialiasing);
    painter->setBrush(palette.brush(option->state & State_Sunken ? QPalette::Button : QPalette::Base));
    painter->setPen(palette.color(keyboardFocus ? QPalette::Shadow : QPalette::Dark));
    painter->drawEllipse(QRectF(centre.x() + 1 - radius, centre.y() + 1 - radius, 2 * radius, 2 * radius));
    if (option->state & State_On) {
        const qreal dot = styleScaled(2.8);
        painter->setBrush(palette.color(QPalette::ButtonText));
        painter->setPen(palette.color(QPalette::Highlight));
        painter->drawEllipse(QRectF(centre.x() + 1 - dot, centre.y() + 1 - dot, 2 * dot, 2 * dot));
    }
    painter->restore();
}

void TarvelStyle::drawTabClose(const QStyleOption* option, QPainter* painter, const QWidget* widget) const
{
    ProcessIcons& icons = processIcons();
    if (icons.tabClose.isNull()) {
        icons.tabClose.addFile(QStringLiteral(":/style/close_tab_normal.svg"), QSize(), QIcon::Normal, QIcon::Off);
        icons.tabClose.addFile(QStringLiteral(":/style/close_tab_down.svg"), QSize(), QIcon::Normal, QIcon::On);
        icons.tabClose.addFile(QStringLiteral(":/style/close_tab_hover.svg"), QSize(), QIcon::Active, QIcon::Off);
    }
    const int size =
        std::min({option->rect.width(), option->rect.height(), proxy()->pixelMetric(PM_SmallIconSize, option, widget)});
    const State state = option->state;
    QIcon::Mode mode = QIcon::Normal;
    if (!(state & State_Enabled) || !(state & (State_Raised | State_Sunken | State_Selected)))
        mode = QIcon::Disabled;
    else if (state & State_Raised)
        mode = QIcon::Active;
    const QPixmap pixmap =
        icons.tabClose.pixmap(QSize(size, size), mode, state & State_Sunken ? QIcon::On : QIcon::Off);
    proxy()->drawItemPixmap(painter, option->rect, Qt::AlignCenter, pixmap);
}

void TarvelStyle::startAnimation(StyleAnimation* animation) const
{
    QObject* const target = animation->target();
    if (!target) {
        delete animation;
        return;
    }
    // Started again, the target's own animation must not be deleted under it.
    if (this->animation(target) != animation)
        stopAnimation(target);
    animation->start(QAbstractAnimation::KeepWhenStopped);
    m_animations[target] = animation;
}

void TarvelStyle::stopAnimation(const QObject* target) const
{
    const auto it = m_animations.find(target);
    if (it == m_animations.end())
        return;
    if (StyleAnimation* running = it->second.data()) {
        running->stop();
        running->deleteLater();
    }
    m_animations.erase(it);
}

StyleAnimation* TarvelStyle::animation(const QObject* target) const
{
    const auto it = m_animations.find(target);
    return it == m_animations.end() ? nullptr : it->second.data();
}
