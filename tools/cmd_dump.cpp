// jetdb dump FILE [TABLE...] [--format csv|json] [--system]
//
// Writes the rows of the named tables (all local tables when none is named;
// system tables too with --system) in physical order. CSV: a header line of
// column names, then one line per row (value_format.h). When several tables
// are written as CSV, each block starts with a line "[name]" and blocks are
// separated by an empty line. Text is shown in the code page the database
// declares, or the one --codepage names (docs/format.md, "Text": the declared one may be
// wrong). JSON: one object whose members are the tables,
// each an array of row objects. Damage met on the way is printed on stderr and
// makes the exit status 1; rows that read cleanly are still written.
#include <cstdio>
#include <iostream>

#include "jet/model/catalog.h"
#include "jet/model/table.h"
#include "jet/model/text.h"
#include "tools/commands.h"
#include "tools/common.h"
#include "tools/value_format.h"

namespace jetdb {
namespace {

// Buffered standard output.
class Output {
 public:
  ~Output() { flush(); }
  Output& operator<<(std::string_view s) {
    buffer_.append(s);
    if (buffer_.size() > (1 << 16)) flush();
    return *this;
  }
  void flush() {
    std::fwrite(buffer_.data(), 1, buffer_.size(), stdout);
    buffer_.clear();
  }

 private:
  std::string buffer_;
};

struct DumpOptions {
  std::string file;
  std::vector<std::string> tables;
  std::string format = "csv";
  bool system = false;
  int codePage = 0;  // 0: the one the database declares
};

// Writes one table; returns false when reading stopped on an error.
bool dumpTable(const jet::Table& table, const jet::TextDecoder& text, bool json, Output& out,
               jet::DamageSink& damage) {
  const auto& columns = table.definition().columns;
  std::vector<std::string> names;
  for (const auto& c : columns) names.push_back(text.toUtf8(c.name));
  if (!json) {
    for (std::size_t i = 0; i < names.size(); ++i) out << (i ? "," : "") << csvField(names[i]);
    out << "\n";
  }
  jet::RowCursor rows = table.rows(&damage);
  bool first = true;
  while (true) {
    auto more = rows.next();
    if (!more) {
      printError(more.error());
      return false;
    }
    if (!*more) break;
    const auto& values = rows.values();
    if (json) {
      out << (first ? "\n    {" : ",\n    {");
      for (std::size_t i = 0; i < values.size(); ++i) {
        out << (i ? ", " : "") << jsonString(names[i])
            << ": " << jsonValue(values[i], text);
      }
      out << "}";
    } else {
      for (std::size_t i = 0; i < values.size(); ++i) {
        if (i) out << ",";
        if (!jet::isNull(values[i])) out << csvField(formatValue(values[i], text));
      }
      out << "\n";
    }
    first = false;
  }
  if (json) out << (first ? "]" : "\n  ]");
  return true;
}

int runDump(const DumpOptions& o) {
  if (o.format != "csv" && o.format != "json") {
    return printError(jet::Error(jet::errc::kInvalidArgument));
  }
  const bool json = o.format == "json";
  auto db = openOrPrint(o.file);
  if (!db) return kExitError;
  jet::FindingList damage;
  auto catalog = jet::Catalog::read(*db, &damage);
  if (!catalog) return printError(catalog.error());
  jet::TextDecoder text(o.codePage ? o.codePage : db->header().codePage);
  std::vector<const jet::CatalogEntry*> chosen;
  if (o.tables.empty()) {
    chosen = catalog->tables(o.system);
  } else {
    // Names come in UTF-8; the catalog holds them in the code page.
    for (const std::string& name : o.tables) {
      const std::string bytes = jet::fromUtf8(name, text.codePage());
      const jet::CatalogEntry* e =
          text.toUtf8(bytes) == name ? catalog->findTable(bytes) : nullptr;
      if (!e) return printError(jet::Error(jet::errc::kNoSuchTable, name));
      chosen.push_back(e);
    }
  }
  Output out;
  int status = kExitOk;
  if (json) out << "{";
  for (std::size_t i = 0; i < chosen.size(); ++i) {
    auto table = jet::Table::open(*db, chosen[i]);
    if (!table) {
      out.flush();
      printError(table.error());
      status = kExitError;
      continue;
    }
    const std::string name = text.toUtf8(table->name());
    if (json) {
      out << (i ? ",\n  " : "\n  ")
          << jsonString(name)
          << ": [";
    } else if (chosen.size() > 1) {
      out << (i ? "\n[" : "[") << name << "]\n";
    }
    if (!dumpTable(*table, text, json, out, damage)) status = kExitError;
  }
  if (json) out << (chosen.empty() ? "}\n" : "\n}\n");
  out.flush();
  for (const jet::Finding& f : damage.findings()) std::cerr << f.toString() << "\n";
  if (status == kExitOk && !damage.empty()) status = kExitFindings;
  return status;
}

}  // namespace

void registerDump(CLI::App& app, Commands& commands) {
  auto* cmd = app.add_subcommand("dump", "Escribe las filas de las tablas en CSV o JSON");
  auto o = std::make_shared<DumpOptions>();
  cmd->add_option("FILE", o->file, "Base de datos (.mdb)")->required();
  cmd->add_option("TABLE", o->tables, "Tablas que escribir (todas si no se nombra ninguna)");
  cmd->add_option("--format", o->format, "csv o json")->check(CLI::IsMember({"csv", "json"}));
  cmd->add_flag("--system", o->system, "Incluye las tablas del sistema (MSys...)");
  cmd->add_option("--codepage", o->codePage,
                  "Página de códigos del texto, si no es la que declara la base (p. ej. 936)");
  cmd->callback([&commands, o] { commands.selected = [o] { return runDump(*o); }; });
}

}  // namespace jetdb
