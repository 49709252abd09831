// jetdb: the command-line tool over the engine.
//
// Exit status: 0 success (or a clean check), 1 findings, 2 an error, printed as
// its number and Spanish description.
#include <CLI/CLI.hpp>

#include <iostream>
#include <string>
#include <vector>

#include "jet/io/process_memory.h"
#include "tools/commands.h"
#include "tools/common.h"
#include "tools/console.h"

int main(int argc, char** argv) {
  jet::releaseBigBlocksWhenFreed();
  CLI::App app{"jetdb: lee, comprueba, repara y compacta bases de datos de Access 97"};
  app.require_subcommand(1);
  // Before the command or after it: the subcommands fall through to it.
  app.add_option("--password", jetdb::globalOptions().password,
                 "Contraseña de la base de datos, si tiene una");
  app.fallthrough();
  jetdb::Commands commands;
  jetdb::registerCommands(app, commands);
  std::vector<std::string> args = jetdb::prepareConsole(argc, argv);
  std::vector<char*> pointers;
  for (std::string& a : args) pointers.push_back(a.data());
  try {
    app.parse(static_cast<int>(pointers.size()), pointers.data());
  } catch (const CLI::ParseError& e) {
    int rc = app.exit(e);
    return rc == 0 ? 0 : jetdb::kExitError;
  }
  return commands.run();
}
