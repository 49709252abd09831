// The pages of the database being written: numbers handed out in file order,
// pages stored through an OutputFile and encrypted as the header says.
//
// Pages are mostly written in about the order they were handed out, a few
// held back for a while (the data page being filled while long values and
// index pages go out). They gather in a window of consecutive page numbers
// and go to the file in large blocks when a page beyond the window arrives;
// a page written after its window went (a table definition or a usage map
// filled in at the end) gathers with other such pages. Each page is written
// once. finish() fails if a page handed out was never written, so the file
// never holds a page of zeros by mistake.
#pragma once

#include <array>
#include <cstdint>
#include <span>
#include <vector>

#include "jet/core/result.h"
#include "jet/io/output_file.h"

namespace jet {

class PageOutput {
 public:
  // Requires: `file` outlives the PageOutput. `databaseKey` 0: clear pages.
  PageOutput(OutputFile& file, std::uint32_t databaseKey);

  // The next page of the file. Fails with 3035 past Jet 3's 1 GB.
  Result<std::uint32_t> allocate();
  std::uint32_t pageCount() const { return count_; }

  // Stores page `number` (kPageSize bytes, in clear). Requires: allocated,
  // not yet written.
  Status write(std::uint32_t number, std::span<const std::byte> page);

  // Writes what is gathered; fails (3001) when a page was never written.
  Status finish();

 private:
  // Pages of the window (2 MB).
  static constexpr std::uint32_t kWindowPages = 1024;

  Status flushWindow();
  Status flushLate();

  OutputFile* file_;
  std::uint32_t key_;
  std::uint32_t count_ = 0;
  std::vector<bool> written_;
  // Pages base_ .. base_ + kWindowPages - 1, those in held_ written into it.
  std::uint32_t base_ = 0;
  std::vector<std::byte> window_;
  std::array<bool, kWindowPages> held_{};
  bool holding_ = false;
  // Pages before the window, one after the other, and where each goes.
  std::vector<std::byte> late_;
  std::vector<WriteExtent> lateExtents_;
  std::vector<WriteExtent> extents_;  // scratch for flushWindow
};

}  // namespace jet
