#include "jet/salvage/salvage_source.h"

#include <algorithm>
#include <functional>

#include "jet/core/ascii.h"
#include "jet/format/index_page.h"
#include "jet/index/index_key.h"
#include "jet/model/carried_keys.h"
#include "jet/model/index_shape.h"
#include "jet/model/index_walker.h"
#include "jet/salvage/value_text.h"

namespace jet {
namespace {

// A set of 64-bit hashes with open addressing: 8 bytes a slot, at most half
// full.
class HashSet {
 public:
  bool contains(std::uint64_t h) const {
    if (h == 0) h = 1;
    if (slots_.empty()) return false;
    for (std::size_t i = h & (slots_.size() - 1);; i = (i + 1) & (slots_.size() - 1)) {
      if (slots_[i] == h) return true;
      if (slots_[i] == 0) return false;
    }
  }
  void insert(std::uint64_t h) {
    if (h == 0) h = 1;  // 0 marks an empty slot
    if (2 * (size_ + 1) > slots_.size()) grow();
    for (std::size_t i = h & (slots_.size() - 1);; i = (i + 1) & (slots_.size() - 1)) {
      if (slots_[i] == h) return;
      if (slots_[i] == 0) {
        slots_[i] = h;
        ++size_;
        return;
      }
    }
  }

 private:
  void grow() {
    std::vector<std::uint64_t> old = std::move(slots_);
    slots_.assign(std::max<std::size_t>(16, old.size() * 2), 0);
    size_ = 0;
    for (std::uint64_t h : old) {
      if (h != 0) insert(h);
    }
  }
  std::vector<std::uint64_t> slots_;
  std::size_t size_ = 0;
};

// The unique indexes of a table and the hashes of the keys seen so far.
struct UniqueKeys {
  std::size_t position;  // in the definition's realIndexes
  IndexShape shape;
  HashSet seen;
};

}  // namespace

// Which rows of a table the source leaves out whatever their ordinal.
struct SalvageSource::Filter {
  const std::set<std::uint32_t>* droppedRows = nullptr;  // by location
  int idColumn = -1;                                     // a table id to test
  const std::set<std::int32_t>* droppedIds = nullptr;
  std::vector<int> nameColumns;                          // table names to test
  const std::vector<std::string>* droppedNames = nullptr;

  bool leavesOut(const std::vector<Value>& v, RowLocation at) const {
    if (droppedRows && droppedRows->count(at.pointer())) return true;
    if (idColumn >= 0) {
      const auto* id = std::get_if<std::int32_t>(&v[static_cast<std::size_t>(idColumn)]);
      if (id && droppedIds->count(*id)) return true;
    }
    for (int c : nameColumns) {
      const auto* name = std::get_if<Text>(&v[static_cast<std::size_t>(c)]);
      if (name && std::any_of(droppedNames->begin(), droppedNames->end(), [&](const std::string& n) {
            return equalsIgnoringAsciiCase(n, name->bytes);
          })) {
        return true;
      }
    }
    return false;
  }
};

// The second pass over one table: the rows the first pass kept.
class SalvageSource::Stream final : public RowStream {
 public:
  // `only`: the ordinals to give (the rows set aside); nullptr: all but
  // those left out.
  Stream(SalvageRowCursor cursor, Filter filter, const std::set<std::uint64_t>& leftOut,
         const std::set<std::uint64_t>* only, const Renames& renames,
         std::unique_ptr<ProblemList> scratch, CarriedKeys carried, bool keyOrder)
      : scratch_(std::move(scratch)), cursor_(std::move(cursor)), filter_(std::move(filter)),
        leftOut_(leftOut), only_(only), renames_(renames), renamed_(renames_.end()),
        carried_(std::move(carried)), keyOrder_(keyOrder) {}

  Result<bool> next() override {
    while (true) {
      JET_TRY(bool more, cursor_.next());
      if (!more) return false;
      const std::uint64_t ordinal = ordinal_++;
      if (only_) {
        if (!only_->count(ordinal)) continue;
        renamed_ = renames_.end();
        return true;
      }
      if (!filter_.leavesOut(cursor_.values(), cursor_.location()) && !leftOut_.count(ordinal)) {
        renamed_ = renames_.find(ordinal);
        if (renamed_ != renames_.end()) {
          values_ = cursor_.values();
          values_[renamed_->second.first] = Value{Text{renamed_->second.second}};
        }
        if (carried_.any()) JET_CHECK(carried_.lookUp(cursor_.location(), cursor_.values()));
        return true;
      }
    }
  }
  const std::vector<Value>& values() const override {
    return renamed_ != renames_.end() ? values_ : cursor_.values();
  }
  std::span<const std::optional<std::vector<std::byte>>> carriedKeys() const override {
    return carried_.keys();
  }
  bool primaryKeyOrder() const override { return keyOrder_; }

 private:
  std::unique_ptr<ProblemList> scratch_;  // the first pass recorded these problems
  SalvageRowCursor cursor_;
  Filter filter_;
  const std::set<std::uint64_t>& leftOut_;
  const std::set<std::uint64_t>* only_;
  const Renames& renames_;
  Renames::const_iterator renamed_;
  std::vector<Value> values_;  // the current row, renamed
  std::uint64_t ordinal_ = 0;
  CarriedKeys carried_;
  bool keyOrder_;
};

// The repair's refusal: an index whose keys the engine does not make cannot be
// carried over as Access wrote it.
Error cannotCarry(const std::string& table, const Error& why) {
  return Error(errc::kCannotRepair,
               "la tabla " + table + " tiene un índice de texto en un orden de clasificación "
               "que este programa no sabe reproducir, y no se puede conservar tal como lo "
               "escribió Access (" + why.reasonAt(-1) + ")");
}

SalvageSource::SalvageSource(SalvageReader& reader) : reader_(reader) {
  settings_.header = reader.header();
  if (!reader.headerRestored()) {
    // Page 0 as stored carries the bytes no setting names; after damage
    // they are Access's defaults instead.
    settings_.headerPage.resize(kPageSize);
    auto n = reader.pages().bytes().readAt(0, settings_.headerPage);
    if (!n || *n != kPageSize) settings_.headerPage.clear();
  }
  droppedIds_ = reader.lostTableIds();
  droppedNames_ = reader.lostTableNames();
  for (std::size_t i = 0; i < reader.tables().size(); ++i) {
    const SalvagedTable& t = reader.tables()[i];
    if (i > 0 && equalsIgnoringAsciiCase(t.name(), kCompactErrorTable)) {
      droppedIds_.insert(t.entry.id);  // its catalog and permission rows go with it
      continue;
    }
    tables_.push_back(SourceTable{t.name(), static_cast<std::int32_t>(t.tdef()), t.definition});
    readerIndex_.push_back(i);
  }
  leftOut_.resize(tables_.size());
  setAside_.resize(tables_.size());
  setAsideNames_.resize(tables_.size());
  renames_.resize(tables_.size());
  keyOrder_.resize(tables_.size(), false);
  sanitizeRelationships();
}

void SalvageSource::sanitizeRelationships() {
  std::set<std::uint32_t> kept;
  for (const SourceTable& t : tables_) kept.insert(static_cast<std::uint32_t>(t.sourceId));
  for (std::size_t i = 0; i < tables_.size(); ++i) {
    for (LogicalIndexDef& l : tables_[i].definition.logicalIndexes) {
      if (l.relTablePage == 0 || kept.count(l.relTablePage)) continue;
      reader_.problems().add(errc::kCorrupt, reader_.tables()[readerIndex_[i]].displayName,
                             tables_[i].definition.page, -1,
                             "la relación del índice con la tabla de la página " +
                                 std::to_string(l.relTablePage) +
                                 ", que se ha perdido, se quita; el índice se conserva");
      if (l.foreignKey()) l.kind = 0;
      l.relTableType = 0;
      l.relIndex = -1;
      l.relTablePage = 0;
      l.cascadeUpdates = l.cascadeDeletes = false;
    }
  }
}

SalvageSource::Filter SalvageSource::filterFor(std::size_t table) const {
  Filter f;
  const TableDefinition& def = tables_[table].definition;
  const std::string& name = tables_[table].name;
  if (table == 0) {
    f.droppedRows = &reader_.droppedCatalogRows();
    f.idColumn = columnIndex(def, "Id");
  } else if (equalsIgnoringAsciiCase(name, "MSysACEs")) {
    f.idColumn = columnIndex(def, "ObjectId");
  } else if (equalsIgnoringAsciiCase(name, "MSysRelationships")) {
    for (const char* c : {"szObject", "szReferencedObject"}) {
      if (int k = columnIndex(def, c); k >= 0) f.nameColumns.push_back(k);
    }
  }
  f.droppedIds = &droppedIds_;
  f.droppedNames = &droppedNames_;
  return f;
}

Status SalvageSource::scan() {
  const TextDecoder text(settings_.header.codePage);
  std::vector<std::string> catalogNames;  // every name MSysObjects holds
  for (std::size_t i = 0; i < tables_.size(); ++i) {
    // The catalog is read first: the tables of rows set aside take names it
    // does not hold.
    if (i == 1) nameSetAsideTables(catalogNames);
    const SalvagedTable& salvaged = reader_.tables()[readerIndex_[i]];
    const TableDefinition& def = tables_[i].definition;
    std::vector<UniqueKeys> unique;
    for (std::size_t r = 0; r < def.realIndexes.size(); ++r) {
      if (!def.realIndexes[r].unique()) continue;
      auto shape = indexShape(def, def.realIndexes[r]);
      if (shape) unique.push_back({r, std::move(*shape), {}});
    }
    const Filter filter = filterFor(i);
    auto carried = CarriedKeys::read(pageFetch(reader_.pages()), reader_.pages().pageCount(), def,
                                     salvaged.displayName);
    if (!carried) return cannotCarry(salvaged.displayName, carried.error());
    // The reader met MSysObjects' problems already, reading the catalog.
    ProblemList seen(0);
    SalvageRowCursor cursor(reader_.pages(), reader_.census(), salvaged, settings_.header.codePage,
                            readerIndex_[i] == 0 ? seen : reader_.problems());
    if (!setAsideNames_[i].empty()) cursor.setAsideIn(text.toUtf8(setAsideNames_[i]));
    std::vector<Value> key;
    const int nameColumn = i == 0 ? columnIndex(def, "Name") : -1;
    // Whether the rows kept come in the order of the primary key, each key
    // above the one before: the compaction then writes them as they come
    // instead of sorting them (rows, long values and all) through scratch
    // files. A salvaged file that was compacted keeps that order.
    const std::optional<std::size_t> primaryReal = def.primaryKeyIndex();
    std::optional<IndexShape> primary;
    if (primaryReal) {
      if (auto shape = indexShape(def, def.realIndexes[*primaryReal])) primary = std::move(*shape);
    }
    bool inKeyOrder = primary.has_value();
    std::optional<std::vector<std::byte>> lastKey;
    std::vector<Value> primaryValues;
    auto followsKeyOrder = [&](const std::vector<Value>& values) {
      Result<std::vector<std::byte>> bytes = Error(errc::kInvalidArgument);
      if (primary->carried) {
        if (carried->keys()[*primaryReal]) bytes = *carried->keys()[*primaryReal];
      } else {
        primaryValues.clear();
        for (std::size_t p : primary->valuePositions) primaryValues.push_back(values[p]);
        bytes = encodeKey(primary->columns, primaryValues);
      }
      if (!bytes || (lastKey && compareKeys(*lastKey, *bytes) >= 0)) return false;
      lastKey = std::move(*bytes);
      return true;
    };
    // The hash of each unique index's key of `values`, 0 when it takes any
    // number of rows (all NULL, or no key). A carried index's key is the one
    // Access stored for the current row.
    auto hashes = [&](const std::vector<Value>& values) {
      std::vector<std::uint64_t> out;
      for (UniqueKeys& u : unique) {
        key.clear();
        for (std::size_t p : u.shape.valuePositions) key.push_back(values[p]);
        // Jet's unique indexes take any number of keys that are all NULL.
        if (std::all_of(key.begin(), key.end(), [](const Value& v) { return isNull(v); })) {
          out.push_back(0);
          continue;
        }
        // A row whose key is not all NULL has an entry in each carried index
        // (the cursor's look-up requires it); the other indexes have none.
        const std::optional<std::vector<std::byte>>& stored = carried->keys()[u.position];
        auto bytes = stored ? Result<std::vector<std::byte>>(*stored) : encodeKey(u.shape.columns, key);
        if (!bytes) {
          out.push_back(0);
          continue;
        }
        const std::string_view view(reinterpret_cast<const char*>(bytes->data()), bytes->size());
        out.push_back(std::hash<std::string_view>{}(view) | 1);
      }
      return out;
    };
    const std::size_t rowsLostBefore = reader_.problems().lost(Loss::kRow);
    std::vector<std::uint32_t> read;  // where each row read is named: ascending
    for (std::uint64_t ordinal = 0;; ++ordinal) {
      JET_TRY(bool more, cursor.next());
      if (!more) break;
      if (!def.realIndexes.empty()) read.push_back(cursor.location().pointer());
      const std::vector<Value>& values = cursor.values();
      if (filter.leavesOut(values, cursor.location())) continue;
      if (nameColumn >= 0) {
        if (const Text* name = std::get_if<Text>(&values[static_cast<std::size_t>(nameColumn)])) {
          catalogNames.push_back(name->bytes);
        }
      }
      if (cursor.setAside()) {
        leftOut_[i].insert(ordinal);
        setAside_[i].insert(ordinal);
        ++rowsKept_;
        continue;
      }
      if (carried->any()) {
        if (Status s = carried->lookUp(cursor.location(), values); !s) {
          return cannotCarry(salvaged.displayName, s.error());
        }
        if (i == 0) noteCatalogKeys(values, carried->keys());
      }
      std::vector<std::uint64_t> keys = hashes(values);
      bool repeated = false;
      for (std::size_t k = 0; k < unique.size(); ++k) {
        if (keys[k] != 0 && !unique[k].seen.contains(keys[k])) continue;
        repeated = keys[k] != 0;
        if (repeated) break;
      }
      // A catalog row whose object's name repeats another's in its container
      // (the unique index on ParentId and Name) keeps its object under a
      // name of its own: "<name>_2", "<name>_3", ...
      if (repeated && nameColumn >= 0) {
        if (const Text* name = std::get_if<Text>(&values[static_cast<std::size_t>(nameColumn)])) {
          std::vector<Value> renamed = values;
          for (int n = 2; n < 1000 && repeated; ++n) {
            renamed[static_cast<std::size_t>(nameColumn)] = Value{Text{name->bytes + "_" + std::to_string(n)}};
            keys = hashes(renamed);
            repeated = false;
            for (std::size_t k = 0; k < unique.size(); ++k) repeated |= keys[k] != 0 && unique[k].seen.contains(keys[k]);
          }
          if (!repeated) {
            const std::string newName = std::get<Text>(renamed[static_cast<std::size_t>(nameColumn)]).bytes;
            renames_[i].emplace(ordinal, std::make_pair(static_cast<std::size_t>(nameColumn), newName));
            reader_.problems().add(errc::kDuplicateKey, salvaged.displayName, cursor.location().page,
                                   cursor.location().row,
                                   "objeto cuyo nombre repite el de otro en su contenedor; se llama ahora " +
                                       text.toUtf8(newName));
          }
        }
      }
      if (!repeated) {
        for (std::size_t k = 0; k < unique.size(); ++k) {
          if (keys[k] != 0) unique[k].seen.insert(keys[k]);
        }
      }
      if (repeated && !setAsideNames_[i].empty()) {
        leftOut_[i].insert(ordinal);
        setAside_[i].insert(ordinal);
        ++rowsKept_;
        reader_.problems().add(errc::kDuplicateKey, salvaged.displayName, cursor.location().page,
                               cursor.location().row,
                               "fila cuya clave repite la de otra en un índice único; se guarda "
                               "aparte, en la tabla " + text.toUtf8(setAsideNames_[i]),
                               Loss::kSetAside);
        continue;
      }
      if (repeated) {
        leftOut_[i].insert(ordinal);
        reader_.problems().add(errc::kDuplicateKey, salvaged.displayName, cursor.location().page,
                               cursor.location().row,
                               "fila cuya clave repite la de otra en un índice único; no se copia. "
                               "Valores: " + describeRow(values, text),
                               Loss::kRow);
        continue;
      }
      if (inKeyOrder) inKeyOrder = followsKeyOrder(values);
      ++rowsKept_;
    }
    keyOrder_[i] = inKeyOrder;
    // Rows that went without a word (a page's row count cut down, a page
    // that no longer names its table, ...) are still named by the indexes.
    if (reader_.problems().lost(Loss::kRow) == rowsLostBefore && readerIndex_[i] != 0) {
      JET_TRY(std::size_t missing, rowsOnlyIndexesName(salvaged, read));
      if (missing > 0) {
        reader_.problems().add(errc::kCorrupt, salvaged.displayName, def.page, -1,
                               std::to_string(missing) +
                                   " filas que los índices de la tabla nombran no se han podido "
                                   "leer; se pierden",
                               Loss::kRow, missing);
      } else if (def.rowCount > cursor.count()) {
        // Without an index to tell, the definition's count of rows (kept by
        // Access, not always exact) is the only word on rows that went.
        const std::uint64_t fewer = def.rowCount - cursor.count();
        reader_.problems().add(errc::kCorrupt, salvaged.displayName, def.page, -1,
                               "la definición anota " + std::to_string(def.rowCount) +
                                   " filas y se leen " + std::to_string(cursor.count()) +
                                   ": pueden haberse perdido " + std::to_string(fewer),
                               Loss::kRow, static_cast<std::size_t>(fewer));
      }
    }
  }
  scanned_ = true;
  return okStatus();
}

Result<std::size_t> SalvageSource::rowsOnlyIndexesName(const SalvagedTable& table,
                                                      const std::vector<std::uint32_t>& read) const {
  // An index whose walk meets damage is not believed: its entries may point
  // anywhere. Entries on pages that are no data pages of the table are not
  // rows of it.
  struct Counter final : DamageSink {
    void report(Finding) override { ++count; }
    std::size_t count = 0;
  };
  std::set<std::uint32_t> missing;
  for (const RealIndexDef& real : table.definition.realIndexes) {
    if (real.firstPage == 0) continue;
    IndexWalkTarget target;
    target.fetch = pageFetch(reader_.pages());
    target.pageCount = reader_.pages().pageCount();
    target.root = real.firstPage;
    target.owner = table.tdef();
    Counter damage;
    std::set<std::uint32_t> named;
    JET_TRY(IndexWalkSummary walked, walkIndex(target, damage, [&](const IndexEntry& e, std::uint32_t) {
      const std::uint32_t pointer = RowLocation{e.dataPage, e.dataRow}.pointer();
      if (reader_.census().isDataPageOf(e.dataPage, table.tdef()) &&
          !std::binary_search(read.begin(), read.end(), pointer)) {
        named.insert(pointer);
      }
    }));
    if (damage.count == 0 && walked.findings == 0) missing.insert(named.begin(), named.end());
  }
  return missing.size();
}

void SalvageSource::nameSetAsideTables(const std::vector<std::string>& taken) {
  // Jet's names are at most 64 characters.
  constexpr std::size_t kNameLimit = 64;
  std::vector<std::string> used = taken;
  for (const SourceTable& t : tables_) used.push_back(t.name);
  auto isUsed = [&](const std::string& name) {
    return std::any_of(used.begin(), used.end(),
                       [&](const std::string& u) { return equalsIgnoringAsciiCase(u, name); });
  };
  for (std::size_t i = 1; i < tables_.size(); ++i) {
    if (tables_[i].definition.isSystem() ||
        equalsIgnoringAsciiCase(std::string_view(tables_[i].name).substr(0, 4), "MSys")) {
      continue;
    }
    for (int n = 1; n < 1000; ++n) {
      const std::string suffix = n == 1 ? "_apartadas" : "_apartadas" + std::to_string(n);
      std::string base = tables_[i].name;
      if (base.size() > kNameLimit - suffix.size()) {
        base.resize(kNameLimit - suffix.size());
        // Never half of a double-byte character: cut back to plain ASCII.
        while (!base.empty() && static_cast<unsigned char>(base.back()) >= 0x80) base.pop_back();
      }
      std::string name = base + suffix;
      if (isUsed(name)) continue;
      used.push_back(name);
      setAsideNames_[i] = std::move(name);
      break;
    }
  }
}

namespace {

// The key values of `shape` in `values`, and whether every text among them
// is ASCII.
std::pair<std::vector<Value>, bool> keyValues(const IndexShape& shape, const std::vector<Value>& values) {
  std::vector<Value> key;
  bool ascii = true;
  for (std::size_t p : shape.valuePositions) {
    key.push_back(values[p]);
    if (const Text* t = std::get_if<Text>(&key.back())) {
      ascii = ascii && std::all_of(t->bytes.begin(), t->bytes.end(),
                                   [](char c) { return static_cast<unsigned char>(c) < 0x80; });
    }
  }
  return {std::move(key), ascii};
}

// The key of `key` with the carried text encoded in the General order.
Result<std::vector<std::byte>> generalKey(const IndexShape& shape, std::span<const Value> key) {
  std::vector<KeyColumn> columns = shape.columns;
  for (KeyColumn& c : columns) c.carried = false;
  return encodeKey(columns, key);
}

}  // namespace

void SalvageSource::noteCatalogKeys(const std::vector<Value>& values,
                                    std::span<const std::optional<std::vector<std::byte>>> stored) {
  const TableDefinition& def = tables_.front().definition;
  for (std::size_t r = 0; r < def.realIndexes.size() && r < stored.size(); ++r) {
    auto shape = indexShape(def, def.realIndexes[r]);
    if (!shape || !shape->carried || !stored[r]) continue;
    auto [key, ascii] = keyValues(*shape, values);
    if (!ascii) continue;
    auto general = generalKey(*shape, key);
    if (!general || *general != *stored[r]) {
      asciiKeyedOtherwise_ = true;
      continue;
    }
    for (const Value& v : key) {
      if (const Text* t = std::get_if<Text>(&v)) asciiKeyedAsGeneral_.insert(t->bytes.begin(), t->bytes.end());
    }
  }
}

Result<std::vector<std::optional<std::vector<std::byte>>>> SalvageSource::catalogKeysFor(
    const std::vector<Value>& values) const {
  const TableDefinition& def = tables_.front().definition;
  std::vector<std::optional<std::vector<std::byte>>> keys(def.realIndexes.size());
  for (std::size_t r = 0; r < def.realIndexes.size(); ++r) {
    JET_TRY(IndexShape shape, indexShape(def, def.realIndexes[r]));
    if (!shape.carried) continue;
    auto [key, ascii] = keyValues(shape, values);
    if (!shape.hasEntry(key)) continue;
    bool shown = ascii && !asciiKeyedOtherwise_;
    for (const Value& v : key) {
      if (const Text* t = std::get_if<Text>(&v)) {
        shown = shown && std::all_of(t->bytes.begin(), t->bytes.end(),
                                     [&](char c) { return asciiKeyedAsGeneral_.count(c) > 0; });
      }
    }
    if (!shown) {
      return Error(errc::kCannotRepair,
                   "el catálogo (MSysObjects) ordena los nombres con un orden de clasificación "
                   "que este programa no sabe reproducir, y la reparación tendría que añadirle "
                   "una fila cuyo nombre sus claves no enseñan a ordenar");
    }
    JET_TRY(std::vector<std::byte> general, generalKey(shape, key));
    keys[r] = std::move(general);
  }
  return keys;
}

std::vector<std::size_t> SalvageSource::tablesWithRowsSetAside() const {
  std::vector<std::size_t> out;
  for (std::size_t i = 0; i < tables_.size(); ++i) {
    if (!setAside_[i].empty()) out.push_back(i);
  }
  return out;
}

SourceTable SalvageSource::setAsideTable(std::size_t table) const {
  SourceTable t{setAsideNames_.at(table), 0, tables_.at(table).definition};
  t.definition.realIndexes.clear();
  t.definition.logicalIndexes.clear();
  return t;
}

std::vector<std::size_t> SalvageSource::recoveredTables() const {
  std::vector<std::size_t> out;
  for (std::size_t i = 0; i < tables_.size(); ++i) {
    if (reader_.tables()[readerIndex_[i]].recovered) out.push_back(i);
  }
  return out;
}

Result<std::unique_ptr<RowStream>> SalvageSource::rows(std::size_t table) {
  return stream(table, false);
}

Result<std::unique_ptr<RowStream>> SalvageSource::setAsideRows(std::size_t table) {
  return stream(table, true);
}

Result<std::unique_ptr<RowStream>> SalvageSource::stream(std::size_t table, bool setAside) {
  if (table >= tables_.size() || !scanned_) return Error(errc::kInvalidArgument);
  auto scratch = std::make_unique<ProblemList>(0);
  SalvageRowCursor cursor(reader_.pages(), reader_.census(), reader_.tables()[readerIndex_[table]],
                          settings_.header.codePage, *scratch);
  // The same rows in the same order as the first pass saw them.
  if (!setAsideNames_[table].empty()) cursor.setAsideIn(setAsideNames_[table]);
  const SourceTable aside = setAside ? setAsideTable(table) : SourceTable{};
  const TableDefinition& def = setAside ? aside.definition : tables_[table].definition;
  JET_TRY(CarriedKeys carried, CarriedKeys::read(pageFetch(reader_.pages()),
                                                 reader_.pages().pageCount(), def,
                                                 tables_[table].name));
  return std::unique_ptr<RowStream>(std::make_unique<Stream>(
      std::move(cursor), filterFor(table), leftOut_[table], setAside ? &setAside_[table] : nullptr,
      renames_[table], std::move(scratch), std::move(carried), !setAside && keyOrder_[table]));
}

}  // namespace jet
