#include "jet/rebuild/repair.h"

#include <algorithm>
#include <memory>
#include <optional>

#include "jet/check/checker.h"
#include "jet/core/ascii.h"
#include "jet/io/path_text.h"
#include "jet/model/catalog.h"
#include "jet/model/database.h"
#include "jet/model/index_shape.h"
#include "jet/model/text.h"
#include "jet/rebuild/compact_error_table.h"
#include "jet/salvage/salvage_source.h"
#include "jet/write/compactor.h"
#include "jet/write/extra_tables_source.h"
#include "jet/write/new_database.h"
#include "jet/write/new_database_catalog.h"

namespace jet {
namespace {

namespace fs = std::filesystem;

// Names tried for the rebuilt file and the damaged copy before giving up.
constexpr int kNamesTried = 1000;
// Bytes copied at a time when the damaged file has to be copied.
constexpr std::size_t kCopyChunk = std::size_t{1} << 20;
// The columns of MSysObjects (its definition is the same in every Jet 3
// database: catalog_definition.h) that containerRow() sets.
constexpr std::size_t kIdColumn = 0;
constexpr std::size_t kParentColumn = 1;
constexpr std::size_t kNameColumn = 2;
constexpr std::size_t kTypeColumn = 3;

fs::path rebuiltName(const fs::path& database, int n) {
  fs::path p = database;
  p += n == 1 ? ".reparando" : ".reparando-" + std::to_string(n);
  return p;
}

// A name from `make` that does not exist yet.
Result<fs::path> freshName(FileSystem& fileSystem, const fs::path& database,
                           fs::path (*make)(const fs::path&, int)) {
  for (int n = 1; n <= kNamesTried; ++n) {
    fs::path candidate = make(database, n);
    JET_TRY(bool taken, fileSystem.exists(candidate));
    if (!taken) return candidate;
  }
  return Error::alreadyExists(utf8Of(make(database, kNamesTried)));
}

// The MSysObjects row of a container whose row was lost: a new database's
// Tables row (the containers' rows differ only there) with `id` and `name`.
std::vector<Value> containerRow(std::int32_t id, const std::string& name, DateTime created) {
  std::vector<Value> row = std::move(new_database::catalogRows(created).front());
  row[kIdColumn] = Value{id};
  row[kNameColumn] = Value{Text{name}};
  return row;
}

// The MSysObjects row of the system table `name` as a new database has it,
// with `id` and `parent`; nullopt when a new database has no such table.
std::optional<std::vector<Value>> systemTableRow(const std::string& name, std::int32_t id,
                                                 std::int32_t parent, DateTime created) {
  for (std::vector<Value>& row : new_database::catalogRows(created)) {
    const Text* n = std::get_if<Text>(&row[kNameColumn]);
    if (std::get<std::int16_t>(row[kTypeColumn]) != catalog_type::kTable || !n ||
        !equalsIgnoringAsciiCase(n->bytes, name)) {
      continue;
    }
    row[kIdColumn] = Value{id};
    row[kParentColumn] = Value{parent};
    return std::move(row);
  }
  return std::nullopt;
}

// True iff an index of `table` is over text in an order whose keys the
// engine does not make (carried_keys.h).
bool hasCarriedIndex(const TableDefinition& table) {
  return std::any_of(table.realIndexes.begin(), table.realIndexes.end(), [&](const RealIndexDef& r) {
    auto shape = indexShape(table, r);
    return shape && shape->carried;
  });
}

// Step 4: the salvage, its problems and MSysCompactError, compacted into `target`.
Status rebuild(SalvageReader& reader, SalvageSource& salvage, const ProblemList& all,
               FileSystem& fileSystem, const fs::path& target, std::string_view password) {
  ExtraTablesSource source(salvage);
  const DateTime created = currentDateTime();
  // The catalog's rows the rebuild adds (recovered and added tables, lost
  // containers) need keys in its indexes in a national order too.
  if (hasCarriedIndex(salvage.tables().front().definition)) {
    JET_CHECK(source.keyAppendedRows("MSysObjects", [&salvage](const std::vector<Value>& values) {
      return salvage.catalogKeysFor(values);
    }));
  }
  std::vector<std::vector<Value>> catalogRows;
  for (std::size_t i : salvage.recoveredTables()) {
    const SourceTable& table = salvage.tables()[i];
    if (auto row = systemTableRow(table.name, table.sourceId, reader.tablesContainerId(), created)) {
      catalogRows.push_back(std::move(*row));
      continue;
    }
    JET_TRY(std::vector<Value> row, source.catalogRow(table, created));
    catalogRows.push_back(std::move(row));
  }
  if (!reader.catalogRowFound()) {
    catalogRows.push_back(*systemTableRow("MSysObjects", static_cast<std::int32_t>(kCatalogPage),
                                          reader.tablesContainerId(), created));
  }
  for (const auto& [id, name] : reader.missingContainers()) {
    catalogRows.push_back(containerRow(id, name, created));
  }
  if (!catalogRows.empty()) JET_CHECK(source.appendRows("MSysObjects", std::move(catalogRows)));
  for (std::size_t i : salvage.tablesWithRowsSetAside()) {
    SourceTable aside = salvage.setAsideTable(i);
    aside.sourceId = source.unusedId();
    JET_CHECK(source.addStreamedTable(
        std::move(aside), [&salvage, i] { return salvage.setAsideRows(i); }, created));
  }
  JET_CHECK(source.addTable(compactErrorTable(source.unusedId(), reader.header()),
                            compactErrorRows(all, reader.header().codePage), created));
  CompactOptions options;
  options.fileSystem = &fileSystem;
  // 5. The rebuilt file is checked before it takes its name.
  options.verify = [password](const fs::path& written) {
    return requireClean(written, "la base de datos reconstruida", password);
  };
  return compact(source, target, options);
}

// A catalog in a national sort order takes the rows the rebuild adds only
// where its own keys show how to key them (SalvageSource::catalogKeysFor):
// said (3056) before anything is written.
Status catalogTakesNewRows(const SalvageSource& salvage, const SalvageReader& reader) {
  const TableDefinition& catalog = salvage.tables().front().definition;
  const int nameColumn = columnIndex(catalog, "Name");
  const int parentColumn = columnIndex(catalog, "ParentId");
  if (nameColumn < 0 || !hasCarriedIndex(catalog)) return okStatus();
  std::vector<std::string> names{std::string(kCompactErrorTable)};
  for (std::size_t i : salvage.tablesWithRowsSetAside()) names.push_back(salvage.setAsideTable(i).name);
  for (std::size_t i : salvage.recoveredTables()) names.push_back(salvage.tables()[i].name);
  for (const auto& [id, name] : reader.missingContainers()) names.push_back(name);
  std::vector<Value> row(catalog.columns.size());
  if (parentColumn >= 0) row[static_cast<std::size_t>(parentColumn)] = Value{reader.tablesContainerId()};
  for (const std::string& name : names) {
    row[static_cast<std::size_t>(nameColumn)] = Value{Text{name}};
    auto keys = salvage.catalogKeysFor(row);
    if (!keys) return std::move(keys).error();
  }
  return okStatus();
}

// Copies the open file `from` to the new file `to`, flushed.
Status copyFile(const File& from, FileSystem& fileSystem, const fs::path& to) {
  JET_TRY(std::unique_ptr<WritableFile> out, fileSystem.createNew(to));
  std::vector<std::byte> buffer(kCopyChunk);
  for (std::uint64_t offset = 0;;) {
    JET_TRY(std::size_t n, from.readAt(offset, buffer));
    if (n == 0) break;
    JET_CHECK(out->writeAt(offset, std::span(buffer.data(), n)));
    offset += n;
  }
  JET_CHECK(out->sync());
  return out->close();
}

// Step 6: the damaged file's second name (or copy); returns it.
Result<fs::path> keepDamaged(const Database& db, FileSystem& fileSystem, const fs::path& database) {
  for (int n = 1; n <= kNamesTried; ++n) {
    const fs::path name = damagedCopyName(database, n);
    Status linked = fileSystem.link(database, name);
    if (linked) return name;
    if (linked.error().number() == errc::kAlreadyExists) continue;
    // No hard links here (FAT: EPERM; others: ENOTSUP): a copy, under a name
    // nobody has. Any other failure is the repair's.
    if (linked.error().number() != errc::kNoPermission && linked.error().number() != errc::kIoError) {
      return std::move(linked).error();
    }
    JET_TRY(bool taken, fileSystem.exists(name));
    if (taken) continue;
    if (Status copied = copyFile(*db.file(), fileSystem, name); !copied) {
      if (copied.error().number() != errc::kAlreadyExists) (void)fileSystem.remove(name);
      return std::move(copied).error();
    }
    return name;
  }
  return Error::alreadyExists(utf8Of(damagedCopyName(database, kNamesTried)));
}

// Steps 6 and 7, undone on failure as far as ours.
Status swapIn(const Database& db, FileSystem& fileSystem, const fs::path& database,
              const fs::path& rebuilt, fs::path& backup) {
  JET_TRY(backup, keepDamaged(db, fileSystem, database));
  Status s = fileSystem.syncFolder(folderOf(database));
  if (s) s = fileSystem.copyPermissions(database, rebuilt);
  if (s) s = fileSystem.replace(rebuilt, database);
  if (!s) {
    // The database still holds the original: the kept name is not needed.
    (void)fileSystem.remove(backup);
    backup.clear();
    return s;
  }
  return fileSystem.syncFolder(folderOf(database));
}

}  // namespace

fs::path damagedCopyName(const fs::path& database, int n) {
  fs::path name = database.parent_path() / database.stem();
  name += pathFromUtf8(n == 1 ? ".dañado" : ".dañado-" + std::to_string(n));
  name += database.extension();
  return name;
}

Result<RepairReport> repair(const fs::path& named, const RepairOptions& options) {
  FileSystem& fileSystem = options.fileSystem ? *options.fileSystem : localFileSystem();
  RepairReport report;
  // 0. A symbolic link names the database: the file it names is repaired
  // where it lies (its folder gets the rebuilt file and the damaged copy),
  // and the link stays a link. A link that leads nowhere is a missing
  // database.
  fs::path database = named;
  std::error_code ec;
  if (fs::is_symlink(fs::symlink_status(named, ec))) {
    database = fs::canonical(named, ec);
    if (ec) return Error::notFound(named.string());
  }
  // 1. Open.
  JET_TRY(std::unique_ptr<Database> db,
          Database::open(database, Database::Access::kRepair, options.password));
  // Without a password, the repair works with the database's own: it shows
  // nothing of the contents, and the rebuilt file keeps it.
  std::string password = options.password;
  if (password.empty() && isPasswordShaped(db->header().password)) {
    const auto& stored = db->header().password;
    const auto end = std::find(stored.begin(), stored.end(), std::uint8_t{0});
    password = TextDecoder(db->header().codePage)
                   .toUtf8(std::string(reinterpret_cast<const char*>(stored.data()),
                                       static_cast<std::size_t>(end - stored.begin())));
  }
  // 2. Check.
  CheckOptions checkOptions;
  checkOptions.maxFindings = options.maxFindings;
  JET_TRY(CheckReport check, checkDatabase(*db, checkOptions));
  report.findings = check.findings.findings();
  report.findingsTotal = check.findings.total();
  if (check.clean()) return report;
  report.damaged = true;

  // 3. Salvage.
  JET_TRY(std::unique_ptr<SalvageReader> reader, SalvageReader::open(db->pages().bytes(), password));
  SalvageSource salvage(*reader);
  JET_CHECK(salvage.scan());
  JET_CHECK(catalogTakesNewRows(salvage, *reader));
  report.rowsKept = salvage.rowsKept();
  const TextDecoder text(reader->header().codePage);
  for (std::size_t i : salvage.recoveredTables()) {
    report.recoveredTables.push_back(text.toUtf8(salvage.tables()[i].name));
  }
  for (const std::string& name : reader->lostTableNames()) report.lostTables.push_back(text.toUtf8(name));
  for (std::size_t i : salvage.tablesWithRowsSetAside()) {
    report.setAsideTables.push_back(text.toUtf8(salvage.setAsideTable(i).name));
  }
  report.problems = reader->problems();
  if (options.dryRun) return report;

  // What MSysCompactError lists: what the check found, then what the
  // salvage dropped or changed.
  ProblemList all;
  for (const Finding& f : report.findings) all.add(errc::kCorrupt, f);
  if (report.findingsTotal > report.findings.size()) {
    all.add(errc::kCorrupt, "", -1, -1,
            "y " + std::to_string(report.findingsTotal - report.findings.size()) +
                " hallazgos más de la comprobación, que no se detallan");
  }
  for (const Problem& p : report.problems.problems()) all.add(p.code, p.where);

  // 4. Rebuild.
  JET_TRY(fs::path rebuilt, freshName(fileSystem, database, rebuiltName));
  // (5. The compactor checks the rebuilt file before naming it.) 6 and 7,
  // swap it in. (The compactor may have named the rebuilt file before
  // failing to flush its folder.)
  Status s = rebuild(*reader, salvage, all, fileSystem, rebuilt, password);
  if (s) s = swapIn(*db, fileSystem, database, rebuilt, report.backup);
  if (!s) {
    (void)fileSystem.remove(rebuilt);
    return std::move(s).error();
  }
  report.written = true;
  return report;
}

}  // namespace jet
