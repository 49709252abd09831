// jetdb check FILE [--max N]: the structural check of the whole file.
// Prints one line per finding of damage (place first), then, apart, what
// Access itself leaves in a healthy file (space to reclaim, stale
// statistics) and the indexes whose keys it could not judge, then a summary;
// exit 0 when there is no damage, 1 with damage, 2 on an error.
#include <iostream>

#include "jet/check/checker.h"
#include "tools/commands.h"
#include "tools/common.h"

namespace jetdb {
namespace {

constexpr auto kUnchecked = jet::FindingKind::kUncheckedKeys;

// The findings of `list` whose kind is `kind` (with `allBut`, every other one).
void printList(const jet::FindingList& list, const char* indent,
               jet::FindingKind kind = kUnchecked, bool allBut = true) {
  for (const jet::Finding& f : list.findings()) {
    if ((f.kind == kind) != allBut) std::cout << indent << f.toString() << "\n";
  }
  if (list.dropped() > 0) std::cout << indent << "... y " << list.dropped() << " más\n";
}

// "; 3 notas de lo que deja Access (2 de espacio recuperable, 1 de ...)" and
// "; 2 índices con claves sin comprobar"
std::string notesSummary(const jet::FindingList& notes) {
  std::string parts, out;
  std::uint64_t left = 0;
  for (auto kind : {jet::FindingKind::kReclaimableSpace, jet::FindingKind::kStaleStatistic}) {
    if (notes.total(kind) == 0) continue;
    if (!parts.empty()) parts += ", ";
    parts += std::to_string(notes.total(kind)) + " de " + jet::findingKindName(kind);
    left += notes.total(kind);
  }
  if (left > 0) {
    out = "; " + std::to_string(left) + (left == 1 ? " nota" : " notas") +
          " de lo que deja Access (" + parts + ")";
  }
  if (const std::uint64_t n = notes.total(kUnchecked); n > 0) {
    out += "; " + std::to_string(n) + (n == 1 ? " índice" : " índices") + " con " +
           jet::findingKindName(kUnchecked);
  }
  return out;
}

int run(const std::string& file, std::size_t max) {
  // The check shows nothing of the contents: it needs no password.
  auto db = openOrPrint(file, jet::Database::Access::kInspect);
  if (!db) return kExitError;
  jet::CheckOptions options;
  options.maxFindings = max;
  auto report = jet::checkDatabase(*db, options);
  if (!report) return printError(report.error());
  printList(report->findings, "");
  if (report->notes.total() > report->notes.total(kUnchecked)) {
    std::cout << "Lo que deja Access, que no es daño (una compactación lo quita):\n";
    printList(report->notes, "  ");
  }
  if (report->notes.total(kUnchecked) > 0) {
    std::cout << "Índices en un orden de clasificación que este programa no reproduce "
                 "(se comprueban sus filas, no sus claves):\n";
    printList(report->notes, "  ", kUnchecked, false);
  }
  std::cout << report->pages << " páginas, " << report->tables << " tablas, " << report->rows
            << " filas, " << report->indexes << " índices, " << report->indexEntries
            << " entradas de índice: ";
  if (report->clean()) {
    std::cout << "sin daños" << notesSummary(report->notes) << "\n";
    return kExitOk;
  }
  std::cout << report->findings.total() << " hallazgos" << notesSummary(report->notes) << "\n";
  return kExitFindings;
}

}  // namespace

void registerCheck(CLI::App& app, Commands& commands) {
  auto* cmd = app.add_subcommand("check", "Comprueba la estructura de toda la base de datos");
  auto file = std::make_shared<std::string>();
  auto max = std::make_shared<std::size_t>(500);
  cmd->add_option("FILE", *file, "Base de datos (.mdb)")->required();
  cmd->add_option("--max", *max, "Hallazgos que se muestran como máximo");
  cmd->add_flag("--debug", globalOptions().debug,
                "Dice en qué lugar del motor se detectó un error");
  cmd->callback([&commands, file, max] {
    commands.selected = [file, max] { return run(*file, *max); };
  });
}

}  // namespace jetdb
