#include "tests/support/damage_generator.h"

#include <algorithm>

#include "jet/format/data_page.h"
#include "jet/format/header_page.h"
#include "jet/format/index_page.h"
#include "jet/format/usage_map.h"
#include "jet/write/generator_rows.h"
#include "tests/support/damage.h"
#include "tests/support/database_layout.h"

namespace testing_support {
namespace {

using jet::RowLocation;

// The generator's deterministic stream (SplitMix64), choosing from lists too.
class Rng : public jet::generator::Random {
 public:
  using Random::Random;
  template <class T>
  const T& pick(const std::vector<T>& v) { return v[below(v.size())]; }
};

std::string hexPage(std::uint32_t page) { return "page " + std::to_string(page); }

// XORs `count` random non-zero bytes into [from, to) of the image.
void scramble(std::string& image, Rng& rng, std::size_t from, std::size_t to, std::size_t count) {
  if (to <= from) return;
  for (std::size_t i = 0; i < count; ++i) {
    const std::size_t at = from + rng.below(to - from);
    image[at] = static_cast<char>(static_cast<std::uint8_t>(image[at]) ^ (1 + rng.below(255)));
  }
}

void zero(std::string& image, std::size_t from, std::size_t to) {
  std::fill(image.begin() + static_cast<std::ptrdiff_t>(from),
            image.begin() + static_cast<std::ptrdiff_t>(to), '\0');
}

std::uint16_t rowCount(const std::string& image, std::uint32_t page) {
  return getU16(image, at(page, jet::data_page::kRowCount));
}

Damage indexPage(std::string& image, const DatabaseLayout& layout, Rng& rng) {
  std::vector<std::uint32_t> pages;
  for (const TableLayout& t : layout.tables) pages.insert(pages.end(), t.indexPages.begin(), t.indexPages.end());
  if (pages.empty()) return {false, "no index pages"};
  const std::uint32_t p = rng.pick(pages);
  switch (rng.below(3)) {
    case 0:
      scramble(image, rng, at(p, jet::index_page::kEntryMask), at(p + 1, 0), 8 + rng.below(56));
      return {true, "index " + hexPage(p) + " garbled"};
    case 1:
      zero(image, at(p, 0), at(p + 1, 0));
      return {true, "index " + hexPage(p) + " zeroed"};
    default: {
      const std::size_t field = rng.below(2) ? jet::index_page::kNextPage : jet::index_page::kTailPage;
      setU32(image, at(p, field), getU32(image, at(p, field)) ^ (1 + rng.below(layout.pageCount)));
      return {true, "index " + hexPage(p) + " mislinked"};
    }
  }
}

Damage usageMap(std::string& image, const DatabaseLayout& layout, Rng& rng) {
  std::vector<const TableLayout*> tables;
  for (const TableLayout* t : layout.userTables()) if (!t->dataPages.empty()) tables.push_back(t);
  if (tables.empty()) return {false, "no table with data pages"};
  const TableLayout& t = *rng.pick(tables);
  const std::uint32_t pointer = rng.below(4) == 3 ? t.freeMap : t.usageMap;
  const RowLocation loc = RowLocation::fromPointer(pointer);
  const ByteRange row = rowRange(image, loc.page, loc.row);
  if (row.end <= row.start) return {false, "map row unreadable"};
  const std::string what = " of " + t.name + " (" + hexPage(loc.page) + ")";
  switch (rng.below(3)) {
    case 0: {
      // Wrong bits: in the row for an inline map, in a bitmap page otherwise.
      std::size_t from = row.start + jet::usage_map::kInlineBitmap, to = row.end;
      if (getByte(image, row.start) == jet::usage_map::kReferenced) {
        std::vector<std::uint32_t> bitmaps;
        for (std::size_t o = row.start + 1; o + 4 <= row.end; o += 4) {
          if (std::uint32_t b = getU32(image, o); b != 0 && b < layout.pageCount) bitmaps.push_back(b);
        }
        if (bitmaps.empty()) return {false, "map without bitmap pages"};
        const std::uint32_t b = rng.pick(bitmaps);
        from = at(b, jet::usage_map::kMapPageBitmap);
        to = at(b + 1, 0);
      }
      for (std::uint64_t i = 0, n = 1 + rng.below(6); i < n && to > from; ++i) {
        const std::size_t at = from + rng.below(to - from);
        image[at] = static_cast<char>(static_cast<std::uint8_t>(image[at]) ^ (1u << rng.below(8)));
      }
      return {true, "usage map bits flipped" + what};
    }
    case 1:
      setByte(image, row.start, static_cast<std::uint8_t>(2 + rng.below(250)));
      return {true, "usage map type garbled" + what};
    default:
      zero(image, row.start, row.end);
      return {true, "usage map row zeroed" + what};
  }
}

// The data pages that hold rows, of each user table.
std::vector<std::vector<std::uint32_t>> pagesWithRows(const std::string& image, const DatabaseLayout& layout) {
  std::vector<std::vector<std::uint32_t>> tables;
  for (const TableLayout* t : layout.userTables()) {
    std::vector<std::uint32_t>& pages = tables.emplace_back();
    for (std::uint32_t p : t->dataPages) if (rowCount(image, p) > 0) pages.push_back(p);
  }
  return tables;
}

std::vector<std::uint32_t> userDataPages(const std::string& image, const DatabaseLayout& layout) {
  std::vector<std::uint32_t> pages;
  for (const auto& table : pagesWithRows(image, layout)) pages.insert(pages.end(), table.begin(), table.end());
  return pages;
}

// A moved row's pointer aimed at the body of another moved row of its table.
Damage sharedBody(std::string& image, const DatabaseLayout& layout, Rng& rng) {
  using namespace jet::data_page;
  std::vector<std::vector<std::size_t>> tables;  // where each moved row's pointer lies
  for (const auto& pages : pagesWithRows(image, layout)) {
    std::vector<std::size_t>& pointers = tables.emplace_back();
    for (std::uint32_t p : pages) {
      for (std::uint16_t i = 0; i < rowCount(image, p); ++i) {
        const std::uint16_t raw = getU16(image, at(p, kRowOffsets + 2 * std::size_t{i}));
        if ((raw & kDeleted) == kMoved) pointers.push_back(at(p, raw & kOffsetMask));
      }
    }
  }
  std::erase_if(tables, [](const auto& pointers) { return pointers.size() < 2; });
  if (tables.empty()) return {false, "no table with two moved rows"};
  const std::vector<std::size_t>& pointers = rng.pick(tables);
  const std::size_t from = rng.below(pointers.size());
  const std::size_t to = (from + 1 + rng.below(pointers.size() - 1)) % pointers.size();
  setU32(image, pointers[from], getU32(image, pointers[to]));
  return {true, "moved row at byte " + std::to_string(pointers[from]) + " aimed at another's body"};
}

Damage dataPage(std::string& image, const DatabaseLayout& layout, Rng& rng) {
  const std::vector<std::uint32_t> pages = userDataPages(image, layout);
  if (pages.empty()) return {false, "no data pages with rows"};
  if (rng.below(5) == 0) if (Damage shared = sharedBody(image, layout, rng); shared.applied) return shared;
  const std::uint32_t p = rng.pick(pages);
  const std::size_t slots = jet::data_page::kRowOffsets + 2 * std::size_t{rowCount(image, p)};
  switch (rng.below(4)) {
    case 0:
      scramble(image, rng, at(p, jet::data_page::kRowOffsets), at(p + 1, 0), 1 + rng.below(16));
      return {true, "data " + hexPage(p) + " bytes changed"};
    case 1: {
      const std::size_t sector = rng.below(4) * 512;
      zero(image, at(p, sector), at(p, sector + 512));
      return {true, "data " + hexPage(p) + " sector at " + std::to_string(sector) + " zeroed"};
    }
    case 2:
      scramble(image, rng, at(p, jet::data_page::kRowOffsets), at(p, slots), 1 + rng.below(4));
      return {true, "data " + hexPage(p) + " row offsets changed"};
    default:
      scramble(image, rng, at(p, 0), at(p, jet::data_page::kRowOffsets), 1 + rng.below(3));
      return {true, "data " + hexPage(p) + " header changed"};
  }
}

Damage longValue(std::string& image, const DatabaseLayout& layout, Rng& rng) {
  if (layout.longValuePages.empty()) return {false, "no long-value pages"};
  const std::uint32_t p = rng.pick(layout.longValuePages);
  const std::uint16_t rows = rowCount(image, p);
  switch (rows == 0 ? rng.below(2) : rng.below(3)) {
    case 0:
      scramble(image, rng, at(p, jet::data_page::kRowOffsets), at(p + 1, 0), 1 + rng.below(32));
      return {true, "long-value " + hexPage(p) + " bytes changed"};
    case 1:
      zero(image, at(p, 0), at(p + 1, 0));
      return {true, "long-value " + hexPage(p) + " zeroed"};
    default: {
      const auto row = static_cast<std::uint16_t>(rng.below(rows));
      const ByteRange r = rowRange(image, p, row);
      if (r.end < r.start + 4) return {false, "long-value row too short"};
      setU32(image, r.start, rng.below(2) ? 0 : static_cast<std::uint32_t>(rng.next()));
      return {true, "long-value chain broken at " + hexPage(p) + " row " + std::to_string(row)};
    }
  }
}

Damage truncated(std::string& image, const DatabaseLayout& layout, Rng& rng) {
  if (layout.pageCount < 5) return {false, "file too small"};
  const std::uint32_t page = 3 + static_cast<std::uint32_t>(rng.below(layout.pageCount - 3));
  const std::size_t cut = at(page, rng.below(2) ? 0 : rng.below(kTestPageSize));
  truncateTo(image, cut);
  return {true, "file cut at byte " + std::to_string(cut) + " (" + hexPage(page) + ")"};
}

Damage catalogRow(std::string& image, const DatabaseLayout& layout, Rng& rng) {
  const auto tables = layout.userTables();
  if (tables.empty()) return {false, "no user tables"};
  const TableLayout& t = *rng.pick(tables);
  const RowLocation loc = t.catalogRow;
  const ByteRange r = rowRange(image, loc.page, loc.row);
  if (r.end <= r.start) return {false, "catalog row unreadable"};
  const std::string what = " of " + t.name + " (" + hexPage(loc.page) + " row " + std::to_string(loc.row) + ")";
  switch (rng.below(3)) {
    case 0:
      scramble(image, rng, r.start, r.end, 1 + rng.below(8));
      return {true, "catalog row garbled" + what};
    case 1: {
      const std::size_t slot = at(loc.page, jet::data_page::kRowOffsets + 2 * std::size_t{loc.row});
      setU16(image, slot, getU16(image, slot) | jet::data_page::kDeleted);
      return {true, "catalog row marked deleted" + what};
    }
    default:
      zero(image, r.start, r.end);
      return {true, "catalog row zeroed" + what};
  }
}

Damage tableDefinition(std::string& image, const DatabaseLayout& layout, Rng& rng) {
  const auto tables = layout.userTables();
  if (tables.empty()) return {false, "no user tables"};
  const TableLayout& t = *rng.pick(tables);
  const std::uint32_t p = rng.pick(t.tdefPages);
  const std::string what = " of " + t.name + " (" + hexPage(p) + ")";
  switch (rng.below(3)) {
    case 0:
      scramble(image, rng, at(p, 8), at(p + 1, 0), 1 + rng.below(16));
      return {true, "definition bytes changed" + what};
    case 1:
      zero(image, at(p, 0), at(p + 1, 0));
      return {true, "definition page zeroed" + what};
    default:
      // The counts and map pointers of the definition's header.
      scramble(image, rng, at(p, 0x0C), at(p, 0x2B), 1 + rng.below(3));
      return {true, "definition header changed" + what};
  }
}

// The page as it was before its last `k` slots were written: fewer slots,
// their bytes still zero.
std::string olderVersion(const std::string& page, std::uint16_t k) {
  std::string old = page;
  const std::uint16_t n = getU16(page, jet::data_page::kRowCount);
  std::uint16_t lowest = kTestPageSize;
  for (std::uint16_t i = 0; i < n - k; ++i) {
    lowest = std::min<std::uint16_t>(lowest, getU16(page, jet::data_page::kRowOffsets + 2 * i) &
                                                 jet::data_page::kOffsetMask);
  }
  zero(old, jet::data_page::kRowOffsets + 2 * std::size_t(n - k), jet::data_page::kRowOffsets + 2 * std::size_t(n));
  zero(old, jet::data_page::kRowOffsets + 2 * std::size_t(n - k), lowest);
  setU16(old, jet::data_page::kRowCount, static_cast<std::uint16_t>(n - k));
  setU16(old, jet::data_page::kFreeSpace,
         static_cast<std::uint16_t>(lowest - jet::data_page::kRowOffsets - 2 * (n - k)));
  return old;
}

Damage tornPage(std::string& image, const DatabaseLayout& layout, Rng& rng) {
  const std::vector<std::uint32_t> pages = userDataPages(image, layout);
  if (pages.empty()) return {false, "no data pages with rows"};
  for (int attempt = 0; attempt < 16; ++attempt) {
    const std::uint32_t p = rng.pick(pages);
    const std::string now = image.substr(at(p, 0), kTestPageSize);
    const std::uint16_t n = getU16(now, jet::data_page::kRowCount);
    const auto k = static_cast<std::uint16_t>(1 + rng.below(n));
    const std::string old = olderVersion(now, k);
    const std::size_t split = 512 * (1 + rng.below(3));
    const bool newFirst = rng.below(2) == 0;
    const std::string torn = newFirst ? now.substr(0, split) + old.substr(split)
                                      : old.substr(0, split) + now.substr(split);
    if (torn == now) continue;
    image.replace(at(p, 0), kTestPageSize, torn);
    return {true, "data " + hexPage(p) + " torn at " + std::to_string(split) + ", " +
                      (newFirst ? "second" : "first") + " part from before its last " +
                      std::to_string(k) + " rows"};
  }
  return {false, "no page where a torn write shows"};
}

// The [start, end) of the live rows (moved rows' pointers included) of a data page.
std::vector<std::pair<std::uint16_t, std::uint16_t>> liveRanges(const std::string& page) {
  using namespace jet::data_page;
  std::vector<std::pair<std::uint16_t, std::uint16_t>> out;
  const std::uint16_t n = getU16(page, kRowCount);
  std::uint16_t end = kTestPageSize;
  for (std::uint16_t i = 0; i < n && kRowOffsets + 2 * std::size_t{i} + 2 <= page.size(); ++i) {
    const std::uint16_t raw = getU16(page, kRowOffsets + 2 * std::size_t{i});
    const auto start = static_cast<std::uint16_t>(raw & kOffsetMask);
    if ((raw & kNotLive) == 0 && start < end) out.emplace_back(start, end);
    if ((raw & kDeleted) != kDeleted) end = start;
  }
  return out;
}

// True iff page `p`, torn at `split` with the rest from `q`, reads one of
// q's live rows in q's place (the torn write shows as rows read twice).
bool repeatsRows(const std::string& p, const std::string& q, std::size_t split) {
  const auto mine = liveRanges(p);
  return std::ranges::any_of(liveRanges(q), [&](const auto& r) {
    return r.first >= split && std::find(mine.begin(), mine.end(), r) != mine.end();
  });
}

Damage tornAcrossPages(std::string& image, const DatabaseLayout& layout, Rng& rng) {
  std::vector<std::vector<std::uint32_t>> tables = pagesWithRows(image, layout);
  std::erase_if(tables, [](const auto& pages) { return pages.size() < 2; });
  if (tables.empty()) return {false, "no table with two data pages"};
  // Torn pages that repeat rows first: they are the hard case.
  for (int attempt = 0; attempt < 32; ++attempt) {
    const std::vector<std::uint32_t>& pages = rng.pick(tables);
    const std::uint32_t p = rng.pick(pages), q = rng.pick(pages);
    const std::size_t split = 512 * (1 + rng.below(3));
    if (p == q) continue;
    const std::string mine = image.substr(at(p, 0), kTestPageSize);
    const std::string other = image.substr(at(q, 0), kTestPageSize);
    if (attempt < 24 && !repeatsRows(mine, other, split)) continue;
    const std::string torn = mine.substr(0, split) + other.substr(split);
    if (torn == mine) continue;
    image.replace(at(p, 0), kTestPageSize, torn);
    return {true, "data " + hexPage(p) + " torn at " + std::to_string(split) + ", the rest from " +
                      hexPage(q) + " of the same table"};
  }
  return {false, "no page where a torn write shows"};
}

Damage headerMask(std::string& image, const DatabaseLayout&, Rng& rng) {
  using namespace jet::header_page;
  // The block is masked with a key stream: XOR on the stored bytes is the
  // same XOR on the decoded ones.
  struct Field {
    std::size_t offset, length;
    std::uint64_t fewest, range;  // bytes changed: fewest + below(range)
    const char* what;
  };
  const Field fields[] = {{kSortOrder, 2, 1, 2, "sort order changed"},
                          {kCodePage, 2, 1, 2, "code page changed"},
                          {kPassword, kPasswordLength, 1, 4, "password bytes changed"},
                          {kDatabaseKey, 4, 1, 4, "database key changed"},
                          {kMaskedStart, kMaskedLength, 16, 112, "masked block garbled"}};
  const Field& f = fields[rng.below(std::size(fields))];
  scramble(image, rng, f.offset, f.offset + f.length, f.fewest + rng.below(f.range));
  return {true, std::string("header ") + f.what};
}

// In the order of DamageKind.
struct Kind { std::string_view name; Damage (*make)(std::string&, const DatabaseLayout&, Rng&); };
constexpr Kind kKinds[] = {
    {"index-page", indexPage},   {"usage-map", usageMap},     {"data-page", dataPage},
    {"long-value", longValue},   {"truncated", truncated},    {"catalog-row", catalogRow},
    {"table-definition", tableDefinition},                    {"torn-page", tornPage},
    {"header-mask", headerMask}, {"torn-across-pages", tornAcrossPages},
};
static_assert(std::size(kKinds) == std::size(kAllDamageKinds));

}  // namespace

std::string_view damageKindName(DamageKind kind) { return kKinds[static_cast<std::size_t>(kind)].name; }

Damage applyDamage(std::string& image, DamageKind kind, std::uint64_t seed) {
  const DatabaseLayout layout = describeDatabase(image);
  // Different kinds draw different streams from the same seed.
  Rng rng(seed * 31 + static_cast<std::uint64_t>(kind));
  const std::string before = image;
  Damage d = kKinds[static_cast<std::size_t>(kind)].make(image, layout, rng);
  if (!d.applied) {
    image = before;
    return d;
  }
  if (image == before) d.applied = false, d.what += " (no byte changed)";
  return d;
}

}  // namespace testing_support
