#include "jet/model/names.h"

#include <algorithm>

#include "jet/core/ascii.h"
#include "jet/model/names_fold.h"
#include "jet/model/text.h"

namespace jet {
namespace {

bool isAscii(std::string_view s) {
  return std::all_of(s.begin(), s.end(), [](char c) { return static_cast<unsigned char>(c) < 0x80; });
}

}  // namespace

NameMatcher::NameMatcher(int codePage) : codePage_(codePage) {}

bool NameMatcher::same(std::string_view a, std::string_view b) const {
  // ASCII is ASCII in every Windows code page: no decoding needed.
  if (isAscii(a) && isAscii(b)) return equalsIgnoringAsciiCase(a, b);
  const TextDecoder text(codePage_);
  return sameFolded(text.toUtf8(a), text.toUtf8(b));
}

}  // namespace jet
