#ifndef APPLICATIONS_COMMON_UTIL_TARVEL_STYLE_H
#define APPLICATIONS_COMMON_UTIL_TARVEL_STYLE_H

#include <QColor>
#include <QFont>
#include <QImage>
#include <QPalette>
#include <QPixmap>
#include <QPointer>
#include <QProxyStyle>
#include <QRect>

#include <map>

class QStyleOptionComboBox;
class QStyleOptionGroupBox;
class QStyleOptionProgressBar;
class QStyleOptionSlider;
class QStyleOptionTab;
class StyleAnimation;

// The program's colours, shared with drawing code outside the style.  All
// opaque.
extern const QColor colourOffWhite;      // 253, 253, 253
extern const QColor colourLightGrey;     // 242, 242, 242
extern const QColor colourButtonGrey;    // 230, 230, 230
extern const QColor colourDisabledGrey;  // 192, 192, 192
extern const QColor colourMidGrey;       // 153, 153, 153
extern const QColor colourDarkGrey;      // 77, 77, 77
extern const QColor colourBlack;         // 0, 0, 0
extern const QColor colourAccentBlue;    // 0, 128, 255
extern const QColor colourPaleBlue;      // 192, 227, 255
extern const QColor colourVisitedBlue;   // 44, 104, 153

// The program's fonts at 8, 7 and 12 points.  Default fonts until the first
// TarvelStyle is constructed, which fills them.
extern QFont normalFont;
extern QFont smallFont;
extern QFont largeFont;

// Registers the style's images with Qt's resource system.  The library is
// static, so its resources are only linked in through this call: the
// application calls it once before making the style, and so does every test.
void initTarvelStyleResources();

// The screen's logical resolution rounded to a whole multiple of 96, at
// least 96 (a tiny or bogus resolution must not scale metrics to nothing);
// 96 under Qt::AA_Use96Dpi or with no screen.
int styleDpi();
int roundStyleDpi(qreal logicalDpi);
// value times styleDpi() / 96, the factor taken at the first call and kept
// for the life of the process.
double styleScaled(double value);

// Recolours image (converted to premultiplied ARGB) with colour: the image
// carries a grey shade in green and a tint weight in blue minus red; each
// colour channel becomes grey plus weight times the colour's channel, clamped
// to 0..255 and then to the new alpha (alpha times the colour's alpha).
QImage colouriseImage(const QImage& image, const QColor& colour);

// TarvelStyle is the program's widget style: a light grey and blue proxy over
// Qt's Fusion, with its own palette, metrics, icons, primitive elements and
// the controls it paints itself (tabs, progress bars, tool-button labels,
// splitters, tool bars, combo boxes, scroll bars, group boxes) with their
// geometry.  Images it draws are recoloured and rotated once, and combo boxes
// painted once per size and state, and then kept in Qt's process-wide
// QPixmapCache.  It keeps one animation per animated widget;
// the widget owns the animation, the style only a weak reference.
//
// Make one with new and hand it to QApplication::setStyle, which owns it.
// GUI thread only.
// The arrow the style turns for every direction, and its tint-only form that
// it recolours for disabled controls.
namespace TarvelStyleArtwork {
inline const QString kArrowPath = QStringLiteral(":/style/tarvel_arrow.png");
inline const QString kTintArrowPath = QStringLiteral(":/style/tarvel_arrow_disabled.png");
}  // namespace TarvelStyleArtwork

class TarvelStyle : public QProxyStyle
{
public:
    // Metrics only this style answers.
    enum CustomPixelMetric {
        PM_SelectedTabPointerWidth = PM_CustomBase,
        PM_TabUnderlineHeight = PM_CustomBase + 1,
    };

    TarvelStyle();
    ~TarvelStyle() override;

    void polish(QWidget* widget) override;
    void unpolish(QWidget* widget) override;
    using QProxyStyle::polish;
    using QProxyStyle::unpolish;

    QPalette standardPalette() const override;
    void drawPrimitive(PrimitiveElement element, const QStyleOption* option, QPainter* painter,
                       const QWidget* widget = nullptr) const override;
    void drawControl(ControlElement element, const QStyleOption* option, QPainter* painter,
                     const QWidget* widget = nullptr) const override;
    QRect subElementRect(SubElement element, const QStyleOption* option,
                         const QWidget* widget = nullptr) const override;
    void drawComplexControl(ComplexControl control, const QStyleOptionComplex* option, QPainter* painter,
                            const QWidget* widget = nullptr) const override;
    QRect subControlRect(ComplexControl control, const QStyleOptionComplex* option, SubControl subControl,
                         const QWidget* widget = nullptr) const override;
    int pixelMetric(PixelMetric metric, const QStyleOption* option = nullptr,
                    const QWidget* widget = nullptr) const override;
    int styleHint(StyleHint hint, const QStyleOption* option = nullptr, const QWidget* widget = nullptr,
                  QStyleHintReturn* returnData = nullptr) const override;
    QSize sizeFromContents(ContentsType type, const QStyleOption* option, const QSize& contentsSize,
                           const QWidget* widget = nullptr) const override;
    QIcon standardIcon(StandardPixmap icon, const QStyleOption* option = nullptr,
                       const QWidget* widget = nullptr) const override;

    // The text and icon rectangles of a tab, clear of the strip under it and
    // of its buttons.  A vertical tab's are in its own turned coordinates,
    // (0, 0) at the start of its text.  iconRect stays empty without an icon.
    void tabLayout(const QStyleOptionTab* option, const QWidget* widget, QRect* textRect, QRect* iconRect) const;

    // The resource image at path recoloured by colouriseImage and turned by
    // angle degrees (clockwise); null when path does not load.  Cached.
    QPixmap colourisedPixmap(const QString& path, const QColor& colour, int angle) const;
    // The resource image at path turned by angle degrees.  Cached.
    QPixmap rotatedPixmap(const QString& path, int angle) const;
    // A pixmap cache key for drawing named name with option at size.  Its
    // numbers are separated, so no two options share one.
    QString styleOptionKey(const QString& name, const QStyleOption* option, const QSize& size) const;
    // A pixmap of size logical pixels at the application's device pixel ratio.
    QPixmap highDpiPixmap(const QSize& size) const;
    // Draws pixmap into target as a nine-patch: the margins keep their size,
    // the rest stretches.
    void drawBorderPixmap(QPainter* painter, const QRect& target, const QMargins& margins, const QPixmap& pixmap) const;

    // Starts animation for its parent (the target widget), replacing the
    // target's running one.  An animation without a parent would never be
    // stopped by a hidden widget: it is deleted at once instead.
    void startAnimation(StyleAnimation* animation) const;
    // Stops and deletes (later) the target's animation.
    void stopAnimation(const QObject* target) const;
    // The target's live animation, or null.
    StyleAnimation* animation(const QObject* target) const;

private:
    void drawArrow(const QStyleOption* option, QPainter* painter, int angle) const;
    void drawCheckBox(const QStyleOption* option, QPainter* painter) const;
    void drawRadioButton(const QStyleOption* option, QPainter* painter) const;
    void drawTabClose(const QStyleOption* option, QPainter* painter, const QWidget* widget) const;

    void drawTabShape(const QStyleOptionTab* tab, QPainter* painter, const QWidget* widget) const;
    void drawTabLabel(const QStyleOptionTab* tab, QPainter* painter, const QWidget* widget) const;
    void drawProgressContents(const QStyleOptionProgressBar* bar, QPainter* painter, const QWidget* widget) const;
    void drawProgressLabel(const QStyleOptionProgressBar* bar, QPainter* painter) const;
    void drawComboBox(const QStyleOptionComboBox* box, QPainter* painter, const QWidget* widget) const;
    void paintComboBox(const QStyleOptionComboBox* box, QPainter* painter, const QWidget* widget) const;
    void drawScrollBar(const QStyleOptionSlider* bar, QPainter* painter, const QWidget* widget) const;
    void drawGroupBox(const QStyleOptionGroupBox* box, QPainter* painter, const QWidget* widget) const;
    QRect scrollBarRect(const QStyleOptionSlider* bar, SubControl subControl, const QWidget* widget) const;
    QRect groupBoxRect(const QStyleOptionGroupBox* box, SubControl subControl, const QWidget* widget) const;
    QRect tabButtonRect(const QStyleOptionTab* tab, bool left, const QWidget* widget) const;

    QPalette m_palette;
    mutable std::map<const QObject*, QPointer<StyleAnimation>> m_animations;
};

#endif  // APPLICATIONS_COMMON_UTIL_TARVEL_STYLE_H
