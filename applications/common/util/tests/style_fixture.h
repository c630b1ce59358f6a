#ifndef APPLICATIONS_COMMON_UTIL_TESTS_STYLE_FIXTURE_H
#define APPLICATIONS_COMMON_UTIL_TESTS_STYLE_FIXTURE_H

// Shared test support. StyleTest installs TarvelStyle on the test application
// once per process, as the application does (resources, style, palette,
// font), and paints primitive elements into white images whose pixels the
// tests read. Main thread only.

#include "applications/common/util/tarvel_style.h"

#include <QApplication>
#include <QPainter>
#include <QStyleOption>
#include <gtest/gtest.h>

class StyleTest : public ::testing::Test
{
protected:
    static void SetUpTestSuite()
    {
        if (dynamic_cast<TarvelStyle*>(QApplication::style()))
            return;
        initTarvelStyleResources();
        auto* style = new TarvelStyle;
        QApplication::setStyle(style);
        QApplication::setPalette(style->standardPalette());
        QApplication::setFont(normalFont);
    }

    static TarvelStyle* style() { return dynamic_cast<TarvelStyle*>(QApplication::style()); }

    // An option over rect with the application palette, enabled.
    template <typename Option = QStyleOption>
    static Option option(const QRect& rect, QStyle::State extra = {})
    {
        Option option;
        option.rect = rect;
        option.palette = QApplication::palette();
        option.state = QStyle::State_Enabled | extra;
        return option;
    }

    static QImage paint(QStyle::PrimitiveElement element, const QStyleOption& option, const QSize& size,
                        const QWidget* widget = nullptr)
    {
        QImage image(size, QImage::Format_ARGB32_Premultiplied);
        image.fill(Qt::white);
        QPainter painter(&image);
        style()->drawPrimitive(element, &option, &painter, widget);
        return image;
    }
};

// The pixel at (x, y) is the expected colour within tolerance on each channel.
inline ::testing::AssertionResult pixelNear(const QImage& image, int x, int y, const QColor& expected,
                                            int tolerance = 0)
{
    const QColor actual = image.pixelColor(x, y);
    const int diff = std::max({std::abs(actual.red() - expected.red()), std::abs(actual.green() - expected.green()),
                               std::abs(actual.blue() - expected.blue())});
    if (diff <= tolerance)
        return ::testing::AssertionSuccess();
    return ::testing::AssertionFailure() << "pixel (" << x << ',' << y << ") is " << qPrintable(actual.name())
                                         << ", expected " << qPrintable(expected.name());
}

inline QColor grey(int value) { return QColor(value, value, value); }

// True when every pixel of image is white.
inline bool allWhite(const QImage& image)
{
    QImage white(image.size(), image.format());
    white.fill(Qt::white);
    return image == white;
}

#endif  // APPLICATIONS_COMMON_UTIL_TESTS_STYLE_FIXTURE_H
