// The database generator: a new Access 97 database filled with tables that
// use every column type and every kind of index, long values of every form,
// and the deleted and moved rows of a database in use. Tests, the README's
// demonstration and the benchmarks use it.
//
// Given the same options it writes the same bytes. The tables (all user
// tables, each with the three permission entries Access gives one):
//   Clientes    every column type: AutoNumber primary key, Yes/No, Byte,
//               Integer, Long, Currency, Single, Double, Date/Time, Text,
//               Binary, Memo, OLE Object, Replication ID; indexes on text, a
//               compound one with a descending column, a unique one, and a
//               descending one that ignores NULLs;
//   Pedidos     a compound primary key, written out of key order; a
//               descending date index, a text index;
//   Documentos  long Memo and OLE values that carry most of the size.
// Text is Windows-1252 with accented letters, so text keys use the accent
// part of the General sort order. About one row in 25 is deleted and one in
// 33 moved; Memo and OLE values are inline, on one long-value row, or
// chained over pages.
#pragma once

#include <cstdint>
#include <filesystem>

#include "jet/core/result.h"
#include "jet/format/value.h"

namespace jet {

struct GenerateOptions {
  std::uint32_t megabytes = 1;  // size aimed at, in MiB: 1 to 1000
  std::uint64_t seed = 1;
  DateTime created{45000.0};    // the date of the system objects
};

struct GenerateReport {
  std::uint64_t rows = 0;       // live rows written, all tables
  std::uint64_t deleted = 0;
  std::uint64_t moved = 0;
};

// Writes the database to `path`, which must not exist (3204). Fails with
// 3001 for a size out of range.
Result<GenerateReport> generateDatabase(const std::filesystem::path& path,
                                        const GenerateOptions& options);

}  // namespace jet
