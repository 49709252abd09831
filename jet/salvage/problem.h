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

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "jet/core/error.h"
#include "jet/core/finding.h"

namespace jet {

struct Problem {
  int code = errc::kCorrupt;
  Finding where;  // table, page, row and the description
};

// Collects problems up to a cap; past it they are only counted, so that a
// database damaged everywhere gives a bounded table.
class ProblemList {
 public:
  explicit ProblemList(std::size_t cap = 100000) : cap_(cap) {}

  void add(int code, Finding where);
  void add(int code, std::string table, std::int64_t page, std::int64_t row, std::string message);

  const std::vector<Problem>& problems() const { return problems_; }
  std::size_t dropped() const { return dropped_; }
  std::size_t total() const { return problems_.size() + dropped_; }
  bool empty() const { return total() == 0; }

 private:
  std::size_t cap_;
  std::vector<Problem> problems_;
  std::size_t dropped_ = 0;
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
