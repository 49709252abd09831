#include "jet/model/table.h"

namespace jet {

Result<Table> Table::open(const Database& db, std::uint32_t tdefPage, std::string name) {
  JET_TRY(TableDefinition def, readTableDefinition(db.pages(), tdefPage));
  return Table(db, std::move(def), std::move(name));
}

Result<Table> Table::open(const Database& db, const CatalogEntry* entry) {
  if (!entry || !entry->isTable()) {
    return Error(errc::kNoSuchTable, entry ? entry->name : std::string());
  }
  return open(db, entry->tablePage(), entry->name);
}

}  // namespace jet
