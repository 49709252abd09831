// Column types and the values a row holds.
//
// Text is kept as the bytes the file holds, in the database's code page: Jet 3
// does not always record which code page its text is in, so the engine never
// converts text on its way through; conversion to UTF-8 happens only where text
// is shown (see jet/model/text.h).
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <variant>
#include <vector>

namespace jet {

// Column type codes as stored in the table definition.
enum class ColumnType : std::uint8_t {
  kBool = 0x01,      // Yes/No: kept in the null mask, no data bytes
  kByte = 0x02,
  kInt = 0x03,       // 16-bit
  kLong = 0x04,      // 32-bit
  kMoney = 0x05,     // Currency: 64-bit, 1/10000 units
  kFloat = 0x06,     // Single
  kDouble = 0x07,
  kDateTime = 0x08,  // double: days since 1899-12-30
  kBinary = 0x09,    // up to 255 bytes
  kText = 0x0A,      // up to 255 bytes
  kOle = 0x0B,       // long value
  kMemo = 0x0C,      // long value
  kGuid = 0x0F,      // Replication ID: 16 bytes
};

// True for the types stored as long values (memo, OLE).
constexpr bool isLongValue(ColumnType t) { return t == ColumnType::kOle || t == ColumnType::kMemo; }
// Size of a fixed-length type's data, 0 for variable types and Yes/No.
constexpr std::size_t fixedSize(ColumnType t) {
  switch (t) {
    case ColumnType::kByte: return 1;
    case ColumnType::kInt: return 2;
    case ColumnType::kLong: return 4;
    case ColumnType::kMoney: return 8;
    case ColumnType::kFloat: return 4;
    case ColumnType::kDouble: return 8;
    case ColumnType::kDateTime: return 8;
    case ColumnType::kGuid: return 16;
    default: return 0;
  }
}
// Spanish name of a type, as Access shows it ("Texto", "Memo", ...); "?" for
// a code that is not a Jet 3 type.
std::string_view columnTypeName(ColumnType t);
bool isKnownColumnType(std::uint8_t code);

struct Currency {
  std::int64_t units = 0;  // 1/10000 of the currency unit
  bool operator==(const Currency&) const = default;
};

struct DateTime {
  double days = 0;  // days since 1899-12-30; the fraction is the time of day
  bool operator==(const DateTime&) const = default;
};
// The dates Access accepts, 1 January 100 to 31 December 9999: days from
// kFirstDay, up to but not including kDayAfterLast.
inline constexpr double kFirstDay = -657434.0;
inline constexpr double kDayAfterLast = 2958466.0;
// The day 1970-01-01, where the system's clock counts from.
inline constexpr std::int64_t kUnixEpochDay = 25569;

struct Guid {
  std::array<std::byte, 16> bytes{};  // as stored
  bool operator==(const Guid&) const = default;
};

// Text in the database's code page, byte for byte (Text, Memo).
struct Text {
  std::string bytes;
  bool operator==(const Text&) const = default;
};

// Raw bytes (Binary, OLE Object).
struct Binary {
  std::vector<std::byte> bytes;
  bool operator==(const Binary&) const = default;
};

// One column's value in a row; std::monostate is NULL.
using Value = std::variant<std::monostate, bool, std::uint8_t, std::int16_t, std::int32_t,
                           Currency, float, double, DateTime, Guid, Text, Binary>;

inline bool isNull(const Value& v) { return std::holds_alternative<std::monostate>(v); }

}  // namespace jet
