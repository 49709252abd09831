#include "jet/index/index_key.h"

#include <algorithm>
#include <array>
#include <bit>
#include <cstdint>
#include <cstring>

#include "jet/index/text_key.h"

namespace jet {
namespace {

using namespace index_key;

template <class T>
void putBigEndian(T value, std::vector<std::byte>& out) {
  static_assert(std::endian::native == std::endian::little);
  std::array<std::byte, sizeof(T)> raw;
  std::memcpy(raw.data(), &value, sizeof(T));
  out.insert(out.end(), raw.rbegin(), raw.rend());
}

// Integers: two's complement with the sign bit flipped sorts as unsigned.
template <class T>
void putInteger(T value, std::vector<std::byte>& out) {
  const std::size_t at = out.size();
  putBigEndian(value, out);
  out[at] ^= std::byte{0x80};
}

// Floating point: positive values flip the sign bit, negative ones flip all
// bits, so that larger magnitudes of negatives sort lower.
template <class T>
void putFloat(T value, std::vector<std::byte>& out) {
  const std::size_t at = out.size();
  putBigEndian(value, out);
  if ((out[at] & std::byte{0x80}) == std::byte{0}) {
    out[at] ^= std::byte{0x80};
  } else {
    for (std::size_t i = at; i < out.size(); ++i) out[i] = ~out[i];
  }
}

// Binary values: groups of 8 bytes, each followed by its length byte.
// The intermediate 0x09 bytes stay as they are in a descending column.
void putBinary(std::span<const std::byte> data, bool ascending, std::vector<std::byte>& out) {
  while (!data.empty()) {
    const std::size_t n = std::min(data.size(), kBinaryGroup);
    const bool last = n == data.size();
    const std::size_t at = out.size();
    out.insert(out.end(), data.begin(), data.begin() + static_cast<std::ptrdiff_t>(n));
    out.insert(out.end(), kBinaryGroup - n, std::byte{0});
    out.push_back(last ? std::byte(n) : kMoreGroups);
    if (!ascending) {
      const std::size_t end = last ? out.size() : out.size() - 1;
      for (std::size_t i = at; i < end; ++i) out[i] = ~out[i];
    }
    data = data.subspan(n);
  }
}

// The row stores a Replication ID with its first three fields little-endian;
// the key wants them in textual (big-endian) order.
std::array<std::byte, 16> guidInTextOrder(const Guid& g) {
  std::array<std::byte, 16> b = g.bytes;
  std::reverse(b.begin(), b.begin() + 4);
  std::reverse(b.begin() + 4, b.begin() + 6);
  std::reverse(b.begin() + 6, b.begin() + 8);
  return b;
}

void complementFrom(std::size_t at, std::vector<std::byte>& out) {
  for (std::size_t i = at; i < out.size(); ++i) out[i] = ~out[i];
}

}  // namespace

bool isIndexable(ColumnType t) {
  switch (t) {
    case ColumnType::kBool:
    case ColumnType::kByte:
    case ColumnType::kInt:
    case ColumnType::kLong:
    case ColumnType::kMoney:
    case ColumnType::kFloat:
    case ColumnType::kDouble:
    case ColumnType::kDateTime:
    case ColumnType::kBinary:
    case ColumnType::kText:
    case ColumnType::kGuid:
      return true;
    case ColumnType::kOle:
    case ColumnType::kMemo:
      return false;
  }
  return false;
}

// Calls put(v) when `value` holds a T; returns whether it did.
template <class T, class Put>
static bool with(const Value& value, Put&& put) {
  const T* v = std::get_if<T>(&value);
  if (v) put(*v);
  return v != nullptr;
}

Status appendKeyColumn(const KeyColumn& column, const Value& value, std::vector<std::byte>& out) {
  if (!isIndexable(column.type)) return Error(errc::kInvalidArgument);
  if (column.carried && !isNull(value)) return Error(errc::kInvalidArgument);
  const bool asc = column.ascending;
  // Yes/No is never NULL in Jet 3: the null mask holds its value.
  if (isNull(value) && column.type != ColumnType::kBool) {
    out.push_back(asc ? kAscendingNull : kDescendingNull);
    return okStatus();
  }
  const std::size_t flagAt = out.size();
  out.push_back(asc ? kAscendingValue : kDescendingValue);
  const std::size_t at = out.size();
  // Text and binary values handle descending order themselves.
  bool complement = !asc;
  bool ok = false;
  switch (column.type) {
    case ColumnType::kBool:
      ok = isNull(value) || std::holds_alternative<bool>(value);
      out.push_back(ok && !isNull(value) && std::get<bool>(value) ? kYes : kNo);
      break;
    case ColumnType::kByte:
      ok = with<std::uint8_t>(value, [&](auto v) { out.push_back(std::byte(v)); });
      break;
    case ColumnType::kInt:
      ok = with<std::int16_t>(value, [&](auto v) { putInteger(v, out); });
      break;
    case ColumnType::kLong:
      ok = with<std::int32_t>(value, [&](auto v) { putInteger(v, out); });
      break;
    case ColumnType::kMoney:
      ok = with<Currency>(value, [&](const Currency& v) { putInteger(v.units, out); });
      break;
    case ColumnType::kFloat:
      ok = with<float>(value, [&](auto v) { putFloat(v, out); });
      break;
    case ColumnType::kDouble:
      ok = with<double>(value, [&](auto v) { putFloat(v, out); });
      break;
    case ColumnType::kDateTime:
      ok = with<DateTime>(value, [&](const DateTime& v) { putFloat(v.days, out); });
      break;
    case ColumnType::kText:
      ok = with<Text>(value, [&](const Text& v) { appendGeneralTextKey(v.bytes, asc, out); });
      complement = false;
      break;
    case ColumnType::kBinary:
      ok = with<Binary>(value, [&](const Binary& v) { putBinary(v.bytes, asc, out); });
      complement = false;
      break;
    case ColumnType::kGuid:
      ok = with<Guid>(value, [&](const Guid& v) { putBinary(guidInTextOrder(v), asc, out); });
      complement = false;
      break;
    case ColumnType::kOle:
    case ColumnType::kMemo:
      break;
  }
  if (!ok) {
    out.resize(flagAt);
    return Error(errc::kInvalidArgument);
  }
  if (complement) complementFrom(at, out);
  return okStatus();
}

Result<std::vector<std::byte>> encodeKey(std::span<const KeyColumn> columns,
                                         std::span<const Value> values) {
  if (columns.size() != values.size() || columns.size() > kColumnLimit) {
    return Error(errc::kInvalidArgument);
  }
  std::vector<std::byte> key;
  for (std::size_t i = 0; i < columns.size(); ++i) {
    JET_CHECK(appendKeyColumn(columns[i], values[i], key));
  }
  return key;
}

Result<std::vector<std::byte>> carryKey(std::span<const KeyColumn> columns,
                                        std::span<const std::byte> stored,
                                        std::span<const Value> before,
                                        std::span<const Value> after) {
  const std::size_t n = columns.size();
  if (before.size() != n || after.size() != n || n > kColumnLimit) {
    return Error(errc::kInvalidArgument);
  }
  // Each column's segment as the engine makes it from `before`; the carried
  // text values, whose segments it does not make, are left empty.
  std::vector<std::vector<std::byte>> ours(n);
  std::size_t known = 0, opaque = 0, changed = 0;
  for (std::size_t i = 0; i < n; ++i) {
    if (!(before[i] == after[i])) ++changed;
    if (columns[i].carried && !isNull(before[i])) {
      ++opaque;
      if (!(before[i] == after[i])) return Error(errc::kInvalidArgument);
      continue;
    }
    JET_CHECK(appendKeyColumn(columns[i], before[i], ours[i]));
    known += ours[i].size();
  }
  if (changed == 0 && opaque > 1) return std::vector<std::byte>(stored.begin(), stored.end());
  if (opaque > 1) return Error(errc::kInvalidArgument);
  // A carried text segment holds at least its flag byte and one more.
  if (known + 2 * opaque > stored.size() || (opaque == 0 && known != stored.size())) {
    return Error::corrupt(-1, "la clave guardada no es la de la fila");
  }
  std::vector<std::byte> out;
  std::size_t at = 0;
  for (std::size_t i = 0; i < n; ++i) {
    const bool isOpaque = columns[i].carried && !isNull(before[i]);
    const std::size_t length = isOpaque ? stored.size() - known : ours[i].size();
    const std::span<const std::byte> segment = stored.subspan(at, length);
    at += length;
    if (isOpaque) {
      out.insert(out.end(), segment.begin(), segment.end());
      continue;
    }
    if (!std::equal(segment.begin(), segment.end(), ours[i].begin(), ours[i].end())) {
      return Error::corrupt(-1, "la clave guardada no es la de la fila");
    }
    if (before[i] == after[i]) out.insert(out.end(), segment.begin(), segment.end());
    else JET_CHECK(appendKeyColumn(columns[i], after[i], out));
  }
  return out;
}

}  // namespace jet
