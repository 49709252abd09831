#include "jet/check/long_value_check.h"

#include <map>
#include <set>

#include "jet/format/data_page.h"

namespace jet {

LongValueCheck::LongValueCheck(CheckContext& c, const TableDefinition& def, std::string table)
    : c_(c), def_(def), table_(std::move(table)) {
  for (const LongValueMaps& m : def.longValueMaps) {
    const std::string column = "columna " + std::to_string(m.column);
    c.claimMap(m.usageMap, def.page, table_);
    const std::set<std::uint32_t> pages =
        c.mapPages(m.usageMap, table_, "mapa de valores largos de la " + column);
    for (std::uint32_t p : pages) {
      c.owners.claim(p, PageUse::kLongValue, def.page, table_);
      auto [it, added] = pageColumn_.emplace(p, m.column);
      if (!added && it->second != m.column) {
        c.find(table_, "", p, -1,
               "página en los mapas de valores largos de las columnas " +
                   std::to_string(it->second) + " y " + std::to_string(m.column));
      }
      auto page = c.db.pages().read(p);
      auto data = page ? DataPage::decode((*page)->view(), p) : Result<DataPage>(page.error());
      if (!data || !data->isLongValuePage()) {
        c.find(table_, "", p, -1,
               "el mapa de valores largos de la " + column +
                   " nombra una página que no es de valores largos");
      }
    }
    if (m.freeMap == 0) continue;  // some tables keep no free-space map
    c.claimMap(m.freeMap, def.page, table_);
    for (std::uint32_t p : c.mapPages(m.freeMap, table_, "mapa de espacio libre de la " + column)) {
      if (!pages.count(p)) {
        c.find(table_, "", p, -1, "página con espacio libre que la " + column + " no usa");
      }
    }
  }
}

void LongValueCheck::addRow(RowLocation row, const std::vector<RowCursor::LongValueRow>& used) {
  for (const RowCursor::LongValueRow& u : used) {
    const std::uint16_t column = def_.columns[u.column].number;
    auto mapped = pageColumn_.find(u.at.page);
    if (mapped == pageColumn_.end() || mapped->second != column) {
      c_.find(table_, "", row.page, row.row,
              "el valor de la columna " + std::to_string(column) + " está en la página " +
                  std::to_string(u.at.page) + ", que su mapa de valores largos no incluye");
      // Claimed for the table: a page of another table's values is then claimed twice.
      c_.owners.claim(u.at.page, PageUse::kLongValue, def_.page, table_);
    }
    if (!used_.insert(u.at.pointer()).second) {
      c_.find(table_, "", u.at.page, u.at.row, "fila de valor largo usada por dos valores");
    }
  }
}

void LongValueCheck::finish(bool everyRowRead) {
  if (!everyRowRead) return;
  // In page order, so findings come out in a stable order.
  const std::map<std::uint32_t, std::uint16_t> pages(pageColumn_.begin(), pageColumn_.end());
  for (const auto& [number, column] : pages) {
    auto page = c_.db.pages().read(number);
    if (!page) continue;  // reported when the page was claimed
    auto data = DataPage::decode((*page)->view(), number);
    if (!data || !data->isLongValuePage()) continue;
    for (std::uint16_t row = 0; row < data->rowCount(); ++row) {
      auto slot = data->slot(row);
      if (!slot || slot->kind != SlotKind::kLive) continue;
      // A pointer names rows 0-255 only: a live row past them is unreachable.
      const auto slotByte = static_cast<std::uint8_t>(row);
      if (row <= 0xFF && used_.count(RowLocation{number, slotByte}.pointer())) continue;
      c_.find(table_, "", number, row,
              "valor largo de la columna " + std::to_string(column) + " que ninguna fila usa");
    }
  }
}

}  // namespace jet
