#include "jet/salvage/problem.h"

namespace jet {

void ProblemList::add(int code, Finding where, Loss loss, std::size_t lost) {
  lost_[static_cast<std::size_t>(loss)] += lost;
  total_ += where.count;
  if (problems_.size() < cap_) problems_.push_back(Problem{code, std::move(where), loss});
  else dropped_ += where.count;
}

void ProblemList::add(int code, std::string table, std::int64_t page, std::int64_t row,
                      std::string message, Loss loss, std::size_t lost) {
  Finding f;
  f.table = std::move(table);
  f.page = page;
  f.row = row;
  f.message = std::move(message);
  add(code, std::move(f), loss, lost);
}

void ProblemSink::report(Finding finding) {
  if (finding.table.empty()) finding.table = table_;
  list_.add(errc::kCorrupt, std::move(finding));
}

}  // namespace jet
