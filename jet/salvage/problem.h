// The problems a repair meets: one row each of MSysCompactError in the
// repaired database, and one line each of `jetdb repair --dry-run`.
//
// A problem is a place and a Spanish description (a Finding) with the number
// of the Jet error that names its kind:
//   3343  damaged structure: a page, a row or a definition that cannot be read
//   3163  a value longer than its column allows (Jet refuses to store it)
//   3349  a number or date outside what its column can hold
//   3022  a row whose key repeats another's in a unique index
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "jet/core/error.h"
#include "jet/core/finding.h"

namespace jet {

// What of the user's data a problem cost. A page whose rows are all lost
// counts as one row lost: how many it held cannot be read. A row set aside
// is not lost, but its table no longer holds it: it went to the table's
// table of rows set aside ("<table>_apartadas", salvage_source.h).
enum class Loss { kNone, kValue, kRow, kTable, kSetAside };

struct Problem {
  int code = errc::kCorrupt;
  Finding where;  // table, page, row and the description
  Loss loss = Loss::kNone;
};

// Collects problems up to a cap; past it they are only counted, so that a
// database damaged everywhere gives a bounded table. Counts add up each
// problem's `where.count`, as FindingList's do: a summed-up line counts all
// it stands for.
class ProblemList {
 public:
  explicit ProblemList(std::size_t cap = 100000) : cap_(cap) {}

  // `lost`: how many of `loss` the problem cost (rows an index names, ...).
  void add(int code, Finding where, Loss loss = Loss::kNone, std::size_t lost = 1);
  void add(int code, std::string table, std::int64_t page, std::int64_t row, std::string message,
           Loss loss = Loss::kNone, std::size_t lost = 1);

  const std::vector<Problem>& problems() const { return problems_; }
  // Problems past the cap, not kept.
  std::uint64_t dropped() const { return dropped_; }
  // Every problem added, kept or not.
  std::uint64_t total() const { return total_; }
  bool empty() const { return total_ == 0; }
  // Problems that cost `loss`, those past the cap included.
  std::size_t lost(Loss loss) const { return lost_[static_cast<std::size_t>(loss)]; }
  // True iff some problem cost data: a table, a row or a value, or took a
  // row out of its table (set aside).
  bool anyLoss() const {
    return lost(Loss::kTable) + lost(Loss::kRow) + lost(Loss::kValue) + lost(Loss::kSetAside) > 0;
  }

 private:
  std::size_t cap_;
  std::vector<Problem> problems_;
  std::uint64_t dropped_ = 0;
  std::uint64_t total_ = 0;
  std::array<std::size_t, 5> lost_{};
};

// A DamageSink that turns each finding into a problem with code 3343, adding
// the table name when the finding has none.
class ProblemSink final : public DamageSink {
 public:
  ProblemSink(ProblemList& list, std::string table) : list_(list), table_(std::move(table)) {}
  void report(Finding finding) override;

 private:
  ProblemList& list_;
  std::string table_;
};

}  // namespace jet
