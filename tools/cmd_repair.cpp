// jetdb repair FILE [--dry-run] [--max N]: repairs a database in place
// (jet/rebuild/repair.h).
//
// A healthy database is left as it is: "sin daños", exit 0. A damaged one is
// rebuilt from what can be read; the command prints what the check found,
// what the salvage dropped or changed (the rows of MSysCompactError), where
// the damaged file was kept, and exits 0 ("Reparada") when nothing of the
// user's data was lost, 1 ("Reparada con pérdidas", with what was lost) when
// a table, rows or values were, or rows had to be set aside. With --dry-run nothing is written: the same
// lists, then what repair would do, and exit 1 when there is damage (0 when
// healthy). Any error: its number and Spanish description, exit 2; the
// database is then as it was.
#include <iostream>
#include <string>
#include <vector>

#include "jet/io/path_text.h"
#include "jet/rebuild/repair.h"
#include "tools/commands.h"
#include "tools/common.h"

namespace jetdb {
namespace {

void printFindings(const jet::RepairReport& r) {
  std::cout << "Comprobación: " << r.findingsTotal << " hallazgos\n";
  for (const jet::Finding& f : r.findings) std::cout << "  " << f.toString() << "\n";
  if (r.findingsTotal > r.findings.size()) {
    std::cout << "  ... y " << r.findingsTotal - r.findings.size() << " más\n";
  }
  std::cout << "Recuperación: " << r.problems.total() << " problemas\n";
  for (const jet::Problem& p : r.problems.problems()) {
    std::cout << "  " << p.code << " " << p.where.toString() << "\n";
  }
  if (r.problems.dropped() > 0) std::cout << "  ... y " << r.problems.dropped() << " más\n";
  for (const std::string& t : r.recoveredTables) std::cout << "Tabla recuperada: " << t << "\n";
  for (const std::string& t : r.lostTables) std::cout << "Tabla perdida: " << t << "\n";
  for (const std::string& t : r.setAsideTables) {
    std::cout << "Filas apartadas (no caben en su tabla) en la tabla nueva: " << t << "\n";
  }
}

// "2 tablas, 5 filas o páginas de filas y 1 valor" (only the kinds lost).
std::string losses(const jet::RepairReport& r) {
  const auto& p = r.problems;
  std::vector<std::string> parts;
  auto part = [&](std::size_t n, const char* one, const char* many) {
    if (n > 0) parts.push_back(std::to_string(n) + " " + (n == 1 ? one : many));
  };
  part(p.lost(jet::Loss::kTable), "tabla", "tablas");
  part(p.lost(jet::Loss::kRow), "fila o página de filas", "filas o páginas de filas");
  part(p.lost(jet::Loss::kValue), "valor", "valores");
  std::string out;
  for (std::size_t i = 0; i < parts.size(); ++i) {
    if (i > 0) out += i + 1 == parts.size() ? " y " : ", ";
    out += parts[i];
  }
  return out;
}

// "se pierden 5 filas; 2 filas se apartan de su tabla" (what applies);
// `verb`: the plural ("se pierden"), `one` its singular ("se pierde").
std::string cost(const jet::RepairReport& r, const char* verb, const char* one) {
  const auto& p = r.problems;
  const std::size_t lostTotal = p.lost(jet::Loss::kTable) + p.lost(jet::Loss::kRow) + p.lost(jet::Loss::kValue);
  std::string out;
  if (const std::string lost = losses(r); !lost.empty()) {
    out = std::string(lostTotal == 1 ? one : verb) + " " + lost;
  }
  if (const std::size_t aside = r.problems.lost(jet::Loss::kSetAside); aside > 0) {
    if (!out.empty()) out += "; ";
    out += std::to_string(aside) + (aside == 1 ? " fila se aparta" : " filas se apartan") +
           " de su tabla";
  }
  return out;
}

int run(const std::string& file, bool dryRun, std::size_t max) {
  jet::RepairOptions options;
  options.dryRun = dryRun;
  options.maxFindings = max;
  options.password = globalOptions().password;
  auto report = jet::repair(jet::pathFromUtf8(file), options);
  if (!report) return printError(report.error());
  if (!report->damaged) {
    std::cout << "sin daños: no hay nada que reparar\n";
    return kExitOk;
  }
  printFindings(*report);
  if (dryRun) {
    if (report->lostData()) std::cout << "Con pérdidas: " << cost(*report, "se perderían", "se perdería") << "\n";
    std::cout << "Se reconstruiría la base de datos con " << report->rowsKept
              << " filas; la copia dañada se guardaría como "
              << jet::utf8Of(jet::damagedCopyName(jet::pathFromUtf8(file), 1).filename())
              << " (u otro nombre libre) y MSysCompactError anotaría los problemas\n";
    return kExitFindings;
  }
  if (report->lostData()) {
    std::cout << "Reparada con pérdidas (" << cost(*report, "se pierden", "se pierde")
              << "; detalle en MSysCompactError): se conservan "
              << report->rowsKept << " filas; la copia dañada se guarda como "
              << report->backup.string() << "\n";
    return kExitFindings;
  }
  std::cout << "Reparada: " << report->rowsKept << " filas; la copia dañada se guarda como "
            << jet::utf8Of(report->backup) << "\n";
  return kExitOk;
}

}  // namespace

void registerRepair(CLI::App& app, Commands& commands) {
  auto* cmd = app.add_subcommand("repair", "Repara la base de datos en su sitio");
  auto file = std::make_shared<std::string>();
  auto dryRun = std::make_shared<bool>(false);
  auto max = std::make_shared<std::size_t>(500);
  cmd->add_option("FILE", *file, "Base de datos (.mdb)")->required();
  cmd->add_flag("--dry-run", *dryRun, "Solo dice lo que haría; no escribe nada");
  cmd->add_option("--max", *max, "Hallazgos de la comprobación que se muestran como máximo");
  cmd->callback([&commands, file, dryRun, max] {
    commands.selected = [file, dryRun, max] { return run(*file, *dryRun, *max); };
  });
}

}  // namespace jetdb
