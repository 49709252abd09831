#include "jet/format/value.h"

namespace jet {

std::string_view columnTypeName(ColumnType t) {
  switch (t) {
    case ColumnType::kBool: return "Sí/No";
    case ColumnType::kByte: return "Byte";
    case ColumnType::kInt: return "Entero";
    case ColumnType::kLong: return "Entero largo";
    case ColumnType::kMoney: return "Moneda";
    case ColumnType::kFloat: return "Simple";
    case ColumnType::kDouble: return "Doble";
    case ColumnType::kDateTime: return "Fecha/Hora";
    case ColumnType::kBinary: return "Binario";
    case ColumnType::kText: return "Texto";
    case ColumnType::kOle: return "Objeto OLE";
    case ColumnType::kMemo: return "Memo";
    case ColumnType::kGuid: return "Id. de réplica";
  }
  return "?";
}

bool isKnownColumnType(std::uint8_t code) {
  return (code >= 0x01 && code <= 0x0C) || code == 0x0F;
}

}  // namespace jet
