// jetdb info FILE: the header page and a count of the catalog's objects.
#include <iostream>
#include <map>

#include "jet/format/header_page.h"
#include "jet/model/catalog.h"
#include "jet/model/properties.h"
#include "jet/model/text.h"
#include "tools/commands.h"
#include "tools/common.h"
#include "tools/value_format.h"

namespace jetdb {
namespace {

// Every catalog object with its properties, indented below it.
void listObjects(const jet::Catalog& catalog, const jet::TextDecoder& text,
                 jet::FindingList& damage) {
  for (const jet::CatalogEntry& e : catalog.entries()) {
    std::cout << "Id " << e.id << "  padre " << e.parentId << "  " << jet::catalogTypeName(e.type)
              << "  0x" << std::hex << e.flags << std::dec << "  " << text.toUtf8(e.name) << "\n";
    auto sets = jet::readProperties(e);
    if (!sets) {
      jet::Finding f;
      f.page = e.location.page;
      f.row = e.location.row;
      f.table = "MSysObjects";
      f.message = sets.error().description();
      damage.report(std::move(f));
      continue;
    }
    for (const jet::PropertySet& set : *sets) {
      std::string prefix = set.target.empty() ? "    " : "    [" + text.toUtf8(set.target) + "] ";
      for (const jet::Property& p : set.properties) {
        std::cout << prefix << text.toUtf8(p.name) << " = " << formatValue(p.value, text) << "\n";
      }
    }
  }
}

int runInfo(const std::string& file, bool objects) {
  auto db = openOrPrint(file);
  if (!db) return kExitError;
  const jet::HeaderPage& h = db->header();
  const jet::PageSource& pages = db->pages();
  std::cout << "Archivo:            " << file << "\n"
            << "Formato:            Jet 3 (Access 97), versión " << h.version << "\n"
            << "Tamaño de página:   " << jet::kPageSize << "\n"
            << "Páginas:            " << pages.pageCount() << "\n"
            << "Página de códigos:  " << h.codePage << "\n"
            << "Orden de texto:     0x" << std::hex << h.sortOrder << std::dec
            << (h.sortOrder == jet::header_page::kGeneralSortOrder ? " (General)" : "") << "\n"
            << "Cifrada:            " << (h.encrypted() ? "sí" : "no") << "\n"
            << "Contraseña:         " << (h.hasPassword() ? "sí" : "no") << "\n";
  if (h.created) {
    std::cout << "Creada (cabecera):  " << formatDateTime(h.created->days) << "\n";
  }
  for (const jet::Finding& f : db->openFindings().findings()) {
    std::cerr << f.toString() << "\n";
  }
  jet::FindingList damage;
  auto catalog = jet::Catalog::read(*db, &damage);
  if (!catalog) return printError(catalog.error());
  std::map<std::string, int> counts;
  for (const jet::CatalogEntry& e : catalog->entries()) {
    std::string kind = jet::catalogTypeName(e.type);
    if (e.isTable() && e.isSystem()) kind += " del sistema";
    ++counts[kind];
  }
  // Jet 3 headers hold no creation date; the database object MSysDb has one.
  for (const jet::CatalogEntry& e : catalog->entries()) {
    if (e.type == jet::catalog_type::kDatabase && e.name == "MSysDb" && e.created) {
      std::cout << "Creada:             " << formatDateTime(e.created->days) << "\n";
    }
  }
  std::cout << "Objetos del catálogo: " << catalog->entries().size() << "\n";
  for (const auto& [kind, n] : counts) std::cout << "  " << kind << ": " << n << "\n";
  if (objects) listObjects(*catalog, jet::TextDecoder(h.codePage), damage);
  for (const jet::Finding& f : damage.findings()) std::cerr << f.toString() << "\n";
  return damage.empty() && db->openFindings().empty() ? kExitOk : kExitFindings;
}

}  // namespace

void registerInfo(CLI::App& app, Commands& commands) {
  auto* cmd = app.add_subcommand("info", "Muestra la cabecera y el catálogo de la base de datos");
  auto file = std::make_shared<std::string>();
  auto objects = std::make_shared<bool>(false);
  cmd->add_option("FILE", *file, "Base de datos (.mdb)")->required();
  cmd->add_flag("--objects", *objects, "Lista cada objeto del catálogo con sus propiedades");
  cmd->callback([&commands, file, objects] {
    commands.selected = [file, objects] { return runInfo(*file, *objects); };
  });
}

}  // namespace jetdb
