#include "jet/model/names.h"

#include <unicode/uchar.h>
#include <unicode/utf8.h>

#include <algorithm>
#include <vector>

#include "jet/core/ascii.h"
#include "jet/model/text.h"

namespace jet {
namespace {

bool isAscii(std::string_view s) {
  return std::all_of(s.begin(), s.end(), [](char c) { return static_cast<unsigned char>(c) < 0x80; });
}

// The characters of UTF-8 `text`, each case-folded.
std::vector<UChar32> folded(const std::string& text) {
  std::vector<UChar32> out;
  const auto* s = reinterpret_cast<const uint8_t*>(text.data());
  const auto length = static_cast<int32_t>(text.size());
  for (int32_t i = 0; i < length;) {
    UChar32 c;
    U8_NEXT(s, i, length, c);
    out.push_back(c < 0 ? c : static_cast<UChar32>(u_foldCase(c, U_FOLD_CASE_DEFAULT)));
  }
  return out;
}

}  // namespace

NameMatcher::NameMatcher(int codePage) : codePage_(codePage) {}

bool NameMatcher::same(std::string_view a, std::string_view b) const {
  // ASCII is ASCII in every Windows code page: no decoding needed.
  if (isAscii(a) && isAscii(b)) return equalsIgnoringAsciiCase(a, b);
  const TextDecoder text(codePage_);
  return folded(text.toUtf8(a)) == folded(text.toUtf8(b));
}

}  // namespace jet
