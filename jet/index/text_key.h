// Text in an index key, in the "General" sort order of Access 97.
//
// The value's bytes (in the database's code page, never converted) become:
//
//   inline part   the inline codes of every byte (general_sort_codes.h), in
//                 order. Case is not kept; an accented letter gives its base
//                 letter's code, "ß" gives the codes of "ss".
//   accent part   only when some byte carries an accent: a stream of 4-bit
//                 nibbles, high nibble first, that opens with nibble 0. Each
//                 letter with accented forms (A C E I N O S U Y, accented or
//                 not, the "s" of "ß" counted twice) is a place in it: an
//                 unaccented one is nibble 2, an accented one its accent's
//                 nibble. Places after the last accented letter are left
//                 out. The stream closes with nibble 0 and is padded with a 0
//                 nibble to a whole byte.
//   trailer       without an accent part, one byte 0x00 ends the text.
//
// So "e" is 66 00, "é" is 66 04 00, "aé" is 60 66 02 40 and "ßä" is
// 76 76 60 02 26 00: an unaccented text sorts before its accented forms, an
// accent on an earlier letter weighs more than one on a later letter, and
// "ß" sorts as "ss" in every place. Digits, punctuation, control characters
// and other letters are no places of the accent part.
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
