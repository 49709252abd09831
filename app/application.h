// What the program says about itself, set once on the application object:
// name, version "1.00", language Spanish (Spain), the icon; Qt's own texts
// (the text box's context menu) in Spanish where Qt's translations are
// installed.
#pragma once

class QApplication;
class QIcon;

namespace app {

inline constexpr const char* kVersion = "1.00";

void configureApplication(QApplication& application);
// The program's icon, 32 x 32 in 16 colours.
QIcon programIcon();

}  // namespace app
