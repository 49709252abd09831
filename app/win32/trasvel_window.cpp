#include "app/win32/trasvel_window.h"

#include <cstdint>
#include <string>

#include "app/f_trasvel.h"
#include "app/layout.h"
#include "platform/textos.h"
#include "platform/win32/dialog_template.h"
#include "platform/win32/wide.h"
#include "platform/win32/win32_ui.h"

namespace app {
namespace {

using namespace layout;

COLORREF colour(Rgb c) { return RGB(c.red, c.green, c.blue); }

bool fontExists(const wchar_t* face) {
  LOGFONTW wanted{};
  wanted.lfCharSet = DEFAULT_CHARSET;
  wcsncpy(wanted.lfFaceName, face, LF_FACESIZE - 1);
  bool found = false;
  HDC dc = ::GetDC(nullptr);
  ::EnumFontFamiliesExW(
      dc, &wanted,
      [](const LOGFONTW*, const TEXTMETRICW*, DWORD, LPARAM seen) -> int {
        *reinterpret_cast<bool*>(seen) = true;
        return 0;
      },
      reinterpret_cast<LPARAM>(&found), 0);
  ::ReleaseDC(nullptr, dc);
  return found;
}

// A font of `points` at `dpi`, normal weight. "MS Sans Serif" is a bitmap
// font that newer systems may lack: its TrueType successor stands in.
HFONT makeFont(const std::wstring& face, double points, int dpi) {
  std::wstring chosen = face;
  if (face == L"MS Sans Serif" && !fontExists(face.c_str())) chosen = L"Microsoft Sans Serif";
  return ::CreateFontW(-static_cast<int>(points * dpi / 72.0 + 0.5), 0, 0, 0, FW_NORMAL, FALSE,
                       FALSE, FALSE, DEFAULT_CHARSET, OUT_DEFAULT_PRECIS, CLIP_DEFAULT_PRECIS,
                       DEFAULT_QUALITY, DEFAULT_PITCH | FF_SWISS, chosen.c_str());
}

RECT pixels(const Twips& t, int dpi) {
  const int left = twipsToPixels(t.left, dpi), top = twipsToPixels(t.top, dpi);
  return RECT{left, top, left + twipsToPixels(t.width, dpi), top + twipsToPixels(t.height, dpi)};
}

// The modifiers as a key handler is given them: 1 Shift, 2 Ctrl, 4 Alt.
std::int16_t modifiers() {
  return static_cast<std::int16_t>((::GetKeyState(VK_SHIFT) < 0 ? 1 : 0) |
                                   (::GetKeyState(VK_CONTROL) < 0 ? 2 : 0) |
                                   (::GetKeyState(VK_MENU) < 0 ? 4 : 0));
}

bool isEnterOrEsc(const MSG* m) {
  return m && (m->message == WM_KEYDOWN || m->message == WM_SYSKEYDOWN || m->message == WM_CHAR) &&
         (m->wParam == VK_RETURN || m->wParam == VK_ESCAPE);
}

TrasvelWindow* owner(HWND child) {
  return reinterpret_cast<TrasvelWindow*>(::GetWindowLongPtrW(::GetParent(child), DWLP_USER));
}

WNDPROC buttonDefault = nullptr;

// The buttons take Enter themselves: Enter presses the button that has the
// focus, never a default one.
LRESULT CALLBACK buttonProc(HWND button, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == WM_GETDLGCODE && isEnterOrEsc(reinterpret_cast<MSG*>(lParam)) &&
      reinterpret_cast<MSG*>(lParam)->wParam == VK_RETURN) {
    return ::CallWindowProcW(buttonDefault, button, message, wParam, lParam) | DLGC_WANTMESSAGE;
  }
  if ((message == WM_KEYDOWN || message == WM_SYSKEYDOWN) && wParam == VK_RETURN) {
    if (::IsWindowEnabled(button)) ::SendMessageW(button, BM_CLICK, 0, 0);
    return 0;
  }
  if (message == WM_CHAR && wParam == L'\r') return 0;
  return ::CallWindowProcW(buttonDefault, button, message, wParam, lParam);
}

}  // namespace

TrasvelWindow::TrasvelWindow() {
  const platform::EmptyDialogTemplate layout(WS_POPUP | WS_CAPTION | WS_SYSMENU | DS_MODALFRAME,
                                             WS_EX_APPWINDOW);
  window_ = ::CreateDialogIndirectParamW(::GetModuleHandleW(nullptr), &layout.header, nullptr,
                                         dialogProc, reinterpret_cast<LPARAM>(this));
}

TrasvelWindow::~TrasvelWindow() {
  if (::IsWindow(window_)) ::DestroyWindow(window_);
  for (HGDIOBJ o : {static_cast<HGDIOBJ>(controls_), static_cast<HGDIOBJ>(lbFicheroFont_),
                    static_cast<HGDIOBJ>(blanco_), static_cast<HGDIOBJ>(fondoCmp_)}) {
    if (o) ::DeleteObject(o);
  }
}

void TrasvelWindow::setLogic(fTrasvel* logic, const platform::Win32Ui* ui) {
  logic_ = logic;
  ui_ = ui;
}

void TrasvelWindow::build() {
  HDC screen = ::GetDC(nullptr);
  dpi_ = ::GetDeviceCaps(screen, LOGPIXELSY);
  ::ReleaseDC(nullptr, screen);
  controls_ = makeFont(platform::toWide(kFuenteControles), kPuntosControles, dpi_);
  lbFicheroFont_ = makeFont(platform::toWide(kFuenteLbFichero), kPuntosLbFichero, dpi_);
  blanco_ = ::CreateSolidBrush(colour(kBlanco));
  fondoCmp_ = ::CreateSolidBrush(colour(kFondoCmp));

  ::SetWindowTextW(window_, platform::toWide(textos::kTituloVentana).c_str());
  HINSTANCE instance = ::GetModuleHandleW(nullptr);
  for (WPARAM size : {ICON_BIG, ICON_SMALL}) {
    ::SendMessageW(window_, WM_SETICON, size,
                   reinterpret_cast<LPARAM>(::LoadIconW(instance, MAKEINTRESOURCEW(kIdIcono))));
  }
  // In tab order: Cmp, "&Reparar", "&Salir"; the labels take no focus.
  auto make = [&](const wchar_t* cls, std::string_view text, DWORD style, DWORD exStyle, int id,
                  const Twips& place, HFONT font) {
    const RECT r = pixels(place, dpi_);
    HWND h = ::CreateWindowExW(exStyle, cls, platform::toWide(text).c_str(),
                               WS_CHILD | style, r.left, r.top, r.right - r.left,
                               r.bottom - r.top, window_,
                               reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)), instance, nullptr);
    ::SendMessageW(h, WM_SETFONT, reinterpret_cast<WPARAM>(font), FALSE);
    return h;
  };
  cmp_ = make(L"EDIT", "", WS_VISIBLE | WS_TABSTOP | ES_AUTOHSCROLL, WS_EX_CLIENTEDGE, kIdCmp,
              kCmp, controls_);
  cmProceso_ = make(L"BUTTON", textos::kCmProceso, WS_VISIBLE | WS_TABSTOP | BS_PUSHBUTTON, 0,
                    kIdCmProceso, kCmProceso, controls_);
  cmSalir_ = make(L"BUTTON", textos::kCmSalir, WS_VISIBLE | WS_TABSTOP | BS_PUSHBUTTON, 0,
                  kIdCmSalir, kCmSalir, controls_);
  lbFichero_ = make(L"STATIC", textos::kLbFichero, WS_VISIBLE | SS_LEFT | SS_NOPREFIX, 0,
                    kIdLbFichero, kLbFichero, lbFicheroFont_);
  lbEsperar_ = make(L"STATIC", textos::kLbEsperarInicial, SS_LEFT | SS_NOPREFIX, 0, kIdLbEsperar,
                    kLbEsperar, controls_);
  // The labels are sized to their text: their place is fixed, their size
  // the one the text needs in their font.
  for (HWND label : {lbFichero_, lbEsperar_}) {
    const SIZE size = platform::Win32Ui::textSize(label);
    ::SetWindowPos(label, nullptr, 0, 0, size.cx, size.cy, SWP_NOMOVE | SWP_NOZORDER);
  }
  sh_ = pixels(kSh, dpi_);

  cmpDefault_ = reinterpret_cast<WNDPROC>(
      ::SetWindowLongPtrW(cmp_, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(cmpProc)));
  for (HWND button : {cmProceso_, cmSalir_}) {
    buttonDefault = reinterpret_cast<WNDPROC>(
        ::SetWindowLongPtrW(button, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(buttonProc)));
  }

  // A fixed frame around the client area of the design, centred on the
  // screen's work area.
  RECT frame = pixels(kClientArea, dpi_);
  ::AdjustWindowRectEx(&frame, static_cast<DWORD>(::GetWindowLongPtrW(window_, GWL_STYLE)), FALSE,
                       static_cast<DWORD>(::GetWindowLongPtrW(window_, GWL_EXSTYLE)));
  RECT work{};
  ::SystemParametersInfoW(SPI_GETWORKAREA, 0, &work, 0);
  const int w = frame.right - frame.left, h = frame.bottom - frame.top;
  ::SetWindowPos(window_, nullptr, work.left + (work.right - work.left - w) / 2,
                 work.top + (work.bottom - work.top - h) / 2, w, h, SWP_NOZORDER | SWP_NOACTIVATE);
  ::SendMessageW(window_, WM_NEXTDLGCTL, reinterpret_cast<WPARAM>(cmp_), TRUE);
}

void TrasvelWindow::paint() {
  PAINTSTRUCT ps;
  HDC dc = ::BeginPaint(window_, &ps);
  HPEN pen = ::CreatePen(PS_SOLID, 1, colour(kBordeSh));
  HGDIOBJ oldPen = ::SelectObject(dc, pen);
  HGDIOBJ oldBrush = ::SelectObject(dc, ::GetStockObject(HOLLOW_BRUSH));
  ::Rectangle(dc, sh_.left, sh_.top, sh_.right, sh_.bottom);
  ::SelectObject(dc, oldBrush);
  ::SelectObject(dc, oldPen);
  ::DeleteObject(pen);
  ::EndPaint(window_, &ps);
}

INT_PTR CALLBACK TrasvelWindow::dialogProc(HWND window, UINT message, WPARAM wParam,
                                           LPARAM lParam) {
  if (message == WM_INITDIALOG) {
    auto* self = reinterpret_cast<TrasvelWindow*>(lParam);
    ::SetWindowLongPtrW(window, DWLP_USER, lParam);
    self->window_ = window;
    self->build();
    return FALSE;  // the focus is set: Cmp
  }
  auto* self = reinterpret_cast<TrasvelWindow*>(::GetWindowLongPtrW(window, DWLP_USER));
  return self ? self->handle(message, wParam, lParam) : FALSE;
}

INT_PTR TrasvelWindow::handle(UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_CTLCOLORDLG:
    case WM_CTLCOLORBTN:
      return reinterpret_cast<INT_PTR>(blanco_);
    case WM_CTLCOLORSTATIC: {
      HDC dc = reinterpret_cast<HDC>(wParam);
      const bool esperar = reinterpret_cast<HWND>(lParam) == lbEsperar_;
      ::SetTextColor(dc, colour(esperar ? kTextoLbEsperar : kTextoLbFichero));
      ::SetBkColor(dc, colour(kBlanco));
      return reinterpret_cast<INT_PTR>(blanco_);
    }
    case WM_CTLCOLOREDIT:
      ::SetBkColor(reinterpret_cast<HDC>(wParam), colour(kFondoCmp));
      return reinterpret_cast<INT_PTR>(fondoCmp_);
    case WM_PAINT:
      paint();
      return TRUE;
    case WM_SETCURSOR:
      if (ui_ && ui_->hourglass()) {
        ::SetCursor(::LoadCursorW(nullptr, IDC_WAIT));
        ::SetWindowLongPtrW(window_, DWLP_MSGRESULT, TRUE);
        return TRUE;
      }
      return FALSE;
    case WM_COMMAND:
      if (HIWORD(wParam) == BN_CLICKED && logic_) {
        if (LOWORD(wParam) == kIdCmProceso) logic_->CmProceso_Click();
        else if (LOWORD(wParam) == kIdCmSalir) logic_->CmSalir_Click();
      }
      // IDCANCEL (Esc on a button) and IDOK do nothing.
      return TRUE;
    case WM_CLOSE:
      ::DestroyWindow(window_);
      return TRUE;
    case WM_DESTROY:
      ::PostQuitMessage(0);
      return FALSE;
  }
  return FALSE;
}

// Cmp's own procedure, before the edit control's: Enter and Esc reach
// Cmp_KeyDown (the dialog manager would take them otherwise), every key
// down is told to it, and the focus given by the dialog manager keeps the
// selection (the placeholder's) instead of selecting the whole text.
LRESULT CALLBACK TrasvelWindow::cmpProc(HWND cmp, UINT message, WPARAM wParam, LPARAM lParam) {
  TrasvelWindow* self = owner(cmp);
  const WNDPROC original = self->cmpDefault_;
  switch (message) {
    case WM_GETDLGCODE: {
      LRESULT code = ::CallWindowProcW(original, cmp, message, wParam, lParam) & ~DLGC_HASSETSEL;
      if (isEnterOrEsc(reinterpret_cast<MSG*>(lParam))) code |= DLGC_WANTMESSAGE;
      return code;
    }
    case WM_KEYDOWN:
    case WM_SYSKEYDOWN:
      if (self->logic_) self->logic_->Cmp_KeyDown(static_cast<std::int16_t>(wParam), modifiers());
      if (wParam == VK_RETURN || wParam == VK_ESCAPE) return 0;
      break;
    case WM_CHAR:
      if (wParam == L'\r' || wParam == 0x1B || wParam == L'\n') return 0;  // no beep
      break;
  }
  return ::CallWindowProcW(original, cmp, message, wParam, lParam);
}

int TrasvelWindow::run(HWND window) {
  MSG message;
  while (::GetMessageW(&message, nullptr, 0, 0) > 0) {
    if (::IsWindow(window) && ::IsDialogMessageW(window, &message)) continue;
    ::TranslateMessage(&message);
    ::DispatchMessageW(&message);
  }
  return static_cast<int>(message.wParam);
}

}  // namespace app
