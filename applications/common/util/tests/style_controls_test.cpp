#include "applications/common/util/style_animation.h"
#include "applications/common/util/tarvel_style.h"
#include "applications/common/util/tests/style_fixture.h"

#include <QPixmapCache>
#include <QPointer>
#include <QProcess>
#include <QProgressBar>
#include <QScrollBar>
#include <QSplitter>
#include <QTabBar>

#include <climits>
#include <tuple>

namespace {

using StyleControlsTest = StyleTest;

QImage white(const QSize& size)
{
    QImage image(size, QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::white);
    return image;
}

QImage drawn(QStyle::ControlElement element, const QStyleOption& option, const QSize& size)
{
    QImage image = white(size);
    QPainter painter(&image);
    QApplication::style()->drawControl(element, &option, &painter);
    return image;
}

QImage drawn(QStyle::ComplexControl control, const QStyleOptionComplex& option, const QSize& size)
{
    QImage image = white(size);
    QPainter painter(&image);
    QApplication::style()->drawComplexControl(control, &option, &painter);
    return image;
}

QRect across(const QRect& rect) { return QRect(rect.y(), rect.x(), rect.height(), rect.width()); }

TEST_F(StyleControlsTest, ScrollBar)
{
    using SC = QStyle::SubControl;
    // Range, page step and value, then a rectangle of a vertical bar 14 x 203.
    const std::tuple<int, int, int, int, SC, QRect> cases[] = {
        {0, 100, 100, 0, QStyle::SC_ScrollBarSlider, {0, 2, 14, 99}},
        {0, 100, 100, 0, QStyle::SC_ScrollBarSubPage, {0, 0, 14, 2}},
        {0, 100, 100, 0, QStyle::SC_ScrollBarAddPage, {0, 101, 14, 98}},
        {0, 100, 100, 0, QStyle::SC_ScrollBarGroove, {0, 0, 14, 203}},
        {0, 100, 100, 0, QStyle::SC_ScrollBarAddLine, {}},
        {0, 100, 100, 0, QStyle::SC_ScrollBarSubLine, {}},
        {0, 100, 100, 100, QStyle::SC_ScrollBarSlider, {0, 102, 14, 99}},
        {50, 50, 100, 50, QStyle::SC_ScrollBarSlider, {0, 2, 14, 199}},         // nothing to scroll
        {100, 0, 0, 50, QStyle::SC_ScrollBarSlider, {0, 2, 14, 199}},           // backwards, page 0: no division by 0
        {0, 1, 0, 0, QStyle::SC_ScrollBarSlider, {0, 2, 14, 10}},               // no page: the shortest slider
        {0, 1 << 30, INT_MAX, 0, QStyle::SC_ScrollBarSlider, {0, 2, 14, 10}}};  // a huge range, too
    for (const auto& [minimum, maximum, page, value, control, expected] : cases) {
        auto bar = option<QStyleOptionSlider>(QRect(0, 0, 14, 203));
        bar.orientation = Qt::Vertical;
        std::tie(bar.minimum, bar.maximum, bar.pageStep, bar.sliderPosition) = std::tie(minimum, maximum, page, value);
        EXPECT_EQ(style()->subControlRect(QStyle::CC_ScrollBar, &bar, control), expected) << control << ' ' << value;
        bar.orientation = Qt::Horizontal;
        bar.rect = across(bar.rect);
        EXPECT_EQ(style()->subControlRect(QStyle::CC_ScrollBar, &bar, control), across(expected)) << control;
    }
    auto mirrored = option<QStyleOptionSlider>(QRect(0, 0, 203, 14));
    std::tie(mirrored.maximum, mirrored.pageStep, mirrored.direction) = std::tuple(100, 100, Qt::RightToLeft);
    EXPECT_EQ(style()->subControlRect(QStyle::CC_ScrollBar, &mirrored, QStyle::SC_ScrollBarSlider),
              QRect(102, 0, 99, 14));

    QScrollBar real(Qt::Vertical);
    real.setRange(0, 100);
    real.setPageStep(100);
    real.resize(14, 203);
    const QImage image = real.grab().toImage();
    EXPECT_TRUE(pixelNear(image, 7, 150, grey(242)));
    EXPECT_TRUE(pixelNear(image, 7, 50, grey(153)));
    auto pressed = option<QStyleOptionSlider>(QRect(0, 0, 14, 203), QStyle::State_Sunken);
    std::tie(pressed.maximum, pressed.pageStep, pressed.orientation) = std::tuple(100, 100, Qt::Vertical);
    pressed.activeSubControls = QStyle::SC_ScrollBarSlider;
    EXPECT_TRUE(pixelNear(drawn(QStyle::CC_ScrollBar, pressed, QSize(14, 203)), 7, 50, grey(192)));
}

TEST_F(StyleControlsTest, TabGeometry)
{
    auto tab = option<QStyleOptionTab>(QRect(0, 0, 100, 30));
    EXPECT_EQ(style()->subElementRect(QStyle::SE_TabBarTabText, &tab), QRect(6, -8, 88, 37));
    tab.leftButtonSize = QSize(16, 16);
    tab.rightButtonSize = QSize(12, 12);
    EXPECT_EQ(style()->subElementRect(QStyle::SE_TabBarTabText, &tab), QRect(26, -8, 52, 37));

    // Buttons 6 in from the ends, centred clear of the strip on the side of the bar's base.
    const std::tuple<QTabBar::Shape, Qt::LayoutDirection, QRect, QRect> buttons[] = {
        {QTabBar::RoundedNorth, Qt::LeftToRight, {6, 3, 16, 16}, {82, 5, 12, 12}},
        {QTabBar::RoundedNorth, Qt::RightToLeft, {78, 3, 16, 16}, {6, 5, 12, 12}},
        {QTabBar::RoundedSouth, Qt::LeftToRight, {6, 11, 16, 16}, {82, 13, 12, 12}},
        {QTabBar::RoundedWest, Qt::LeftToRight, {3, 78, 16, 16}, {5, 6, 12, 12}},
        {QTabBar::RoundedEast, Qt::LeftToRight, {11, 6, 16, 16}, {13, 82, 12, 12}}};
    for (const auto& [shape, direction, left, right] : buttons) {
        tab.shape = shape;
        tab.direction = direction;
        const bool vertical = shape == QTabBar::RoundedWest || shape == QTabBar::RoundedEast;
        tab.rect = vertical ? QRect(0, 0, 30, 100) : QRect(0, 0, 100, 30);
        EXPECT_EQ(style()->subElementRect(QStyle::SE_TabBarTabLeftButton, &tab), left) << shape << direction;
        EXPECT_EQ(style()->subElementRect(QStyle::SE_TabBarTabRightButton, &tab), right) << shape << direction;
    }

    // The pane overlaps the tab bar by 4 where it has a frame line.
    auto frame = option<QStyleOptionTabWidgetFrame>(QRect(0, 0, 300, 200));
    frame.tabBarSize = QSize(100, 30);
    const std::tuple<QTabBar::Shape, int, QRect, QRect> panes[] = {
        {QTabBar::RoundedNorth, 1, {0, 26, 300, 174}, {5, 28, 290, 167}},
        {QTabBar::RoundedNorth, 0, {0, 30, 300, 170}, {0, 30, 300, 170}},
        {QTabBar::RoundedSouth, 1, {0, 0, 300, 174}, {5, 2, 290, 167}},
        {QTabBar::RoundedWest, 1, {96, 0, 204, 200}, {101, 2, 194, 193}},
        {QTabBar::RoundedEast, 1, {0, 0, 204, 200}, {5, 2, 194, 193}}};
    for (const auto& [shape, lineWidth, pane, contents] : panes) {
        std::tie(frame.shape, frame.lineWidth) = std::tie(shape, lineWidth);
        EXPECT_EQ(style()->subElementRect(QStyle::SE_TabWidgetTabPane, &frame), pane) << shape;
        EXPECT_EQ(style()->subElementRect(QStyle::SE_TabWidgetTabContents, &frame), contents) << shape;
    }
}

TEST_F(StyleControlsTest, TabPixels)
{
    using Tab = QStyleOptionTab;
    const QColor background = grey(255);
    // A 100 x 30 north tab: body above an 8-pixel strip, 2 pixels short of the next tab.
    const std::tuple<QStyle::State, Tab::TabPosition, QPoint, QColor> cases[] = {
        {{}, Tab::Middle, {50, 10}, grey(230)},
        {QStyle::State_MouseOver, Tab::Middle, {50, 10}, grey(242)},
        {{}, Tab::Middle, {97, 10}, grey(230)},
        {{}, Tab::Middle, {98, 10}, background},
        {{}, Tab::End, {99, 10}, grey(230)},
        {{}, Tab::Middle, {50, 22}, background},
        {QStyle::State_Selected, Tab::Middle, {50, 10}, grey(77)},
        {QStyle::State_Selected, Tab::Middle, {49, 22}, grey(77)},  // the pointer, 14 wide
        {QStyle::State_Selected, Tab::Middle, {40, 22}, background},
        {QStyle::State_Selected, Tab::Middle, {49, 28}, grey(77)},  // 8 deep
        {QStyle::State_Selected, Tab::Middle, {45, 28}, background}};
    for (const auto& [state, position, at, expected] : cases) {
        auto tab = option<Tab>(QRect(0, 0, 100, 30), state);
        tab.position = position;
        EXPECT_TRUE(pixelNear(drawn(QStyle::CE_TabBarTabShape, tab, QSize(100, 30)), at.x(), at.y(), expected, 1))
            << int(state) << ' ' << position;
    }

    QTabBar bar;
    for (const char* text : {"One", "Two", "Three"})
        bar.addTab(QString::fromLatin1(text));
    bar.setCurrentIndex(1);
    bar.resize(bar.sizeHint());
    const QImage image = bar.grab().toImage();
    for (int i = 0; i < 3; ++i) {
        const QRect rect = bar.tabRect(i);
        EXPECT_TRUE(pixelNear(image, rect.center().x(), 2, i == 1 ? grey(77) : grey(230))) << i;
        // Apart from the next tab, flush at the bar's end.
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
        {0, 100, 0, Qt::Horizontal, Qt::LeftToRight, {40, 14}, grey(192)},
        {0, 100, 50, Qt::Horizontal, Qt::RightToLeft, {160, 9}, accent},
        {0, 100, 50, Qt::Horizontal, Qt::RightToLeft, {40, 14}, grey(192)},
        {INT_MIN, INT_MAX, 0, Qt::Horizontal, Qt::LeftToRight, {40, 9}, accent},  // no int overflow
        {INT_MIN, INT_MAX, 0, Qt::Horizontal, Qt::LeftToRight, {150, 14}, grey(192)},
        {0, 100, 50, Qt::Vertical, Qt::LeftToRight, {9, 160}, accent},  // fills upwards
        {0, 100, 50, Qt::Vertical, Qt::LeftToRight, {5, 40}, grey(192)}};
    for (const auto& [minimum, maximum, value, orientation, direction, at, expected] : cases) {
        const bool vertical = orientation == Qt::Vertical;
        const QRect rect = vertical ? QRect(0, 0, 20, 200) : QRect(0, 0, 200, 20);
        auto bar = option<QStyleOptionProgressBar>(rect);
        std::tie(bar.minimum, bar.maximum, bar.progress) = std::tie(minimum, maximum, value);
        std::tie(bar.orientation, bar.direction) = std::tie(orientation, direction);
        EXPECT_TRUE(pixelNear(drawn(QStyle::CE_ProgressBarContents, bar, rect.size()), at.x(), at.y(), expected))
            << minimum << ' ' << value << ' ' << orientation << direction;
    }
    EXPECT_TRUE(allWhite(
        drawn(QStyle::CE_ProgressBarGroove, option<QStyleOptionProgressBar>(QRect(0, 0, 200, 20)), QSize(200, 20))));

    QProgressBar real;
    real.setTextVisible(false);
    real.resize(200, 20);
    real.setValue(50);
    EXPECT_TRUE(pixelNear(real.grab().toImage(), 40, 9, accent));

    // Busy: stripes that move, through an animation of the widget's own, gone once the bar is determinate.
    real.setRange(0, 0);
    real.grab();
    const QPointer<StyleAnimation> busy = style()->animation(&real);
    ASSERT_TRUE(qobject_cast<ProgressStyleAnimation*>(busy.data()));
    busy->setCurrentTime(1000);
    EXPECT_EQ(static_cast<ProgressStyleAnimation*>(busy.data())->animationStep(), 60);
    real.setRange(0, 100);
    real.grab();
    EXPECT_EQ(style()->animation(&real), nullptr);
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    EXPECT_TRUE(busy.isNull());

    // Without a widget nothing animates: the stripes stand at step 0.
    auto unowned = option<QStyleOptionProgressBar>(QRect(0, 0, 200, 20));
    std::tie(unowned.minimum, unowned.maximum) = std::tuple(0, 0);
    const QImage stripes = drawn(QStyle::CE_ProgressBarContents, unowned, QSize(200, 20));
    EXPECT_EQ(drawn(QStyle::CE_ProgressBarContents, unowned, QSize(200, 20)), stripes);
    EXPECT_TRUE(pixelNear(stripes, 11, 9, accent));
    EXPECT_FALSE(pixelNear(stripes, 22, 9, accent, 60));
}

TEST_F(StyleControlsTest, SplitterToolBarGroupBoxSpinBox)
{
    QSplitter splitter;
    splitter.addWidget(new QWidget);
    splitter.addWidget(new QWidget);
    splitter.resize(100, 50);
    const QImage split = splitter.grab().toImage();
    EXPECT_TRUE(pixelNear(split, splitter.handle(1)->geometry().center().x(), 25, grey(230)));
    const QRect handle(0, 0, 4, 50);
    EXPECT_TRUE(pixelNear(drawn(QStyle::CE_Splitter, option(handle, QStyle::State_MouseOver), handle.size()), 2, 25,
                          grey(242)));
    QStyleOption disabled = option(handle);
    disabled.state = QStyle::State_None;
    EXPECT_TRUE(allWhite(drawn(QStyle::CE_Splitter, disabled, handle.size())));

    const QImage toolBar = drawn(QStyle::CE_ToolBar, option<QStyleOptionToolBar>(QRect(0, 0, 100, 30)), QSize(100, 30));
    EXPECT_TRUE(pixelNear(toolBar, 50, 29, grey(230)));

    auto box = option<QStyleOptionGroupBox>(QRect(0, 0, 200, 100));
    box.text = QStringLiteral("Title");
    box.subControls = QStyle::SC_GroupBoxFrame | QStyle::SC_GroupBoxLabel | QStyle::SC_GroupBoxContents;
    const int title = std::max(box.fontMetrics.height(), style()->pixelMetric(QStyle::PM_ExclusiveIndicatorHeight));
    const int indicatorWidth = style()->pixelMetric(QStyle::PM_IndicatorWidth);
    const int indicatorHeight = style()->pixelMetric(QStyle::PM_IndicatorHeight);
    const auto rect = [&](QStyle::SubControl control) {
        return style()->subControlRect(QStyle::CC_GroupBox, &box, control);
    };
    EXPECT_EQ(rect(QStyle::SC_GroupBoxFrame), box.rect);
    EXPECT_EQ(rect(QStyle::SC_GroupBoxContents), QRect(QPoint(6, 6 + title), QPoint(193, 93)));
    EXPECT_EQ(rect(QStyle::SC_GroupBoxLabel).topLeft(), QPoint(7, 1));
    const int labelHeight = rect(QStyle::SC_GroupBoxLabel).height();
    box.subControls |= QStyle::SC_GroupBoxCheckBox;
    EXPECT_EQ(rect(QStyle::SC_GroupBoxLabel).topLeft(), QPoint(7 + indicatorWidth + 5, 1));
    EXPECT_EQ(rect(QStyle::SC_GroupBoxCheckBox),
              QRect(7, std::max(0, (labelHeight - indicatorHeight) / 2), indicatorWidth, indicatorHeight));
    box.direction = Qt::RightToLeft;
    EXPECT_EQ(rect(QStyle::SC_GroupBoxCheckBox).right(), 192);
    EXPECT_EQ(rect(QStyle::SC_None), QRect());
    box.direction = Qt::LeftToRight;
    const QImage group = drawn(QStyle::CC_GroupBox, box, box.rect.size());
    EXPECT_TRUE(pixelNear(group, 100, 60, grey(242), 1));
    const QPoint check = rect(QStyle::SC_GroupBoxCheckBox).center();
    EXPECT_TRUE(pixelNear(group, check.x(), check.y(), grey(253)));

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
    auto box = option<QStyleOptionComboBox>(QRect(0, 0, 100, 22));
    auto red = box;
    red.palette.setColor(QPalette::Button, Qt::red);
    auto wide = option<QStyleOptionComboBox>(QRect(0, 0, 18, 3)),
         tall = option<QStyleOptionComboBox>(QRect(0, 0, 1, 35));
    const std::tuple<const QStyleOptionComboBox&, const QStyleOptionComboBox&> pairs[] = {{box, red}, {wide, tall}};
    for (const auto& [first, second] : pairs) {
        const QString firstKey = keyOf(first, "-raised-enabled"), secondKey = keyOf(second, "-raised-enabled");
        ASSERT_NE(firstKey, secondKey);
        QPixmapCache::remove(firstKey);
        QPixmapCache::remove(secondKey);
        drawn(QStyle::CC_ComboBox, first, first.rect.size());
        drawn(QStyle::CC_ComboBox, second, second.rect.size());
        const qreal ratio = qApp->devicePixelRatio();
        EXPECT_EQ(cached(firstKey).size(), first.rect.size() * ratio);
        EXPECT_EQ(cached(firstKey).devicePixelRatio(), ratio);
        EXPECT_FALSE(cached(secondKey).isNull());
    }

    // A second paint of the same key is the cached pixmap.
    QPixmap marker(box.rect.size());
    marker.fill(Qt::green);
    QPixmapCache::insert(keyOf(box, "-raised-enabled"), marker);
    EXPECT_TRUE(pixelNear(drawn(QStyle::CC_ComboBox, box, box.rect.size()), 50, 10, QColor(Qt::green)));

    // The disabled arrow is the tint artwork recoloured grey, not drawn bright blue.
    auto disabled = box;
    disabled.state = QStyle::State_None;
    const QRect arrow = style()->subControlRect(QStyle::CC_ComboBox, &disabled, QStyle::SC_ComboBoxArrow);
    const QColor pixel =
        drawn(QStyle::CC_ComboBox, disabled, box.rect.size()).pixelColor(arrow.center().x() + 1, arrow.center().y());
    EXPECT_LT(pixel.blue() - pixel.red(), 10);
    EXPECT_LT(pixel.red(), 230);
    auto editable = box;
    editable.editable = true;
    QPixmapCache::remove(keyOf(editable, "-raised-editable-enabled"));
    drawn(QStyle::CC_ComboBox, editable, box.rect.size());
    EXPECT_FALSE(cached(keyOf(editable, "-raised-editable-enabled")).isNull());

    // The pixmap is made at the screen's pixel ratio: checked again at ratio 2 in a process of its own.
    if (qEnvironmentVariableIsEmpty("QT_SCALE_FACTOR")) {
        QProcess child;
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        environment.insert(QStringLiteral("QT_SCALE_FACTOR"), QStringLiteral("2"));
        child.setProcessEnvironment(environment);
        child.start(QCoreApplication::applicationFilePath(),
                    {QStringLiteral("--gtest_filter=StyleControlsTest.ComboBoxCache")});
        ASSERT_TRUE(child.waitForFinished(120000));
        EXPECT_EQ(child.exitCode(), 0) << child.readAllStandardOutput().toStdString();
    } else {
        EXPECT_EQ(qApp->devicePixelRatio(), 2);
    }
}

}  // namespace
