// jetdb generate FILE --megabytes M [--seed S]: a new database of about M
// MiB (1 to 1000) with tables of every column type and index kind, long
// values of every form, deleted and moved rows (jet/write/generator.h). The
// same options give the same file. Exit 0, or 2 with the error.
#include <iostream>

#include "jet/io/path_text.h"
#include "jet/write/generator.h"
#include "jet/write/new_database.h"
#include "tools/commands.h"
#include "tools/common.h"

namespace jetdb {

void registerGenerate(CLI::App& app, Commands& commands) {
  auto* cmd = app.add_subcommand("generate", "Genera una base de datos de prueba");
  auto file = std::make_shared<std::string>();
  auto options = std::make_shared<jet::GenerateOptions>();
  cmd->add_option("FILE", *file, "Base de datos nueva (no debe existir)")->required();
  cmd->add_option("--megabytes", options->megabytes, "Tamaño aproximado en MiB (1 a 1000)")
      ->required();
  cmd->add_option("--seed", options->seed, "Semilla (la misma semilla da el mismo archivo)");
  cmd->callback([&commands, file, options] {
    commands.selected = [file, options] {
      auto report = jet::generateDatabase(jet::pathFromUtf8(*file), *options);
      if (!report) return printError(report.error());
      std::cout << report->rows << " filas, " << report->deleted << " borradas, "
                << report->moved << " desplazadas\n";
      return kExitOk;
    };
  });
}

}  // namespace jetdb
