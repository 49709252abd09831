// The header settings of a damaged database.
//
// Page 0 must still say what the file is (the magic and the Jet 3 version),
// or page 2 must still hold MSysObjects' definition, and then the header is
// rebuilt from Access's; otherwise the file is not taken for a database
// (3049). The masked block
// holds the settings; where damage made one implausible, salvage restores what
// the rest of the file shows and takes Access's defaults for the rest:
//   - database key: the key under which the pages read as Jet pages (the one
//     stored, or none), so an unencrypted file whose key field was damaged
//     reads again;
//   - code page and sort order: those of the text columns' blocks, which
//     repeat them (the most common pair);
//   - password: a field that does not look like a password is cleared; one
//     that does is a real password, kept when it is the one given and
//     refused with 3031 otherwise, as opening refuses it;
//   - creation date: cleared when it is not a date (Jet 3 files hold zero).
#pragma once

#include <string_view>

#include "jet/core/result.h"
#include "jet/format/header_page.h"
#include "jet/io/byte_source.h"
#include "jet/salvage/problem.h"

namespace jet {

// Reads page 0 of `bytes` and returns the settings repair keeps, reporting
// each setting it had to restore to `problems`. `password`: the one given,
// UTF-8.
Result<HeaderPage> salvageHeader(const ByteSource& bytes, ProblemList& problems,
                                 std::string_view password = {});

}  // namespace jet
