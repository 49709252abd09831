// jetdb create FILE: a new, empty Access 97 database with its system tables.
// Exit 0 on success, 2 with the error's number and description (3204 when
// FILE exists).
#include "jet/io/path_text.h"
#include "jet/write/new_database.h"
#include "tools/commands.h"
#include "tools/common.h"

namespace jetdb {

void registerCreate(CLI::App& app, Commands& commands) {
  auto* cmd = app.add_subcommand("create", "Crea una base de datos de Access 97 vacía");
  auto file = std::make_shared<std::string>();
  cmd->add_option("FILE", *file, "Base de datos nueva (no debe existir)")->required();
  cmd->callback([&commands, file] {
    commands.selected = [file] {
      jet::Status s = jet::createDatabase(jet::pathFromUtf8(*file), jet::currentDateTime());
      if (!s) return printError(s.error());
      return kExitOk;
    };
  });
}

}  // namespace jetdb
