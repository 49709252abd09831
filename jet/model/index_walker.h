// Walks an index B-tree from its root page and yields its leaf entries in order.
//
// The walk is bounded: each page is read at most once, the depth is limited,
// and every page number is checked against the file's page count before it is
// followed. Damage does not stop the walk; it is reported to a DamageSink with
// the page, table and index, and the walk goes on with what can still be read:
//   - a child that is not an index page, lies outside the file, belongs to
//     another table, or was already reached (a loop or a shared page);
//   - a leaf entry that lies outside what its parents' entries bound: an
//     intermediate entry is at least every entry below it and less than
//     every entry below the next one (Access writes a copy of the child's
//     last entry, and leaves it when that entry is deleted: docs/format.md);
//   - leaves whose previous/next links disagree with the tree's order, or
//     that stand at different depths;
//   - leaf entries out of (key, page, row) order.
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "jet/core/byte_view.h"
#include "jet/core/finding.h"
#include "jet/core/result.h"
#include "jet/format/index_page.h"
#include "jet/io/page_source.h"

namespace jet {

// Returns the bytes of one page; the view stays valid until the next call.
// An error stops the walk (it is an I/O failure, not damage).
using PageFetch = std::function<Result<ByteView>(std::uint32_t page)>;

struct IndexWalkTarget {
  PageFetch fetch;
  std::uint32_t pageCount = 0;  // pages in the file; page numbers must be below it
  std::uint32_t root = 0;       // the index's first page, from the table definition
  std::uint32_t owner = 0;      // the table's TDEF page; 0 = do not check owners
  std::string table;            // names for the findings
  std::string index;
  int maxDepth = 16;            // a Jet 3 tree of 2048-byte pages never nears this
};

struct IndexWalkSummary {
  std::uint64_t entries = 0;          // leaf entries yielded
  std::vector<std::uint32_t> pages;   // every index page read, in visiting order
  int depth = 0;                      // levels below the root (0 = the root is a leaf)
  std::uint64_t findings = 0;         // damage reported during the walk
};

// A PageFetch over the database's pages (it keeps the last page read alive).
PageFetch pageFetch(const PageSource& pages);

// Calls `visit(entry, leafPage)` for each leaf entry in tree order. The entry
// is the visitor's to keep: it may move the key out.
// Fails only when `fetch` fails; damage goes to `sink`.
Result<IndexWalkSummary> walkIndex(
    const IndexWalkTarget& target, DamageSink& sink,
    const std::function<void(IndexEntry& entry, std::uint32_t leafPage)>& visit);

}  // namespace jet
