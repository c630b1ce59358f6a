#include "applications/morvant/app_style.h"

#include <QApplication>
#include <QStyle>
#include <QStyleFactory>

namespace AppStyle {

namespace {

QFont fontOfSize(int pointSize)
{
    QFont font = QApplication::font();
    font.setPointSize(pointSize);
    return font;
}

}  // namespace

void install(QApplication& application)
{
    // The application owns the style from here on.
    if (QStyle* style = QStyleFactory::create(QStringLiteral("Fusion"))) {
        application.setStyle(style);
        application.setPalette(style->standardPalette());
    }
    application.setFont(normalFont());
}

QFont normalFont()
{
    return fontOfSize(kNormalPointSize);
}

QFont largeFont()
{
    return fontOfSize(kLargePointSize);
}

}  // namespace AppStyle
