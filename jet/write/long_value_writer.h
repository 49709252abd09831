// Stores the Memo and OLE values of one table's rows (long_value.h) on
// "LVAL" pages, each long-value column on pages of its own (the column's
// usage maps at the end of the table definition list them).
//
// The form follows the value's length, as Access chooses it:
//   - up to kMaxInline bytes: inline, in the row after the reference;
//   - up to kMaxOneRow bytes: one long-value row, on the column's current
//     page when it fits there, else on a new page;
//   - longer: chained rows of kChainedChunk bytes, each filling a page of its
//     own, then the rest, placed as a one-row value would be.
// Pages are taken from the PageOutput in file order, so they sit among the
// table's data pages.
#pragma once

#include <cstdint>
#include <map>
#include <memory>
#include <span>
#include <vector>

#include "jet/core/result.h"
#include "jet/write/data_page_builder.h"
#include "jet/write/page_output.h"

namespace jet {

namespace long_value {
// Observed in Access 97 files: values of 31 bytes inline, of 33 in a row.
inline constexpr std::size_t kMaxInline = 32;
// A long-value row on a page of its own, less the 4-byte pointer that a
// chained row starts with.
inline constexpr std::size_t kChainedChunk = data_page::kMaxRowSize - 4;
inline constexpr std::size_t kMaxOneRow = kChainedChunk;
}  // namespace long_value

class LongValueWriter {
 public:
  // Requires: `out` outlives the writer.
  explicit LongValueWriter(PageOutput& out) : out_(&out) {}

  // Stores `value` for the column at position `column` and returns the field
  // the row holds. `deleted`: the value of a deleted row, whose long-value
  // rows are flagged deleted as Access leaves them.
  Result<std::vector<std::byte>> store(std::size_t column, std::span<const std::byte> value,
                                       bool deleted = false);
  // Writes the pages still open.
  Status finish();

  // The column's pages, in order, and those with room for another value.
  std::vector<std::uint32_t> pages(std::size_t column) const;
  std::vector<std::uint32_t> pagesWithRoom(std::size_t column) const;

 private:
  struct Column {
    DataPageBuilder open{data_page::kLongValueOwner};
    std::uint32_t openPage = 0;  // 0: none open
    std::vector<std::uint32_t> pages;
    std::vector<std::uint32_t> withRoom;
  };
  // Where a row of `size` bytes goes on the column's current page, opening a
  // new one when it does not fit; returns the page.
  Result<std::uint32_t> placeFor(Column& c, std::size_t size);
  Status close(Column& c);

  PageOutput* out_;
  std::map<std::size_t, Column> columns_;
};

}  // namespace jet
