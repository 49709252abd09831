#include "jet/salvage/problem.h"

namespace jet {

void ProblemList::add(int code, Finding where) {
  if (problems_.size() < cap_) problems_.push_back(Problem{code, std::move(where)});
  else ++dropped_;
}

void ProblemList::add(int code, std::string table, std::int64_t page, std::int64_t row,
                      std::string message) {
  Finding f;
  f.table = std::move(table);
  f.page = page;
  f.row = row;
  f.message = std::move(message);
  add(code, std::move(f));
}

void ProblemSink::report(Finding finding) {
  if (finding.table.empty()) finding.table = table_;
  list_.add(errc::kCorrupt, std::move(finding));
}

}  // namespace jet
