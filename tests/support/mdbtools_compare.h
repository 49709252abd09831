// `jetdb dump` against mdbtools' mdb-export, table by table: the reader's
// proof on the corpus, and the writer's on the files it makes (generated,
// compacted, repaired). Only notation
// is normalised:
//   - mdb-export is asked for our date notation (-T) and hex binary (-b hex);
//     it writes hex in upper case, we in lower case;
//   - mdb-export quotes every text field; we quote only where RFC 4180 needs
//     it, so quoting is compared only where it tells NULL from "";
//   - mdb-export writes a Binary column's bytes only up to the first zero
//     byte (it handles them as a C string), and nothing at all when the value
//     starts with one; so our value is cut the same way before comparing.
//     Text and Memo values likewise end, for mdb-export, at a zero byte (one
//     query's SQL text in the corpus holds a trailing zero byte);
//   - mdb-export writes an empty text like a NULL, unquoted;
//   - mdb-export writes a Double with 16 significant digits, we with as many
//     as it takes to read it back exactly, and a Single with 8: they are
//     compared as numbers, to the digits both keep (15 and 7).
#pragma once

#include <filesystem>

#include "jet/model/table.h"

namespace testing_support {

// True when mdb-export (Debian package mdbtools) can be run.
bool haveMdbExport();

// Expects `jetdb dump` and mdb-export to read `table` of `file` alike.
// mdb-export writes a moved row where its body lies, we where it was first
// written: our rows are put in the order of their bodies before comparing.
void expectDumpMatchesMdbExport(const std::filesystem::path& file, const jet::Table& table);
// The same for every table of `file`, system tables included.
void expectEveryTableMatchesMdbExport(const std::filesystem::path& file);

}  // namespace testing_support
