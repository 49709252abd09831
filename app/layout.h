// The window fTrasvel's design, toolkit-free: places in twips (1/1440 inch),
// colours, fonts. The Qt view (trasvel_dialog.*) and the Win32 view
// (win32/trasvel_window.*) both draw it.
#pragma once

#include <cmath>

namespace app {

// Pixels for a length in twips at `dotsPerInch`, rounded to the nearest
// pixel: 15 twips to the pixel at 96 dpi.
inline int twipsToPixels(int twips, double dotsPerInch) {
  return static_cast<int>(std::lround(twips * dotsPerInch / 1440.0));
}

namespace layout {

// Places in twips: left, top, width, height.
struct Twips {
  int left, top, width, height;
};
inline constexpr Twips kClientArea{0, 0, 7020, 2160};
inline constexpr Twips kCmp{540, 810, 5925, 220};
inline constexpr Twips kCmProceso{4680, 1620, 900, 345};
inline constexpr Twips kCmSalir{5730, 1620, 900, 345};
inline constexpr Twips kLbFichero{540, 525, 2400, 225};  // sized to its text
inline constexpr Twips kLbEsperar{300, 1740, 45, 195};   // sized to its text
inline constexpr Twips kSh{315, 255, 6435, 1100};

struct Rgb {
  int red, green, blue;
};
inline constexpr Rgb kBlanco{255, 255, 255};
inline constexpr Rgb kFondoCmp{192, 255, 255};
inline constexpr Rgb kTextoLbFichero{0, 128, 128};
inline constexpr Rgb kTextoLbEsperar{128, 0, 0};
inline constexpr Rgb kBordeSh{0, 0, 0};

// The form's font (bold) and that of its controls (normal weight), but for
// LbFichero's.
inline constexpr const char* kFuenteControles = "MS Sans Serif";
inline constexpr double kPuntosControles = 8.25;
inline constexpr const char* kFuenteLbFichero = "Arial";
inline constexpr double kPuntosLbFichero = 9;

}  // namespace layout
}  // namespace app
