// The "General" sort order of Access 97: how each byte of a text value becomes
// part of an index key.
//
// One code per byte value of the database's code page, taken from the
// published tables (scripts/gen_sort_codes.py generates the .cpp). What each
// kind does, as the keys Access wrote show (text_key.h has the whole scheme):
//   kIgnored        contributes nothing (byte 0);
//   kSimple         its inline bytes only (digits, punctuation, letters with
//                   no accented forms, ligatures such as "AE" = 60 66);
//   kSignificant    its inline byte, and it counts as a position in the
//                   accent part of the key (the letters that have accented
//                   forms: A C E I N O S U Y, either case);
//   kInternational  its inline byte (the unaccented letter) and an accent
//                   code of one nibble in the accent part of the key.
// Upper and lower case share their codes: the order ignores case.
#pragma once

#include <array>
#include <cstdint>

namespace jet::general_sort {

enum class SortKind : std::uint8_t { kIgnored, kSimple, kSignificant, kInternational };

struct SortCode {
  SortKind kind;
  std::uint8_t inlineLength;               // 0, 1 or 2
  std::array<std::uint8_t, 2> inlineBytes;
  std::uint8_t accent;                     // kInternational only: 0x0..0xF
};

// Indexed by the byte of the code page (Windows-1252 for the tables Access 97
// ships; other code pages use the same table, byte for byte).
extern const std::array<SortCode, 256> kCodes;

// Characters outside Latin-1 that the table places on a code-page byte
// (Windows-1252's 0x80-0x9F range), for callers that start from Unicode.
struct UnicodeMapping {
  char32_t unicode;
  std::uint8_t byte;
};
extern const std::array<UnicodeMapping, 27> kUnicodeMappings;

}  // namespace jet::general_sort
