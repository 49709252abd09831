// jetdb page FILE N: one page, labelled. First the page's kind and the fields
// of its header as its kind lays them out (jet/format/), then every byte in
// hex with its text, 16 a line. Page 0's masked part is shown as stored.
#include <cstdio>
#include <iostream>
#include <string>

#include "jet/format/data_page.h"
#include "jet/format/header_page.h"
#include "jet/format/index_page.h"
#include "jet/format/table_definition.h"
#include "jet/format/usage_map.h"
#include "tools/commands.h"
#include "tools/common.h"

namespace jetdb {
namespace {

// One labelled field: "  0x04 propietario (u32): 12".
template <class T>
void field(std::size_t offset, const char* name, const std::optional<T>& value) {
  char at[16];
  std::snprintf(at, sizeof at, "0x%02zX", offset);
  std::cout << "  " << at << " " << name << ": ";
  if (value) std::cout << static_cast<std::uint64_t>(*value) << "\n";
  else std::cout << "(fuera de la página)\n";
}

// A row pointer field: "  0x23 mapa de uso: página 6, fila 0".
void pointerField(std::size_t offset, const char* name, const std::optional<std::uint32_t>& value) {
  if (!value) return field(offset, name, value);
  const jet::RowLocation at = jet::RowLocation::fromPointer(*value);
  char text[16];
  std::snprintf(text, sizeof text, "0x%02zX", offset);
  std::cout << "  " << text << " " << name << ": página " << at.page << ", fila "
            << unsigned{at.row} << "\n";
}

void dataFields(const jet::ByteView& v) {
  using namespace jet::data_page;
  std::cout << "página de datos\n";
  field(kFreeSpace, "espacio libre", v.u16(kFreeSpace));
  field(kOwner, "definición propietaria", v.u32(kOwner));
  const auto rows = v.u16(kRowCount);
  field(kRowCount, "filas", rows);
  for (std::size_t r = 0; rows && r < *rows && r < kMaxRows; ++r) {
    const auto slot = v.u16(kRowOffsets + r * kSlotSize);
    if (!slot) break;
    const char* kind = (*slot & kDeleted) == kDeleted ? " borrada"
                       : (*slot & kMoved)             ? " desplazada"
                       : (*slot & kNotLive)           ? " cuerpo desplazado"
                                                      : "";
    std::cout << "    fila " << r << ": desde " << (*slot & kOffsetMask) << kind << "\n";
  }
}

void definitionFields(const jet::ByteView& v) {
  using namespace jet::tdef;
  std::cout << "definición de tabla\n";
  field(kNextPage, "página siguiente", v.u32(kNextPage));
  field(kLength, "longitud", v.u32(kLength));
  field(kRowCount, "filas", v.u32(kRowCount));
  field(kAutoNumber, "último autonumérico", v.u32(kAutoNumber));
  field(kTableType, "tipo de tabla", v.u8(kTableType));
  field(kColumnsCreated, "columnas creadas", v.u16(kColumnsCreated));
  field(kVarColumns, "columnas variables creadas", v.u16(kVarColumns));
  field(kColumnCount, "columnas", v.u16(kColumnCount));
  field(kLogicalIndexCount, "índices lógicos", v.u32(kLogicalIndexCount));
  field(kRealIndexCount, "índices reales", v.u32(kRealIndexCount));
  pointerField(kUsageMap, "mapa de uso", v.u32(kUsageMap));
  pointerField(kFreeMap, "mapa de espacio libre", v.u32(kFreeMap));
}

void indexFields(const jet::ByteView& v, bool leaf) {
  using namespace jet::index_page;
  std::cout << (leaf ? "página hoja de índice\n" : "página intermedia de índice\n");
  field(kFreeSpace, "espacio libre", v.u16(kFreeSpace));
  field(kOwner, "definición propietaria", v.u32(kOwner));
  field(kPrevPage, "página anterior", v.u32(kPrevPage));
  field(kNextPage, "página siguiente", v.u32(kNextPage));
  field(kTailPage, "último hijo", v.u32(kTailPage));
  field(kPrefixLength, "prefijo común", v.u8(kPrefixLength));
  field(kLevelFlag, "nivel", v.u8(kLevelFlag));
}

void headerFields(const jet::ByteView& v) {
  using namespace jet::header_page;
  std::cout << "cabecera de la base de datos\n";
  field(kVersion, "versión", v.u32(kVersion));
  std::cout << "  desde 0x18: " << kMaskedLength
            << " bytes enmascarados (jetdb info los muestra)\n";
}

// Hex and text, 16 bytes a line: "0x0010  01 02 ... |..Jet...........|".
void dump(const jet::Page& page) {
  for (std::size_t at = 0; at < jet::kPageSize; at += 16) {
    char line[96];
    int n = std::snprintf(line, sizeof line, "0x%04zX ", at);
    std::string text;
    for (std::size_t i = 0; i < 16; ++i) {
      const auto b = std::to_integer<unsigned>(page.bytes[at + i]);
      n += std::snprintf(line + n, sizeof line - static_cast<std::size_t>(n), " %02X", b);
      text += b >= 0x20 && b < 0x7F ? static_cast<char>(b) : '.';
    }
    std::cout << line << "  |" << text << "|\n";
  }
}

}  // namespace

void registerPage(CLI::App& app, Commands& commands) {
  auto* cmd = app.add_subcommand("page", "Muestra una página: sus campos y sus bytes");
  auto file = std::make_shared<std::string>();
  auto number = std::make_shared<std::uint32_t>(0);
  cmd->add_option("FILE", *file, "Base de datos (.mdb)")->required();
  cmd->add_option("N", *number, "Número de página")->required();
  cmd->callback([&commands, file, number] {
    commands.selected = [file, number] {
      auto db = openOrPrint(*file);
      if (!db) return kExitError;
      auto page = db->pages().read(*number);
      if (!page) return printError(page.error());
      const jet::ByteView v = (*page)->view();
      char type[8];
      std::snprintf(type, sizeof type, "0x%02X", unsigned{(*page)->type()});
      std::cout << "Página " << *number << ": tipo " << type << ", ";
      switch ((*page)->type()) {
        case 0x00: headerFields(v); break;
        case jet::data_page::kPageType: dataFields(v); break;
        case jet::tdef::kPageType: definitionFields(v); break;
        case jet::index_page::kTypeIntermediate: indexFields(v, false); break;
        case jet::index_page::kTypeLeaf: indexFields(v, true); break;
        case jet::usage_map::kMapPageType: std::cout << "página de mapa de uso\n"; break;
        default: std::cout << "tipo desconocido\n"; break;
      }
      dump(**page);
      return kExitOk;
    };
  });
}

}  // namespace jetdb
