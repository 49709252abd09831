// libFuzzer target: open + check a database image made of arbitrary bytes.
//
// Whatever the bytes, opening either fails with a numbered error or yields a
// database, and the structural check of it ends with a report: no crash, no
// leak, no read out of bounds, no endless walk. The corpus files are the
// seeds (see .ci/run).
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>

#include "jet/check/checker.h"
#include "jet/model/database.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  auto db = jet::Database::openBytes(std::string(reinterpret_cast<const char*>(data), size));
  if (!db) return 0;
  jet::CheckOptions options;
  options.maxFindings = 50;
  auto report = jet::checkDatabase(**db, options);
  if (!report) return 0;
  // A report that keeps more findings than its cap would be a bug.
  if (report->findings.findings().size() > options.maxFindings) std::abort();
  return 0;
}
