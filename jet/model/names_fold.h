// Letter case folded the way the operating system folds it, for NameMatcher.
#pragma once

#include <string>

namespace jet {

// True iff UTF-8 `a` and `b` are the same characters once each is folded to
// its case-free form (simple case folding, one character for one: ß stays
// one letter). Bytes that are not UTF-8 compare as themselves.
bool sameFolded(const std::string& a, const std::string& b);

}  // namespace jet
