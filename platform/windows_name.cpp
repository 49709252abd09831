#include "platform/windows_name.h"

#include "platform/text.h"

namespace platform {
namespace {

bool isSeparator(char c) { return c == '\\' || c == '/'; }

bool isAsciiLetter(char c) { return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z'); }

// Glob over upper-cased code points; the star backtracks to its last match.
bool glob(std::u32string_view p, std::u32string_view n) {
  std::size_t pi = 0, ni = 0, starP = std::u32string_view::npos, starN = 0;
  while (ni < n.size()) {
    if (pi < p.size() && (p[pi] == U'?' || p[pi] == n[ni])) {
      ++pi;
      ++ni;
    } else if (pi < p.size() && p[pi] == U'*') {
      starP = pi++;
      starN = ni;
    } else if (starP != std::u32string_view::npos) {
      pi = starP + 1;
      ni = ++starN;
    } else {
      return false;
    }
  }
  while (pi < p.size() && p[pi] == U'*') ++pi;
  return pi == p.size();
}

}  // namespace

WindowsName parseWindowsName(std::string_view name) {
  WindowsName out;
  std::string_view rest = name;
  if (rest.size() >= 2 && rest[1] == ':' && isAsciiLetter(rest[0])) {
    out.drive = static_cast<char>(rest[0] & ~0x20);
    rest.remove_prefix(2);
    out.fromRoot = !rest.empty() && isSeparator(rest.front());
  } else if (!rest.empty() && rest.front() == '/') {
    out.drive = kLinuxRootDrive;
    out.fromRoot = true;
  } else if (!rest.empty() && rest.front() == '\\') {
    out.fromRoot = true;
  }
  out.endsWithSeparator = !rest.empty() && isSeparator(rest.back());
  std::size_t start = 0;
  while (start <= rest.size()) {
    std::size_t end = start;
    while (end < rest.size() && !isSeparator(rest[end])) ++end;
    std::string_view part = rest.substr(start, end - start);
    if (!part.empty() && part != ".") out.parts.emplace_back(part);
    start = end + 1;
  }
  return out;
}

std::vector<std::string> WindowsName::partsFromRoot(
    const std::vector<std::string>& folderParts) const {
  std::vector<std::string> out;
  if (!fromRoot) out = folderParts;
  for (const std::string& part : parts) {
    if (part == "..") {
      if (!out.empty()) out.pop_back();
    } else {
      out.push_back(part);
    }
  }
  return out;
}

bool matchesWildcard(std::string_view pattern, std::string_view name) {
  const std::u32string p = decodeUtf8(upperCase(pattern));
  const std::u32string n = decodeUtf8(upperCase(name));
  if (glob(p, n)) return true;
  if (p.size() >= 2 && p.ends_with(U".*") && n.find(U'.') == std::u32string::npos) {
    return glob(std::u32string_view(p).substr(0, p.size() - 2), n);
  }
  return false;
}

std::string joinWindowsFolder(char drive, const std::vector<std::string>& parts) {
  std::string out{drive, ':'};
  if (parts.empty()) return out + "\\";
  for (const std::string& part : parts) out += "\\" + part;
  return out;
}

}  // namespace platform
