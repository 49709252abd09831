#include "jet/core/finding.h"

namespace jet {

std::string findingKindName(FindingKind kind) {
  switch (kind) {
    case FindingKind::kDamage: return "";
    case FindingKind::kReclaimableSpace: return "espacio recuperable";
    case FindingKind::kStaleStatistic: return "estadística desactualizada";
    case FindingKind::kUncheckedKeys: return "claves sin comprobar";
  }
  return "";
}

std::string Finding::toString() const {
  std::string place;
  auto add = [&place](const std::string& part) {
    if (!place.empty()) place += ", ";
    place += part;
  };
  if (!table.empty()) add("tabla " + table);
  if (!index.empty()) add("índice " + index);
  if (page >= 0) add("página " + std::to_string(page));
  if (row >= 0) add("fila " + std::to_string(row));
  const std::string kindName = findingKindName(kind);
  const std::string text = kindName.empty() ? message : kindName + ": " + message;
  return place.empty() ? text : place + ": " + text;
}

}  // namespace jet
