#include "applications/common/util/special_value_text_selector.h"
#include "applications/common/util/tarvel_style.h"
#include "applications/common/util/tests/style_fixture.h"

#include <QCalendarWidget>
#include <QIcon>
#include <QLineEdit>
#include <QMouseEvent>
#include <QPixmapCache>
#include <QSpinBox>
#include <QTabBar>
#include <QTest>
#include <QTextCharFormat>
#include <QToolButton>

#include <tuple>

namespace {

// A widget class of that name from outside the program, which is also a tool button.
class SegmentedControl : public QToolButton
{
    Q_OBJECT
};

std::vector<QObject*> selectorsOf(const QObject* spinBox)
{
    std::vector<QObject*> selectors;
    for (QObject* child : spinBox->children())
        if (dynamic_cast<SpecialValueTextSelector*>(child))
            selectors.push_back(child);
    return selectors;
}

using TarvelStyleTest = StyleTest;

TEST_F(TarvelStyleTest, PaletteAndFonts)
{
    const std::tuple<QPalette::ColorRole, QColor, QColor> roles[] = {
        {QPalette::Window, grey(253), grey(253)},
        {QPalette::Button, grey(230), grey(242)},
        {QPalette::Base, grey(253), grey(230)},
        {QPalette::AlternateBase, grey(230), grey(242)},
        {QPalette::Text, grey(0), grey(192)},
        {QPalette::WindowText, grey(77), grey(192)},
        {QPalette::ButtonText, QColor(0, 128, 255), grey(192)},
        {QPalette::BrightText, QColor(192, 227, 255), grey(153)},
        {QPalette::Link, QColor(0, 128, 255), grey(192)},
        {QPalette::LinkVisited, QColor(44, 104, 153), grey(230)},
        {QPalette::ToolTipBase, grey(230), grey(230)},
        {QPalette::ToolTipText, grey(77), grey(77)},
        {QPalette::Light, grey(253), grey(230)},
        {QPalette::Midlight, grey(242), grey(230)},
        {QPalette::Mid, grey(153), grey(192)},
        {QPalette::Dark, grey(77), grey(192)},
        {QPalette::Shadow, grey(0), grey(77)},
        {QPalette::Highlight, QColor(192, 227, 255), grey(192)},
        {QPalette::HighlightedText, grey(0), grey(230)}};
    // The style's own and the application's, which the fixture set from it.
    for (const QPalette& palette : {style()->standardPalette(), QApplication::palette()}) {
        for (const auto& [role, all, disabled] : roles) {
            SCOPED_TRACE(role);
            EXPECT_EQ(palette.color(QPalette::Active, role), all);
            EXPECT_EQ(palette.color(QPalette::Inactive, role), all);
            EXPECT_EQ(palette.color(QPalette::Disabled, role), disabled);
            EXPECT_EQ(palette.brush(QPalette::Disabled, role).style(), Qt::SolidPattern);
        }
    }
    EXPECT_EQ(normalFont.pointSize(), 8);
    EXPECT_EQ(smallFont.pointSize(), 7);
    EXPECT_EQ(largeFont.pointSize(), 12);
}

TEST_F(TarvelStyleTest, MetricsHintsAndScale)
{
    const std::tuple<int, int> metrics[] = {{QStyle::PM_DefaultFrameWidth, 1},
                                            {QStyle::PM_ScrollBarExtent, 14},
                                            {QStyle::PM_ScrollBarSliderMin, 10},
                                            {QStyle::PM_TabBarTabOverlap, -2},
                                            {QStyle::PM_TabBarTabHSpace, 12},
                                            {QStyle::PM_TabBarTabVSpace, 17},
                                            {QStyle::PM_TabBarBaseHeight, 0},
                                            {QStyle::PM_TabBarBaseOverlap, 4},
                                            {QStyle::PM_SplitterWidth, 4},
                                            {QStyle::PM_TabBarTabShiftHorizontal, 0},
                                            {QStyle::PM_TabBarTabShiftVertical, 0},
                                            {QStyle::PM_TabCloseIndicatorWidth, 12},
                                            {QStyle::PM_TabCloseIndicatorHeight, 12},
                                            {int(QStyle::PM_CustomBase), 14},
                                            {int(QStyle::PM_CustomBase + 1), 8}};
    for (const auto& [metric, value] : metrics)
        EXPECT_EQ(style()->pixelMetric(QStyle::PixelMetric(metric)), value) << metric;

    EXPECT_EQ(style()->styleHint(QStyle::SH_TabBar_Alignment), 132);
    EXPECT_EQ(style()->styleHint(QStyle::SH_TabBar_PreferNoArrows), 1);
    EXPECT_EQ(style()->styleHint(QStyle::SH_Slider_AbsoluteSetButtons), 1);

    // A screen below 48 DPI must not scale every metric to nothing.
    const std::tuple<qreal, int> dpis[] = {{100, 96}, {143, 96}, {144, 192}, {239, 192}, {240, 288}, {30, 96}, {0, 96}};
    for (const auto& [dpi, rounded] : dpis)
        EXPECT_EQ(roundStyleDpi(dpi), rounded) << dpi;
    EXPECT_EQ(styleDpi(), 96);  // the offscreen screen has 100
    QCoreApplication::setAttribute(Qt::AA_Use96Dpi);
    EXPECT_EQ(styleDpi(), 96);
    QCoreApplication::setAttribute(Qt::AA_Use96Dpi, false);
    EXPECT_EQ(styleScaled(6.5), 6.5);
}

TEST_F(TarvelStyleTest, PolishAndUnpolish)
{
    QToolButton toolButton;
    toolButton.ensurePolished();
    EXPECT_EQ(toolButton.focusPolicy(), Qt::StrongFocus);

    // Only the first rule that matches: the segmented control keeps a tool button's focus policy.
    SegmentedControl segmented;
    const Qt::FocusPolicy toolButtonDefault = QToolButton().focusPolicy();
    segmented.ensurePolished();
    EXPECT_EQ(segmented.focusPolicy(), toolButtonDefault);
    EXPECT_EQ(segmented.palette().color(QPalette::Active, QPalette::Button), QColor(0, 128, 255));
    EXPECT_EQ(segmented.palette().color(QPalette::Disabled, QPalette::HighlightedText), grey(253));

    QTabBar tabBar;
    tabBar.ensurePolished();
    EXPECT_TRUE(tabBar.testAttribute(Qt::WA_Hover));
    style()->unpolish(&tabBar);
    EXPECT_FALSE(tabBar.testAttribute(Qt::WA_Hover));

    QCalendarWidget calendar;
    calendar.ensurePolished();
    EXPECT_EQ(calendar.horizontalHeaderFormat(), QCalendarWidget::SingleLetterDayNames);
    for (Qt::DayOfWeek day : {Qt::Saturday, Qt::Sunday})
        EXPECT_EQ(calendar.weekdayTextFormat(day).foreground().color(), grey(77));

    // A selector once, and only for a text that was there at the first polish.
    QSpinBox withText, textAfterPolish;
    withText.setSpecialValueText(QStringLiteral("Auto"));
    withText.ensurePolished();
    style()->polish(&withText);
    EXPECT_EQ(selectorsOf(&withText).size(), 1u);
    textAfterPolish.ensurePolished();
    textAfterPolish.setSpecialValueText(QStringLiteral("Auto"));
    style()->polish(&textAfterPolish);
    EXPECT_TRUE(selectorsOf(&textAfterPolish).empty());
}

TEST_F(TarvelStyleTest, SpecialValueTextSelectedWholeOnPress)
{
    QSpinBox spinBox;
    spinBox.setRange(0, 10);
    spinBox.setSpecialValueText(QStringLiteral("Auto"));
    spinBox.show();
    auto* lineEdit = spinBox.findChild<QLineEdit*>();
    ASSERT_TRUE(lineEdit);
    const auto selectedOnClick = [&](int value) {
        spinBox.setValue(value);
        lineEdit->deselect();
        QTest::mouseClick(lineEdit, Qt::LeftButton, {}, QPoint(5, lineEdit->height() / 2));
        return lineEdit->selectedText();
    };
    EXPECT_EQ(selectedOnClick(0), QStringLiteral("Auto"));
    EXPECT_EQ(selectedOnClick(7), QString());  // a number is clicked into as usual

    // Disabled: the press is left alone.
    spinBox.setValue(0);
    lineEdit->deselect();
    spinBox.setEnabled(false);
    ASSERT_EQ(selectorsOf(&spinBox).size(), 1u);
    QMouseEvent press(QEvent::MouseButtonPress, QPointF(5, 5), Qt::LeftButton, Qt::LeftButton, Qt::NoModifier);
    EXPECT_FALSE(selectorsOf(&spinBox)[0]->eventFilter(lineEdit, &press));
    EXPECT_TRUE(lineEdit->selectedText().isEmpty());
}

TEST_F(TarvelStyleTest, StandardIcons)
{
    // Each message icon is the program's own drawing: opaque in the middle, clear in the corner.
    for (auto icon : {QStyle::SP_MessageBoxInformation, QStyle::SP_MessageBoxWarning, QStyle::SP_MessageBoxCritical,
                      QStyle::SP_MessageBoxQuestion}) {
        const QImage image = style()->standardIcon(icon).pixmap(32, 32).toImage();
        EXPECT_EQ(image.size(), QSize(32, 32)) << icon;
        EXPECT_EQ(std::make_pair(image.pixelColor(16, 16).alpha(), image.pixelColor(0, 0).alpha()),
                  std::make_pair(255, 0))
            << icon;
    }
    // Dialog buttons carry text only, rather than a mix of stock raster icons and none.
    EXPECT_EQ(style()->styleHint(QStyle::SH_DialogButtonBox_ButtonsHaveIcons), 0);

    // Both arrows are built on the first call, whatever it asked for. The artwork points down: +90 turns it
    // clockwise to point left.
    const auto premultiplied = [](const QImage& image) {
        return image.convertToFormat(QImage::Format_ARGB32_Premultiplied);
    };
    const QImage arrow = premultiplied(QImage(QStringLiteral(":/style/tarvel_arrow.png")));
    for (const auto& [angle, icon] :
         {std::make_pair(90, QStyle::SP_ArrowLeft), std::make_pair(-90, QStyle::SP_ArrowRight)}) {
        QPixmap cached;
        ASSERT_TRUE(QPixmapCache::find("$tarvel-rotated-:/style/tarvel_arrow.png" + QString::number(angle), &cached));
        EXPECT_EQ(premultiplied(cached.toImage()), arrow.transformed(QTransform().rotate(angle))) << angle;
        EXPECT_EQ(premultiplied(style()->standardIcon(icon).pixmap(16, 16).toImage()), premultiplied(cached.toImage()));
    }
}

}  // namespace

#include "tarvel_style_test.moc"
