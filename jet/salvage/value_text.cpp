#include "jet/salvage/value_text.h"

#include <cstdio>

namespace jet {
namespace {

// Bytes of a binary value shown in full; longer ones are cut, their length
// said.
constexpr std::size_t kShownBytes = 255;

std::string hex(const std::byte* data, std::size_t size) {
  static const char kDigits[] = "0123456789abcdef";
  std::string out = "0x";
  for (std::size_t i = 0; i < size && i < kShownBytes; ++i) {
    const auto b = std::to_integer<unsigned>(data[i]);
    out += kDigits[b >> 4];
    out += kDigits[b & 15];
  }
  if (size > kShownBytes) out += "... (" + std::to_string(size) + " bytes)";
  return out;
}

std::string number(double d) {
  char buf[64];
  std::snprintf(buf, sizeof buf, "%.17g", d);
  return buf;
}

}  // namespace

std::string describeValue(const Value& value, const TextDecoder& text) {
  return std::visit(
      [&text](const auto& v) -> std::string {
        using T = std::decay_t<decltype(v)>;
        if constexpr (std::is_same_v<T, std::monostate>) return "NULL";
        else if constexpr (std::is_same_v<T, bool>) return v ? "Sí" : "No";
        else if constexpr (std::is_same_v<T, Currency>) return std::to_string(v.units) + "/10000";
        else if constexpr (std::is_same_v<T, DateTime>) return number(v.days) + " días";
        else if constexpr (std::is_same_v<T, Guid>) return hex(v.bytes.data(), v.bytes.size());
        else if constexpr (std::is_same_v<T, Text>) return std::string(1, '"').append(text.toUtf8(v.bytes)).append(1, '"');
        else if constexpr (std::is_same_v<T, Binary>) return hex(v.bytes.data(), v.bytes.size());
        else if constexpr (std::is_floating_point_v<T>) return number(v);
        else return std::to_string(v);
      },
      value);
}

std::string describeRow(const std::vector<Value>& values, const TextDecoder& text) {
  std::string out = "(";
  for (std::size_t i = 0; i < values.size(); ++i) {
    if (i) out += ", ";
    out += describeValue(values[i], text);
  }
  return out + ")";
}

}  // namespace jet
