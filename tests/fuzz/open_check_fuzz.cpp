// libFuzzer target: open a database from the input bytes, read its catalog and
// every property blob, and read every row of every table, system tables
// included. Damage must come back as errors and findings, never as a crash,
// a sanitizer report or a hang.
#include <cstddef>
#include <cstdint>
#include <string>

#include "jet/model/catalog.h"
#include "jet/model/properties.h"
#include "jet/model/table.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  auto db = jet::Database::openBytes(std::string(reinterpret_cast<const char*>(data), size));
  if (!db) return 0;
  jet::FindingList damage(100);
  auto catalog = jet::Catalog::read(**db, &damage);
  if (!catalog) return 0;
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
  return 0;
}
