// An empty dialog in memory, for dialogs whose controls are made in code
// (their places come from pixels, not from dialog units).
#pragma once

#include <windows.h>

namespace platform {

struct EmptyDialogTemplate {
  DLGTEMPLATE header;
  WORD menu = 0;
  WORD windowClass = 0;
  WORD title = 0;

  explicit EmptyDialogTemplate(DWORD style, DWORD extendedStyle = 0) : header{} {
    header.style = style;
    header.dwExtendedStyle = extendedStyle;
  }
};

}  // namespace platform
