#include "tests/support/csv.h"

namespace testing_support {

std::vector<CsvRow> parseCsv(const std::string& text) {
  std::vector<CsvRow> rows;
  CsvRow row;
  CsvField field;
  bool inQuotes = false;
  bool any = false;  // something was read on this row
  for (std::size_t i = 0; i < text.size(); ++i) {
    char c = text[i];
    if (inQuotes) {
      if (c == '"' && i + 1 < text.size() && text[i + 1] == '"') {
        field.text += '"';
        ++i;
      } else if (c == '"') {
        inQuotes = false;
      } else {
        field.text += c;
      }
      continue;
    }
    if (c == '"') {
      inQuotes = true;
      field.quoted = true;
      any = true;
    } else if (c == ',') {
      row.push_back(std::move(field));
      field = {};
      any = true;
    } else if (c == '\n' || c == '\r') {
      if (c == '\r' && i + 1 < text.size() && text[i + 1] == '\n') ++i;
      if (any || !field.text.empty()) row.push_back(std::move(field));
      rows.push_back(std::move(row));
      row = {};
      field = {};
      any = false;
    } else {
      field.text += c;
      any = true;
    }
  }
  if (any || !field.text.empty()) {
    row.push_back(std::move(field));
    rows.push_back(std::move(row));
  }
  return rows;
}

}  // namespace testing_support
