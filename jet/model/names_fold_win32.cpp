#include "jet/model/names_fold.h"

#include <windows.h>

#include <string>

namespace jet {
namespace {

std::wstring wide(const std::string& utf8) {
  if (utf8.empty()) return {};
  const int n = MultiByteToWideChar(CP_UTF8, 0, utf8.data(), static_cast<int>(utf8.size()), nullptr, 0);
  std::wstring out(static_cast<std::size_t>(n), L'\0');
  MultiByteToWideChar(CP_UTF8, 0, utf8.data(), static_cast<int>(utf8.size()), out.data(), n);
  // Final sigma is the letter sigma: case folding makes ς, σ and Σ one, and
  // not every system's upper-case table does.
  for (wchar_t& c : out) {
    if (c == L'\u03C2') c = L'\u03C3';
  }
  return out;
}

}  // namespace

// The system's own case-insensitive comparison of names (one character for
// one, as the file system compares file names).
bool sameFolded(const std::string& a, const std::string& b) {
  const std::wstring wa = wide(a);
  const std::wstring wb = wide(b);
  return CompareStringOrdinal(wa.data(), static_cast<int>(wa.size()), wb.data(),
                              static_cast<int>(wb.size()), TRUE) == CSTR_EQUAL;
}

}  // namespace jet
