// The rows of the generator's tables (generator.h), made as they are read.
//
// Each table draws from its own pseudo-random sequence (SplitMix64, written
// out here so that every platform draws the same numbers), so a seed gives
// the same rows everywhere. A table stops when the bytes of its values reach
// its share of the size aimed at.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "jet/write/compaction_source.h"
#include "jet/write/generator.h"
#include "jet/write/generator_tables.h"

namespace jet::generator {

class Random {
 public:
  explicit Random(std::uint64_t seed) : state_(seed) {}
  std::uint64_t next() {
    std::uint64_t z = (state_ += 0x9E3779B97F4A7C15ull);
    z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ull;
    z = (z ^ (z >> 27)) * 0x94D049BB133111EBull;
    return z ^ (z >> 31);
  }
  // In [0, n); n > 0.
  std::uint64_t below(std::uint64_t n) { return next() % n; }
  std::int64_t between(std::int64_t low, std::int64_t high) {
    return low + static_cast<std::int64_t>(below(static_cast<std::uint64_t>(high - low + 1)));
  }
  bool percent(unsigned p) { return below(100) < p; }
  double unit() { return static_cast<double>(next() >> 11) * 0x1.0p-53; }

 private:
  std::uint64_t state_;
};

// What the tables share: the number of Clientes rows (Pedidos refer to
// them) and the counts for the report.
struct GeneratorState {
  std::uint32_t clientes = 0;
  GenerateReport report;
};

class GeneratedRows final : public RowStream {
 public:
  // `budget`: bytes of values to make. Requires: `state` outlives the stream.
  GeneratedRows(TableKind kind, std::uint64_t seed, double budget, GeneratorState& state);

  Result<bool> next() override;
  const std::vector<Value>& values() const override { return values_; }
  RowFate fate() const override { return fate_; }

 private:
  void clientes();
  void pedidos();
  void documentos();
  Value text(std::size_t maxLength, unsigned nullPercent);
  // A Memo (text) or OLE (binary) value in one of the three long-value forms,
  // `chained` percent of them chained, at most `longest` bytes.
  Value longValue(bool memo, unsigned nullPercent, unsigned inlinePercent,
                  unsigned chainedPercent, std::size_t longest);
  DateTime date();
  void count(const Value& v);

  TableKind kind_;
  Random random_;
  double budget_;
  double used_ = 0;
  GeneratorState* state_;
  std::uint32_t row_ = 0;
  std::vector<Value> values_;
  RowFate fate_ = RowFate::kLive;
  std::string pool_;  // text the long Memo values are cut from
};

}  // namespace jet::generator
