#include "tests/support/recovery.h"

#include <cstring>
#include <stdexcept>
#include <unordered_map>
#include <unordered_set>

#include "jet/core/ascii.h"
#include "jet/format/long_value.h"
#include "jet/format/row.h"
#include "jet/model/catalog.h"
#include "jet/model/table.h"
#include "jet/salvage/salvage_reader.h"
#include "tests/support/damage.h"
#include "tests/support/database_layout.h"

namespace testing_support {
namespace {

using jet::RowLocation;

// The bytes one row depends on, as ranges of the original image.
class Footprint {
 public:
  explicit Footprint(const std::string& image) : image_(image) {}

  void add(std::size_t start, std::size_t end) { ranges_.push_back({start, end}); }
  void addPage(std::uint32_t page) { add(at(page, 0), at(page + 1, 0)); }
  // A slot's row: the page header, the slot, the slot before, the bytes.
  // Returns the row's bytes (empty when the original cannot be read there).
  std::string addRow(RowLocation loc) {
    add(at(loc.page, 0), at(loc.page, jet::data_page::kRowOffsets));
    const std::size_t slot = at(loc.page, jet::data_page::kRowOffsets + 2 * std::size_t{loc.row});
    add(slot > 2 ? slot - 2 : slot, slot + 2);
    const ByteRange r = rowRange(image_, loc.page, loc.row);
    add(r.start, r.end);
    return image_.substr(r.start, r.end - r.start);
  }

  bool intactIn(const std::string& damaged) const {
    for (const ByteRange& r : ranges_) {
      if (r.end > damaged.size() || image_.compare(r.start, r.end - r.start, damaged, r.start,
                                                   r.end - r.start) != 0) {
        return false;
      }
    }
    return true;
  }

 private:
  const std::string& image_;
  std::vector<ByteRange> ranges_;
};

// Adds the long-value rows a memo or OLE field refers to.
void addLongValue(Footprint& footprint, jet::ByteView field) {
  auto ref = jet::decodeLongValueRef(field, 0);
  if (!ref || ref->form == jet::long_value::kInline || ref->length == 0) return;
  if (ref->form == jet::long_value::kOneRow) {
    footprint.addRow(RowLocation::fromPointer(ref->pointer));
    return;
  }
  std::unordered_set<std::uint32_t> seen;
  std::size_t got = 0;
  for (std::uint32_t pointer = ref->pointer; pointer != 0 && got < ref->length &&
                                             seen.insert(pointer).second;) {
    const std::string row = footprint.addRow(RowLocation::fromPointer(pointer));
    if (row.size() < 4) return;
    got += row.size() - 4;
    pointer = getU32(row, 0);
  }
}

void appendValue(std::string& out, const jet::Value& v) {
  out += static_cast<char>('A' + v.index());
  std::visit(
      [&out](const auto& x) {
        using T = std::decay_t<decltype(x)>;
        if constexpr (std::is_same_v<T, jet::Text>) {
          out += std::to_string(x.bytes.size()) + ":" + x.bytes;
        } else if constexpr (std::is_same_v<T, jet::Binary>) {
          out += std::to_string(x.bytes.size()) + ":";
          out.append(reinterpret_cast<const char*>(x.bytes.data()), x.bytes.size());
        } else if constexpr (!std::is_same_v<T, std::monostate>) {
          char buf[sizeof(T)];
          std::memcpy(buf, &x, sizeof(T));
          out.append(buf, sizeof(T));
        }
      },
      v);
}

std::string rowKey(const std::vector<jet::Value>& values) {
  std::string key;
  for (const jet::Value& v : values) appendValue(key, v);
  return key;
}

// True iff `got` could be `want` with some values left NULL or cut short.
bool couldBe(const std::vector<jet::Value>& got, const std::vector<jet::Value>& want) {
  if (got.size() != want.size()) return false;
  for (std::size_t i = 0; i < got.size(); ++i) {
    if (jet::isNull(got[i]) || sameValue(got[i], want[i])) continue;
    const auto* gt = std::get_if<jet::Text>(&got[i]);
    const auto* wt = std::get_if<jet::Text>(&want[i]);
    if (gt && wt && wt->bytes.compare(0, gt->bytes.size(), gt->bytes) == 0) continue;
    const auto* gb = std::get_if<jet::Binary>(&got[i]);
    const auto* wb = std::get_if<jet::Binary>(&want[i]);
    if (gb && wb && gb->bytes.size() <= wb->bytes.size() &&
        std::equal(gb->bytes.begin(), gb->bytes.end(), wb->bytes.begin())) {
      continue;
    }
    return false;
  }
  return true;
}

// True iff `got` equals `want` in at least half of the columns.
bool mostlyEqual(const std::vector<jet::Value>& got, const std::vector<jet::Value>& want) {
  if (got.size() != want.size()) return false;
  std::size_t same = 0;
  for (std::size_t i = 0; i < got.size(); ++i) same += sameValue(got[i], want[i]);
  return 2 * same >= got.size();
}

}  // namespace

bool sameValue(const jet::Value& a, const jet::Value& b) {
  std::string x, y;
  appendValue(x, a);
  appendValue(y, b);
  return x == y;
}

std::vector<OriginalTable> originalRows(const std::string& original, const std::string& damaged) {
  auto db = jet::Database::openBytes(original, "original");
  if (!db) throw std::runtime_error(db.error().toString());
  auto catalog = jet::Catalog::read(**db);
  if (!catalog) throw std::runtime_error(catalog.error().toString());
  std::vector<OriginalTable> out;
  for (const jet::CatalogEntry* entry : catalog->tables(false)) {
    auto table = jet::Table::open(**db, entry);
    if (!table) throw std::runtime_error(table.error().toString());
    const jet::TableDefinition& def = table->definition();
    OriginalTable t{entry->name, def.page, {}};
    jet::RowCursor rows = table->rows();
    std::vector<jet::FieldBytes> fields;
    while (true) {
      auto more = rows.next();
      if (!more) throw std::runtime_error(more.error().toString());
      if (!*more) break;
      Footprint footprint(original);
      for (std::uint32_t p : def.pages) footprint.addPage(p);
      std::string body = footprint.addRow(rows.location());
      if (!(rows.bodyLocation() == rows.location())) body = footprint.addRow(rows.bodyLocation());
      if (jet::splitRow(jet::ByteView(body.data(), body.size()), def, 0, fields)) {
        for (std::size_t k = 0; k < def.columns.size(); ++k) {
          const jet::ColumnDef& c = def.columns[k];
          if (!fields[k].null && jet::isKnownColumnType(c.typeCode) && jet::isLongValue(c.type)) {
            addLongValue(footprint, fields[k].bytes);
          }
        }
      }
      t.rows.push_back({rows.values(), footprint.intactIn(damaged)});
    }
    out.push_back(std::move(t));
  }
  return out;
}

RecoveryScore scoreRecovery(const std::vector<OriginalTable>& original, const RecoveredRows& recovered,
                            const std::map<std::uint32_t, std::string>& renamed) {
  RecoveryScore score;
  std::unordered_set<std::string> matchedTables;
  for (const OriginalTable& t : original) {
    const std::vector<std::vector<jet::Value>>* got = nullptr;
    auto it = renamed.find(t.tdef);
    const std::string first = it == renamed.end() ? t.name : it->second;
    for (const std::string& name : {first, t.name, jet::recoveredTableName(t.tdef)}) {
      for (const auto& [n, rows] : recovered) {
        if (!got && jet::equalsIgnoringAsciiCase(n, name)) {
          got = &rows;
          matchedTables.insert(n);
        }
      }
    }
    score.rows += t.rows.size();
    for (const OriginalRow& r : t.rows) score.recoverable += r.recoverable;
    if (!got) continue;
    std::unordered_multimap<std::string, std::size_t> pending;
    for (std::size_t i = 0; i < got->size(); ++i) pending.emplace(rowKey((*got)[i]), i);
    std::vector<const OriginalRow*> unmatched;
    // Recoverable rows first, so that a row found twice counts where it must.
    for (bool recoverablePass : {true, false}) {
      for (const OriginalRow& r : t.rows) {
        if (r.recoverable != recoverablePass) continue;
        auto found = pending.find(rowKey(r.values));
        if (found == pending.end()) {
          unmatched.push_back(&r);
          continue;
        }
        pending.erase(found);
        score.cameBack += 1;
        score.recovered += r.recoverable;
      }
    }
    std::unordered_set<std::string> originals;
    for (const OriginalRow& r : t.rows) originals.insert(rowKey(r.values));
    for (const auto& [key, i] : pending) {
      const auto& row = (*got)[i];
      // A row of the original read more often than the original holds it (a
      // torn page read as a second copy of another) is spurious, unless a
      // damaged row's values could have changed into it.
      const bool duplicate = originals.count(key) > 0;
      const bool changed = std::any_of(unmatched.begin(), unmatched.end(), [&](const OriginalRow* r) {
        return (!duplicate && couldBe(row, r->values)) || (!r->recoverable && mostlyEqual(row, r->values));
      });
      score.cameBack += changed;
      score.spurious += !changed;
    }
  }
  for (const auto& [name, rows] : recovered) {
    if (matchedTables.count(name) || name.rfind("MSys", 0) == 0) continue;
    // A definition found by scanning that no table of the original has (a
    // dropped table's leftovers: Access does not always free its pages), or
    // the rows the repair doubted or could not index, apart from their table.
    const bool leftovers = name.rfind(jet::recoveredTableName(0).substr(0, 17), 0) == 0;
    if (leftovers || std::any_of(original.begin(), original.end(), [&](const OriginalTable& t) {
          return name.rfind(t.name + "_apartadas", 0) == 0;
        })) {
      continue;
    }
    score.spurious += rows.size();
  }
  return score;
}

}  // namespace testing_support
