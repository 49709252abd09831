// jetdb check FILE [--max N]: the structural check of the whole file.
// Prints the check's notes ("nota: ", what it could not judge), one line per
// finding (place first) and a summary; exit 0 when clean, 1 with findings, 2
// on an error.
#include <iostream>

#include "jet/check/checker.h"
#include "tools/commands.h"
#include "tools/common.h"

namespace jetdb {

void registerCheck(CLI::App& app, Commands& commands) {
  auto* cmd = app.add_subcommand("check", "Comprueba la estructura de toda la base de datos");
  auto file = std::make_shared<std::string>();
  auto max = std::make_shared<std::size_t>(500);
  cmd->add_option("FILE", *file, "Base de datos (.mdb)")->required();
  cmd->add_option("--max", *max, "Hallazgos que se muestran como máximo");
  cmd->callback([&commands, file, max] {
    commands.selected = [file, max] {
      auto db = openOrPrint(*file);
      if (!db) return kExitError;
      jet::CheckOptions options;
      options.maxFindings = *max;
      auto report = jet::checkDatabase(*db, options);
      if (!report) return printError(report.error());
      for (const jet::Finding& f : report->notes) std::cout << "nota: " << f.toString() << "\n";
      for (const jet::Finding& f : report->findings.findings()) std::cout << f.toString() << "\n";
      if (report->findings.dropped() > 0) {
        std::cout << "... y " << report->findings.dropped() << " hallazgos más\n";
      }
      std::cout << report->pages << " páginas, " << report->tables << " tablas, " << report->rows
                << " filas, " << report->indexes << " índices, " << report->indexEntries
                << " entradas de índice: ";
      if (report->clean()) {
        std::cout << "sin daños\n";
        return kExitOk;
      }
      std::cout << report->findings.total() << " hallazgos\n";
      return kExitFindings;
    };
  });
}

}  // namespace jetdb
