// A census of every page of a damaged database, taken once before salvage.
//
// Salvage cannot trust the structures that say which page belongs to what
// (usage maps, the catalog), so it reads each page's own header: data pages
// and index pages name the table definition (TDEF page) that owns them, long-
// value pages say "LVAL", and definition pages name their next page. The
// free-page map (page 1, row 0) says which pages were given back: freed pages
// keep their type and old owner (docs/format.md, "Data pages"), so a page marked free is never
// taken for a table's page on the strength of its header alone.
//
// Memory: 8 bytes per page (4 MB for a 1 GB file).
#pragma once

#include <cstdint>
#include <unordered_map>
#include <vector>

#include "jet/core/result.h"
#include "jet/io/page_source.h"
#include "jet/salvage/problem.h"

namespace jet {

class PageCensus {
 public:
  // Reads every page of `pages`. Fails only on an I/O error. A free-page map
  // that cannot be read is a problem (and freeMapKnown() is false).
  static Result<PageCensus> take(const PageSource& pages, ProblemList& problems);

  std::uint32_t pageCount() const { return static_cast<std::uint32_t>(pages_.size()); }
  std::uint8_t type(std::uint32_t page) const { return page < pages_.size() ? pages_[page].type : 0; }
  // Data and index pages: the owner field; TDEF pages: the next page.
  std::uint32_t link(std::uint32_t page) const { return page < pages_.size() ? pages_[page].link : 0; }
  bool isFree(std::uint32_t page) const { return page < free_.size() && free_[page]; }
  bool freeMapKnown() const { return freeMapKnown_; }

  // True iff `page` is a data page whose header names `tdef` as its owner.
  bool isDataPageOf(std::uint32_t page, std::uint32_t tdef) const;
  bool isLongValuePage(std::uint32_t page) const;
  // The data pages whose header names `tdef` and that are not marked free,
  // ascending.
  std::vector<std::uint32_t> dataPagesOf(std::uint32_t tdef) const;
  // Pages of type TDEF that are not marked free and that no other TDEF page
  // names as its next page: the first pages of table definitions.
  std::vector<std::uint32_t> definitionStarts() const;

 private:
  struct Info {
    std::uint8_t type = 0;
    std::uint32_t link = 0;
  };
  std::vector<Info> pages_;
  std::vector<bool> free_;
  bool freeMapKnown_ = false;
  std::unordered_map<std::uint32_t, std::vector<std::uint32_t>> byOwner_;
};

}  // namespace jet
