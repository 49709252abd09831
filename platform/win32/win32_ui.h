// The window's operations over Win32 controls, and message boxes as a
// Spanish Windows shows them (spanish_message_box.h).
#pragma once

#include <windows.h>

#include "platform/ui.h"

namespace platform {

class Win32Ui : public Ui {
 public:
  // The controls belong to the window `window` and must outlive this object.
  Win32Ui(HWND window, HWND cmp, HWND cmProceso, HWND lbEsperar);
  // Gives back the default pointer if the hourglass is still up.
  ~Win32Ui() override;
  Win32Ui(const Win32Ui&) = delete;
  Win32Ui& operator=(const Win32Ui&) = delete;

  std::string cmpText() const override;
  void setCmpText(std::string_view text) override;
  void setCmpSelection(int start, int length) override;
  void focusCmp() override;
  void focusCmProceso() override;
  void setCmProcesoEnabled(bool enabled) override;
  void setLbEsperarVisible(bool visible) override;
  void setLbEsperarCaption(std::string_view caption) override;
  void repaintWindow() override;
  void setHourglass(bool on) override;
  std::int16_t messageBox(std::string_view text, std::string_view title, MessageIcon icon,
                          MessageButtons buttons) override;
  void closeWindow() override;

  // True while the hourglass is up: the window shows it over itself
  // (WM_SETCURSOR) for as long as this says so.
  bool hourglass() const { return hourglass_; }

  // The size a static control needs for its text in its font.
  static SIZE textSize(HWND label);

 private:
  HWND window_, cmp_, cmProceso_, lbEsperar_;
  bool hourglass_ = false;
};

}  // namespace platform
