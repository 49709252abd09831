// The "General" sort order of Access 97: what each byte of a text value
// contributes to an index key (text_key.h has the whole scheme).
//
// One code per byte value of the database's code page, generated from the
// published table by scripts/gen_sort_codes.py:
//   inline codes   one or two bytes that sort the character: upper and lower
//                  case share them, an accented letter has its base letter's,
//                  and a letter that sorts as two ("ß" as "ss", "æ" as "ae")
//                  has both;
//   letters        how many letters with accented forms (A C E I N O S U Y)
//                  the byte stands for: the places it takes in the accent
//                  part of a key (1 for such a letter, accented or not, 2 for
//                  "ß", "æ", "œ", 0 for digits, punctuation, other letters);
//   accent         0 for none, else the accent's nibble (3..A).
// The published table leaves byte 0 out; Access encodes it as the other
// control characters (0x10), as the keys of MSysModules2 show (format.md).
#pragma once

#include <array>
#include <cstdint>

namespace jet::general_sort {

struct SortCode {
  std::uint8_t inlineLength;               // 1 or 2
  std::array<std::uint8_t, 2> inlineBytes;
  std::uint8_t letters;                    // 0, 1 or 2
  std::uint8_t accent;                     // 0: none
};

// Indexed by the byte of the code page (Windows-1252 for the tables Access 97
// ships; other code pages use the same table, byte for byte).
extern const std::array<SortCode, 256> kCodes;

}  // namespace jet::general_sort
