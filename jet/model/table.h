// A table: its name and its decoded definition, and a way to read its rows.
#pragma once

#include <cstdint>
#include <string>

#include "jet/core/result.h"
#include "jet/format/table_definition.h"
#include "jet/model/catalog.h"
#include "jet/model/database.h"
#include "jet/model/row_cursor.h"

namespace jet {

class Table {
 public:
  // Reads the definition on page `tdefPage`. Requires: `db` outlives the Table.
  static Result<Table> open(const Database& db, std::uint32_t tdefPage, std::string name = {});
  // The table a catalog entry names; fails with 3078 for nullptr or an entry
  // that is not a local table.
  static Result<Table> open(const Database& db, const CatalogEntry* entry);

  const std::string& name() const { return name_; }
  const TableDefinition& definition() const { return def_; }

  // A cursor over the rows in physical order (row_cursor.h). Requires: this
  // Table outlives the cursor.
  RowCursor rows(DamageSink* damage = nullptr) const {
    return RowCursor(*db_, def_, damage, name_);
  }

 private:
  Table(const Database& db, TableDefinition def, std::string name)
      : db_(&db), def_(std::move(def)), name_(std::move(name)) {}

  const Database* db_;
  TableDefinition def_;
  std::string name_;
};

}  // namespace jet
