#include "tools/value_format.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <cstdio>
#include <nlohmann/json.hpp>

namespace jetdb {
namespace {

template <class T>
std::string shortest(T v) {
  char buf[64];
  auto r = std::to_chars(buf, buf + sizeof buf, v);
  return std::string(buf, r.ptr);
}

std::string hex(const std::vector<std::byte>& bytes) {
  static constexpr char kDigits[] = "0123456789abcdef";
  std::string out(bytes.size() * 2, '\0');
  for (std::size_t i = 0; i < bytes.size(); ++i) {
    const auto v = std::to_integer<unsigned>(bytes[i]);
    out[2 * i] = kDigits[v >> 4];
    out[2 * i + 1] = kDigits[v & 15];
  }
  return out;
}

// Civil date of a day count from 1970-01-01 (proleptic Gregorian).
void civil(std::int64_t z, std::int64_t& y, unsigned& m, unsigned& d) {
  z += 719468;
  const std::int64_t era = (z >= 0 ? z : z - 146096) / 146097;
  const unsigned doe = static_cast<unsigned>(z - era * 146097);
  const unsigned yoe = (doe - doe / 1460 + doe / 36524 - doe / 146096) / 365;
  y = static_cast<std::int64_t>(yoe) + era * 400;
  const unsigned doy = doe - (365 * yoe + yoe / 4 - yoe / 100);
  const unsigned mp = (5 * doy + 2) / 153;
  d = doy - (153 * mp + 2) / 5 + 1;
  m = mp < 10 ? mp + 3 : mp - 9;
  if (m <= 2) ++y;
}

}  // namespace

std::string formatDateTime(double days) {
  if (!std::isfinite(days) || std::fabs(days) > 3e6) return shortest(days);
  // Jet: the integer part counts days from 1899-12-30, the fraction's absolute
  // value is the time of day, also for dates before 1899-12-30.
  double whole = std::trunc(days);
  auto seconds = static_cast<std::int64_t>(std::llround(std::fabs(days - whole) * 86400.0));
  auto day = static_cast<std::int64_t>(whole);
  if (seconds >= 86400) {
    seconds -= 86400;
    day += days < 0 ? -1 : 1;
  }
  std::int64_t y;
  unsigned m, d;
  civil(day - jet::kUnixEpochDay, y, m, d);
  char buf[64];
  std::snprintf(buf, sizeof buf, "%04lld-%02u-%02u %02lld:%02lld:%02lld",
                static_cast<long long>(y), m, d, static_cast<long long>(seconds / 3600),
                static_cast<long long>(seconds / 60 % 60), static_cast<long long>(seconds % 60));
  return buf;
}

std::string formatCurrency(std::int64_t units) {
  const bool negative = units < 0;
  const std::uint64_t magnitude =
      negative ? ~static_cast<std::uint64_t>(units) + 1 : static_cast<std::uint64_t>(units);
  char buf[48];
  std::snprintf(buf, sizeof buf, "%s%llu.%04llu", negative ? "-" : "",
                static_cast<unsigned long long>(magnitude / 10000),
                static_cast<unsigned long long>(magnitude % 10000));
  return buf;
}

std::string formatGuid(const jet::Guid& g) {
  auto b = [&g](int i) { return std::to_integer<unsigned>(g.bytes[static_cast<std::size_t>(i)]); };
  char buf[40];
  std::snprintf(buf, sizeof buf,
                "{%02X%02X%02X%02X-%02X%02X-%02X%02X-%02X%02X-%02X%02X%02X%02X%02X%02X}", b(3),
                b(2), b(1), b(0), b(5), b(4), b(7), b(6), b(8), b(9), b(10), b(11), b(12), b(13),
                b(14), b(15));
  return buf;
}

std::string formatValue(const jet::Value& value, const jet::TextDecoder& text) {
  struct Visitor {
    const jet::TextDecoder& text;
    std::string operator()(std::monostate) const { return {}; }
    std::string operator()(bool v) const { return v ? "1" : "0"; }
    std::string operator()(std::uint8_t v) const { return std::to_string(v); }
    std::string operator()(std::int16_t v) const { return std::to_string(v); }
    std::string operator()(std::int32_t v) const { return std::to_string(v); }
    std::string operator()(jet::Currency v) const { return formatCurrency(v.units); }
    std::string operator()(float v) const { return shortest(v); }
    std::string operator()(double v) const { return shortest(v); }
    std::string operator()(jet::DateTime v) const { return formatDateTime(v.days); }
    std::string operator()(const jet::Guid& v) const { return formatGuid(v); }
    std::string operator()(const jet::Text& v) const { return text.toUtf8(v.bytes); }
    std::string operator()(const jet::Binary& v) const { return hex(v.bytes); }
  };
  return std::visit(Visitor{text}, value);
}

std::string csvField(const std::string& text) {
  // A plain loop: find_first_of searches the set once per character.
  const bool plain = !text.empty() && std::none_of(text.begin(), text.end(), [](char c) {
    return c == ',' || c == '"' || c == '\r' || c == '\n';
  });
  if (plain) return text;
  std::string out = "\"";
  for (char c : text) {
    if (c == '"') out += '"';
    out += c;
  }
  return out + "\"";
}

std::string jsonString(const std::string& text) {
  return nlohmann::json(text).dump(-1, ' ', false, nlohmann::json::error_handler_t::replace);
}

std::string jsonValue(const jet::Value& value, const jet::TextDecoder& text) {
  if (jet::isNull(value)) return "null";
  if (const bool* b = std::get_if<bool>(&value)) return *b ? "true" : "false";
  if (std::holds_alternative<jet::Text>(value) || std::holds_alternative<jet::Binary>(value) ||
      std::holds_alternative<jet::DateTime>(value) || std::holds_alternative<jet::Guid>(value)) {
    return jsonString(formatValue(value, text));
  }
  std::string number = formatValue(value, text);
  // JSON has no inf or nan: write them as strings.
  if (number.find_first_of("in") != std::string::npos) return "\"" + number + "\"";
  return number;
}

}  // namespace jetdb
