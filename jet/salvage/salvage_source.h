// The compaction source of a damaged database: what the salvage reader could
// read, made fit to be written again (compaction_source.h).
//
//   auto reader = SalvageReader::open(bytes);
//   SalvageSource source(**reader);
//   JET_CHECK(source.scan());     // first pass: every row read once
//   compact(source, destination); // second pass: the same rows again
//
// The first pass completes the reader's problems before anything is written
// (MSysCompactError must list them all) and finds the rows to leave out; the
// second hands the compactor exactly the rows the first kept. Besides the
// reader's rows, the source
//   - leaves out the catalog rows the reader dropped, and the MSysACEs and
//     MSysRelationships rows of tables whose definitions are lost;
//   - turns a relationship index whose other table is lost into a plain index;
//   - sets aside a row whose key repeats another row's in a unique index
//     (3022), so that the new index can be built, and the rows the row
//     cursor doubts (row_salvage.h): a user table's rows set aside go to a
//     table of their own, "<table>_apartadas" (same columns, no index), which
//     the repair adds; nothing readable is dropped. A system table's are left
//     out, their values in the problem's description; but a catalog row
//     whose name repeats another's in its container is renamed
//     ("<name>_2"), which keeps its object;
//   - leaves out any earlier MSysCompactError (the repair writes a new one);
//   - counts as lost the rows a sound index of a table names and that were
//     not read, when nothing else said the table lost rows;
//   - notes whether a table's rows kept come in primary-key order (a file
//     compacted before its damage): the compaction then writes them as they
//     come instead of sorting them;
//   - carries over the keys Access stored in the indexes whose keys the
//     engine does not make (carried_keys.h), and refuses (3056) when such an
//     index is damaged or lacks the entry of a row it keeps: that index would
//     have to be rebuilt with keys of the engine's making.
// Memory: one row at a time, and 16 bytes per row of the largest table with a
// unique index (the hashes of its keys).
#pragma once

#include <cstdint>
#include <map>
#include <memory>
#include <string>
#include <optional>
#include <set>
#include <span>
#include <vector>

#include "jet/salvage/salvage_reader.h"
#include "jet/write/compaction_source.h"

namespace jet {

// The table repair writes its problems into, as Jet names it.
inline constexpr std::string_view kCompactErrorTable = "MSysCompactError";

class SalvageSource final : public CompactionSource {
 public:
  // Requires: `reader` outlives the source.
  explicit SalvageSource(SalvageReader& reader);

  // The first pass. Fails on an I/O error, or with 3056 when an index whose
  // keys the engine does not make cannot be carried over (see above).
  Status scan();

  // Rows the first pass kept, all tables together.
  std::uint64_t rowsKept() const { return rowsKept_; }
  // Positions in tables() of the tables found only by scanning.
  std::vector<std::size_t> recoveredTables() const;

  // Requires: scan() succeeded. Positions in tables() of the tables with rows
  // set aside; for each, the table that takes them (its name, "<table>_apartadas"
  // or a free variant, no id, the columns without the indexes) and its rows.
  std::vector<std::size_t> tablesWithRowsSetAside() const;
  SourceTable setAsideTable(std::size_t table) const;
  Result<std::unique_ptr<RowStream>> setAsideRows(std::size_t table);

  // Requires: scan() succeeded. The keys of a row the repair adds to
  // MSysObjects (`values`, parallel to its columns), per real index: nullopt
  // but for the indexes whose keys the engine does not make (text in a
  // national sort order). Those take the General order's key when the
  // catalog's own keys show that its order keys ASCII names as General does:
  // every stored key of an ASCII name equals General's, and each character
  // of the new row's text is in such a name. Fails with 3056 otherwise.
  Result<std::vector<std::optional<std::vector<std::byte>>>> catalogKeysFor(
      const std::vector<Value>& values) const;

  const SourceSettings& settings() const override { return settings_; }
  const std::vector<SourceTable>& tables() const override { return tables_; }
  // Requires: scan() succeeded.
  Result<std::unique_ptr<RowStream>> rows(std::size_t table) override;

 private:
  class Stream;
  struct Filter;

  Filter filterFor(std::size_t table) const;
  // Names the tables of rows set aside, free among `taken` (catalog names).
  void nameSetAsideTables(const std::vector<std::string>& taken);
  // Compares the catalog row's stored keys (`stored`, per real index) with
  // the General order's, for catalogKeysFor.
  void noteCatalogKeys(const std::vector<Value>& values,
                       std::span<const std::optional<std::vector<std::byte>>> stored);
  Result<std::unique_ptr<RowStream>> stream(std::size_t table, bool setAside);
  // Rows of `table` that an index that walks cleanly names and that were not
  // read (`read`: where the rows read are named, ascending).
  Result<std::size_t> rowsOnlyIndexesName(const SalvagedTable& table,
                                         const std::vector<std::uint32_t>& read) const;
  void sanitizeRelationships();

  SalvageReader& reader_;
  SourceSettings settings_;
  std::vector<SourceTable> tables_;
  std::vector<std::size_t> readerIndex_;           // tables_[i] is reader.tables()[readerIndex_[i]]
  std::vector<std::set<std::uint64_t>> leftOut_;   // per table: ordinals of rows left out
  std::vector<std::set<std::uint64_t>> setAside_;  // per table: those of them set aside
  std::vector<std::string> setAsideNames_;         // per table; empty: none (system tables)
  std::set<char> asciiKeyedAsGeneral_;             // characters the catalog's keys show
  bool asciiKeyedOtherwise_ = false;               // a stored key of an ASCII name differs
  // Per table: ordinal -> (column, new name) of rows renamed.
  using Renames = std::map<std::uint64_t, std::pair<std::size_t, std::string>>;
  std::vector<Renames> renames_;
  std::vector<bool> keyOrder_;  // per table: the rows kept come in primary-key order
  std::set<std::int32_t> droppedIds_;              // tables whose other rows go
  std::vector<std::string> droppedNames_;
  std::uint64_t rowsKept_ = 0;
  bool scanned_ = false;
};

}  // namespace jet
