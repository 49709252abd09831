#include "jet/model/names_fold.h"

#include <unicode/uchar.h>
#include <unicode/utf8.h>

#include <vector>

namespace jet {
namespace {

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

bool sameFolded(const std::string& a, const std::string& b) { return folded(a) == folded(b); }

}  // namespace jet
