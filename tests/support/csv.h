// A small RFC 4180 reader for comparing command outputs in tests. It keeps
// whether each field was quoted, so NULL (empty, unquoted) and the empty
// string ("") stay apart.
#pragma once

#include <string>
#include <vector>

namespace testing_support {

struct CsvField {
  std::string text;
  bool quoted = false;
  bool isNull() const { return !quoted && text.empty(); }
};

using CsvRow = std::vector<CsvField>;

// Splits `text` into rows; CR LF and LF both end a row outside quotes.
std::vector<CsvRow> parseCsv(const std::string& text);

}  // namespace testing_support
