// `jetdb dump` against the npm package mdb-reader (the second outside reader,
// installed into tests/outside by scripts/setup), for any file: the compacted,
// generated and repaired ones. tests/outside/mdb_reader_dump.mjs writes what
// mdb-reader reads in jetdb's notation; what is left to normalise:
//   - mdb-reader decodes Jet 3 text as code page 1252 and shows the five bytes
//     that page leaves undefined as U+FFFD, we as the character of their
//     number (U+0081 ...): both lose the byte, so they are compared as equal.
//     Files that declare another code page are not compared;
//   - numbers are compared as the same double (Single: float), whatever the
//     notation: both write the shortest decimal that reads back exactly.
#pragma once

#include <filesystem>
#include <string>

namespace testing_support {

// True when node and mdb-reader can be run; otherwise `why` says what is missing.
bool haveMdbReader(std::string* why = nullptr);

// Expects mdb-reader to list the tables our catalog lists in `file` (system
// tables included) and to read each with the rows and values `jetdb dump`
// writes, in the order of the rows' bodies.
void expectMdbReaderReadsAsJetdb(const std::filesystem::path& file);

}  // namespace testing_support
