#include "applications/common/util/style_animation.h"
#include "applications/common/util/tarvel_style.h"
#include "applications/common/util/tests/style_fixture.h"

#include <QPixmapCache>
#include <QPointer>
#include <QProcess>
#include <QProgressBar>
#include <QScrollBar>
#include <QTabBar>

#include <climits>
#include <tuple>

namespace {

using StyleControlsTest = StyleTest;

// Draws a control or a complex control into a white image of size.
template <class Element, class Option>
QImage drawn(Element element, const Option& option, const QSize& size)
{
    QImage image(size, QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::white);
    QPainter painter(&image);
    if constexpr (std::is_same_v<Element, QStyle::ComplexControl>)
        QApplication::style()->drawComplexControl(element, &option, &painter);
    else
        QApplication::style()->drawControl(element, &option, &painter);
    return image;
}

TEST_F(StyleControlsTest, ScrollBar)
{
    // Range, page step and value, then the slider, sub-page and add-page of a vertical bar 14 x 203.
    const std::tuple<int, int, int, int, QRect, QRect, QRect> cases[] = {
        {0, 100, 100, 0, {0, 2, 14, 99}, {0, 0, 14, 2}, {0, 101, 14, 98}},
        {0, 100, 100, 100, {0, 102, 14, 99}, {0, 0, 14, 102}, {0, 201, 14, -2}},
        {50, 50, 100, 50, {0, 2, 14, 199}, {0, 0, 14, 2}, {0, 201, 14, -2}},         // one value: the whole track
        {100, 0, 100, 50, {0, 2, 14, 199}, {0, 0, 14, 2}, {0, 201, 14, -2}},         // backwards: no division by 0
        {0, 1, 0, 0, {0, 2, 14, 10}, {0, 0, 14, 2}, {0, 12, 14, 187}},               // no page: the shortest slider
        {0, 1 << 30, INT_MAX, 0, {0, 2, 14, 10}, {0, 0, 14, 2}, {0, 12, 14, 187}}};  // a huge range, too
    for (const auto& [minimum, maximum, page, value, slider, subPage, addPage] : cases) {
        auto bar = option<QStyleOptionSlider>({});
        std::tie(bar.minimum, bar.maximum, bar.pageStep, bar.sliderPosition) = std::tie(minimum, maximum, page, value);
        for (const Qt::Orientation orientation : {Qt::Vertical, Qt::Horizontal}) {
            const auto turned = [&](const QRect& r) {
                return orientation == Qt::Vertical ? r : QRect(r.y(), r.x(), r.height(), r.width());
            };
            std::tie(bar.orientation, bar.rect) = std::tuple(orientation, turned(QRect(0, 0, 14, 203)));
            const auto rect = [&](auto control) {
                return style()->subControlRect(QStyle::CC_ScrollBar, &bar, control);
            };
            EXPECT_EQ(std::tuple(rect(QStyle::SC_ScrollBarSlider), rect(QStyle::SC_ScrollBarSubPage),
                                 rect(QStyle::SC_ScrollBarAddPage), rect(QStyle::SC_ScrollBarGroove),
                                 rect(QStyle::SC_ScrollBarAddLine)),
                      std::tuple(turned(slider), turned(subPage), turned(addPage), bar.rect, QRect()))
                << minimum << ' ' << maximum << ' ' << value << ' ' << orientation;
        }
    }

    // The groove light, the slider mid grey, lighter while pressed.
    for (const QStyle::State state : {QStyle::State_None, QStyle::State_Sunken}) {
        auto bar = option<QStyleOptionSlider>(QRect(0, 0, 14, 203), state);
        std::tie(bar.maximum, bar.pageStep, bar.orientation) = std::tuple(100, 100, Qt::Vertical);
        bar.activeSubControls = QStyle::SC_ScrollBarSlider;
        const QImage image = drawn(QStyle::CC_ScrollBar, bar, bar.rect.size());
        EXPECT_TRUE(pixelNear(image, 7, 150, grey(242)) && pixelNear(image, 7, 50, grey(state ? 192 : 153)));
    }
}

TEST_F(StyleControlsTest, Tabs)
{
    auto tab = option<QStyleOptionTab>(QRect(0, 0, 100, 30));
    EXPECT_EQ(style()->subElementRect(QStyle::SE_TabBarTabText, &tab), QRect(6, -8, 88, 37));
    std::tie(tab.leftButtonSize, tab.rightButtonSize) = std::tuple(QSize(16, 16), QSize(12, 12));
    // Buttons 6 in from the ends, centred clear of the strip on the side of the bar's base.
    const std::tuple<QTabBar::Shape, Qt::LayoutDirection, QRect, QRect, QRect> buttons[] = {
        {QTabBar::RoundedNorth, Qt::LeftToRight, {0, 0, 100, 30}, {6, 3, 16, 16}, {82, 5, 12, 12}},
        {QTabBar::RoundedNorth, Qt::RightToLeft, {0, 0, 100, 30}, {78, 3, 16, 16}, {6, 5, 12, 12}},
        {QTabBar::RoundedWest, Qt::LeftToRight, {0, 0, 30, 100}, {3, 78, 16, 16}, {5, 6, 12, 12}},
        {QTabBar::RoundedEast, Qt::LeftToRight, {0, 0, 30, 100}, {11, 6, 16, 16}, {13, 82, 12, 12}}};
    for (const auto& [shape, direction, rect, left, right] : buttons) {
        std::tie(tab.shape, tab.direction, tab.rect) = std::tie(shape, direction, rect);
        EXPECT_EQ(style()->subElementRect(QStyle::SE_TabBarTabLeftButton, &tab), left) << shape << direction;
        EXPECT_EQ(style()->subElementRect(QStyle::SE_TabBarTabRightButton, &tab), right) << shape << direction;
    }
    // The pane overlaps the tab bar by 4 where it has a frame line.
    auto frame = option<QStyleOptionTabWidgetFrame>(QRect(0, 0, 300, 200));
    frame.tabBarSize = QSize(100, 30);
    const std::tuple<QTabBar::Shape, int, QRect, QRect> panes[] = {
        {QTabBar::RoundedNorth, 1, {0, 26, 300, 174}, {5, 28, 290, 167}},
        {QTabBar::RoundedNorth, 0, {0, 30, 300, 170}, {0, 30, 300, 170}},
        {QTabBar::RoundedWest, 1, {96, 0, 204, 200}, {101, 2, 194, 193}}};
    for (const auto& [shape, lineWidth, pane, contents] : panes) {
        std::tie(frame.shape, frame.lineWidth) = std::tie(shape, lineWidth);
        EXPECT_EQ(style()->subElementRect(QStyle::SE_TabWidgetTabPane, &frame), pane) << shape;
        EXPECT_EQ(style()->subElementRect(QStyle::SE_TabWidgetTabContents, &frame), contents) << shape;
    }

    // A 100 x 30 north tab: the body above an 8-pixel strip, hovered, or selected with its 14 x 8 pointer.
    const std::tuple<QStyle::State, QPoint, QColor> pixels[] = {
        {QStyle::State_MouseOver, {50, 10}, grey(242)}, {{}, {50, 22}, grey(255)},
        {QStyle::State_Selected, {49, 22}, grey(77)},   {QStyle::State_Selected, {40, 22}, grey(255)},
        {QStyle::State_Selected, {49, 28}, grey(77)},   {QStyle::State_Selected, {45, 28}, grey(255)}};
    for (const auto& [state, at, expected] : pixels) {
        const QImage image =
            drawn(QStyle::CE_TabBarTabShape, option<QStyleOptionTab>(QRect(0, 0, 100, 30), state), QSize(100, 30));
        EXPECT_TRUE(pixelNear(image, at.x(), at.y(), expected, 1)) << int(state) << ' ' << at.x() << ',' << at.y();
    }
    QTabBar bar;
    for (const QString& text : {QStringLiteral("One"), QStringLiteral("Two"), QStringLiteral("Three")})
        bar.addTab(text);
    bar.setCurrentIndex(1);
    bar.resize(bar.sizeHint());
    const QImage image = bar.grab().toImage();
    for (int i = 0; i < 3; ++i) {
        // Selected dark, the others grey; 2 pixels apart, but flush at the bar's end.
        const QRect rect = bar.tabRect(i);
        EXPECT_TRUE(pixelNear(image, rect.center().x(), 2, i == 1 ? grey(77) : grey(230))) << i;
        EXPECT_TRUE(pixelNear(image, rect.right(), 2, i == 2 ? grey(230) : grey(253))) << i;
        EXPECT_TRUE(pixelNear(image, rect.right() - 2, 2, i == 1 ? grey(77) : grey(230))) << i;
    }
}

TEST_F(StyleControlsTest, ProgressBar)
{
    const QColor accent(0, 128, 255);
    // Range, value, orientation and direction, then a pixel of a 200 x 20 bar (20 x 200 upright).
    const std::tuple<int, int, int, Qt::Orientation, Qt::LayoutDirection, QPoint, QColor> cases[] = {
        {0, 100, 50, Qt::Horizontal, Qt::LeftToRight, {40, 9}, accent},
        {0, 100, 50, Qt::Horizontal, Qt::LeftToRight, {150, 14}, grey(192)},
        {0, 100, 100, Qt::Horizontal, Qt::LeftToRight, {100, 14}, accent},
        {INT_MIN, INT_MAX, 0, Qt::Horizontal, Qt::LeftToRight, {40, 9}, accent},  // no int overflow
        {0, 100, 50, Qt::Vertical, Qt::LeftToRight, {9, 160}, accent}};           // fills upwards
    for (const auto& [minimum, maximum, value, orientation, direction, at, expected] : cases) {
        auto bar =
            option<QStyleOptionProgressBar>(orientation == Qt::Vertical ? QRect(0, 0, 20, 200) : QRect(0, 0, 200, 20));
        std::tie(bar.minimum, bar.maximum, bar.progress) = std::tie(minimum, maximum, value);
        std::tie(bar.orientation, bar.direction) = std::tie(orientation, direction);
        EXPECT_TRUE(pixelNear(drawn(QStyle::CE_ProgressBarContents, bar, bar.rect.size()), at.x(), at.y(), expected))
            << minimum << ' ' << value << ' ' << orientation << direction;
    }

    // Busy: stripes moved by an animation of the widget's own, gone once the bar is determinate.
    QProgressBar real;
    real.resize(200, 20);
    real.setRange(0, 0);
    real.grab();
    const QPointer<ProgressStyleAnimation> busy = qobject_cast<ProgressStyleAnimation*>(style()->animation(&real));
    ASSERT_TRUE(busy);
    busy->setCurrentTime(1000);
    EXPECT_EQ(busy->animationStep(), 60);
    real.setRange(0, 100);
    real.grab();
    EXPECT_EQ(style()->animation(&real), nullptr);
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    EXPECT_TRUE(busy.isNull());
    // Without a widget nothing animates: the stripes stand at step 0.
    auto unowned = option<QStyleOptionProgressBar>(QRect(0, 0, 200, 20));
    std::tie(unowned.minimum, unowned.maximum) = std::tuple(0, 0);
    const QImage stripes = drawn(QStyle::CE_ProgressBarContents, unowned, QSize(200, 20));
    EXPECT_TRUE(pixelNear(stripes, 11, 9, accent));
    EXPECT_FALSE(pixelNear(stripes, 22, 9, accent, 60));
}

TEST_F(StyleControlsTest, SplitterToolBarGroupBoxSpinBox)
{
    // A splitter handle grey, lighter under the mouse, not drawn while disabled.
    const QRect handle(0, 0, 4, 50);
    using Splitter = std::pair<QStyle::State, QColor>;
    for (const auto& [state, colour] : {Splitter(QStyle::State_Enabled, grey(230)),
                                        Splitter(QStyle::State_Enabled | QStyle::State_MouseOver, grey(242)),
                                        Splitter(QStyle::State_None, grey(255))}) {
        QStyleOption splitter;
        std::tie(splitter.rect, splitter.state) = std::tuple(handle, state);
        EXPECT_TRUE(pixelNear(drawn(QStyle::CE_Splitter, splitter, handle.size()), 2, 25, colour)) << int(state);
    }
    const QImage toolBar = drawn(QStyle::CE_ToolBar, option<QStyleOptionToolBar>(QRect(0, 0, 100, 30)), QSize(100, 30));
    EXPECT_TRUE(pixelNear(toolBar, 50, 29, grey(230)));

    auto box = option<QStyleOptionGroupBox>(QRect(0, 0, 200, 100));
    box.text = QStringLiteral("Title");
    box.subControls = QStyle::SC_GroupBoxFrame | QStyle::SC_GroupBoxLabel;
    const int title = std::max(box.fontMetrics.height(), style()->pixelMetric(QStyle::PM_ExclusiveIndicatorHeight));
    const QSize indicator(style()->pixelMetric(QStyle::PM_IndicatorWidth),
                          style()->pixelMetric(QStyle::PM_IndicatorHeight));
    const auto rect = [&](auto control) { return style()->subControlRect(QStyle::CC_GroupBox, &box, control); };
    EXPECT_EQ(rect(QStyle::SC_GroupBoxContents), QRect(QPoint(6, 6 + title), QPoint(193, 93)));
    const QRect label = rect(QStyle::SC_GroupBoxLabel);
    EXPECT_EQ(label.topLeft(), QPoint(7, 1));
    box.subControls |= QStyle::SC_GroupBoxCheckBox;
    EXPECT_EQ(rect(QStyle::SC_GroupBoxLabel).topLeft(), QPoint(7 + indicator.width() + 5, 1));
    EXPECT_EQ(rect(QStyle::SC_GroupBoxCheckBox),
              QRect(QPoint(7, std::max(0, (label.height() - indicator.height()) / 2)), indicator));

    const auto spin = option<QStyleOptionSpinBox>(QRect(0, 0, 80, 20));
    EXPECT_EQ(style()->sizeFromContents(QStyle::CT_SpinBox, &spin, QSize(50, 16)),
              style()->baseStyle()->sizeFromContents(QStyle::CT_SpinBox, &spin, QSize(50, 16)) - QSize(0, 1));
}

TEST_F(StyleControlsTest, ComboBoxCache)
{
    const auto keyOf = [](const QStyleOptionComboBox& box, const char* suffix) {
        return style()->styleOptionKey(QStringLiteral("combobox"), &box, box.rect.size()) + QLatin1String(suffix);
    };
    const auto cached = [](const QString& key) {
        QPixmap pixmap;
        return QPixmapCache::find(key, &pixmap) ? pixmap : QPixmap();
    };
    // Boxes alike but for their palette, or with sizes whose numbers run together alike.
    auto box = option<QStyleOptionComboBox>(QRect(0, 0, 100, 22)), red = box;
    red.palette.setColor(QPalette::Button, Qt::red);
    auto wide = option<QStyleOptionComboBox>(QRect(0, 0, 18, 3)),
         tall = option<QStyleOptionComboBox>(QRect(0, 0, 1, 35));
    for (const auto& [first, second] : {std::tie(box, red), std::tie(wide, tall)}) {
        const QString firstKey = keyOf(first, "-raised-enabled"), secondKey = keyOf(second, "-raised-enabled");
        ASSERT_NE(firstKey, secondKey);
        QPixmapCache::remove(firstKey);
        QPixmapCache::remove(secondKey);
        drawn(QStyle::CC_ComboBox, first, first.rect.size());
        drawn(QStyle::CC_ComboBox, second, second.rect.size());
        const qreal ratio = qApp->devicePixelRatio();
        EXPECT_EQ(std::pair(cached(firstKey).size(), cached(firstKey).devicePixelRatio()),
                  std::pair(first.rect.size() * ratio, ratio));
        EXPECT_FALSE(cached(secondKey).isNull());
    }
    // A second paint of the same key is the cached pixmap.
    QPixmap marker(box.rect.size());
    marker.fill(Qt::green);
    QPixmapCache::insert(keyOf(box, "-raised-enabled"), marker);
    EXPECT_TRUE(pixelNear(drawn(QStyle::CC_ComboBox, box, box.rect.size()), 50, 10, QColor(Qt::green)));

    // The disabled arrow is the tint artwork recoloured grey, not drawn bright blue.
    box.state = QStyle::State_None;
    const QPoint arrow = style()->subControlRect(QStyle::CC_ComboBox, &box, QStyle::SC_ComboBoxArrow).center();
    const QColor pixel = drawn(QStyle::CC_ComboBox, box, box.rect.size()).pixelColor(arrow.x() + 1, arrow.y());
    EXPECT_TRUE(pixel.blue() - pixel.red() < 10 && pixel.red() < 230) << qPrintable(pixel.name());

    // The pixmap is made at the screen's pixel ratio: checked again at ratio 2 in a process of its own.
    if (qEnvironmentVariableIsEmpty("QT_SCALE_FACTOR")) {
        QProcess child;
        qputenv("QT_SCALE_FACTOR", "2");
        child.start(QCoreApplication::applicationFilePath(), {"--gtest_filter=StyleControlsTest.ComboBoxCache"});
        qunsetenv("QT_SCALE_FACTOR");
        ASSERT_TRUE(child.waitForFinished(120000));
        EXPECT_EQ(child.exitCode(), 0) << child.readAllStandardOutput().toStdString();
    } else {
        EXPECT_EQ(qApp->devicePixelRatio(), 2);
    }
}

}  // namespace
