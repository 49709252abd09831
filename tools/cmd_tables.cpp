// jetdb tables FILE [--system]: the names of the tables, one per line.
#include <iostream>

#include "jet/model/catalog.h"
#include "jet/model/text.h"
#include "tools/commands.h"
#include "tools/common.h"

namespace jetdb {

void registerTables(CLI::App& app, Commands& commands) {
  auto* cmd = app.add_subcommand("tables", "Lista las tablas de la base de datos");
  auto file = std::make_shared<std::string>();
  auto system = std::make_shared<bool>(false);
  cmd->add_option("FILE", *file, "Base de datos (.mdb)")->required();
  cmd->add_flag("--system", *system, "Incluye las tablas del sistema (MSys...)");
  cmd->callback([&commands, file, system] {
    commands.selected = [file, system] {
      auto db = openOrPrint(*file);
      if (!db) return kExitError;
      auto catalog = jet::Catalog::read(*db);
      if (!catalog) return printError(catalog.error());
      jet::TextDecoder text(db->header().codePage);
      for (const jet::CatalogEntry* e : catalog->tables(*system)) {
        std::cout << text.toUtf8(e->name) << "\n";
      }
      return kExitOk;
    };
  });
}

}  // namespace jetdb
