// The checker's per-page owner map.
//
// Every structure the checker reaches claims the pages it uses. A page
// claimed twice and a page in use that the free-page map marks free are
// findings; the pages nobody uses that the free-page map does not mark free
// are returned for the checker to judge (checker.h, step 5).
// Usage-map rows share their pages (one page holds the maps of many objects),
// and so do the long values of one table, so those uses may claim a page
// more than once; a long-value page of two tables is claimed twice.
#pragma once

#include <cstdint>
#include <string>
#include <unordered_map>
#include <vector>

#include "jet/core/finding.h"

namespace jet {

enum class PageUse : std::uint8_t {
  kNone,
  kHeader,           // page 0
  kTableDefinition,  // TDEF pages (type 0x02)
  kTableData,        // a table's data pages, from its usage map
  kIndex,            // pages of one index's B-tree
  kUsageMap,         // data pages that hold usage-map rows (shared)
  kMapBitmap,        // bitmap pages (type 0x05) of page-referenced maps
  kLongValue,        // "LVAL" pages (shared within one table)
};

// Spanish name of a use, for findings.
std::string pageUseName(PageUse use);

class PageOwners {
 public:
  PageOwners(std::uint32_t pageCount, DamageSink& sink) : claims_(pageCount), sink_(sink) {}

  // Records that `page` serves `use` for the object `owner` (a table's TDEF
  // page, or 0 for the database), `name` naming it in findings. A page past
  // the end of the file is itself a finding.
  void claim(std::uint32_t page, PageUse use, std::uint32_t owner, const std::string& name);

  PageUse useOf(std::uint32_t page) const {
    return page < claims_.size() ? claims_[page].use : PageUse::kNone;
  }

  // Compares the claims with the free-page map (true = free): reports pages in
  // use that are marked free, and returns the pages neither used nor free.
  std::vector<std::uint32_t> finish(const std::vector<bool>& freePages);

 private:
  struct Claim {
    PageUse use = PageUse::kNone;
    std::uint32_t owner = 0;
  };
  void report(std::int64_t page, const std::string& table, std::string message);
  const std::string& nameOf(std::uint32_t owner) const;

  std::vector<Claim> claims_;
  std::unordered_map<std::uint32_t, std::string> names_;
  DamageSink& sink_;
};

}  // namespace jet
