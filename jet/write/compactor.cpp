// The compactor.
//
// Outline:
//   1. Create the destination under a temporary name (3204 if it exists).
//   2. Lay out every table's columns anew and give each table its
//      definition pages: page 0 is the header, page 1 the free-page map,
//      then the definitions from page 2 in the source's table order
//      (MSysObjects first, so on page 2), then the pages that hold every
//      table's usage-map rows. A table's new id is its first definition
//      page; the map from source ids to new ids is complete before any row
//      is written.
//   3. Each table in turn: its rows (ids remapped in MSysObjects and
//      MSysACEs; sorted by primary key when it has one) through a
//      TableWriter, which places its data, long values, index trees and
//      usage maps together, then writes its definition.
//   4. Page 1 (no free page inside the file) and page 0 (the source's
//      header with its settings), then flush, rename and flush the folder.
// Any failure on the way removes the temporary file and returns the error.
#include "jet/write/compactor.h"

#include <map>
#include <optional>

#include "jet/core/ascii.h"
#include "jet/format/usage_map.h"
#include "jet/format/index_page.h"
#include "jet/io/output_file.h"
#include "jet/model/index_shape.h"
#include "jet/write/carried_row_keys.h"
#include "jet/write/data_page_builder.h"
#include "jet/write/external_sorter.h"
#include "jet/write/page_output.h"
#include "jet/write/table_writer.h"
#include "jet/write/usage_map_writer.h"
#include "jet/write/value_codec.h"

namespace jet {
namespace {

// The page of the free-page map, and the owner Access gives that page.
constexpr std::uint32_t kGlobalMapPage = RowLocation::fromPointer(usage_map::kFreePages).page;
constexpr std::uint32_t kGlobalMapOwner = 1;

using IdMap = std::map<std::int32_t, std::int32_t>;

// The columns of a system table whose values are table ids.
std::vector<std::size_t> idColumns(const SourceTable& table) {
  std::vector<const char*> names;
  if (equalsIgnoringAsciiCase(table.name, "MSysObjects")) names = {"Id", "ParentId"};
  if (equalsIgnoringAsciiCase(table.name, "MSysACEs")) names = {"ObjectId"};
  std::vector<std::size_t> out;
  for (std::size_t i = 0; i < table.definition.columns.size(); ++i) {
    for (const char* n : names) {
      if (equalsIgnoringAsciiCase(table.definition.columns[i].name, n)) out.push_back(i);
    }
  }
  return out;
}

void remap(std::vector<Value>& values, const std::vector<std::size_t>& columns, const IdMap& ids) {
  for (std::size_t c : columns) {
    if (auto* v = std::get_if<std::int32_t>(&values[c])) {
      if (auto it = ids.find(*v); it != ids.end()) *v = it->second;
    }
  }
}

struct Planned {
  TableDefinition definition;  // laid out, ids remapped
  std::vector<std::uint32_t> pages;
  std::vector<std::uint32_t> mapRows;
};

// Writes one table's rows, in primary-key order when it has a primary key.
// The keys of carried indexes come with the rows (carried_row_keys.h); the
// primary key's order is then Access's own.
Status writeRows(CompactionSource& source, std::size_t index, const Planned& plan,
                 const IdMap& ids, TableWriter& writer, const ScratchSpace& scratch,
                 const CompactOptions& options) {
  const SourceTable& table = source.tables()[index];
  const std::vector<std::size_t> idCols = idColumns(table);
  JET_TRY(std::unique_ptr<RowStream> rows, source.rows(index));
  std::vector<IndexShape> shapes;
  for (const RealIndexDef& real : plan.definition.realIndexes) {
    JET_TRY(IndexShape shape, indexShape(plan.definition, real));
    shapes.push_back(std::move(shape));
  }
  CarriedRowKeys carried(shapes);
  std::vector<Value> values;
  const std::optional<std::size_t> pk = plan.definition.primaryKeyIndex();
  // The row's values (a copy only when table ids are renumbered), and its
  // carried keys.
  const std::vector<Value>* current = &values;
  auto take = [&]() -> Status {
    current = &rows->values();
    if (!idCols.empty()) {
      values = rows->values();
      remap(values, idCols, ids);
      current = &values;
    }
    return carried.take(rows->carriedKeys(), rows->values(), *current);
  };
  // The primary key's entry of the current row.
  std::vector<Value> keyValues;
  auto primaryKeyOf = [&]() -> Result<std::vector<std::byte>> {
    const IndexShape& shape = shapes[*pk];
    if (shape.carried) {
      if (!carried.keys()[*pk]) return Error::corrupt(-1, "una fila sin entrada en la clave principal");
      return *carried.keys()[*pk];
    }
    keyValues.clear();
    for (std::size_t pos : shape.valuePositions) keyValues.push_back((*current)[pos]);
    return encodeKey(shape.columns, keyValues);
  };
  // Rows already in key order (or with no order to keep) are written as they
  // come, the promised order checked on the way. MSysObjects and MSysACEs
  // are small and their keys hold the remapped ids: they are always sorted.
  if (!pk || (rows->primaryKeyOrder() && idCols.empty())) {
    std::vector<std::byte> previous;
    bool first = true;
    for (;;) {
      JET_TRY(bool more, rows->next());
      if (!more) return okStatus();
      JET_CHECK(take());
      if (pk) {
        JET_TRY(std::vector<std::byte> key, primaryKeyOf());
        if (!first && compareKeys(previous, key) >= 0) {
          return Error::corrupt(-1, "las filas de " + table.name + " no siguen su clave principal");
        }
        first = false;
        previous = std::move(key);
      }
      JET_CHECK(writer.add(*current, rows->fate(), carried.keys()));
    }
  }
  // Sorted by the primary key's entry; rows with equal keys (only in a
  // salvaged table) keep their order through the sequence number. A record
  // is the key, then the sequence number, the row's fate, its carried keys
  // and its values: the long values too, which are stored when the row is
  // placed, so that their pages follow the primary key as the rows do (what
  // makes compaction a fixed point).
  ExternalSorter sorter(scratch, options.sortMemory / 3);
  std::vector<std::byte> payload;
  for (std::uint64_t sequence = 0;; ++sequence) {
    JET_TRY(bool more, rows->next());
    if (!more) break;
    JET_CHECK(take());
    JET_TRY(std::vector<std::byte> key, primaryKeyOf());
    payload.clear();
    for (int shift = 56; shift >= 0; shift -= 8) payload.push_back(std::byte(sequence >> shift));
    payload.push_back(std::byte(rows->fate()));
    carried.encode(payload);
    encodeValues(*current, payload);
    JET_CHECK(sorter.add(key, payload));
  }
  JET_CHECK(sorter.finish());
  for (;;) {
    JET_TRY(bool more, sorter.next());
    if (!more) return okStatus();
    const std::span<const std::byte> record = sorter.payload();
    if (record.size() < 9) return Error(errc::kInvalidArgument);
    JET_TRY(std::size_t keyBytes, carried.decode(record.subspan(9)));
    JET_CHECK(decodeValues(record.subspan(9 + keyBytes), values));
    JET_CHECK(writer.add(values, static_cast<RowFate>(record[8]), carried.keys()));
  }
}

Status writeGlobalMapPage(PageOutput& out) {
  DataPageBuilder page(kGlobalMapOwner);
  // Row 0: the free pages. Row 1: a map Access keeps there, always empty.
  const std::uint8_t freeRow = page.reserve(usage_map::kRowSize);
  encodeFreePageMap(out.pageCount(), page.row(freeRow));
  const std::uint8_t emptyRow = page.reserve(usage_map::kRowSize);
  encodeInlineMap({}, page.row(emptyRow));
  return out.write(kGlobalMapPage, page.bytes());
}

Status writeAll(CompactionSource& source, OutputFile& file, const CompactOptions& options) {
  const SourceSettings& settings = source.settings();
  const std::vector<SourceTable>& tables = source.tables();
  if (tables.empty() || !equalsIgnoringAsciiCase(tables.front().name, "MSysObjects")) {
    return Error::corrupt(-1, "el origen no empieza por MSysObjects");
  }
  PageOutput out(file, settings.header.databaseKey);
  JET_TRY(std::uint32_t header, out.allocate());
  JET_TRY(std::uint32_t globalMap, out.allocate());
  (void)header;
  (void)globalMap;

  // 2. Definitions first: every table's pages and new id.
  std::vector<Planned> plans;
  IdMap ids;
  for (const SourceTable& t : tables) {
    JET_TRY(TableDefinition laid, layOutColumns(t.definition));
    Planned plan{std::move(laid), {}, {}};
    const std::size_t count = TableWriter::definitionPages(plan.definition);
    for (std::size_t i = 0; i < count; ++i) {
      JET_TRY(std::uint32_t page, out.allocate());
      plan.pages.push_back(page);
    }
    plan.definition.page = plan.pages.front();
    if (!ids.emplace(t.sourceId, static_cast<std::int32_t>(plan.pages.front())).second) {
      return Error::corrupt(-1, "dos tablas con el mismo Id");
    }
    plans.push_back(std::move(plan));
  }
  for (Planned& plan : plans) {
    for (LogicalIndexDef& l : plan.definition.logicalIndexes) {
      if (l.relTablePage == 0) continue;
      if (auto it = ids.find(static_cast<std::int32_t>(l.relTablePage)); it != ids.end()) {
        l.relTablePage = static_cast<std::uint32_t>(it->second);
      }
    }
  }

  // Then the usage-map rows of every table, on pages they share.
  UsageMapArea maps;
  for (Planned& plan : plans) {
    JET_TRY(plan.mapRows, maps.reserve(out, TableWriter::mapRowCount(plan.definition)));
  }

  // 3. The tables.
  const ScratchSpace scratch{folderOf(file.temporaryPath()),
                             options.fileSystem ? options.fileSystem : &localFileSystem()};
  for (std::size_t i = 0; i < tables.size(); ++i) {
    TableWriter writer(out, plans[i].definition, plans[i].pages, maps, plans[i].mapRows, scratch,
                       options.sortMemory / 2);
    JET_CHECK(writer.begin());
    JET_CHECK(writeRows(source, i, plans[i], ids, writer, scratch, options));
    JET_TRY(TableDefinition written, writer.finish());
    (void)written;
  }

  // 4. The map rows, page 1, page 0.
  JET_CHECK(maps.write(out));
  JET_CHECK(writeGlobalMapPage(out));
  const std::vector<std::byte> stored =
      settings.headerPage.size() == kPageSize ? settings.headerPage : defaultHeaderPage();
  JET_TRY(std::vector<std::byte> page0, encodeHeaderPage(settings.header, stored));
  JET_CHECK(out.write(0, page0));
  return out.finish();
}

}  // namespace

Status compact(CompactionSource& source, const std::filesystem::path& destination,
               const CompactOptions& options) {
  FileSystem& fileSystem = options.fileSystem ? *options.fileSystem : localFileSystem();
  JET_TRY(OutputFile file, OutputFile::create(destination, fileSystem));
  JET_CHECK(writeAll(source, file, options));
  return file.commit(options.verify);
}

}  // namespace jet
