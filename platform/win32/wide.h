// UTF-8, the window's logic's text, to and from the UTF-16 of Windows' wide
// API and the ANSI code page of its older one.
#pragma once

#include <string>
#include <string_view>

namespace platform {

std::wstring toWide(std::string_view utf8);
std::string fromWide(std::wstring_view wide);
// Text in the ANSI code page (CP_ACP) and back; a character the code page
// lacks becomes the code page's default character, as Windows converts it.
std::string toAnsi(std::string_view utf8);
std::string fromAnsi(std::string_view ansi);

}  // namespace platform
