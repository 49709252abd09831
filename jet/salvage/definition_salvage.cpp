#include "jet/salvage/definition_salvage.h"

#include <algorithm>
#include <set>
#include <vector>

namespace jet {
namespace {

// Candidates tried at most, all counts together.
constexpr std::size_t kMaxCandidates = 20000;
// Names longer than this are not names (Jet 3 allows 64 characters).
constexpr std::size_t kMaxNameLength = 64;

bool plausibleName(const std::string& name) {
  if (name.empty() || name.size() > kMaxNameLength) return false;
  return std::none_of(name.begin(), name.end(),
                      [](char c) { return static_cast<unsigned char>(c) < 0x20; });
}

bool plausible(const TableDefinition& t) {
  if (t.columns.empty()) return false;
  std::vector<std::pair<std::size_t, std::size_t>> fixed;
  for (const ColumnDef& c : t.columns) {
    if (!isKnownColumnType(c.typeCode) || !plausibleName(c.name)) return false;
    if (c.isFixed() && c.type != ColumnType::kBool) {
      fixed.emplace_back(c.fixedOffset, c.fixedOffset + c.fixedDataSize());
    }
  }
  std::sort(fixed.begin(), fixed.end());
  for (std::size_t i = 1; i < fixed.size(); ++i) {
    if (fixed[i].first < fixed[i - 1].second) return false;
  }
  for (const LogicalIndexDef& l : t.logicalIndexes) {
    if (!plausibleName(l.name)) return false;
  }
  for (const RealIndexDef& r : t.realIndexes) {
    for (const IndexColumn& c : r.columns) {
      if (!t.columnByNumber(c.column)) return false;
    }
  }
  return true;
}

// The concatenated definition, as far as its chain can be followed.
Result<std::vector<std::byte>> chainBytes(const PageSource& pages, std::uint32_t page,
                                          std::vector<std::uint32_t>& chain, bool& cut) {
  std::vector<std::byte> bytes;
  std::set<std::uint32_t> seen;
  for (std::uint32_t n = page; n != 0;) {
    if (chain.size() == tdef::kMaxPages || n >= pages.pageCount() || !seen.insert(n).second) {
      cut = true;
      break;
    }
    JET_TRY(PageRef p, pages.read(n));
    if (p->type() != tdef::kPageType) {
      cut = !chain.empty();
      if (chain.empty()) return Error::corrupt(page, "no es una página de definición de tabla");
      break;
    }
    const auto from = chain.empty() ? p->bytes.begin() : p->bytes.begin() + tdef::kPageHeaderSize;
    bytes.insert(bytes.end(), from, p->bytes.end());
    chain.push_back(n);
    n = *p->view().u32(tdef::kNextPage);
  }
  return bytes;
}

void putU16(std::vector<std::byte>& b, std::size_t at, std::uint16_t v) {
  b[at] = std::byte(v & 0xFF);
  b[at + 1] = std::byte(v >> 8);
}
void putU32(std::vector<std::byte>& b, std::size_t at, std::uint32_t v) {
  for (int i = 0; i < 4; ++i) b[at + i] = std::byte((v >> (8 * i)) & 0xFF);
}

}  // namespace

Result<SalvagedDefinition> salvageTableDefinition(const PageSource& pages, std::uint32_t page,
                                                  bool system) {
  std::vector<std::uint32_t> chain;
  bool cut = false;
  JET_TRY(std::vector<std::byte> bytes, chainBytes(pages, page, chain, cut));
  if (bytes.size() < tdef::kIndexStats) return Error::corrupt(page, "definición de tabla ilegible");
  const ByteView view(bytes);
  const std::uint16_t columns = *view.u16(tdef::kColumnCount);
  const std::uint32_t logical = *view.u32(tdef::kLogicalIndexCount);
  const std::uint32_t real = *view.u32(tdef::kRealIndexCount);
  // Each count: the stored one when Jet 3 allows it, else every value it does.
  auto range = [](std::uint32_t stored, std::uint32_t low, std::uint32_t high) {
    return stored >= low && stored <= high ? std::make_pair(stored, stored) : std::make_pair(low, high);
  };
  const auto columnRange = range(columns, 1, tdef::kColumnLimit);
  const auto realRange = range(real, 0, tdef::kIndexLimit);
  const auto logicalRange = range(logical, 0, tdef::kIndexLimit);

  std::vector<std::byte> patched = bytes;
  // Checked after decoding, from the columns.
  putU16(patched, tdef::kColumnsCreated, 0xFFFF);
  putU16(patched, tdef::kVarColumns, 0);
  std::optional<TableDefinition> found;
  std::size_t tried = 0, plausibleCount = 0;
  for (std::uint32_t c = columnRange.first; c <= columnRange.second; ++c) {
    for (std::uint32_t r = realRange.first; r <= realRange.second; ++r) {
      for (std::uint32_t l = logicalRange.first; l <= logicalRange.second; ++l) {
        if (++tried > kMaxCandidates) return Error::corrupt(page, "definición de tabla ilegible");
        putU16(patched, tdef::kColumnCount, static_cast<std::uint16_t>(c));
        putU32(patched, tdef::kRealIndexCount, r);
        putU32(patched, tdef::kLogicalIndexCount, l);
        auto def = decodeTableDefinition(ByteView(patched), page);
        if (!def || !plausible(*def)) continue;
        if (++plausibleCount > 1) return Error::corrupt(page, "definición de tabla ambigua");
        found = std::move(*def);
      }
    }
  }
  if (!found) return Error::corrupt(page, "definición de tabla ilegible");

  SalvagedDefinition out;
  TableDefinition& t = out.definition;
  t = std::move(*found);
  t.pages = chain;
  std::uint16_t maxNumber = 0, variable = 0;
  for (const ColumnDef& col : t.columns) {
    maxNumber = std::max<std::uint16_t>(maxNumber, col.number + 1);
    if (!col.isFixed()) ++variable;
  }
  std::vector<std::string> what;
  if (cut) what.push_back("su cadena de páginas");
  if (columns != t.columns.size()) what.push_back("el número de columnas");
  if (real != t.realIndexes.size() || logical != t.logicalIndexes.size()) {
    what.push_back("el número de índices");
  }
  const std::uint16_t storedMax = *view.u16(tdef::kColumnsCreated);
  t.columnsCreated =
      storedMax >= maxNumber && storedMax <= tdef::kColumnLimit ? storedMax : maxNumber;
  if (t.columnsCreated != storedMax) what.push_back("el número de columnas creadas");
  // Access counts deleted variable columns too: a larger count is its own.
  const std::uint16_t storedVar = *view.u16(tdef::kVarColumns);
  t.varColumns = storedVar >= variable && storedVar <= t.columnsCreated ? storedVar : variable;
  if (t.varColumns != storedVar) what.push_back("el número de columnas variables");
  if (t.tableType != tdef::kUserTable && t.tableType != tdef::kSystemTable) {
    t.tableType = system ? tdef::kSystemTable : tdef::kUserTable;
    what.push_back("el tipo de tabla");
  }
  for (std::size_t i = 0; i < what.size(); ++i) {
    out.repaired += (i == 0 ? "" : i + 1 == what.size() ? " y " : ", ") + what[i];
  }
  return out;
}

}  // namespace jet
