#include "jet/write/generator_tables.h"

#include "jet/format/header_page.h"

namespace jet::generator {
namespace {

// Columns as Access defines them in a table a user designs: the General
// sort order and code page 1252 on every column, the column number twice,
// 0x0001 in bytes 7-8; fixed types fixed; every column nullable.
class Columns {
 public:
  Columns& add(const char* name, ColumnType type, std::uint16_t length = 0,
               std::uint8_t extraFlags = 0) {
    ColumnDef c;
    c.name = name;
    c.type = type;
    c.typeCode = static_cast<std::uint8_t>(type);
    c.number = c.number2 = static_cast<std::uint16_t>(def_.columns.size());
    c.misc = 1;
    c.sortOrder = header_page::kGeneralSortOrder;
    c.codePage = header_page::kWesternCodePage;
    const bool fixed = fixedSize(type) != 0 || type == ColumnType::kBool;
    c.flags = static_cast<std::uint8_t>(column_block::kNullableFlag |
                                        (fixed ? column_block::kFixedFlag : 0) | extraFlags);
    c.length = fixed ? static_cast<std::uint16_t>(type == ColumnType::kBool ? 1 : fixedSize(type))
                     : length;
    def_.columns.push_back(c);
    return *this;
  }

  // A real index and the logical index that shows it.
  Columns& index(const char* name, std::vector<IndexColumn> columns, std::uint8_t flags,
                 bool primary = false) {
    RealIndexDef r;
    r.position = static_cast<std::uint32_t>(def_.realIndexes.size());
    r.columns = std::move(columns);
    r.flags = flags;
    LogicalIndexDef l;
    l.name = name;
    l.number = r.position;
    l.realIndex = r.position;
    l.kind = primary ? logical_index_block::kPrimaryKey : 0;
    l.cascadeUpdates = l.cascadeDeletes = 4;  // as Access writes them outside relationships
    def_.realIndexes.push_back(std::move(r));
    def_.logicalIndexes.push_back(std::move(l));
    return *this;
  }

  TableDefinition done() {
    def_.tableType = tdef::kUserTable;
    def_.columnsCreated = static_cast<std::uint16_t>(def_.columns.size());
    return std::move(def_);
  }

 private:
  TableDefinition def_;
};

using real_index_block::kIgnoreNullsFlag;
using real_index_block::kRequiredFlag;
using real_index_block::kUniqueFlag;
constexpr std::uint8_t kPrimary = kUniqueFlag | kRequiredFlag;

}  // namespace

std::vector<GeneratedTable> generatedTables() {
  std::vector<GeneratedTable> tables;
  tables.push_back(
      {TableKind::kClientes, "Clientes",
       Columns()
           .add("Id", ColumnType::kLong, 0, column_block::kAutoNumberFlag)
           .add("Activo", ColumnType::kBool)
           .add("Categoria", ColumnType::kByte)
           .add("Prioridad", ColumnType::kInt)
           .add("Puntos", ColumnType::kLong)
           .add("Saldo", ColumnType::kMoney)
           .add("Ratio", ColumnType::kFloat)
           .add("Indice", ColumnType::kDouble)
           .add("Alta", ColumnType::kDateTime)
           .add("Nombre", ColumnType::kText, 50)
           .add("Ciudad", ColumnType::kText, 30)
           .add("Codigo", ColumnType::kBinary, 16)
           .add("Notas", ColumnType::kMemo)
           .add("Foto", ColumnType::kOle)
           .add("Guid", ColumnType::kGuid)
           .index("PrimaryKey", {{0, true}}, kPrimary, true)
           .index("Nombre", {{9, true}}, 0)
           .index("CiudadAlta", {{10, true}, {8, false}}, 0)
           .index("Guid", {{14, true}}, kUniqueFlag)
           .index("PuntosDesc", {{4, false}}, kIgnoreNullsFlag)
           .done(),
       0.15});
  tables.push_back({TableKind::kPedidos, "Pedidos",
                    Columns()
                        .add("ClienteId", ColumnType::kLong)
                        .add("Linea", ColumnType::kInt)
                        .add("Fecha", ColumnType::kDateTime)
                        .add("Importe", ColumnType::kMoney)
                        .add("Descripcion", ColumnType::kText, 100)
                        .add("Pagado", ColumnType::kBool)
                        .add("Comentario", ColumnType::kMemo)
                        .index("PrimaryKey", {{0, true}, {1, true}}, kPrimary, true)
                        .index("FechaDesc", {{2, false}}, 0)
                        .index("Descripcion", {{4, true}}, 0)
                        .done(),
                    0.15});
  tables.push_back({TableKind::kDocumentos, "Documentos",
                    Columns()
                        .add("Id", ColumnType::kLong, 0, column_block::kAutoNumberFlag)
                        .add("Titulo", ColumnType::kText, 255)
                        .add("Contenido", ColumnType::kMemo)
                        .add("Adjunto", ColumnType::kOle)
                        .add("Paginas", ColumnType::kInt)
                        .index("PrimaryKey", {{0, true}}, kPrimary, true)
                        .index("Titulo", {{1, true}}, 0)
                        .done(),
                    0.70});
  return tables;
}

}  // namespace jet::generator
