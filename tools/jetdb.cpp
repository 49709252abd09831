// jetdb: the command-line tool over the engine.
//
// Exit status: 0 success (or a clean check), 1 findings, 2 an error, printed as
// its number and Spanish description.
#include <CLI/CLI.hpp>

#include <iostream>

#include "tools/commands.h"
#include "tools/common.h"

int main(int argc, char** argv) {
  CLI::App app{"jetdb: lee, comprueba, repara y compacta bases de datos de Access 97"};
  app.require_subcommand(1);
  // Before the command or after it: the subcommands fall through to it.
  app.add_option("--password", jetdb::globalOptions().password,
                 "Contraseña de la base de datos, si tiene una");
  app.fallthrough();
  jetdb::Commands commands;
  jetdb::registerCommands(app, commands);
  try {
    app.parse(argc, argv);
  } catch (const CLI::ParseError& e) {
    int rc = app.exit(e);
    return rc == 0 ? 0 : jetdb::kExitError;
  }
  return commands.run();
}
