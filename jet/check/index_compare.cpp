#include "jet/check/index_compare.h"

#include <algorithm>
#include <tuple>

namespace jet {
namespace {

// Room a key starts with: a number's key whole, a text's start (the
// allocator hands out no smaller block anyway).
constexpr std::size_t kKeyRoom = 16;

bool samePlace(const IndexEntry& a, const IndexEntry& b) {
  return a.dataPage == b.dataPage && a.dataRow == b.dataRow;
}

bool byPlace(const IndexEntry& a, const IndexEntry& b) {
  return std::tie(a.dataPage, a.dataRow) < std::tie(b.dataPage, b.dataRow);
}

// True iff `key` is nothing but NULL flags, one per column.
bool allNull(const std::vector<std::byte>& key, std::size_t columns) {
  if (key.size() != columns) return false;
  return std::all_of(key.begin(), key.end(), [](std::byte b) {
    return b == index_key::kAscendingNull || b == index_key::kDescendingNull;
  });
}

}  // namespace

Status IndexExpectation::addRow(std::span<const Value> values, std::uint32_t page,
                                std::uint8_t row) {
  // The key is made from the row's values in place: no copy of a text.
  bool anyValue = !shape_.ignoreNulls;
  for (std::size_t pos : shape_.valuePositions) {
    if (pos >= values.size()) return Error(errc::kInvalidArgument);
    anyValue = anyValue || !isNull(values[pos]);
  }
  if (!anyValue) return okStatus();  // an index that ignores NULLs has no entry
  // A carried index's keys are not the engine's to make: only the row is expected.
  std::vector<std::byte> key;
  if (!shape_.carried) {
    key.reserve(kKeyRoom);
    if (shape_.columns.size() != shape_.valuePositions.size() ||
        shape_.columns.size() > index_key::kColumnLimit) {
      return Error(errc::kInvalidArgument);
    }
    for (std::size_t i = 0; i < shape_.columns.size(); ++i) {
      JET_CHECK(appendKeyColumn(shape_.columns[i], values[shape_.valuePositions[i]], key));
    }
  }
  entries_.push_back(IndexEntry{std::move(key), page, row, 0});
  return okStatus();
}

IndexComparison compareIndexEntries(std::vector<IndexEntry> expected,
                                    std::vector<IndexEntry> actual, const IndexShape& shape,
                                    const std::string& table, const std::string& index,
                                    DamageSink& sink, std::size_t maxReports) {
  IndexComparison result;
  std::size_t reported = 0;
  auto report = [&](const IndexEntry& at, std::string message) {
    if (++reported > maxReports) return;
    Finding f;
    f.page = at.dataPage;
    f.row = at.dataRow;
    f.table = table;
    f.index = index;
    f.message = std::move(message);
    sink.report(std::move(f));
  };

  if (shape.unique) {
    std::vector<const IndexEntry*> byKey;
    byKey.reserve(actual.size());
    for (const IndexEntry& e : actual) byKey.push_back(&e);
    // A sound tree gives its entries in this order already.
    auto byEntry = [](auto* a, auto* b) { return *a < *b; };
    if (!std::is_sorted(byKey.begin(), byKey.end(), byEntry)) {
      std::sort(byKey.begin(), byKey.end(), byEntry);
    }
    for (std::size_t i = 1; i < byKey.size(); ++i) {
      if (byKey[i - 1]->key == byKey[i]->key && !allNull(byKey[i]->key, shape.columns.size())) {
        ++result.duplicateKeys;
        report(*byKey[i], "clave repetida en un índice único");
      }
    }
  }

  // Rows come in the order of their places: the expected entries are
  // sorted already, unless a caller made them otherwise.
  if (!std::is_sorted(expected.begin(), expected.end(), byPlace)) {
    std::stable_sort(expected.begin(), expected.end(), byPlace);
  }
  std::stable_sort(actual.begin(), actual.end(), byPlace);
  std::size_t i = 0, j = 0;
  while (i < expected.size() || j < actual.size()) {
    if (j < actual.size() && j > 0 && samePlace(actual[j], actual[j - 1])) {
      ++result.repeated;
      report(actual[j++], "entrada de índice repetida para la misma fila");
      continue;
    }
    if (j == actual.size() || (i < expected.size() && byPlace(expected[i], actual[j]))) {
      ++result.missing;
      report(expected[i++], "falta la entrada de índice de la fila");
    } else if (i == expected.size() || byPlace(actual[j], expected[i])) {
      ++result.extra;
      report(actual[j++], "entrada de índice de más: no hay fila indexada en ese lugar");
    } else {
      if (!shape.carried && expected[i].key != actual[j].key) {
        ++result.keyDiffers;
        report(actual[j], "la clave de la entrada de índice no coincide con los valores de la fila");
      } else {
        ++result.matched;
      }
      ++i;
      ++j;
    }
  }
  if (reported > maxReports) {
    Finding f;
    f.table = table;
    f.index = index;
    f.count = reported - maxReports;
    f.message = "y " + std::to_string(f.count) + " diferencias más entre el índice y las filas";
    sink.report(std::move(f));
  }
  return result;
}

}  // namespace jet
