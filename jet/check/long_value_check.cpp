#include "jet/check/long_value_check.h"

#include <algorithm>
#include <bit>
#include <utility>

#include "jet/format/data_page.h"

namespace jet {

LongValueCheck::LongValueCheck(CheckContext& c, const TableDefinition& def, std::string table)
    : c_(c), def_(def), table_(std::move(table)) {
  // The pages of the columns already seen, each column's in order.
  std::vector<std::pair<std::uint16_t, std::vector<std::uint32_t>>> earlier;
  for (const LongValueMaps& m : def.longValueMaps) {
    const std::string column = "columna " + std::to_string(m.column);
    c.claimMap(m.usageMap, def.page, table_);
    std::vector<std::uint32_t> pages =
        c.mapPages(m.usageMap, table_, "mapa de valores largos de la " + column);
    pages_.reserve(pages_.size() + pages.size());
    for (std::uint32_t p : pages) {
      c.claim(p, PageUse::kLongValue, def.page, table_);
      // A page keeps the first column whose map names it.
      const std::uint16_t* first = nullptr;
      for (const auto& [number, seen] : earlier) {
        if (std::binary_search(seen.begin(), seen.end(), p)) {
          first = &number;
          break;
        }
      }
      if (first && *first != m.column) {
        c.find(table_, "", p, -1,
               "página en los mapas de valores largos de las columnas " +
                   std::to_string(*first) + " y " + std::to_string(m.column));
      }
      if (!first) pages_.push_back(LongValuePage{p, 0, m.column, 0, false, false});
    }
    if (m.freeMap != 0) {  // some tables keep no free-space map
      c.claimMap(m.freeMap, def.page, table_);
      for (std::uint32_t p :
           c.mapPages(m.freeMap, table_, "mapa de espacio libre de la " + column)) {
        if (!holdsPage(pages, p)) {
          c.find(table_, "", p, -1, "página con espacio libre que la " + column + " no usa");
        }
      }
    }
    earlier.emplace_back(m.column, std::move(pages));
  }
  // In order already when the table has one long-value column.
  auto byNumber = [](const LongValuePage& a, const LongValuePage& b) { return a.number < b.number; };
  if (!std::is_sorted(pages_.begin(), pages_.end(), byNumber)) {
    std::sort(pages_.begin(), pages_.end(), byNumber);
  }
}

LongValueCheck::LongValuePage* LongValueCheck::findPage(std::uint32_t number) {
  auto it = std::lower_bound(pages_.begin(), pages_.end(), number,
                             [](const LongValuePage& p, std::uint32_t n) { return p.number < n; });
  if (it == pages_.end() || it->number != number) return nullptr;
  if (!it->loaded) load(*it);
  return &*it;
}

void LongValueCheck::load(LongValuePage& entry) {
  entry.loaded = true;
  entry.bits = static_cast<std::uint32_t>(bits_.size());
  auto page = c_.db.pages().read(entry.number);
  auto data =
      page ? DataPage::decode((*page)->view(), entry.number) : Result<DataPage>(page.error());
  if (!data || !data->isLongValuePage()) {
    c_.find(table_, "", entry.number, -1,
            "el mapa de valores largos de la columna " + std::to_string(entry.column) +
                " nombra una página que no es de valores largos");
    return;
  }
  for (std::uint16_t row = 0; row < data->rowCount(); ++row) {
    auto slot = data->slot(row);
    if (!slot || slot->kind != SlotKind::kLive) continue;
    if (row > 0xFF) {
      entry.liveBeyondPointers = true;
      continue;
    }
    const std::size_t word = row / 64;
    if (word >= entry.words) {
      bits_.resize(entry.bits + word + 1, 0);
      entry.words = static_cast<std::uint8_t>(word + 1);
    }
    bits_[entry.bits + word] |= std::uint64_t{1} << (row % 64);
  }
  bits_.resize(entry.bits + 2 * std::size_t{entry.words}, 0);  // the used rows
}

bool LongValueCheck::live(const LongValuePage& p, std::uint8_t row) const {
  return row / 64 < p.words && (bits_[p.bits + row / 64] >> (row % 64) & 1) != 0;
}

bool LongValueCheck::isUsed(const LongValuePage& p, std::uint8_t row) const {
  return live(p, row) && (bits_[p.bits + p.words + row / 64] >> (row % 64) & 1) != 0;
}

bool LongValueCheck::use(RowLocation at, const LongValuePage* page) {
  if (!page || !live(*page, at.row)) return usedElsewhere_.insert(at.pointer()).second;
  std::uint64_t& word = bits_[page->bits + page->words + at.row / 64];
  const std::uint64_t bit = std::uint64_t{1} << (at.row % 64);
  if ((word & bit) != 0) return false;
  word |= bit;
  return true;
}

void LongValueCheck::addRow(RowLocation row, const std::vector<RowCursor::LongValueRow>& used) {
  for (const RowCursor::LongValueRow& u : used) {
    const std::uint16_t column = def_.columns[u.column].number;
    const LongValuePage* mapped = findPage(u.at.page);
    if (!mapped || mapped->column != column) {
      c_.find(table_, "", row.page, row.row,
              "el valor de la columna " + std::to_string(column) + " está en la página " +
                  std::to_string(u.at.page) + ", que su mapa de valores largos no incluye");
      // Claimed for the table: a page of another table's values is then claimed twice.
      c_.claim(u.at.page, PageUse::kLongValue, def_.page, table_);
    }
    if (!use(u.at, mapped)) {
      c_.find(table_, "", u.at.page, u.at.row, "fila de valor largo usada por dos valores");
    }
  }
}

void LongValueCheck::finish(bool everyRowRead) {
  // The pages no value reached are read now: each must be a long-value page.
  for (LongValuePage& p : pages_) {
    if (!p.loaded) load(p);
  }
  if (!everyRowRead) return;
  // In page order, so findings come out in a stable order.
  for (const LongValuePage& p : pages_) {
    auto unused = [&](std::uint16_t row) {
      c_.find(table_, "", p.number, row,
              "valor largo de la columna " + std::to_string(p.column) + " que ninguna fila usa");
    };
    if (!p.liveBeyondPointers) {
      for (std::size_t word = 0; word < p.words; ++word) {
        for (std::uint64_t bits = bits_[p.bits + word]; bits != 0; bits &= bits - 1) {
          const auto row = static_cast<std::uint8_t>(word * 64 + std::countr_zero(bits));
          if (!isUsed(p, row)) unused(row);
        }
      }
      continue;
    }
    // Rows past 255, which no pointer names: the page is read again.
    auto page = c_.db.pages().read(p.number);
    if (!page) continue;  // reported when the page was claimed
    auto data = DataPage::decode((*page)->view(), p.number);
    if (!data || !data->isLongValuePage()) continue;
    for (std::uint16_t row = 0; row < data->rowCount(); ++row) {
      auto slot = data->slot(row);
      if (!slot || slot->kind != SlotKind::kLive) continue;
      // A pointer names rows 0-255 only: a live row past them is unreachable.
      const auto slotByte = static_cast<std::uint8_t>(row);
      if (row <= 0xFF && isUsed(p, slotByte)) continue;
      unused(row);
    }
  }
}

}  // namespace jet
