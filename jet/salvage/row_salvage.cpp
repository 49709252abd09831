#include "jet/salvage/row_salvage.h"

#include "jet/format/long_value.h"
#include "jet/format/properties.h"
#include "jet/model/value_decode.h"
#include "jet/salvage/long_value_salvage.h"
#include "jet/salvage/row_plausibility.h"
#include "jet/salvage/value_check.h"
#include "jet/salvage/value_text.h"

namespace jet {
namespace {

// True iff `blob` decodes as properties whose values all have a column type.
bool soundProperties(ByteView blob) {
  auto blocks = decodeProperties(blob);
  if (!blocks) return false;
  for (const PropertyBlock& b : *blocks) {
    for (const RawProperty& p : b.properties) {
      if (!isKnownColumnType(p.type)) return false;
    }
  }
  return true;
}

}  // namespace

SalvageRowCursor::SalvageRowCursor(const PageSource& pages, const PageCensus& census,
                                   const SalvagedTable& table, std::uint16_t codePage,
                                   ProblemList& problems)
    : pages_(pages), census_(census), table_(table), problems_(problems), text_(codePage),
      doubleByte_(isDoubleByteCodePage(codePage)), torn_(pages) {}

void SalvageRowCursor::problem(int code, std::int64_t page, std::int64_t row, std::string message,
                               Loss loss) {
  problems_.add(code, table_.displayName, page, row, std::move(message), loss);
}

Result<bool> SalvageRowCursor::next() {
  while (true) {
    if (data_ && nextSlot_ < data_->rowCount()) {
      bool found = false;
      JET_CHECK(step(nextSlot_++, found));
      if (!found) continue;
      ++count_;
      return true;
    }
    JET_TRY(bool more, nextPage());
    if (!more) return false;
  }
}

Result<bool> SalvageRowCursor::nextPage() {
  data_.reset();
  page_.reset();
  while (nextPage_ < table_.pages.size()) {
    const std::uint32_t number = table_.pages[nextPage_++];
    JET_TRY(page_, pages_.read(number));
    auto data = DataPage::decode(page_->view(), number);
    // The row count its free space and offsets agree on (data_page.h).
    const std::optional<std::uint16_t> agreed = agreedRowCount(page_->view());
    const std::uint16_t stored = *page_->view().u16(data_page::kRowCount);
    if (agreed && *agreed != stored) {
      problem(errc::kCorrupt, number, -1,
              "la página dice tener " + std::to_string(stored) + " filas y su espacio libre dice " +
                  std::to_string(*agreed) + "; se leen esas");
      data = DataPage::decode(page_->view(), number, *agreed);
    }
    if (data) {
      data_ = *data;
      nextSlot_ = 0;
      JET_CHECK(torn_.enter(*page_));
      return true;
    }
    problem(errc::kCorrupt, number, -1,
            "página de datos ilegible, se pierden sus filas: " + data.error().reasonAt(number),
            Loss::kRow);
  }
  return false;
}

Status SalvageRowCursor::step(std::uint16_t row, bool& found) {
  const std::uint32_t number = data_->number();
  auto slot = data_->slot(row);
  if (!slot) {
    problem(errc::kCorrupt, number, row, "fila ilegible: " + slot.error().reasonAt(number, row),
            Loss::kRow);
    return okStatus();
  }
  location_ = {number, static_cast<std::uint8_t>(row)};
  if (slot->kind == SlotKind::kDeleted || slot->kind == SlotKind::kMovedBody) return okStatus();
  JET_TRY(std::optional<std::uint32_t> copied, torn_.copyOf(slot->start, slot->end));
  if (copied && (setAsideIn_.empty() || slot->kind != SlotKind::kLive)) {
    problem(errc::kCorrupt, number, row,
            "página escrita a medias: la fila repite byte a byte la de la página " +
                std::to_string(*copied) + " en el mismo sitio, donde se lee; la fila que había "
                "aquí se pierde",
            Loss::kRow);
    return okStatus();
  }
  if (slot->kind == SlotKind::kLive) {
    if (slot->end > pages_.validBytes(number)) {
      problem(errc::kCorrupt, number, row, "fila cortada por el final del archivo; se pierde",
              Loss::kRow);
      return okStatus();
    }
    JET_TRY(found, readRow(*data_->rowBytes(row), location_, copied));
    return okStatus();
  }
  // A moved row: its body is on another page of the table, in a body slot.
  auto target = data_->movedTo(row);
  if (!target) {
    problem(errc::kCorrupt, number, row,
            "fila desplazada ilegible: " + target.error().reasonAt(number, row),
            Loss::kRow);
    return okStatus();
  }
  auto lost = [&](const std::string& why) {
    problem(errc::kCorrupt, number, row,
            "fila desplazada a la página " + std::to_string(target->page) + ", fila " +
                std::to_string(target->row) + ": " + why + "; se pierde",
            Loss::kRow);
    return okStatus();
  };
  if (!census_.isDataPageOf(target->page, table_.tdef())) return lost("no es una página de la tabla");
  if (!bodiesRead_.insert(target->pointer()).second) return lost("otra fila ya se leyó de ahí");
  JET_TRY(PageRef bodyPage, pages_.read(target->page));
  auto body = DataPage::decode(bodyPage->view(), target->page);
  if (!body) return lost(body.error().reasonAt(target->page, target->row));
  auto bodySlot = body->slot(target->row);
  if (!bodySlot || bodySlot->kind != SlotKind::kMovedBody) {
    return lost("no hay allí una fila desplazada");
  }
  if (bodySlot->end > pages_.validBytes(target->page)) return lost("cortada por el final del archivo");
  JET_TRY(found, readRow(*body->rowBytes(target->row), *target));
  return okStatus();
}

Result<bool> SalvageRowCursor::readRow(ByteView bytes, RowLocation body,
                                       std::optional<std::uint32_t> copyOf) {
  const TableDefinition& t = table_.definition;
  setAside_ = false;
  if (auto s = splitRow(bytes, t, body.page, fields_, &shape_); !s) {
    problem(errc::kCorrupt, location_.page, location_.row,
            s.error().reasonAt(location_.page, location_.row) + "; se pierde la fila", Loss::kRow);
    return false;
  }
  const std::string setAside = "; se guarda aparte, en la tabla " + setAsideIn_;
  if (copyOf) {
    // Its table holds it once, from the page it repeats; the copy goes
    // aside (nothing readable is dropped), the row that was here is lost.
    problem(errc::kCorrupt, location_.page, location_.row,
            "página escrita a medias: la fila repite byte a byte la de la página " +
                std::to_string(*copyOf) + " en el mismo sitio, donde se lee; la fila que había "
                "aquí se pierde y la copia" + setAside.substr(1),
            Loss::kRow);
    setAside_ = true;
  } else if (auto why = implausibleRow(bytes, t, shape_)) {
    if (setAsideIn_.empty()) {
      problem(errc::kCorrupt, location_.page, location_.row,
              "los datos no tienen forma de fila de la tabla (" + *why + "); se descartan",
              Loss::kRow);
      return false;
    }
    problem(errc::kCorrupt, location_.page, location_.row,
            "los datos no tienen forma de fila de la tabla (" + *why + ")" + setAside,
            Loss::kSetAside);
    setAside_ = true;
  }
  values_.clear();
  values_.reserve(t.columns.size());
  altered_ = false;
  for (std::size_t k = 0; k < t.columns.size(); ++k) {
    JET_TRY(Value v, decode(t.columns[k], fields_[k], body));
    values_.push_back(std::move(v));
  }
  return true;
}

Result<Value> SalvageRowCursor::decode(const ColumnDef& c, const FieldBytes& f, RowLocation body) {
  if (c.typeCode == static_cast<std::uint8_t>(ColumnType::kBool)) {
    return f.null ? Value{} : Value{f.bit};
  }
  if (f.null) return Value{};
  const std::string column = text_.toUtf8(c.name);
  if (isKnownColumnType(c.typeCode) && isLongValue(c.type)) {
    auto ref = decodeLongValueRef(f.bytes, body.page);
    if (!ref) {
      problem(errc::kCorrupt, location_.page, location_.row,
              "columna " + column + ": referencia a valor largo dañada, queda nula", Loss::kValue);
      altered_ = true;
      return Value{};
    }
    JET_TRY(SalvagedLongValue lv, salvageLongValue(pages_, census_, *ref));
    if (!lv.complete) {
      altered_ = true;
      // Part of a system table's value (properties, a query's extra data,
      // a module) is no longer what its readers expect, and nothing read
      // is no value: NULL then.
      if (table_.definition.isSystem() || lv.bytes.empty()) {
        problem(errc::kCorrupt, location_.page, location_.row,
                "columna " + column + ": valor largo dañado (" + lv.damage + "); de " +
                    std::to_string(ref->length) + " bytes se leen " + std::to_string(lv.bytes.size()) +
                    ", queda nulo",
                Loss::kValue);
        return Value{};
      }
      problem(errc::kCorrupt, location_.page, location_.row,
              "columna " + column + ": valor largo dañado (" + lv.damage + "); se conservan " +
                  std::to_string(lv.bytes.size()) + " de " + std::to_string(ref->length) +
                  " bytes",
              Loss::kValue);
    }
    // A catalog row's properties that no longer decode, or hold a value of
    // no column type, are no properties: readers of the file stumble on them.
    if (table_.definition.isSystem() && c.type == ColumnType::kOle && c.name == "LvProp" &&
        !lv.bytes.empty() && !soundProperties(ByteView(lv.bytes))) {
      problem(errc::kCorrupt, location_.page, location_.row,
              "columna " + column + ": propiedades dañadas, quedan nulas", Loss::kValue);
      altered_ = true;
      return Value{};
    }
    if (c.type == ColumnType::kOle) return Value{Binary{std::move(lv.bytes)}};
    return Value{Text{std::string(reinterpret_cast<const char*>(lv.bytes.data()), lv.bytes.size())}};
  }
  std::optional<Value> v = decodeValueBytes(c.typeCode, f.bytes);
  if (!v) {
    problem(errc::kCorrupt, location_.page, location_.row,
            "columna " + column + ": dato incompleto, queda nula", Loss::kValue);
    altered_ = true;
    return Value{};
  }
  if (auto refused = refusedValue(c, *v, doubleByte_)) {
    problem(refused->code, location_.page, location_.row,
            "columna " + column + ": " + refused->reason + ", valor que Jet no admite; queda nula. "
            "Valor encontrado: " + describeValue(*v, text_), Loss::kValue);
    altered_ = true;
    return Value{};
  }
  return std::move(*v);
}

}  // namespace jet
