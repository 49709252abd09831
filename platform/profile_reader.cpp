#include "platform/profile_reader.h"

#include "platform/text.h"

namespace platform {
namespace {

std::string_view trimSpace(std::string_view s) {
  const auto first = s.find_first_not_of(" \t");
  if (first == std::string_view::npos) return {};
  return s.substr(first, s.find_last_not_of(" \t") - first + 1);
}

std::string_view unquote(std::string_view v) {
  if (v.size() >= 2 && (v.front() == '"' || v.front() == '\'') && v.back() == v.front()) {
    return v.substr(1, v.size() - 2);
  }
  return v;
}

}  // namespace

std::optional<std::string> findProfileValue(std::string_view text, std::string_view section,
                                            std::string_view key) {
  bool inSection = false;
  while (!text.empty()) {
    const auto eol = text.find('\n');
    std::string_view line = text.substr(0, eol);
    text = eol == std::string_view::npos ? std::string_view() : text.substr(eol + 1);
    if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
    line = trimSpace(line);
    if (line.empty() || line.front() == ';') continue;
    if (line.front() == '[') {
      std::string_view name = line.substr(1);
      name = name.substr(0, name.find(']'));
      inSection = equalIgnoringCase(trimSpace(name), section);
      continue;
    }
    if (!inSection) continue;
    const auto eq = line.find('=');
    if (!equalIgnoringCase(trimSpace(line.substr(0, eq)), key)) continue;
    if (eq == std::string_view::npos) return std::string();
    return std::string(unquote(trimSpace(line.substr(eq + 1))));
  }
  return std::nullopt;
}

std::string decodeProfileBytes(std::string_view bytes) {
  if (isValidUtf8(bytes)) {
    if (bytes.starts_with("\xEF\xBB\xBF")) bytes.remove_prefix(3);
    return std::string(bytes);
  }
  return cp1252ToUtf8(bytes);
}

}  // namespace platform
