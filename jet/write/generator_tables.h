// The definitions of the generator's tables (generator.h).
#pragma once

#include <vector>

#include "jet/format/table_definition.h"

namespace jet::generator {

enum class TableKind { kClientes, kPedidos, kDocumentos };

struct GeneratedTable {
  TableKind kind;
  const char* name;
  TableDefinition definition;
  double share;  // part of the size it carries
};

std::vector<GeneratedTable> generatedTables();

}  // namespace jet::generator
