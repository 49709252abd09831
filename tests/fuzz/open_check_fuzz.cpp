// libFuzzer target: a database from arbitrary bytes. Every whole 2048-byte
// page that decodes as an index page is rebuilt with the page builder and must
// decode back to the same entries. Then the bytes are opened as a database;
// its catalog, every property blob and every row of every table (system
// tables included) are read, and it is checked whole, every index tree
// walked. Damage must come back as errors and findings, never as a crash, a
// leak, a read out of bounds or an endless walk; and a check report never
// keeps more findings than its cap. The corpus files are the seeds (see .ci/run).
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>

#include "jet/check/checker.h"
#include "jet/format/index_page.h"
#include "jet/model/catalog.h"
#include "jet/model/properties.h"
#include "jet/model/table.h"

namespace {

// Aborts unless the index page in `page`, if it decodes, rebuilds to itself.
void rebuildIndexPage(jet::ByteView page, std::uint32_t n) {
  using namespace jet;
  IgnoreDamage ignore;
  Result<IndexPage> decoded = decodeIndexPage(page, n, ignore);
  if (!decoded) return;
  IndexPageBuilder builder(decoded->leaf, decoded->prefixLength > 0);
  for (const IndexEntry& e : decoded->entries) {
    if (!builder.fits(e)) return;  // a damaged page may hold more than a sound one can
    builder.add(e);
  }
  std::string rebuilt(kPageSize, '\0');
  std::span<std::byte> out(reinterpret_cast<std::byte*>(rebuilt.data()), kPageSize);
  if (!builder.write(decoded->owner, decoded->prevPage, decoded->nextPage, decoded->tailPage, out)) {
    std::abort();
  }
  Result<IndexPage> again = decodeIndexPage(ByteView(out), n, ignore);
  if (!again || again->entries != decoded->entries) std::abort();
  for (std::size_t i = 0; i < decoded->entries.size(); ++i) {
    if (again->entries[i].child != decoded->entries[i].child) std::abort();
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string bytes(reinterpret_cast<const char*>(data), size);
  for (std::uint32_t n = 0; std::size_t{n + 1} * jet::kPageSize <= size; ++n) {
    rebuildIndexPage(jet::ByteView(bytes.data() + std::size_t{n} * jet::kPageSize, jet::kPageSize), n);
  }
  auto db = jet::Database::openBytes(bytes);
  if (!db) return 0;
  jet::FindingList damage(100);
  auto catalog = jet::Catalog::read(**db, &damage);
  if (catalog) {
    for (const jet::CatalogEntry& e : catalog->entries()) (void)jet::readProperties(e);
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
