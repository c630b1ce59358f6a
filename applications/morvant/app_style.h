// The look of the program's windows: the Fusion style with its standard
// palette, an 8-point application font and a 12-point large font for the
// few texts that must stand out.
//
// GUI thread only.
#ifndef MORVANT_APP_STYLE_H
#define MORVANT_APP_STYLE_H

#include <QFont>

class QApplication;

namespace AppStyle {

constexpr int kNormalPointSize = 8;
constexpr int kLargePointSize = 12;

// Sets the style, its palette and the normal font on the application; call
// before any window exists.
void install(QApplication& application);

// The application's font at the two sizes.
QFont normalFont();
QFont largeFont();

}  // namespace AppStyle

#endif  // MORVANT_APP_STYLE_H
