// File names as UTF-8 text, the same on every system.
//
// The engine's callers hold names as UTF-8 strings (the command line, the
// window). On Linux a path is those bytes; on Windows a path is UTF-16 and a
// plain std::string would be read in the ANSI code page, so "año.mdb" would
// name another file. Every name that comes in as text becomes a path here,
// and every path shown as text goes out here.
#pragma once

#include <filesystem>
#include <string>
#include <string_view>

namespace jet {

inline std::filesystem::path pathFromUtf8(std::string_view text) {
#ifdef _WIN32
  return std::filesystem::path(std::u8string(text.begin(), text.end()));
#else
  return std::filesystem::path(text);
#endif
}

inline std::string utf8Of(const std::filesystem::path& path) {
#ifdef _WIN32
  const std::u8string u8 = path.u8string();
  return std::string(u8.begin(), u8.end());
#else
  return path.string();
#endif
}

}  // namespace jet
