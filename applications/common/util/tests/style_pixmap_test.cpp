#include "applications/common/util/tarvel_style.h"
#include "applications/common/util/tests/style_fixture.h"

#include <QFontMetrics>
#include <QPixmapCache>

#include <tuple>

namespace {

using StylePixmapTest = StyleTest;

// One premultiplied pixel given as A, R, G, B.
QImage pixelImage(int a, int r, int g, int b)
{
    QImage image(1, 1, QImage::Format_ARGB32_Premultiplied);
    reinterpret_cast<QRgb*>(image.scanLine(0))[0] = qRgba(r, g, b, a);
    return image;
}

TEST(ColouriseImage, ShadeAndTint)
{
    const QColor accent(0, 128, 255);
    // Pixels and results premultiplied, as A, R, G, B.
    const std::tuple<std::array<int, 4>, QColor, std::array<int, 4>> cases[] = {
        {{255, 0, 0, 255}, grey(77), {255, 77, 77, 77}},               // pure tint gives the colour
        {{128, 0, 0, 128}, accent, {128, 0, 64, 128}},                 // at half alpha, half of it
        {{200, 50, 120, 50}, accent, {200, 120, 120, 120}},            // no tint: the grey in every channel
        {{255, 0, 100, 200}, accent, {255, 100, 200, 255}},            // a strong tint saturates, not wraps
        {{255, 200, 10, 0}, accent, {255, 10, 0, 0}},                  // a negative weight stops at 0
        {{255, 0, 0, 255}, QColor(255, 0, 0, 128), {128, 128, 0, 0}},  // the colour's alpha scales the pixel's
    };
    for (const auto& [in, colour, expected] : cases) {
        const QImage out = colouriseImage(pixelImage(in[0], in[1], in[2], in[3]), colour);
        ASSERT_EQ(out.format(), QImage::Format_ARGB32_Premultiplied);
        const QRgb pixel = reinterpret_cast<const QRgb*>(out.constScanLine(0))[0];
        EXPECT_EQ((std::array<int, 4> {qAlpha(pixel), qRed(pixel), qGreen(pixel), qBlue(pixel)}), expected)
            << in[0] << ',' << in[1] << ',' << in[2] << ',' << in[3];
    }
}

TEST_F(StylePixmapTest, CacheKeys)
{
    const QString key = QStringLiteral("$tarvel-colourised-:/style/tarvel_arrow_disabled.pngff4d4d4d0");
    QPixmapCache::remove(key);
    QPixmap cached;
    ASSERT_FALSE(QPixmapCache::find(key, &cached));
    const QImage image = paint(QStyle::PE_IndicatorArrowDown, option(QRect(0, 0, 16, 16)), QSize(16, 16));
    ASSERT_TRUE(QPixmapCache::find(key, &cached));
    // The disabled arrow is pure tint, so the recoloured one is the window text colour, exactly.
    EXPECT_TRUE(pixelNear(image, 8, 7, grey(77)));
    EXPECT_TRUE(pixelNear(image, 8, 14, grey(255)));

    // A path that does not load gives nothing and caches nothing.
    EXPECT_TRUE(style()->colourisedPixmap(QStringLiteral(":/style/none.png"), Qt::red, 0).isNull());
    EXPECT_TRUE(style()->rotatedPixmap(QStringLiteral(":/style/none.png"), 90).isNull());
    EXPECT_FALSE(QPixmapCache::find(QStringLiteral("$tarvel-colourised-:/style/none.pngffff00000"), &cached));

    QStyleOption plain;
    plain.state = QStyle::State_Enabled | QStyle::State_Sunken;
    const QString plainPalette = QString::number(quint64(plain.palette.cacheKey()), 16);
    EXPECT_EQ(style()->styleOptionKey(QStringLiteral("combobox"), &plain, QSize(300, 22)),
              QStringLiteral("combobox,5,0,0u,") + plainPalette + QStringLiteral(",12c,16"));

    QStyleOptionSpinBox spin;
    spin.state = QStyle::State_Enabled | QStyle::State_HasFocus;
    spin.direction = Qt::RightToLeft;
    spin.activeSubControls = QStyle::SC_SpinBoxFrame | QStyle::SC_SpinBoxEditField;  // 12, in decimal
    spin.buttonSymbols = QAbstractSpinBox::PlusMinus;
    spin.stepEnabled = QAbstractSpinBox::StepUpEnabled | QAbstractSpinBox::StepDownEnabled;
    spin.frame = false;
    const QString spinPalette = QString::number(quint64(spin.palette.cacheKey()), 16);
    EXPECT_EQ(style()->styleOptionKey(QStringLiteral("spin"), &spin, QSize(31, 17)),
              QStringLiteral("spin,101,1,12,") + spinPalette + QStringLiteral(",1f,11,1,3,0"));
}

TEST_F(StylePixmapTest, Primitives)
{
    const QRect box(0, 0, 16, 16), wide(0, 0, 20, 20);
    const QRect group(0, 0, 200, 100), tabs(0, 0, 200, 50);
    const QColor accent(0, 128, 255), white = grey(255);
    // The group frame starts below the title line.
    const int top = std::max(QFontMetrics(QApplication::font()).height(),
                             style()->pixelMetric(QStyle::PM_ExclusiveIndicatorHeight));
    // One pixel of each, within 1 for antialiased edges.
    const std::tuple<const char*, QStyle::PrimitiveElement, QStyle::State, QRect, QPoint, QColor> cases[] = {
        {"frame", QStyle::PE_Frame, {}, wide, {10, 10}, grey(242)},
        {"menu edge", QStyle::PE_PanelMenu, {}, wide, {0, 10}, grey(77)},
        {"menu inside", QStyle::PE_PanelMenu, {}, wide, {10, 10}, grey(253)},
        {"menu frame", QStyle::PE_FrameMenu, {}, wide, {10, 10}, white},
        {"check box", QStyle::PE_IndicatorCheckBox, {}, box, {8, 8}, grey(253)},
        {"sunken check box", QStyle::PE_IndicatorCheckBox, QStyle::State_Sunken, box, {8, 8}, grey(230)},
        {"check box edge", QStyle::PE_IndicatorCheckBox, {}, box, {0, 8}, grey(77)},
        {"partly checked", QStyle::PE_IndicatorCheckBox, QStyle::State_NoChange, box, {8, 8}, accent},
        {"radio button", QStyle::PE_IndicatorRadioButton, {}, box, {8, 8}, grey(253)},
        {"checked radio button", QStyle::PE_IndicatorRadioButton, QStyle::State_On, box, {8, 8}, accent},
        // The close button: hover artwork when raised, pressed artwork when sunken.
        {"tab close raised", QStyle::PE_IndicatorTabClose, QStyle::State_Raised, box, {8, 2}, grey(230)},
        {"tab close sunken", QStyle::PE_IndicatorTabClose, QStyle::State_Sunken, box, {8, 2}, accent},
        // The nine-patch frames, stretched.
        {"group frame", QStyle::PE_FrameGroupBox, {}, group, {100, 60}, grey(242)},
        {"group frame edge", QStyle::PE_FrameGroupBox, {}, group, {0, 60}, grey(204)},
        {"group frame title line", QStyle::PE_FrameGroupBox, {}, group, {100, top - 1}, white},
        {"group frame top", QStyle::PE_FrameGroupBox, {}, group, {100, top}, grey(204)},
        {"tab frame top", QStyle::PE_FrameTabWidget, {}, tabs, {100, 0}, grey(230)},
        {"tab frame", QStyle::PE_FrameTabWidget, {}, tabs, {100, 25}, grey(253)},
        {"tab frame edge", QStyle::PE_FrameTabWidget, {}, tabs, {199, 25}, grey(204)}};
    for (const auto& [what, element, state, rect, at, expected] : cases) {
        const QImage image = paint(element, option<QStyleOptionButton>(rect, state), rect.size());
        EXPECT_TRUE(pixelNear(image, at.x(), at.y(), expected, 1)) << what;
    }

    // A checked box shows a tick in the button text colour, centre left clear.
    const QImage ticked =
        paint(QStyle::PE_IndicatorCheckBox, option<QStyleOptionButton>(box, QStyle::State_On), box.size());
    EXPECT_TRUE(pixelNear(ticked, 11, 8, accent, 60));
    EXPECT_TRUE(pixelNear(ticked, 4, 4, grey(253)));

    // Focus: only when the keyboard moved it, a pale wash inside.
    EXPECT_TRUE(allWhite(paint(QStyle::PE_FrameFocusRect, option<QStyleOptionFocusRect>(wide), wide.size())));
    const QImage focus = paint(QStyle::PE_FrameFocusRect,
                               option<QStyleOptionFocusRect>(wide, QStyle::State_KeyboardFocusChange), wide.size());
    EXPECT_TRUE(pixelNear(focus, 10, 10, QColor(248, 252, 255), 1));
    EXPECT_TRUE(allWhite(
        paint(QStyle::PE_FrameFocusRect, option<QStyleOption>(wide, QStyle::State_KeyboardFocusChange), wide.size())));

    // Arrows: nothing in a sliver; each direction points its own way.
    EXPECT_TRUE(allWhite(paint(QStyle::PE_IndicatorArrowDown, option(QRect(5, 0, 1, 20)), wide.size())));
    EXPECT_TRUE(allWhite(paint(QStyle::PE_IndicatorArrowUp, option(QRect(0, 5, 20, 1)), wide.size())));
    // Full-colour pixels in one row (or column) across the arrow's base and across its tip.
    const std::tuple<QStyle::PrimitiveElement, bool, int, int> arrows[] = {
        {QStyle::PE_IndicatorArrowDown, true, 6, 10}, {QStyle::PE_IndicatorSpinDown, true, 6, 10},
        {QStyle::PE_IndicatorArrowUp, true, 9, 5},    {QStyle::PE_IndicatorSpinUp, true, 9, 5},
        {QStyle::PE_IndicatorArrowLeft, false, 9, 5}, {QStyle::PE_IndicatorArrowRight, false, 6, 10}};
    for (const auto& [element, rows, base, tip] : arrows) {
        const QImage image = paint(element, option(box), box.size());
        const auto across = [&, rows = rows](int line) {
            int count = 0;
            for (int i = 0; i < 16; ++i)
                count += image.pixel(rows ? i : line, rows ? line : i) == qRgb(77, 77, 77);
            return count;
        };
        EXPECT_GE(across(base), 6) << element;
        EXPECT_EQ(across(tip), 0) << element;
    }
}

}  // namespace
