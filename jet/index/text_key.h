// Text in an index key, in the "General" sort order of Access 97.
//
// The value's bytes (in the database's code page, never converted) become:
//
//   inline part   the inline codes of every byte (general_sort_codes.h), in
//                 order; ignored bytes give nothing. Case is not kept.
//   accent part   only when some byte is kInternational: a stream of 4-bit
//                 nibbles, high nibble first, that opens with nibble 0. For
//                 each accented byte it holds one nibble 2 for every
//                 kSignificant byte met since the previous accented byte (or
//                 the start), then the accent's own nibble. The stream closes
//                 with nibble 0 and is padded with a 0 nibble to a whole byte.
//   trailer       without an accent part, one byte 0x00 ends the text.
//
// So "e" is 66 00, "é" is 66 04 00 and "aé" is 60 66 02 40: an unaccented
// text sorts before its accented forms, and an accent on an earlier letter
// weighs more than one on a later letter. Simple bytes (digits, punctuation)
// are not positions of the accent part.
//
// Before encoding, the text is cut to kMaxIndexedChars bytes and trailing
// spaces are dropped. In a descending column every byte of the encoded text
// (trailer included) is complemented.
#pragma once

#include <cstddef>
#include <string_view>
#include <vector>

namespace jet {

// Longest text prefix that takes part in a key.
inline constexpr std::size_t kMaxIndexedChars = 127;

// Appends the encoded text (without the column's flag byte) to `out`.
void appendGeneralTextKey(std::string_view text, bool ascending, std::vector<std::byte>& out);

}  // namespace jet
