#include "applications/morvant/app_style.h"

#include "applications/common/util/tarvel_style.h"

#include <QApplication>

namespace AppStyle {

void install(QApplication& application)
{
    initTarvelStyleResources();
    // The application owns the style from here on.
    auto* style = new TarvelStyle;
    application.setStyle(style);
    application.setPalette(style->standardPalette());
    application.setFont(::normalFont);
}

QFont normalFont() { return ::normalFont; }

QFont largeFont() { return ::largeFont; }

}  // namespace AppStyle
