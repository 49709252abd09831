#include "platform/win32/wide.h"

#include <windows.h>

namespace platform {
namespace {

std::wstring decode(UINT codePage, std::string_view text) {
  if (text.empty()) return {};
  const int n = ::MultiByteToWideChar(codePage, 0, text.data(), static_cast<int>(text.size()),
                                      nullptr, 0);
  std::wstring out(static_cast<std::size_t>(n), L'\0');
  ::MultiByteToWideChar(codePage, 0, text.data(), static_cast<int>(text.size()), out.data(), n);
  return out;
}

std::string encode(UINT codePage, std::wstring_view text) {
  if (text.empty()) return {};
  const int n = ::WideCharToMultiByte(codePage, 0, text.data(), static_cast<int>(text.size()),
                                      nullptr, 0, nullptr, nullptr);
  std::string out(static_cast<std::size_t>(n), '\0');
  ::WideCharToMultiByte(codePage, 0, text.data(), static_cast<int>(text.size()), out.data(), n,
                        nullptr, nullptr);
  return out;
}

}  // namespace

std::wstring toWide(std::string_view utf8) { return decode(CP_UTF8, utf8); }
std::string fromWide(std::wstring_view wide) { return encode(CP_UTF8, wide); }
std::string toAnsi(std::string_view utf8) { return encode(CP_ACP, toWide(utf8)); }
std::string fromAnsi(std::string_view ansi) { return fromWide(decode(CP_ACP, ansi)); }

}  // namespace platform
