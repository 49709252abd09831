#include "jet/model/index_shape.h"

#include <string>

namespace jet {

Result<IndexShape> indexShape(const TableDefinition& table, const RealIndexDef& index) {
  IndexShape shape;
  shape.unique = index.unique();
  shape.ignoreNulls = index.ignoreNulls();
  if (index.columns.empty() || index.columns.size() > index_key::kMaxColumns) {
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
    shape.columns.push_back(KeyColumn{column.type, ic.ascending});
    shape.valuePositions.push_back(position);
  }
  return shape;
}

}  // namespace jet
