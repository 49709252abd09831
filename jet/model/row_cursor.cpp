#include "jet/model/row_cursor.h"

#include <cstring>

#include "jet/format/long_value.h"
#include "jet/model/value_decode.h"

namespace jet {

RowCursor::RowCursor(const Database& db, const TableDefinition& table, DamageSink* damage,
                     std::string tableName)
    : db_(&db), table_(&table), damage_(damage), tableName_(std::move(tableName)) {}

Status RowCursor::damaged(Error e, std::int64_t page, std::int64_t row) {
  if (!damage_) return e;
  Finding f;
  f.page = page;
  f.row = row;
  f.table = tableName_;
  f.message = e.reasonAt(page, row);
  damage_->report(std::move(f));
  return okStatus();
}

Result<bool> RowCursor::next() {
  const PageSource& pages = db_->pages();
  if (!mapOpened_) {
    mapOpened_ = true;
    auto m = UsageMapCursor::open(pages, table_->usageMap);
    if (!m) {
      done_ = true;
      JET_CHECK(damaged(std::move(m).error(), table_->page, -1));
      return false;
    }
    map_.emplace(std::move(*m));
  }
  while (!done_) {
    if (!data_) {
      auto p = map_->next();
      if (!p) {
        JET_CHECK(damaged(std::move(p).error(), table_->page, -1));
        continue;
      }
      if (!*p) {
        done_ = true;
        break;
      }
      const std::uint32_t number = **p;
      auto page = pages.read(number);
      if (!page) {
        JET_CHECK(damaged(std::move(page).error(), number, -1));
        continue;
      }
      auto data = DataPage::decode((*page)->view(), number);
      // A row count that its free space and offsets disagree with is damage;
      // the one they agree on says which slots are rows.
      const std::optional<std::uint16_t> agreed = agreedRowCount((*page)->view());
      const std::uint16_t stored = *(*page)->view().u16(data_page::kRowCount);
      if (agreed && *agreed != stored) {
        JET_CHECK(damaged(Error::corrupt(number, "la página dice tener " + std::to_string(stored) +
                                                     " filas y su espacio libre dice " +
                                                     std::to_string(*agreed)),
                          number, -1));
        data = DataPage::decode((*page)->view(), number, *agreed);
      }
      if (!data) {
        JET_CHECK(damaged(std::move(data).error(), number, -1));
        continue;
      }
      if (data->owner() != table_->page) {
        JET_CHECK(damaged(Error::corrupt(number, "la página de datos pertenece a otra tabla"),
                          number, -1));
        continue;
      }
      page_ = *page;
      data_ = *data;
      nextSlot_ = 0;
    }
    if (nextSlot_ >= data_->rowCount()) {
      data_.reset();
      page_.reset();
      continue;
    }
    bool found = false;
    JET_CHECK(step(found));
    if (found) {
      ++count_;
      return true;
    }
  }
  return false;
}

Status RowCursor::step(bool& found) {
  const std::uint16_t row = nextSlot_++;
  return readSlot(*data_, row, found);
}

Result<bool> RowCursor::readAt(RowLocation at) {
  auto page = db_->pages().read(at.page);
  if (!page) {
    JET_CHECK(damaged(std::move(page).error(), at.page, at.row));
    return false;
  }
  auto data = DataPage::decode((*page)->view(), at.page);
  if (!data) {
    JET_CHECK(damaged(std::move(data).error(), at.page, at.row));
    return false;
  }
  if (data->owner() != table_->page) {
    JET_CHECK(damaged(Error::corrupt(at.page, "la página de datos pertenece a otra tabla"),
                      at.page, at.row));
    return false;
  }
  bool found = false;
  JET_CHECK(readSlot(*data, at.row, found));
  if (found) ++count_;
  return found;
}

Status RowCursor::readSlot(const DataPage& data, std::uint16_t row, bool& found) {
  const std::uint32_t number = data.number();
  auto slot = data.slot(row);
  if (!slot) return damaged(std::move(slot).error(), number, row);
  location_ = {number, static_cast<std::uint8_t>(row)};
  body_ = location_;
  if (slot->kind == SlotKind::kDeleted || slot->kind == SlotKind::kMovedBody) return okStatus();
  if (slot->kind == SlotKind::kLive) {
    ByteView bytes = *data.rowBytes(row);
    JET_CHECK(readRow(bytes, number));
    found = !values_.empty() || table_->columns.empty();
    return okStatus();
  }
  // A moved row: its body is on the page the slot names, in a slot flagged 0x8000.
  auto target = data.movedTo(row);
  if (!target) return damaged(std::move(target).error(), number, row);
  body_ = *target;
  auto page = db_->pages().read(target->page);
  if (!page) return damaged(std::move(page).error(), number, row);
  auto body = DataPage::decode((*page)->view(), target->page);
  if (!body) return damaged(std::move(body).error(), number, row);
  if (body->owner() != table_->page) {
    return damaged(Error::corrupt(target->page, "una fila desplazada apunta a otra tabla"),
                   number, row);
  }
  auto bodySlot = body->slot(target->row);
  if (!bodySlot) return damaged(std::move(bodySlot).error(), target->page, target->row);
  if (bodySlot->kind != SlotKind::kMovedBody) {
    return damaged(Error::corrupt(target->page, "una fila desplazada apunta a una fila que no "
                                                "es su cuerpo"),
                   number, row);
  }
  JET_CHECK(readRow(*body->rowBytes(target->row), target->page));
  found = !values_.empty() || table_->columns.empty();
  return okStatus();
}

Status RowCursor::readRow(ByteView row, std::uint32_t page) {
  values_.clear();
  longValueRows_.clear();
  if (auto s = splitRow(row, *table_, page, fields_); !s) {
    return damaged(std::move(s).error(), location_.page, location_.row);
  }
  values_.reserve(table_->columns.size());
  for (std::size_t k = 0; k < table_->columns.size(); ++k) {
    if (k < wanted_.size() && !wanted_[k]) {
      values_.emplace_back();
      continue;
    }
    Status status;
    values_.push_back(decode(k, fields_[k], page, status));
    if (!status) {
      values_.clear();
      return damaged(std::move(status).error(), location_.page, location_.row);
    }
  }
  return okStatus();
}

Value RowCursor::decode(std::size_t column, const FieldBytes& f, std::uint32_t page,
                        Status& status) {
  const ColumnDef& c = table_->columns[column];
  if (c.typeCode == static_cast<std::uint8_t>(ColumnType::kBool)) {
    return f.null ? Value{} : Value{f.bit};
  }
  if (f.null) return Value{};
  ByteView b = f.bytes;
  if (isKnownColumnType(c.typeCode) && isLongValue(c.type)) {
    auto ref = decodeLongValueRef(b, page);
    if (!ref) {
      status = std::move(ref).error();
      return Value{};
    }
    trail_.clear();
    std::vector<RowLocation>* trail = trackLongValues_ ? &trail_ : nullptr;
    Value value;
    if (column < followOnly_.size() && followOnly_[column]) {
      status = walkLongValue(db_->pages(), *ref, trail);
    } else if (c.type == ColumnType::kOle) {
      auto bytes = readLongValue(db_->pages(), *ref, trail);
      if (bytes) value = Binary{std::move(*bytes)};
      else status = std::move(bytes).error();
    } else {
      Text text;
      status = readLongValueText(db_->pages(), *ref, text.bytes, trail);
      if (status) value = std::move(text);
    }
    for (RowLocation at : trail_) longValueRows_.push_back({column, at});
    return status ? std::move(value) : Value{};
  }
  std::optional<Value> v = decodeValueBytes(c.typeCode, b);
  if (!v) {
    status = Error::corrupt(page, "dato de columna fija incompleto");
    return Value{};
  }
  return std::move(*v);
}

}  // namespace jet
