// libFuzzer target: open a database from the input bytes, read its catalog,
// every property blob and every row of every table (system tables included),
// then check it whole. Damage must come back as errors and findings, never as
// a crash, a leak, a read out of bounds or an endless walk; and a check
// report never keeps more findings than its cap. The corpus files are the
// seeds (see .ci/run).
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>

#include "jet/check/checker.h"
#include "jet/model/catalog.h"
#include "jet/model/properties.h"
#include "jet/model/table.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  auto db = jet::Database::openBytes(std::string(reinterpret_cast<const char*>(data), size));
  if (!db) return 0;
  jet::FindingList damage(100);
  auto catalog = jet::Catalog::read(**db, &damage);
  if (catalog) {
    for (const jet::CatalogEntry& e : catalog->entries()) {
      (void)jet::readProperties(e);
    }
    for (const jet::CatalogEntry* e : catalog->tables(true)) {
      auto table = jet::Table::open(**db, e);
      if (!table) continue;
      jet::RowCursor rows = table->rows(&damage);
      while (true) {
        auto more = rows.next();
        if (!more || !*more) break;
      }
    }
  }
  jet::CheckOptions options;
  options.maxFindings = 50;
  auto report = jet::checkDatabase(**db, options);
  if (report && report->findings.findings().size() > options.maxFindings) std::abort();
  return 0;
}
