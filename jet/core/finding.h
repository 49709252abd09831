// Damage found while reading, and where it was found.
//
// Readers that meet damage do not stop: they report a Finding to a DamageSink
// and skip what they cannot read. The checker collects findings; the repair
// turns them into rows of MSysCompactError.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace jet {

struct Finding {
  std::int64_t page = -1;  // page where the damage lies, -1 when none applies
  std::string table;       // table concerned, empty when none
  std::string index;       // index concerned, empty when none
  std::int64_t row = -1;   // row number on the page, -1 when none applies
  std::string message;     // Spanish, short, without the place
  std::int64_t bytesLost = 0;
  // How many findings this one stands for: more than one for a line that sums
  // up those a reader did not list one by one ("y 40 diferencias más").
  std::uint64_t count = 1;

  // "tabla Clientes, página 12, fila 3: ..." : the place first, then the message.
  std::string toString() const;
};

class DamageSink {
 public:
  virtual ~DamageSink() = default;
  virtual void report(Finding finding) = 0;
};

// Keeps every finding (up to a cap, counting the rest). Counts add up each
// finding's `count`, so a summed-up line counts all it stands for.
class FindingList : public DamageSink {
 public:
  explicit FindingList(std::size_t cap = 10000) : cap_(cap) {}
  void report(Finding finding) override {
    total_ += finding.count;
    if (findings_.size() < cap_) findings_.push_back(std::move(finding));
    else dropped_ += finding.count;
  }
  const std::vector<Finding>& findings() const { return findings_; }
  // Findings past the cap, not kept.
  std::uint64_t dropped() const { return dropped_; }
  bool empty() const { return total_ == 0; }
  // Every finding reported, kept or not.
  std::uint64_t total() const { return total_; }

 private:
  std::size_t cap_;
  std::vector<Finding> findings_;
  std::uint64_t dropped_ = 0;
  std::uint64_t total_ = 0;
};

// Drops everything: for readers whose caller does not care.
class IgnoreDamage : public DamageSink {
 public:
  void report(Finding) override {}
};

}  // namespace jet
