// A modal message box as a Spanish Windows shows it, whatever the language
// of the system it runs on (MessageBoxW would answer in the system's own):
// the information or question icon, "Aceptar", or "Sí" and "No" with Yes as
// the default button. The Yes/No box cannot be closed without an answer:
// Esc does nothing and its close box is disabled, as with MB_YESNO. A "\r"
// in the text breaks the line.
#pragma once

#include <windows.h>

#include <cstdint>
#include <string_view>

#include "platform/ui.h"

namespace platform {

// The identifiers of the box's controls, as MessageBoxW gives them, so that
// a test can read and press them.
inline constexpr int kMessageTextId = 0xFFFF;
inline constexpr int kMessageIconId = 0x14;

// Shows the box over `owner` (which is disabled meanwhile) and answers
// kAnswerOk, kAnswerYes or kAnswerNo.
std::int16_t spanishMessageBox(HWND owner, std::string_view text, std::string_view title,
                               MessageIcon icon, MessageButtons buttons);

}  // namespace platform
