// How jetdb writes values: the notation of `jetdb dump`.
//
//   NULL        empty (CSV, unquoted) / null (JSON)
//   Yes/No      1 or 0 (CSV) / true or false (JSON)
//   numbers     shortest form that reads back exactly, "." as decimal point
//   Currency    four decimals: -12.3400
//   Date/Time   YYYY-MM-DD HH:MM:SS, rounded to the second
//   Binary, OLE lower-case hex
//   Repl. ID    {XXXXXXXX-XXXX-XXXX-XXXX-XXXXXXXXXXXX}
//   Text, Memo  UTF-8, converted from the database code page
#pragma once

#include <string>

#include "jet/format/value.h"
#include "jet/model/text.h"

namespace jetdb {

// The value as text, without any quoting; empty for NULL.
std::string formatValue(const jet::Value& value, const jet::TextDecoder& text);

std::string formatDateTime(double days);
std::string formatCurrency(std::int64_t units);
std::string formatGuid(const jet::Guid& guid);

// RFC 4180 field: quoted when it holds a comma, a quote, CR or LF, or is empty
// (an empty string is "" so that it differs from NULL).
std::string csvField(const std::string& text);
// A JSON string holding `text` (UTF-8; invalid bytes replaced).
std::string jsonString(const std::string& text);
// A JSON value: null, true/false, a number or a string.
std::string jsonValue(const jet::Value& value, const jet::TextDecoder& text);

}  // namespace jetdb
