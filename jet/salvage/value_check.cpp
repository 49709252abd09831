#include "jet/salvage/value_check.h"

#include <cmath>

namespace jet {
namespace {

RefusedValue tooLong(std::size_t size, std::uint16_t length) {
  return {errc::kFieldTooSmall, std::to_string(size) + " bytes en una columna de " +
                                    std::to_string(length)};
}

}  // namespace

bool isDoubleByteCodePage(std::uint16_t codePage) {
  return codePage == 932 || codePage == 936 || codePage == 949 || codePage == 950;
}

std::optional<RefusedValue> refusedValue(const ColumnDef& column, const Value& value,
                                         bool doubleByte) {
  if (!isKnownColumnType(column.typeCode)) return std::nullopt;
  switch (column.type) {
    case ColumnType::kText:
      if (const Text* t = std::get_if<Text>(&value);
          t && t->bytes.size() > std::size_t{column.length} * (doubleByte ? 2 : 1)) {
        return tooLong(t->bytes.size(), column.length);
      }
      break;
    case ColumnType::kBinary:
      if (const Binary* b = std::get_if<Binary>(&value); b && b->bytes.size() > column.length) {
        return tooLong(b->bytes.size(), column.length);
      }
      break;
    case ColumnType::kDateTime:
      if (const DateTime* d = std::get_if<DateTime>(&value);
          d && !(std::isfinite(d->days) && d->days >= kFirstDay && d->days < kDayAfterLast)) {
        return RefusedValue{errc::kNumericOverflow, "fecha fuera de los años 100 a 9999"};
      }
      break;
    case ColumnType::kFloat:
      if (const float* f = std::get_if<float>(&value); f && !std::isfinite(*f)) {
        return RefusedValue{errc::kNumericOverflow, "número no finito"};
      }
      break;
    case ColumnType::kDouble:
      if (const double* f = std::get_if<double>(&value); f && !std::isfinite(*f)) {
        return RefusedValue{errc::kNumericOverflow, "número no finito"};
      }
      break;
    default:
      break;
  }
  return std::nullopt;
}

}  // namespace jet
