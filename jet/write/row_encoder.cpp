#include "jet/write/row_encoder.h"

#include <algorithm>
#include <cstring>

#include "jet/write/append_bytes.h"
#include <map>
#include <numeric>

#include "jet/format/row.h"
#include "jet/write/data_page_builder.h"

namespace jet {
namespace {

template <class T, class F>
bool with(const Value& v, F&& f) {
  const T* x = std::get_if<T>(&v);
  if (x) f(*x);
  return x != nullptr;
}

bool isBool(const ColumnDef& c) { return c.typeCode == static_cast<std::uint8_t>(ColumnType::kBool); }

}  // namespace

Result<TableDefinition> layOutColumns(const TableDefinition& source) {
  TableDefinition t = source;
  std::vector<std::size_t> order(t.columns.size());
  std::iota(order.begin(), order.end(), 0);
  std::stable_sort(order.begin(), order.end(), [&](std::size_t a, std::size_t b) {
    return source.columns[a].number < source.columns[b].number;
  });
  std::map<std::uint16_t, std::uint16_t> renumber;
  std::uint16_t vars = 0;
  std::uint16_t offset = 0;
  for (std::size_t rank = 0; rank < order.size(); ++rank) {
    ColumnDef& c = t.columns[order[rank]];
    const std::uint16_t number = static_cast<std::uint16_t>(rank);
    renumber[c.number] = number;
    // The second number follows the first where the source kept it equal.
    if (c.number2 == c.number) c.number2 = number;
    c.number = number;
    if (c.isFixed()) {
      c.varIndex = vars;
      c.fixedOffset = isBool(c) ? 0 : offset;
      if (!isBool(c)) offset = static_cast<std::uint16_t>(offset + c.fixedDataSize());
    } else {
      c.varIndex = vars++;
      c.fixedOffset = 0;
    }
  }
  t.columnsCreated = static_cast<std::uint16_t>(t.columns.size());
  t.varColumns = vars;
  for (RealIndexDef& r : t.realIndexes) {
    for (IndexColumn& ic : r.columns) {
      auto it = renumber.find(ic.column);
      if (it == renumber.end()) {
        return Error::corrupt(source.page, "el índice usa una columna que la tabla no tiene");
      }
      ic.column = it->second;
    }
  }
  // The writer makes the long-value maps anew, one per column that needs one.
  t.longValueMaps.clear();
  return t;
}

Status appendValueBytes(const ColumnDef& c, const Value& v, std::vector<std::byte>& out) {
  if (!isKnownColumnType(c.typeCode)) {
    return with<Binary>(v, [&](const Binary& b) { out.insert(out.end(), b.bytes.begin(), b.bytes.end()); })
               ? okStatus() : Status(Error(errc::kInvalidArgument));
  }
  bool ok = false;
  switch (c.type) {
    case ColumnType::kBool: ok = std::holds_alternative<bool>(v); break;
    case ColumnType::kByte: ok = with<std::uint8_t>(v, [&](auto x) { appendLittleEndian(x, out); }); break;
    case ColumnType::kInt: ok = with<std::int16_t>(v, [&](auto x) { appendLittleEndian(x, out); }); break;
    case ColumnType::kLong: ok = with<std::int32_t>(v, [&](auto x) { appendLittleEndian(x, out); }); break;
    case ColumnType::kMoney: ok = with<Currency>(v, [&](auto x) { appendLittleEndian(x.units, out); }); break;
    case ColumnType::kFloat: ok = with<float>(v, [&](auto x) { appendLittleEndian(x, out); }); break;
    case ColumnType::kDouble: ok = with<double>(v, [&](auto x) { appendLittleEndian(x, out); }); break;
    case ColumnType::kDateTime: ok = with<DateTime>(v, [&](auto x) { appendLittleEndian(x.days, out); }); break;
    case ColumnType::kGuid:
      ok = with<Guid>(v, [&](const Guid& g) { out.insert(out.end(), g.bytes.begin(), g.bytes.end()); });
      break;
    case ColumnType::kText:
    case ColumnType::kMemo:
      ok = with<Text>(v, [&](const Text& t) {
        const auto* p = reinterpret_cast<const std::byte*>(t.bytes.data());
        out.insert(out.end(), p, p + t.bytes.size());
      });
      break;
    case ColumnType::kBinary:
    case ColumnType::kOle:
      ok = with<Binary>(v, [&](const Binary& b) { out.insert(out.end(), b.bytes.begin(), b.bytes.end()); });
      break;
  }
  return ok ? okStatus() : Status(Error(errc::kInvalidArgument));
}

RowEncoder::RowEncoder(const TableDefinition& table) : table_(&table) {
  byVarIndex_.assign(table.varColumns, table.columns.size());
  for (std::size_t i = 0; i < table.columns.size(); ++i) {
    const ColumnDef& c = table.columns[i];
    if (c.isFixed()) {
      if (!isBool(c)) fixedSize_ = std::max<std::size_t>(fixedSize_, c.fixedOffset + c.fixedDataSize());
    } else if (c.varIndex < byVarIndex_.size()) {
      byVarIndex_[c.varIndex] = i;
    }
  }
}

// The row is: column count, fixed part, variable data, then (when the table
// has variable columns) the offset table backwards, the jump table, the
// variable column count, and finally the null mask (row.h).
Status RowEncoder::encode(std::span<const Value> values, const LongValueStore& store,
                          std::vector<std::byte>& out) {
  const TableDefinition& t = *table_;
  if (values.size() != t.columns.size()) return Error(errc::kInvalidArgument);
  const std::size_t n = t.columnsCreated;
  const std::size_t maskSize = (n + 7) / 8;
  out.assign(row_layout::kFixedData + fixedSize_, std::byte{0});
  out[row_layout::kColumnCount] = std::byte(n);
  std::vector<std::byte>& mask = mask_;
  mask.assign(maskSize, std::byte{0});
  auto setBit = [&](std::uint16_t number) { mask[number / 8] |= std::byte(1u << (number % 8)); };

  std::vector<std::byte>& bytes = bytes_;
  for (std::size_t i = 0; i < t.columns.size(); ++i) {
    const ColumnDef& c = t.columns[i];
    const Value& v = values[i];
    if (isBool(c)) {
      if (isNull(v)) continue;  // Jet has no NULL Yes/No: it reads as No
      if (!std::holds_alternative<bool>(v)) return Error(errc::kInvalidArgument);
      if (std::get<bool>(v)) setBit(c.number);
      continue;
    }
    if (isNull(v) || !c.isFixed()) continue;
    bytes.clear();
    JET_CHECK(appendValueBytes(c, v, bytes));
    const std::size_t size = std::min(bytes.size(), c.fixedDataSize());
    std::memcpy(out.data() + row_layout::kFixedData + c.fixedOffset, bytes.data(), size);
    setBit(c.number);
  }

  if (t.varColumns > 0) {
    var_.clear();
    varEnds_.clear();
    for (std::size_t k = 0; k < byVarIndex_.size(); ++k) {
      const std::size_t i = byVarIndex_[k];
      if (i < t.columns.size() && !isNull(values[i])) {
        const ColumnDef& c = t.columns[i];
        bytes.clear();
        if (isKnownColumnType(c.typeCode) && isLongValue(c.type)) {
          // The value goes to the store as it stands, not copied first.
          std::span<const std::byte> value;
          if (const Text* text = std::get_if<Text>(&values[i]); text && c.type == ColumnType::kMemo) {
            value = std::as_bytes(std::span(text->bytes.data(), text->bytes.size()));
          } else if (const Binary* b = std::get_if<Binary>(&values[i]); b && c.type == ColumnType::kOle) {
            value = b->bytes;
          } else {
            return Error(errc::kInvalidArgument);
          }
          JET_TRY(std::vector<std::byte> field, store(i, value));
          var_.insert(var_.end(), field.begin(), field.end());
        } else {
          JET_CHECK(appendValueBytes(c, values[i], bytes));
          var_.insert(var_.end(), bytes.begin(), bytes.end());
        }
        setBit(c.number);
      }
      varEnds_.push_back(static_cast<std::uint16_t>(std::min<std::size_t>(var_.size(), 0xFFFF)));
    }
    const std::size_t varStart = out.size();
    const std::size_t v = byVarIndex_.size();
    // The jump table has one entry per 256 bytes of the whole row, which
    // depends on its own size: grow it until it covers the row.
    std::size_t jumps = 0;
    std::size_t length = 0;
    for (;;) {
      length = varStart + var_.size() + (v + 1) + jumps + 1 + maskSize;
      const std::size_t needed = (length - 1) / row_layout::kJumpSpan;
      if (needed <= jumps) break;
      jumps = needed;
    }
    if (length > data_page::kMaxRowSize) return Error(errc::kTooLarge, "fila");
    out.insert(out.end(), var_.begin(), var_.end());
    // Offsets of entries 0..v (entry v: the end of the variable data).
    std::vector<std::size_t>& offsets = offsets_;
    offsets.resize(v + 1);
    for (std::size_t k = 0; k <= v; ++k) offsets[k] = varStart + (k == 0 ? 0 : varEnds_[k - 1]);
    // Stored backwards: entry v first (lowest address), entry 0 last.
    for (std::size_t k = v + 1; k-- > 0;) out.push_back(std::byte(offsets[k] & 0xFF));
    // Jump entry j (stored at L-M-2-j): the first entry at or past
    // (j+1)*256, 0xFF when none is.
    std::vector<std::byte>& jumpTable = jumpTable_;
    jumpTable.assign(jumps, std::byte{0xFF});
    for (std::size_t j = 0; j < jumps; ++j) {
      for (std::size_t k = 0; k <= v; ++k) {
        if (offsets[k] >= (j + 1) * row_layout::kJumpSpan) {
          jumpTable[j] = std::byte(k);
          break;
        }
      }
    }
    for (std::size_t j = jumps; j-- > 0;) out.push_back(jumpTable[j]);
    out.push_back(std::byte(v));
  } else if (out.size() + maskSize > data_page::kMaxRowSize) {
    return Error(errc::kTooLarge, "fila");
  }
  out.insert(out.end(), mask.begin(), mask.end());
  return okStatus();
}

std::size_t RowEncoder::minimumRowSize() const {
  const std::size_t n = table_->columnsCreated;
  std::size_t size = row_layout::kFixedData + fixedSize_ + (n + 7) / 8;
  if (table_->varColumns > 0) size += table_->varColumns + 2;
  return size;
}

}  // namespace jet
