// State shared by the steps of the checker (checker.cpp, table_check.cpp).
#pragma once

#include <cstdint>
#include <set>
#include <string>

#include "jet/check/checker.h"
#include "jet/check/page_owners.h"
#include "jet/model/catalog.h"
#include "jet/model/database.h"
#include "jet/model/text.h"

namespace jet {

struct CheckContext {
  CheckContext(const Database& database, CheckReport& r)
      : db(database), report(r), owners(database.pages().pageCount(), r.findings),
        text(database.header().codePage) {}

  // Reports `message` at (table, index, page, row); -1 where none applies.
  void find(std::string table, std::string index, std::int64_t page, std::int64_t row,
            std::string message);
  // Notes, at the same place, what Access leaves in a healthy file.
  void note(FindingKind kind, std::string table, std::string index, std::int64_t page,
            std::string message);

  // Claims the page that holds the usage-map row `pointer` names, and the
  // bitmap pages of a page-referenced map.
  void claimMap(std::uint32_t pointer, std::uint32_t owner, const std::string& name);

  // The pages of the map `pointer` names, in order. Damage is reported (the
  // walk gives up after a few unreadable entries).
  std::set<std::uint32_t> mapPages(std::uint32_t pointer, const std::string& table,
                                   const std::string& what);

  const Database& db;
  CheckReport& report;
  PageOwners owners;
  TextDecoder text;
};

// Step 1 of checker.h: the settings of the header page.
void checkHeader(CheckContext& c);

// Step 4 of checker.h for the table that `entry` names.
void checkTable(CheckContext& c, const CatalogEntry& entry);

}  // namespace jet
