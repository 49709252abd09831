// Names as Jet compares them.
//
// Jet finds tables, other catalog objects and columns by name without regard
// to letter case, for every letter of the database's code page and not only
// ASCII ("UMSÄTZE" names the table "Umsätze"), while accents are kept ("Umsatze"
// is another name). Names are stored as bytes in the database's code page;
// they are compared as the characters those bytes stand for, each folded to
// its case-free form (Unicode simple case folding, which is what upper- and
// lower-case letters of the Windows code pages map to: ß stays one letter).
#pragma once

#include <string>
#include <string_view>

namespace jet {

class NameMatcher {
 public:
  // Names in Windows code page `codePage`; an unknown one is taken for 1252.
  explicit NameMatcher(int codePage);

  // True iff `a` and `b` (bytes in the code page) name the same object.
  bool same(std::string_view a, std::string_view b) const;

 private:
  int codePage_;
};

}  // namespace jet
