// jetdb compact SRC DST: writes a compacted copy of SRC to DST, a new file.
// Exit 0 on success, 2 with the error's number and description.
#include <iostream>

#include "jet/engine.h"
#include "jet/io/path_text.h"
#include "tools/commands.h"
#include "tools/common.h"

namespace jetdb {

void registerCompact(CLI::App& app, Commands& commands) {
  auto* cmd = app.add_subcommand("compact", "Escribe una copia compactada de la base de datos");
  auto source = std::make_shared<std::string>();
  auto destination = std::make_shared<std::string>();
  cmd->add_option("SRC", *source, "Base de datos de origen (.mdb)")->required();
  cmd->add_option("DST", *destination, "Base de datos nueva (no debe existir)")->required();
  cmd->callback([&commands, source, destination] {
    commands.selected = [source, destination] {
      jet::Status s = jet::compactDatabase(jet::pathFromUtf8(*source),
                                           jet::pathFromUtf8(*destination),
                                           globalOptions().password);
      if (!s) return printError(s.error());
      return kExitOk;
    };
  });
}

}  // namespace jetdb
