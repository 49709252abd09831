#include "jet/write/extra_tables_source.h"

#include <algorithm>

#include "jet/core/ascii.h"
#include "jet/format/catalog_ids.h"

namespace jet {
namespace {

// The owner Access records for the objects a user creates (MSysObjects.Owner
// of the user tables in every Access 97 file we have).
const std::vector<std::byte> kUserOwner{std::byte{0x03}, std::byte{0x01}};

// The base's rows of one table, then the added ones.
class ChainedStream final : public RowStream {
 public:
  ChainedStream(std::unique_ptr<RowStream> base, const std::vector<std::vector<Value>>* added,
                const AddedRowKeys* keys)
      : base_(std::move(base)), added_(added), keys_(keys) {}

  Result<bool> next() override {
    if (base_) {
      JET_TRY(bool more, base_->next());
      if (more) return true;
      base_.reset();
    }
    if (!added_ || next_ >= added_->size()) return false;
    current_ = (*added_)[next_++];
    if (keys_) {
      JET_TRY(currentKeys_, (*keys_)(current_));
    }
    return true;
  }
  const std::vector<Value>& values() const override { return base_ ? base_->values() : current_; }
  RowFate fate() const override { return base_ ? base_->fate() : RowFate::kLive; }
  // Added rows bring no stored keys: a carried index takes them only with
  // keys made for them.
  std::span<const std::optional<std::vector<std::byte>>> carriedKeys() const override {
    if (base_) return base_->carriedKeys();
    return currentKeys_;
  }
  // Added rows come after the base's, in no particular order.
  bool primaryKeyOrder() const override {
    return base_ && (!added_ || added_->empty()) && base_->primaryKeyOrder();
  }

 private:
  std::unique_ptr<RowStream> base_;
  const std::vector<std::vector<Value>>* added_;
  const AddedRowKeys* keys_;
  std::size_t next_ = 0;
  std::vector<Value> current_;
  std::vector<std::optional<std::vector<std::byte>>> currentKeys_;
};

}  // namespace

ExtraTablesSource::ExtraTablesSource(CompactionSource& base)
    : base_(&base), tables_(base.tables()), baseCount_(base.tables().size()) {}

std::int32_t ExtraTablesSource::unusedId() const {
  // Ids below 0x01000000 are table ids; start above every page a Jet 3 file
  // of the base's tables could use and go down to a free one.
  std::int32_t id = 0x00FFFFFF;
  while (std::any_of(tables_.begin(), tables_.end(),
                     [id](const SourceTable& t) { return t.sourceId == id; })) {
    --id;
  }
  return id;
}

std::size_t ExtraTablesSource::find(std::string_view name) const {
  for (std::size_t i = 0; i < tables_.size(); ++i) {
    if (equalsIgnoringAsciiCase(tables_[i].name, name)) return i;
  }
  return tables_.size();
}

Result<std::vector<Value>> ExtraTablesSource::catalogRow(const SourceTable& table,
                                                         DateTime created) const {
  if (tables_.empty()) return Error::corrupt(-1, "no hay MSysObjects");
  const TableDefinition& objects = tables_.front().definition;
  std::vector<Value> row(objects.columns.size());
  int found = 0;
  for (std::size_t i = 0; i < objects.columns.size(); ++i) {
    const std::string& c = objects.columns[i].name;
    if (equalsIgnoringAsciiCase(c, "Id")) row[i] = table.sourceId;
    else if (equalsIgnoringAsciiCase(c, "ParentId")) row[i] = catalog_id::kTablesContainer;
    else if (equalsIgnoringAsciiCase(c, "Name")) row[i] = Text{table.name};
    else if (equalsIgnoringAsciiCase(c, "Type")) row[i] = std::int16_t{1};
    else if (equalsIgnoringAsciiCase(c, "DateCreate") || equalsIgnoringAsciiCase(c, "DateUpdate")) row[i] = created;
    else if (equalsIgnoringAsciiCase(c, "Owner")) row[i] = Binary{kUserOwner};
    else if (equalsIgnoringAsciiCase(c, "Flags")) row[i] = std::int32_t{0};
    else continue;
    ++found;
  }
  if (found != 8) return Error::corrupt(-1, "MSysObjects no tiene las columnas de un objeto");
  return row;
}

Status ExtraTablesSource::checkNew(const SourceTable& table) const {
  if (find(table.name) != tables_.size() ||
      std::any_of(tables_.begin(), tables_.end(),
                  [&](const SourceTable& t) { return t.sourceId == table.sourceId; })) {
    return Error(errc::kInvalidArgument, table.name);
  }
  return okStatus();
}

Status ExtraTablesSource::addStreamedTable(SourceTable table, RowStreamFactory rows,
                                           DateTime created) {
  JET_CHECK(checkNew(table));
  JET_TRY(std::vector<Value> catalog, catalogRow(table, created));
  added_[0].push_back(std::move(catalog));
  factories_[tables_.size()] = std::move(rows);
  tables_.push_back(std::move(table));
  return okStatus();
}

Status ExtraTablesSource::addTable(SourceTable table, std::vector<std::vector<Value>> rows,
                                   DateTime created) {
  JET_CHECK(checkNew(table));
  for (const auto& row : rows) {
    if (row.size() != table.definition.columns.size()) return Error(errc::kInvalidArgument);
  }
  JET_TRY(std::vector<Value> catalog, catalogRow(table, created));
  added_[0].push_back(std::move(catalog));
  added_[tables_.size()] = std::move(rows);
  tables_.push_back(std::move(table));
  return okStatus();
}

Status ExtraTablesSource::appendRows(std::string_view table, std::vector<std::vector<Value>> rows) {
  const std::size_t at = find(table);
  if (at == tables_.size()) return Error(errc::kNoSuchTable, table);
  for (const auto& row : rows) {
    if (row.size() != tables_[at].definition.columns.size()) return Error(errc::kInvalidArgument);
  }
  auto& list = added_[at];
  list.insert(list.end(), std::make_move_iterator(rows.begin()), std::make_move_iterator(rows.end()));
  return okStatus();
}

Result<std::unique_ptr<RowStream>> ExtraTablesSource::rows(std::size_t table) {
  if (table >= tables_.size()) return Error(errc::kInvalidArgument);
  std::unique_ptr<RowStream> base;
  if (table < baseCount_) {
    JET_TRY(base, base_->rows(table));
  } else if (auto f = factories_.find(table); f != factories_.end()) {
    JET_TRY(base, f->second());
  }
  auto it = added_.find(table);
  auto keys = keys_.find(table);
  return std::unique_ptr<RowStream>(std::make_unique<ChainedStream>(
      std::move(base), it == added_.end() ? nullptr : &it->second,
      keys == keys_.end() ? nullptr : &keys->second));
}

Status ExtraTablesSource::keyAppendedRows(std::string_view table, AddedRowKeys keys) {
  const std::size_t at = find(table);
  if (at == tables_.size()) return Error(errc::kNoSuchTable, table);
  keys_[at] = std::move(keys);
  return okStatus();
}

}  // namespace jet
