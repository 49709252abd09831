#include "jet/model/index_shape.h"

#include <string>

#include "jet/format/header_page.h"

namespace jet {

bool encodesSortOrder(std::uint16_t sortOrder) {
  return sortOrder == header_page::kGeneralSortOrder;
}

bool IndexShape::hasEntry(std::span<const Value> keyValues) const {
  if (!ignoreNulls) return true;
  for (const Value& v : keyValues) {
    if (!isNull(v)) return true;
  }
  return false;
}

Result<IndexShape> indexShape(const TableDefinition& table, const RealIndexDef& index) {
  IndexShape shape;
  shape.unique = index.unique();
  shape.ignoreNulls = index.ignoreNulls();
  if (index.columns.empty() || index.columns.size() > index_key::kColumnLimit) {
    return Error::corrupt(table.page, "índice sin columnas o con demasiadas");
  }
  for (const IndexColumn& ic : index.columns) {
    std::size_t position = 0;
    while (position < table.columns.size() && table.columns[position].number != ic.column) {
      ++position;
    }
    if (position == table.columns.size()) {
      return Error::corrupt(table.page, "el índice usa la columna " + std::to_string(ic.column) +
                                            ", que la tabla no tiene");
    }
    const ColumnDef& column = table.columns[position];
    if (!isKnownColumnType(column.typeCode) || !isIndexable(column.type)) {
      return Error::corrupt(table.page, "el índice usa una columna de un tipo no indexable");
    }
    const bool carried = column.type == ColumnType::kText && !encodesSortOrder(column.sortOrder);
    shape.carried = shape.carried || carried;
    shape.columns.push_back(KeyColumn{column.type, ic.ascending, carried});
    shape.valuePositions.push_back(position);
  }
  return shape;
}

}  // namespace jet
