// What the outside-reader comparisons share: `jetdb dump` of one table as
// CSV rows, and the row-by-row comparison of those rows with another
// reader's, where each reader says through a FieldMatcher how its notation
// differs from ours (mdbtools_compare.h, mdb_reader_compare.h).
#pragma once

#include <filesystem>
#include <functional>
#include <string>
#include <vector>

#include "jet/format/table_definition.h"
#include "jet/model/table.h"
#include "tests/support/csv.h"

namespace testing_support {

// `jetdb dump FILE TABLE` parsed (TABLE in UTF-8, with the file's password
// when it has one); expects exit status 0.
std::vector<CsvRow> jetdbDump(const std::filesystem::path& file, const std::string& table);

// Expects `theirs` to be the reader's notation of `ours`, a field of a
// column of `type` (never called for the header line).
using FieldMatcher = std::function<void(const CsvField& ours, const CsvField& theirs, jet::ColumnType type)>;

// Our rows (`rows` of `table`, header first) in the order the outside readers
// give them: where each row's body lies (page, then row), not where the row
// was first written.
std::vector<CsvRow> inBodyOrder(std::vector<CsvRow> rows, const jet::Table& table);

// Expects the same header line and, row by row, fields that `match` accepts.
void expectSameRows(const std::vector<CsvRow>& ours, const std::vector<CsvRow>& theirs,
                    const std::vector<jet::ColumnDef>& columns, const FieldMatcher& match);

// Numbers compared as the same double, or float when `single`, or else to
// within a relative `tolerance`.
bool sameNumber(const std::string& a, const std::string& b, bool single, double tolerance = 0);

}  // namespace testing_support
