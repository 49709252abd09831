#include "platform/win32/win32_ui.h"

#include <vector>

#include "platform/win32/spanish_message_box.h"
#include "platform/win32/wide.h"

namespace platform {

Win32Ui::Win32Ui(HWND window, HWND cmp, HWND cmProceso, HWND lbEsperar)
    : window_(window), cmp_(cmp), cmProceso_(cmProceso), lbEsperar_(lbEsperar) {}

Win32Ui::~Win32Ui() { setHourglass(false); }

std::string Win32Ui::cmpText() const {
  std::vector<wchar_t> text(static_cast<std::size_t>(::GetWindowTextLengthW(cmp_)) + 1);
  const int n = ::GetWindowTextW(cmp_, text.data(), static_cast<int>(text.size()));
  return fromWide(std::wstring_view(text.data(), static_cast<std::size_t>(n)));
}

void Win32Ui::setCmpText(std::string_view text) { ::SetWindowTextW(cmp_, toWide(text).c_str()); }

void Win32Ui::setCmpSelection(int start, int length) {
  ::SendMessageW(cmp_, EM_SETSEL, static_cast<WPARAM>(start), static_cast<LPARAM>(start + length));
}

// Through the dialog manager, which keeps the default button in step.
void Win32Ui::focusCmp() {
  ::SendMessageW(window_, WM_NEXTDLGCTL, reinterpret_cast<WPARAM>(cmp_), TRUE);
}

void Win32Ui::focusCmProceso() {
  ::SendMessageW(window_, WM_NEXTDLGCTL, reinterpret_cast<WPARAM>(cmProceso_), TRUE);
}

void Win32Ui::setCmProcesoEnabled(bool enabled) { ::EnableWindow(cmProceso_, enabled); }

void Win32Ui::setLbEsperarVisible(bool visible) {
  ::ShowWindow(lbEsperar_, visible ? SW_SHOWNA : SW_HIDE);
}

SIZE Win32Ui::textSize(HWND label) {
  std::vector<wchar_t> text(static_cast<std::size_t>(::GetWindowTextLengthW(label)) + 1);
  const int n = ::GetWindowTextW(label, text.data(), static_cast<int>(text.size()));
  HDC dc = ::GetDC(label);
  HGDIOBJ old = ::SelectObject(dc, reinterpret_cast<HFONT>(::SendMessageW(label, WM_GETFONT, 0, 0)));
  RECT r{0, 0, 0, 0};
  ::DrawTextW(dc, text.data(), n, &r, DT_CALCRECT | DT_SINGLELINE | DT_NOPREFIX);
  ::SelectObject(dc, old);
  ::ReleaseDC(label, dc);
  return SIZE{r.right - r.left, r.bottom - r.top};
}

void Win32Ui::setLbEsperarCaption(std::string_view caption) {
  ::SetWindowTextW(lbEsperar_, toWide(caption).c_str());
  const SIZE size = textSize(lbEsperar_);  // the label is sized to its caption
  ::SetWindowPos(lbEsperar_, nullptr, 0, 0, size.cx, size.cy,
                 SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
}

void Win32Ui::repaintWindow() {
  ::RedrawWindow(window_, nullptr, nullptr,
                 RDW_INVALIDATE | RDW_ERASE | RDW_ALLCHILDREN | RDW_UPDATENOW);
}

void Win32Ui::setHourglass(bool on) {
  hourglass_ = on;
  ::SetCursor(::LoadCursorW(nullptr, on ? IDC_WAIT : IDC_ARROW));
}

std::int16_t Win32Ui::messageBox(std::string_view text, std::string_view title, MessageIcon icon,
                                 MessageButtons buttons) {
  return spanishMessageBox(window_, text, title, icon, buttons);
}

void Win32Ui::closeWindow() { ::DestroyWindow(window_); }

}  // namespace platform
