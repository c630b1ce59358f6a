// The look of the program's windows: TarvelStyle with its palette, an 8-point
// application font and a 12-point large font for the few texts that must
// stand out.
//
// GUI thread only.
#ifndef APPLICATIONS_MORVANT_APP_STYLE_H
#define APPLICATIONS_MORVANT_APP_STYLE_H

#include <QFont>

class QApplication;

namespace AppStyle {

// Sets the style, its palette and the normal font on the application; call
// before any window exists.
void install(QApplication& application);

// The style's fonts; default fonts until install has run.
QFont normalFont();
QFont largeFont();

}  // namespace AppStyle

#endif  // APPLICATIONS_MORVANT_APP_STYLE_H
