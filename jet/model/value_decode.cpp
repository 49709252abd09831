#include "jet/model/value_decode.h"

#include <algorithm>
#include <cstring>

namespace jet {
namespace {

template <class T>
T load(ByteView b) {
  T v{};
  std::memcpy(&v, b.data(), sizeof v);
  return v;
}

Binary binary(ByteView b) { return Binary{std::vector<std::byte>(b.data(), b.data() + b.size())}; }

}  // namespace

std::optional<Value> decodeValueBytes(std::uint8_t typeCode, ByteView b) {
  if (!isKnownColumnType(typeCode)) return Value{binary(b)};
  const auto type = static_cast<ColumnType>(typeCode);
  if (b.size() < fixedSize(type)) return std::nullopt;
  switch (type) {
    case ColumnType::kBool:
      return Value{std::any_of(b.span().begin(), b.span().end(),
                               [](std::byte x) { return x != std::byte{0}; })};
    case ColumnType::kByte: return Value{load<std::uint8_t>(b)};
    case ColumnType::kInt: return Value{load<std::int16_t>(b)};
    case ColumnType::kLong: return Value{load<std::int32_t>(b)};
    case ColumnType::kMoney: return Value{Currency{load<std::int64_t>(b)}};
    case ColumnType::kFloat: return Value{load<float>(b)};
    case ColumnType::kDouble: return Value{load<double>(b)};
    case ColumnType::kDateTime: return Value{DateTime{load<double>(b)}};
    case ColumnType::kGuid: {
      Guid g;
      std::memcpy(g.bytes.data(), b.data(), g.bytes.size());
      return Value{g};
    }
    case ColumnType::kText:
    case ColumnType::kMemo: return Value{Text{std::string(b.chars())}};
    case ColumnType::kBinary:
    case ColumnType::kOle: return Value{binary(b)};
  }
  return std::nullopt;
}

}  // namespace jet
