// Damage found while reading, and where it was found.
//
// Readers that meet damage do not stop: they report a Finding to a DamageSink
// and skip what they cannot read. The checker collects findings; the repair
// turns them into rows of MSysCompactError.
#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <vector>

namespace jet {

// What a finding is: damage, or one of the things Access itself leaves in a
// healthy file, which a compaction clears and a repair need not mend.
enum class FindingKind : std::uint8_t {
  kDamage,
  kReclaimableSpace,  // pages nothing uses that are not marked free
  kStaleStatistic,    // a count Access keeps only until the next compaction
  // Not something Access leaves: an index of text in a national sort order,
  // whose keys the engine does not make, was checked against its rows only.
  kUncheckedKeys,
};

// Spanish name of a kind that is not damage ("espacio recuperable", ...);
// empty for damage.
std::string findingKindName(FindingKind kind);

struct Finding {
  FindingKind kind = FindingKind::kDamage;
  std::int64_t page = -1;  // page where the damage lies, -1 when none applies
  std::string table;       // table concerned, empty when none
  std::string index;       // index concerned, empty when none
  std::int64_t row = -1;   // row number on the page, -1 when none applies
  std::string message;     // Spanish, short, without the place
  std::int64_t bytesLost = 0;
  // How many findings this one stands for: more than one for a line that sums
  // up those a reader did not list one by one ("y 40 diferencias más").
  std::uint64_t count = 1;

  // "tabla Clientes, página 12, fila 3: ..." : the place first, then the
  // kind when it is not damage, then the message.
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
    byKind_[static_cast<std::size_t>(finding.kind)] += finding.count;
    if (findings_.size() < cap_) findings_.push_back(std::move(finding));
    else dropped_ += finding.count;
  }
  const std::vector<Finding>& findings() const { return findings_; }
  // Findings past the cap, not kept.
  std::uint64_t dropped() const { return dropped_; }
  bool empty() const { return total_ == 0; }
  // Every finding reported, kept or not.
  std::uint64_t total() const { return total_; }
  // Those of kind `kind`, kept or not.
  std::uint64_t total(FindingKind kind) const { return byKind_[static_cast<std::size_t>(kind)]; }

 private:
  std::size_t cap_;
  std::vector<Finding> findings_;
  std::uint64_t dropped_ = 0;
  std::uint64_t total_ = 0;
  std::array<std::uint64_t, 4> byKind_{};
};

// Drops everything: for readers whose caller does not care.
class IgnoreDamage : public DamageSink {
 public:
  void report(Finding) override {}
};

}  // namespace jet
