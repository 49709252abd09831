// Reading and formatting every row of every table of every corpus file, in
// one process: the engine's own cost, without process start-up.
#include <benchmark/benchmark.h>

#include <algorithm>
#include <filesystem>
#include <vector>

#include "jet/model/catalog.h"
#include "jet/model/table.h"
#include "jet/model/text.h"
#include "tools/value_format.h"

namespace {

std::vector<std::filesystem::path> corpus() {
  std::vector<std::filesystem::path> files;
  std::error_code ec;
  for (const auto& e : std::filesystem::directory_iterator(REPARADOR_CORPUS_DIR, ec)) {
    if (e.path().extension() == ".mdb") files.push_back(e.path());
  }
  std::sort(files.begin(), files.end());
  return files;
}

void DumpEveryCorpusTable(benchmark::State& state) {
  const auto files = corpus();
  if (files.empty()) {
    state.SkipWithError("no corpus");
    return;
  }
  std::int64_t rows = 0, bytes = 0;
  for (auto _ : state) {
    for (const auto& file : files) {
      auto db = jet::Database::open(file);
      if (!db) {
        state.SkipWithError("cannot open");
        return;
      }
      auto catalog = jet::Catalog::read(**db);
      jet::TextDecoder text((*db)->header().codePage);
      for (const jet::CatalogEntry* e : catalog->tables(true)) {
        auto table = jet::Table::open(**db, e);
        jet::RowCursor cursor = table->rows();
        while (*cursor.next()) {
          for (const jet::Value& v : cursor.values()) {
            std::string s = jetdb::csvField(jetdb::formatValue(v, text));
            bytes += static_cast<std::int64_t>(s.size());
            benchmark::DoNotOptimize(s);
          }
          ++rows;
        }
      }
    }
  }
  state.counters["rows"] = benchmark::Counter(static_cast<double>(rows), benchmark::Counter::kIsRate);
  state.SetBytesProcessed(bytes);
}
BENCHMARK(DumpEveryCorpusTable)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
