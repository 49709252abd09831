// State shared by the steps of the checker (checker.cpp, table_check.cpp).
#pragma once

#include <cstddef>
#include <cstdint>
#include <algorithm>
#include <string>
#include <vector>

#include "jet/check/checker.h"
#include "jet/check/page_owners.h"
#include "jet/model/catalog.h"
#include "jet/model/database.h"
#include "jet/model/text.h"

namespace jet {

// What a step of the check found (damage and notes), the pages it claimed
// and what it counted, kept in the order it happened. Tables are checked on
// several threads at once, each into a record of its own; replayed in catalog
// order into the one report and owner map, the records make the report that
// one thread checking the tables in turn would have made, finding for finding.
class CheckRecord {
 public:
  // Findings and notes past `cap` are kept as counts only, as the report would.
  explicit CheckRecord(std::size_t cap) : cap_(cap), damage_(*this, true), notes_(*this, false) {}
  CheckRecord(CheckRecord&&) = delete;

  DamageSink& findings() { return damage_; }
  DamageSink& notes() { return notes_; }
  void claim(std::uint32_t page, PageUse use, std::uint32_t owner, const std::string& name);

  std::uint64_t rows = 0;
  std::uint64_t indexes = 0;
  std::uint64_t indexEntries = 0;

  // Adds all of it, in order, to `report` and `owners` (which may report
  // pages claimed twice), and empties the record.
  void replay(CheckReport& report, PageOwners& owners);

 private:
  class Sink : public DamageSink {
   public:
    Sink(CheckRecord& record, bool damage) : record_(record), damage_(damage) {}
    void report(Finding f) override { record_.add(damage_, std::move(f)); }

   private:
    CheckRecord& record_;
    bool damage_;
  };
  struct Entry {
    Finding finding;
    std::size_t claimsBefore;
    bool damage;
    bool countOnly;  // past the cap: only its kind and count are kept
  };
  struct Claim {
    std::uint32_t page;
    std::uint32_t owner;
    std::uint32_t name;  // into names_; kNoName when the claim named none
    PageUse use;
  };
  static constexpr std::uint32_t kNoName = 0xFFFFFFFF;

  void add(bool damage, Finding f);

  std::size_t cap_;
  Sink damage_;
  Sink notes_;
  std::size_t kept_[2] = {0, 0};  // notes, damage
  std::vector<Entry> entries_;
  std::vector<Claim> claims_;
  std::vector<std::string> names_;
};

// Whether the ascending `pages` hold `page`.
inline bool holdsPage(const std::vector<std::uint32_t>& pages, std::uint32_t page) {
  return std::binary_search(pages.begin(), pages.end(), page);
}

struct CheckContext {
  CheckContext(const Database& database, CheckRecord& r)
      : db(database), record(r), text(database.header().codePage) {}

  // Reports `message` at (table, index, page, row); -1 where none applies.
  void find(std::string table, std::string index, std::int64_t page, std::int64_t row,
            std::string message);
  // Notes, at the same place, what Access leaves in a healthy file.
  void note(FindingKind kind, std::string table, std::string index, std::int64_t page,
            std::string message);
  // Records that `page` serves `use` for `owner` (page_owners.h).
  void claim(std::uint32_t page, PageUse use, std::uint32_t owner, const std::string& name) {
    record.claim(page, use, owner, name);
  }

  // Claims the page that holds the usage-map row `pointer` names, and the
  // bitmap pages of a page-referenced map.
  void claimMap(std::uint32_t pointer, std::uint32_t owner, const std::string& name);

  // The pages of the map `pointer` names, in ascending order (a sorted
  // vector: a map may name most of a 1 GB file's half a million pages).
  // Damage is reported (the walk gives up after a few unreadable entries).
  std::vector<std::uint32_t> mapPages(std::uint32_t pointer, const std::string& table,
                                      const std::string& what);

  const Database& db;
  CheckRecord& record;
  TextDecoder text;
};

// Step 1 of checker.h: the settings of the header page.
void checkHeader(CheckContext& c);

// Step 4 of checker.h for the table that `entry` names.
void checkTable(CheckContext& c, const CatalogEntry& entry);

}  // namespace jet
