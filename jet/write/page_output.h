// The pages of the database being written: numbers handed out in file order,
// pages stored through an OutputFile and encrypted as the header says.
//
// Pages are mostly written in the order they were handed out; runs of
// consecutive pages are gathered and written in large blocks. A page may be
// written later than the ones after it (a table definition or a usage map
// filled in at the end), once. finish() fails if a page handed out was never
// written, so the file never holds a page of zeros by mistake.
#pragma once

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
  Status flushRun();

  OutputFile* file_;
  std::uint32_t key_;
  std::uint32_t count_ = 0;
  std::vector<bool> written_;
  // A run of consecutive pages not yet written to the file.
  std::uint32_t runStart_ = 0;
  std::vector<std::byte> run_;
};

}  // namespace jet
