// Settings files read the way Windows' profile function reads them.
//
//   ; a comment line
//   [General]
//   PathDatosKEL = C:\KEL\DATOS
//
// Section and key names are compared without regard to letter case; blanks
// and tabs around names and values are ignored; a value enclosed in a pair of
// matching quotes loses them; the first matching key of the file wins; lines
// without "=" are keys with an empty value. The file is UTF-8 when its bytes
// are valid UTF-8 (a leading byte-order mark is dropped), code page 1252
// otherwise.
#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace platform {

// The value of `key` in `section` of the settings text `text` (UTF-8), or
// nothing when the section or the key is missing.
std::optional<std::string> findProfileValue(std::string_view text, std::string_view section,
                                            std::string_view key);

// The settings file's bytes as UTF-8, following the rule above.
std::string decodeProfileBytes(std::string_view bytes);

}  // namespace platform
