#include "platform/win32/spanish_message_box.h"

#include <algorithm>
#include <string>
#include <vector>

#include "platform/textos.h"
#include "platform/win32/dialog_template.h"
#include "platform/win32/wide.h"

namespace platform {
namespace {

struct Box {
  std::wstring text;
  std::wstring title;
  MessageIcon icon;
  MessageButtons buttons;
  HFONT font = nullptr;
};

// Lengths in pixels at 96 dots per inch, scaled to the system's.
int scaled(int pixels, int dpi) { return MulDiv(pixels, dpi, 96); }

// "\r" alone breaks the line on Windows; a static control wants "\r\n".
std::wstring lineBreaks(const std::wstring& text) {
  std::wstring out;
  for (std::size_t i = 0; i < text.size(); ++i) {
    out += text[i];
    if (text[i] == L'\r' && (i + 1 == text.size() || text[i + 1] != L'\n')) out += L'\n';
  }
  return out;
}

HWND child(HWND parent, const wchar_t* cls, const std::wstring& text, DWORD style, int id,
           RECT r, HFONT font) {
  HWND h = ::CreateWindowExW(0, cls, text.c_str(), WS_CHILD | WS_VISIBLE | style, r.left, r.top,
                             r.right - r.left, r.bottom - r.top, parent,
                             reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)),
                             ::GetModuleHandleW(nullptr), nullptr);
  ::SendMessageW(h, WM_SETFONT, reinterpret_cast<WPARAM>(font), FALSE);
  return h;
}

void layOut(HWND dialog, Box& box) {
  HDC screen = ::GetDC(nullptr);
  const int dpi = ::GetDeviceCaps(screen, LOGPIXELSY);
  NONCLIENTMETRICSW metrics{};
  metrics.cbSize = sizeof metrics;
  ::SystemParametersInfoW(SPI_GETNONCLIENTMETRICS, sizeof metrics, &metrics, 0);
  box.font = ::CreateFontIndirectW(&metrics.lfMessageFont);

  // The text's size, broken into lines no wider than a third of the screen.
  HGDIOBJ old = ::SelectObject(screen, box.font);
  RECT textRect{0, 0, std::max(scaled(300, dpi), ::GetSystemMetrics(SM_CXSCREEN) / 3), 0};
  ::DrawTextW(screen, box.text.c_str(), -1, &textRect,
              DT_CALCRECT | DT_WORDBREAK | DT_NOPREFIX | DT_EXPANDTABS);
  ::SelectObject(screen, old);
  ::ReleaseDC(nullptr, screen);

  const int margin = scaled(24, dpi), gap = scaled(12, dpi), icon = ::GetSystemMetrics(SM_CXICON);
  const int buttonW = scaled(88, dpi), buttonH = scaled(26, dpi), buttonGap = scaled(8, dpi);
  const bool hasIcon = box.icon != MessageIcon::None;
  const int textLeft = margin + (hasIcon ? icon + gap : 0);
  const int contentH = std::max<int>(textRect.bottom, hasIcon ? icon : 0);
  const int count = box.buttons == MessageButtons::YesNo ? 2 : 1;
  const int buttonsW = count * buttonW + (count - 1) * buttonGap;
  const int clientW = std::max<int>(textLeft + textRect.right + margin, buttonsW + 2 * margin);
  const int buttonTop = margin + contentH + margin;
  const int clientH = buttonTop + buttonH + scaled(12, dpi);

  if (hasIcon) {
    HWND i = child(dialog, L"STATIC", L"", SS_ICON, kMessageIconId,
                   RECT{margin, margin, margin + icon, margin + icon}, box.font);
    LPCWSTR which = box.icon == MessageIcon::Information ? IDI_INFORMATION : IDI_QUESTION;
    ::SendMessageW(i, STM_SETICON, reinterpret_cast<WPARAM>(::LoadIconW(nullptr, which)), 0);
  }
  const int textTop = margin + (contentH - textRect.bottom) / 2;
  child(dialog, L"STATIC", box.text, SS_LEFT | SS_NOPREFIX, kMessageTextId,
        RECT{textLeft, textTop, textLeft + textRect.right, textTop + textRect.bottom}, box.font);

  int left = clientW - margin - buttonsW;
  auto button = [&](const std::wstring& caption, int id, bool isDefault) {
    HWND b = child(dialog, L"BUTTON", caption,
                   WS_TABSTOP | (isDefault ? BS_DEFPUSHBUTTON : BS_PUSHBUTTON), id,
                   RECT{left, buttonTop, left + buttonW, buttonTop + buttonH}, box.font);
    left += buttonW + buttonGap;
    return b;
  };
  HWND first;
  if (box.buttons == MessageButtons::YesNo) {
    first = button(L"&" + toWide(textos::kBotonSi), IDYES, true);
    button(L"&" + toWide(textos::kBotonNo), IDNO, false);
    // No answer but Yes or No: the close box is disabled, as with MB_YESNO.
    ::EnableMenuItem(::GetSystemMenu(dialog, FALSE), SC_CLOSE, MF_BYCOMMAND | MF_GRAYED);
  } else {
    first = button(toWide(textos::kBotonAceptar), IDOK, true);
  }
  ::SendMessageW(dialog, DM_SETDEFID, static_cast<WPARAM>(::GetDlgCtrlID(first)), 0);
  ::SetFocus(first);

  // The frame around that client area, centred on the screen's work area.
  RECT frame{0, 0, clientW, clientH};
  ::AdjustWindowRectEx(&frame, static_cast<DWORD>(::GetWindowLongPtrW(dialog, GWL_STYLE)), FALSE,
                       static_cast<DWORD>(::GetWindowLongPtrW(dialog, GWL_EXSTYLE)));
  RECT work{};
  ::SystemParametersInfoW(SPI_GETWORKAREA, 0, &work, 0);
  const int w = frame.right - frame.left, h = frame.bottom - frame.top;
  ::SetWindowPos(dialog, nullptr, work.left + (work.right - work.left - w) / 2,
                 work.top + (work.bottom - work.top - h) / 2, w, h, SWP_NOZORDER);
}

INT_PTR CALLBACK boxProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam) {
  auto* box = reinterpret_cast<Box*>(::GetWindowLongPtrW(dialog, DWLP_USER));
  switch (message) {
    case WM_INITDIALOG:
      box = reinterpret_cast<Box*>(lParam);
      ::SetWindowLongPtrW(dialog, DWLP_USER, lParam);
      ::SetWindowTextW(dialog, box->title.c_str());
      layOut(dialog, *box);
      return FALSE;  // the focus is set
    case WM_COMMAND:
      switch (LOWORD(wParam)) {
        case IDOK:
        case IDYES:
        case IDNO:
          ::EndDialog(dialog, LOWORD(wParam));
          return TRUE;
        case IDCANCEL:
          // Esc and the close box: the OK box closes as if answered, the
          // Yes/No box waits for its answer.
          if (box && box->buttons == MessageButtons::Ok) ::EndDialog(dialog, IDOK);
          return TRUE;
      }
      return FALSE;
    case WM_DESTROY:
      if (box && box->font) ::DeleteObject(box->font);
      return FALSE;
  }
  return FALSE;
}

}  // namespace

std::int16_t spanishMessageBox(HWND owner, std::string_view text, std::string_view title,
                               MessageIcon icon, MessageButtons buttons) {
  Box box{lineBreaks(toWide(text)), toWide(title), icon, buttons};
  ::MessageBeep(icon == MessageIcon::Information ? MB_ICONINFORMATION
                : icon == MessageIcon::Question  ? MB_ICONQUESTION
                                                 : MB_OK);
  const EmptyDialogTemplate layout(DS_MODALFRAME | DS_SETFOREGROUND | WS_POPUP | WS_CAPTION |
                                   WS_SYSMENU);
  const INT_PTR answer = ::DialogBoxIndirectParamW(::GetModuleHandleW(nullptr), &layout.header,
                                                   owner, boxProc, reinterpret_cast<LPARAM>(&box));
  switch (answer) {
    case IDYES:
      return kAnswerYes;
    case IDNO:
      return kAnswerNo;
    default:
      return kAnswerOk;
  }
}

}  // namespace platform
