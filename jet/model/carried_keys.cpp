#include "jet/model/carried_keys.h"

#include "jet/core/finding.h"
#include "jet/index/index_key.h"

namespace jet {

Result<CarriedKeys> CarriedKeys::read(const PageFetch& fetch, std::uint32_t pageCount,
                                      const TableDefinition& table,
                                      const std::string& tableName) {
  CarriedKeys out;
  out.current_.resize(table.realIndexes.size());
  for (std::size_t r = 0; r < table.realIndexes.size(); ++r) {
    const RealIndexDef& real = table.realIndexes[r];
    JET_TRY(IndexShape shape, indexShape(table, real));
    if (!shape.carried) continue;
    Index index{r, std::move(shape), {}};
    FindingList findings(1);
    bool repeated = false;
    const IndexWalkTarget target{fetch, pageCount, real.firstPage, table.page, tableName, ""};
    auto visit = [&](const IndexEntry& e, std::uint32_t) {
      const RowLocation at{e.dataPage, e.dataRow};
      if (!index.byRow.emplace(at.pointer(), e.key).second) repeated = true;
    };
    JET_TRY(IndexWalkSummary walked, walkIndex(target, findings, visit));
    (void)walked;
    const std::string which = "el índice #" + std::to_string(real.position) + " de " + tableName;
    if (!findings.empty()) {
      return Error::corrupt(real.firstPage,
                            which + " está dañado: " + findings.findings().front().message);
    }
    if (repeated) return Error::corrupt(real.firstPage, which + " tiene dos entradas para una fila");
    out.indexes_.push_back(std::move(index));
  }
  return out;
}

const CarriedKeys::Key* CarriedKeys::find(std::size_t position, RowLocation at) const {
  for (const Index& index : indexes_) {
    if (index.position != position) continue;
    auto found = index.byRow.find(at.pointer());
    return found == index.byRow.end() ? nullptr : &found->second;
  }
  return nullptr;
}

Status CarriedKeys::lookUp(RowLocation at, std::span<const Value> values) {
  for (Index& index : indexes_) {
    std::optional<Key>& key = current_[index.position];
    key.reset();
    scratch_.clear();
    for (std::size_t p : index.shape.valuePositions) {
      if (p >= values.size()) return Error(errc::kInvalidArgument);
      scratch_.push_back(values[p]);
    }
    const bool wanted = index.shape.hasEntry(scratch_);
    auto found = index.byRow.find(at.pointer());
    if (found == index.byRow.end()) {
      if (!wanted) continue;
      return Error::corrupt(at.page, at.row,
                            "falta la entrada de la fila en un índice que no se puede reconstruir");
    }
    if (!wanted) {
      return Error::corrupt(at.page, at.row, "entrada de índice de más para la fila");
    }
    // The stored key must be the row's wherever the engine can tell.
    JET_CHECK(carryKey(index.shape.columns, found->second, scratch_, scratch_));
    key = found->second;
  }
  return okStatus();
}

}  // namespace jet
