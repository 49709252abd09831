// The generator: a new database's source (new_database.h) with the
// generator's tables added, each with its catalog row and permissions, all
// written by the compactor.
#include "jet/write/generator.h"

#include <memory>

#include "jet/write/compactor.h"
#include "jet/write/extra_tables_source.h"
#include "jet/write/generator_rows.h"
#include "jet/write/generator_tables.h"
#include "jet/write/new_database.h"

namespace jet {
namespace {

// Bytes of file per byte of values the rows count: pages, slots, offsets,
// keys and index pages, measured on generated files.
constexpr double kFilePerValueByte = 1.1;
constexpr std::uint32_t kMaxMegabytes = 1000;

}  // namespace

Result<GenerateReport> generateDatabase(const std::filesystem::path& path,
                                        const GenerateOptions& options) {
  if (options.megabytes < 1 || options.megabytes > kMaxMegabytes) {
    return Error(errc::kInvalidArgument, std::to_string(options.megabytes));
  }
  std::unique_ptr<CompactionSource> base = newDatabaseSource(options.created);
  ExtraTablesSource source(*base);
  auto state = std::make_shared<generator::GeneratorState>();
  const double target = static_cast<double>(options.megabytes) * 1024 * 1024 / kFilePerValueByte;
  std::uint64_t stream = 0;
  for (generator::GeneratedTable& t : generator::generatedTables()) {
    const std::int32_t id = source.unusedId();
    const double budget = target * t.share;
    const std::uint64_t seed = options.seed * 0x100000001B3ull + ++stream;
    const generator::TableKind kind = t.kind;
    JET_CHECK(source.addStreamedTable(
        SourceTable{t.name, id, std::move(t.definition)},
        [kind, seed, budget, state]() -> Result<std::unique_ptr<RowStream>> {
          return std::unique_ptr<RowStream>(
              std::make_unique<generator::GeneratedRows>(kind, seed, budget, *state));
        },
        options.created));
    JET_CHECK(source.appendRows("MSysACEs", userTableAces(id)));
  }
  JET_CHECK(compact(source, path));
  return state->report;
}

}  // namespace jet
