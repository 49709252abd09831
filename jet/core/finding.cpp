#include "jet/core/finding.h"

namespace jet {

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
  return place.empty() ? message : place + ": " + message;
}

}  // namespace jet
