#include "platform/win32/windows_profile.h"

#include <windows.h>

#include <vector>

#include "platform/win32/wide.h"

namespace platform {

std::string WindowsProfile::privateProfileString(std::string_view section, std::string_view key,
                                                 std::string_view fallback, std::size_t size,
                                                 std::string_view file) {
  if (size == 0) return {};
  std::vector<char> buffer(size, ' ');
  const DWORD n = ::GetPrivateProfileStringA(
      toAnsi(section).c_str(), toAnsi(key).c_str(), toAnsi(fallback).c_str(), buffer.data(),
      static_cast<DWORD>(size), toAnsi(file).c_str());
  return fromAnsi(std::string_view(buffer.data(), n));
}

}  // namespace platform
