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

namespace {

// A widget class of that name from outside the program, which is also a tool button.
class SegmentedControl : public QToolButton
{
    Q_OBJECT
};

int selectorCount(const QObject* spinBox)
{
    int count = 0;
    for (const QObject* child : spinBox->children())
        count += dynamic_cast<const SpecialValueTextSelector*>(child) != nullptr;
    return count;
}

using TarvelStyleTest = StyleTest;

TEST_F(TarvelStyleTest, PaletteAndFonts)
{
    const struct { QPalette::ColorRole role; QColor all, disabled; } roles[] = {
        {QPalette::Window, grey(253), grey(253)}, {QPalette::Button, grey(230), grey(242)},
        {QPalette::Base, grey(253), grey(230)}, {QPalette::AlternateBase, grey(230), grey(242)},
        {QPalette::Text, grey(0), grey(192)}, {QPalette::WindowText, grey(77), grey(192)},
        {QPalette::ButtonText, QColor(0, 128, 255), grey(192)}, {QPalette::BrightText, QColor(192, 227, 255), grey(153)},
        {QPalette::Link, QColor(0, 128, 255), grey(192)}, {QPalette::LinkVisited, QColor(44, 104, 153), grey(230)},
        {QPalette::ToolTipBase, grey(230), grey(230)}, {QPalette::ToolTipText, grey(77), grey(77)},
        {QPalette::Light, grey(253), grey(230)}, {QPalette::Midlight, grey(242), grey(230)},
        {QPalette::Mid, grey(153), grey(192)}, {QPalette::Dark, grey(77), grey(192)},
        {QPalette::Shadow, grey(0), grey(77)}, {QPalette::Highlight, QColor(192, 227, 255), grey(192)},
        {QPalette::HighlightedText, grey(0), grey(230)},
    };
    // The style's own and the application's, which the fixture set from it.
    for (const QPalette& palette : {style()->standardPalette(), QApplication::palette()}) {
        for (const auto& r : roles) {
            SCOPED_TRACE(r.role);
            EXPECT_EQ(palette.color(QPalette::Active, r.role), r.all);
            EXPECT_EQ(palette.color(QPalette::Inactive, r.role), r.all);
            EXPECT_EQ(palette.color(QPalette::Disabled, r.role), r.disabled);
            EXPECT_EQ(palette.brush(QPalette::Disabled, r.role).style(), Qt::SolidPattern);
        }
    }
    EXPECT_EQ(normalFont.pointSize(), 8);
    EXPECT_EQ(smallFont.pointSize(), 7);
    EXPECT_EQ(largeFont.pointSize(), 12);
    EXPECT_EQ(QApplication::font().pointSize(), 8);
}

TEST_F(TarvelStyleTest, MetricsHintsAndScale)
{
    const struct { int metric, value; } metrics[] = {
        {QStyle::PM_DefaultFrameWidth, 1}, {QStyle::PM_ScrollBarExtent, 14}, {QStyle::PM_ScrollBarSliderMin, 10},
        {QStyle::PM_TabBarTabOverlap, -2}, {QStyle::PM_TabBarTabHSpace, 12}, {QStyle::PM_TabBarTabVSpace, 17},
        {QStyle::PM_TabBarBaseHeight, 0}, {QStyle::PM_TabBarBaseOverlap, 4}, {QStyle::PM_SplitterWidth, 4},
        {QStyle::PM_TabBarTabShiftHorizontal, 0}, {QStyle::PM_TabBarTabShiftVertical, 0},
        {QStyle::PM_TabCloseIndicatorWidth, 12}, {QStyle::PM_TabCloseIndicatorHeight, 12},
        {int(QStyle::PM_CustomBase), 14}, {int(QStyle::PM_CustomBase + 1), 8},
    };
    for (const auto& m : metrics)
        EXPECT_EQ(style()->pixelMetric(QStyle::PixelMetric(m.metric)), m.value) << m.metric;

    EXPECT_EQ(style()->styleHint(QStyle::SH_TabBar_Alignment), 132);
    EXPECT_EQ(style()->styleHint(QStyle::SH_TabBar_PreferNoArrows), 1);
    EXPECT_EQ(style()->styleHint(QStyle::SH_Slider_AbsoluteSetButtons), 1);

    // A screen below 48 DPI must not scale every metric to nothing.
    const struct { qreal dpi; int rounded; } dpis[] = {{100, 96}, {143, 96}, {144, 192}, {239, 192},
                                                       {240, 288}, {30, 96}, {0, 96}};
    for (const auto& d : dpis)
        EXPECT_EQ(roundStyleDpi(d.dpi), d.rounded) << d.dpi;
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
    const QPalette palette = segmented.palette();
    EXPECT_EQ(palette.color(QPalette::Active, QPalette::Button), QColor(0, 128, 255));
    EXPECT_EQ(palette.color(QPalette::Disabled, QPalette::Text), grey(192));
    EXPECT_EQ(palette.color(QPalette::Disabled, QPalette::HighlightedText), grey(253));
    EXPECT_EQ(palette.color(QPalette::Active, QPalette::Light), grey(230));
    EXPECT_EQ(palette.color(QPalette::Active, QPalette::WindowText), grey(77));  // untouched

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
    EXPECT_EQ(selectorCount(&withText), 1);
    textAfterPolish.ensurePolished();
    textAfterPolish.setSpecialValueText(QStringLiteral("Auto"));
    style()->polish(&textAfterPolish);
    EXPECT_EQ(selectorCount(&textAfterPolish), 0);
}

TEST_F(TarvelStyleTest, SpecialValueTextSelectedWholeOnPress)
{
    QSpinBox spinBox;
    spinBox.setRange(0, 10);
    spinBox.setSpecialValueText(QStringLiteral("Auto"));
    spinBox.show();
    auto* lineEdit = spinBox.findChild<QLineEdit*>();
    ASSERT_TRUE(lineEdit);
    ASSERT_EQ(lineEdit->text(), QStringLiteral("Auto"));
    QTest::mouseClick(lineEdit, Qt::LeftButton, {}, QPoint(5, lineEdit->height() / 2));
    EXPECT_EQ(lineEdit->selectedText(), QStringLiteral("Auto"));

    // A number is clicked into as usual.
    spinBox.setValue(7);
    lineEdit->deselect();
    QTest::mouseClick(lineEdit, Qt::LeftButton, {}, QPoint(5, lineEdit->height() / 2));
    EXPECT_EQ(lineEdit->text(), QStringLiteral("7"));
    EXPECT_TRUE(lineEdit->selectedText().isEmpty());

    // Disabled: the press is left alone.
    spinBox.setValue(0);
    lineEdit->deselect();
    spinBox.setEnabled(false);
    QObject* selector = nullptr;
    for (QObject* child : spinBox.children())
        if (dynamic_cast<SpecialValueTextSelector*>(child))
            selector = child;
    ASSERT_TRUE(selector);
    QMouseEvent press(QEvent::MouseButtonPress, QPointF(5, 5), Qt::LeftButton, Qt::LeftButton, Qt::NoModifier);
    EXPECT_FALSE(selector->eventFilter(lineEdit, &press));
    EXPECT_TRUE(lineEdit->selectedText().isEmpty());
}

TEST_F(TarvelStyleTest, StandardIcons)
{
    for (auto icon : {QStyle::SP_MessageBoxInformation, QStyle::SP_MessageBoxCritical}) {
        const QPixmap pixmap = style()->standardIcon(icon).pixmap(16, 16);
        EXPECT_EQ(pixmap.size(), QSize(16, 16)) << icon;
        EXPECT_EQ(pixmap.toImage().pixelColor(8, 1).alpha(), 255) << icon;  // drawn, not blank
    }
    // The program carries no such resources.
    for (auto icon : {QStyle::SP_MessageBoxWarning, QStyle::SP_MessageBoxQuestion})
        EXPECT_TRUE(style()->standardIcon(icon).pixmap(16, 16).isNull()) << icon;

    // Both arrows are built on the first call, whatever it asked for.
    QPixmap left, right;
    ASSERT_TRUE(QPixmapCache::find(QStringLiteral("$tarvel-rotated-:/style/tarvel_arrow.png90"), &left));
    ASSERT_TRUE(QPixmapCache::find(QStringLiteral("$tarvel-rotated-:/style/tarvel_arrow.png-90"), &right));
    const auto premultiplied = [](const QPixmap& pixmap) {
        return pixmap.toImage().convertToFormat(QImage::Format_ARGB32_Premultiplied);
    };
    const QImage arrow =
        QImage(QStringLiteral(":/style/tarvel_arrow.png")).convertToFormat(QImage::Format_ARGB32_Premultiplied);
    // The artwork points down: +90 turns it clockwise to point left.
    EXPECT_EQ(premultiplied(left), arrow.transformed(QTransform().rotate(90)));
    EXPECT_EQ(premultiplied(right), arrow.transformed(QTransform().rotate(-90)));
    EXPECT_EQ(premultiplied(style()->standardIcon(QStyle::SP_ArrowLeft).pixmap(16, 16)), premultiplied(left));
    EXPECT_EQ(premultiplied(style()->standardIcon(QStyle::SP_ArrowRight).pixmap(16, 16)), premultiplied(right));
}

} // namespace

#include "tarvel_style_test.moc"
