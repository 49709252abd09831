#include "jet/check/index_compare.h"

#include <algorithm>
#include <utility>

namespace jet {
namespace {

// True iff `key` is nothing but NULL flags, one per column.
bool allNull(std::span<const std::byte> key, std::size_t columns) {
  if (key.size() != columns) return false;
  return std::all_of(key.begin(), key.end(), [](std::byte b) {
    return b == index_key::kAscendingNull || b == index_key::kDescendingNull;
  });
}

// The finaliser of SplitMix64: a bijection of 64-bit words that spreads each
// bit over all of them.
std::uint64_t mix(std::uint64_t z) {
  z = (z ^ (z >> 30)) * 0xbf58476d1ce4e5b9ULL;
  z = (z ^ (z >> 27)) * 0x94d049bb133111ebULL;
  return z ^ (z >> 31);
}

// A hash of the key bytes and the place, started from `seed`.
std::uint64_t entryHash(std::uint64_t seed, std::span<const std::byte> key, std::uint32_t page,
                        std::uint8_t row) {
  std::uint64_t h = mix(seed ^ key.size());
  std::size_t i = 0;
  for (; i + 8 <= key.size(); i += 8) {
    std::uint64_t word = 0;
    for (std::size_t k = 0; k < 8; ++k) {
      word |= std::uint64_t{std::to_integer<std::uint8_t>(key[i + k])} << (8 * k);
    }
    h = mix(h ^ word);
  }
  std::uint64_t tail = 0;
  for (std::size_t k = 0; i + k < key.size(); ++k) {
    tail |= std::uint64_t{std::to_integer<std::uint8_t>(key[i + k])} << (8 * k);
  }
  h = mix(h ^ tail);
  return mix(h ^ (std::uint64_t{page} << 8 | row));
}

}  // namespace

void EntryList::add(std::span<const std::byte> key, std::uint32_t page, std::uint8_t row) {
  refs_.push_back(Ref{keys_.size(), static_cast<std::uint32_t>(key.size()), page, row});
  keys_.insert(keys_.end(), key.begin(), key.end());
}

std::vector<IndexEntry> EntryList::entries() const {
  std::vector<IndexEntry> out;
  out.reserve(size());
  for (std::size_t i = 0; i < size(); ++i) {
    const std::span<const std::byte> k = key(i);
    out.push_back(IndexEntry{{k.begin(), k.end()}, page(i), row(i), 0});
  }
  return out;
}

void EntryDigest::add(std::span<const std::byte> key, std::uint32_t page, std::uint8_t row) {
  ++count_;
  sumA_ += entryHash(0x6a09e667f3bcc908ULL, key, page, row);
  sumB_ += entryHash(0xbb67ae8584caa73bULL, key, page, row);
}

void TreeDigest::add(IndexEntry& entry) {
  digest_.add(shape_.carried ? std::span<const std::byte>{} : std::span<const std::byte>{entry.key},
              entry.dataPage, entry.dataRow);
  if (digest_.count() > 1) {
    if (entry < last_) inOrder_ = false;
    if (entry.key == last_.key && !allNull(entry.key, shape_.columns.size())) {
      equalNeighbours_ = true;
    }
  }
  last_ = std::move(entry);
}

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
  key_.clear();
  if (!shape_.carried) {
    if (shape_.columns.size() != shape_.valuePositions.size() ||
        shape_.columns.size() > index_key::kColumnLimit) {
      return Error(errc::kInvalidArgument);
    }
    for (std::size_t i = 0; i < shape_.columns.size(); ++i) {
      JET_CHECK(appendKeyColumn(shape_.columns[i], values[shape_.valuePositions[i]], key_));
    }
  }
  digest_.add(key_, page, row);
  keyBytes_ += key_.size();
  if (keep_) kept_.add(key_, page, row);
  return okStatus();
}

IndexComparison compareIndexEntries(const EntryList& expected, const EntryList& actual,
                                    const IndexShape& shape, const std::string& table,
                                    const std::string& index, DamageSink& sink,
                                    std::size_t maxReports) {
  IndexComparison result;
  std::size_t reported = 0;
  auto report = [&](const EntryList& list, std::size_t at, std::string message) {
    if (++reported > maxReports) return;
    Finding f;
    f.page = list.page(at);
    f.row = list.row(at);
    f.table = table;
    f.index = index;
    f.message = std::move(message);
    sink.report(std::move(f));
  };
  auto placeOf = [](const EntryList& list, std::size_t i) {
    return std::pair{list.page(i), list.row(i)};
  };
  // Positions in a list, in the order `before` gives (a table holds fewer
  // than 2^32 rows: its pages could not hold more).
  auto inOrder = [](const EntryList& list, auto before) {
    std::vector<std::uint32_t> order(list.size());
    for (std::size_t i = 0; i < order.size(); ++i) order[i] = static_cast<std::uint32_t>(i);
    if (!std::is_sorted(order.begin(), order.end(), before)) {
      std::stable_sort(order.begin(), order.end(), before);
    }
    return order;
  };

  if (shape.unique) {
    // A sound tree gives its entries in this order already.
    auto byEntry = [&](std::size_t a, std::size_t b) {
      const auto keys = compareKeys(actual.key(a), actual.key(b));
      return keys != 0 ? keys < 0 : placeOf(actual, a) < placeOf(actual, b);
    };
    const std::vector<std::uint32_t> byKey = inOrder(actual, byEntry);
    for (std::size_t i = 1; i < byKey.size(); ++i) {
      const std::span<const std::byte> key = actual.key(byKey[i]);
      if (std::ranges::equal(actual.key(byKey[i - 1]), key) &&
          !allNull(key, shape.columns.size())) {
        ++result.duplicateKeys;
        report(actual, byKey[i], "clave repetida en un índice único");
      }
    }
  }

  // Rows come in the order of their places: the expected entries are
  // sorted already, unless a caller made them otherwise.
  const std::vector<std::uint32_t> want =
      inOrder(expected, [&](std::size_t a, std::size_t b) {
        return placeOf(expected, a) < placeOf(expected, b);
      });
  const std::vector<std::uint32_t> have =
      inOrder(actual, [&](std::size_t a, std::size_t b) {
        return placeOf(actual, a) < placeOf(actual, b);
      });
  std::size_t i = 0, j = 0;
  while (i < want.size() || j < have.size()) {
    if (j < have.size() && j > 0 && placeOf(actual, have[j]) == placeOf(actual, have[j - 1])) {
      ++result.repeated;
      report(actual, have[j++], "entrada de índice repetida para la misma fila");
      continue;
    }
    if (j == have.size() ||
        (i < want.size() && placeOf(expected, want[i]) < placeOf(actual, have[j]))) {
      ++result.missing;
      report(expected, want[i++], "falta la entrada de índice de la fila");
    } else if (i == want.size() || placeOf(actual, have[j]) < placeOf(expected, want[i])) {
      ++result.extra;
      report(actual, have[j++], "entrada de índice de más: no hay fila indexada en ese lugar");
    } else {
      if (!shape.carried && !std::ranges::equal(expected.key(want[i]), actual.key(have[j]))) {
        ++result.keyDiffers;
        report(actual, have[j],
               "la clave de la entrada de índice no coincide con los valores de la fila");
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
