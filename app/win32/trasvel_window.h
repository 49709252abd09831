// The window fTrasvel drawn with Win32 controls: a fixed-frame dialog whose
// controls sit where their twips put them at the system's DPI. Like the Qt
// view it holds no logic: it forwards the keys of Cmp and the clicks to an
// fTrasvel, which answers through platform::Win32Ui.
//
// Keyboard, as the design and the Windows dialog manager have it: Tab and
// Shift+Tab go round Cmp, "&Reparar", "&Salir"; Alt with an access key presses
// its button; Enter or Space presses the button that has the focus; Enter and
// Esc in Cmp go to Cmp_KeyDown only; Esc anywhere else does nothing; the
// close box ends the program.
#pragma once

#include <windows.h>

#include <memory>

namespace platform {
class Win32Ui;
}

namespace app {

class fTrasvel;

// Control identifiers, for tests that look the controls up.
inline constexpr int kIdCmp = 101;
inline constexpr int kIdCmProceso = 102;
inline constexpr int kIdCmSalir = 103;
inline constexpr int kIdLbFichero = 104;
inline constexpr int kIdLbEsperar = 105;
// The icon in the program's resources.
inline constexpr int kIdIcono = 1;

class TrasvelWindow {
 public:
  // Creates the window, hidden, centred on the screen's work area; its
  // focus is Cmp. Ends the process's message loop when it is destroyed.
  TrasvelWindow();
  ~TrasvelWindow();
  TrasvelWindow(const TrasvelWindow&) = delete;
  TrasvelWindow& operator=(const TrasvelWindow&) = delete;

  // Events go to `logic` from now on, and the hourglass follows `ui`; both
  // must outlive the window's use.
  void setLogic(fTrasvel* logic, const platform::Win32Ui* ui);

  HWND handle() const { return window_; }
  HWND cmp() const { return cmp_; }
  HWND cmProceso() const { return cmProceso_; }
  HWND cmSalir() const { return cmSalir_; }
  HWND lbFichero() const { return lbFichero_; }
  HWND lbEsperar() const { return lbEsperar_; }
  // The rectangle Sh, in client pixels (it is drawn, not a control).
  RECT sh() const { return sh_; }
  int dotsPerInch() const { return dpi_; }

  // Runs the message loop until the window is gone; returns its exit code.
  static int run(HWND window);

 private:
  static INT_PTR CALLBACK dialogProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
  static LRESULT CALLBACK cmpProc(HWND cmp, UINT message, WPARAM wParam, LPARAM lParam);
  INT_PTR handle(UINT message, WPARAM wParam, LPARAM lParam);
  void build();
  void paint();

  fTrasvel* logic_ = nullptr;
  const platform::Win32Ui* ui_ = nullptr;
  HWND window_ = nullptr;
  HWND cmp_ = nullptr, cmProceso_ = nullptr, cmSalir_ = nullptr;
  HWND lbFichero_ = nullptr, lbEsperar_ = nullptr;
  WNDPROC cmpDefault_ = nullptr;
  RECT sh_{};
  int dpi_ = 96;
  HFONT controls_ = nullptr, lbFicheroFont_ = nullptr;
  HBRUSH blanco_ = nullptr, fondoCmp_ = nullptr;
};

}  // namespace app
