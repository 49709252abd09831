// Index keys, index trees and the whole-file check: their costs, measured
// here and never in tests.
#include <benchmark/benchmark.h>

#include <algorithm>
#include <array>
#include <filesystem>
#include <string>
#include <vector>

#include "jet/check/checker.h"
#include "jet/format/index_page.h"
#include "jet/index/index_key.h"
#include "jet/model/database.h"
#include "jet/write/index_tree_builder.h"

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

// Keys of a (Long, Text DESC) index over 10,000 rows.
void EncodeTwoColumnKeys(benchmark::State& state) {
  const std::vector<jet::KeyColumn> columns{{jet::ColumnType::kLong, true},
                                            {jet::ColumnType::kText, false}};
  std::vector<std::vector<jet::Value>> rows;
  for (int i = 0; i < 10000; ++i) {
    // Windows-1252 text with accented letters every few characters.
    std::string text = "Cami\xF3n n\xFAmero " + std::to_string(i * 7919 % 100000) + " de Le\xF3n";
    rows.push_back({std::int32_t{i}, jet::Text{text}});
  }
  std::size_t bytes = 0;
  for (auto _ : state) {
    for (const auto& row : rows) {
      auto key = jet::encodeKey(columns, row);
      bytes += key->size();
      benchmark::DoNotOptimize(key);
    }
  }
  state.SetItemsProcessed(state.iterations() * static_cast<std::int64_t>(rows.size()));
  state.SetBytesProcessed(static_cast<std::int64_t>(bytes));
}
BENCHMARK(EncodeTwoColumnKeys);

// Building the B-tree of 100,000 sorted Long entries, as a writer does.
void BuildIndexTree(benchmark::State& state) {
  std::vector<jet::IndexEntry> entries;
  for (int i = 0; i < 100000; ++i) {
    std::vector<std::byte> key;
    jet::Status s = jet::appendKeyColumn({jet::ColumnType::kLong, true}, std::int32_t{i}, key);
    if (!s) state.SkipWithError("key");
    entries.push_back(jet::IndexEntry{std::move(key), 100u + static_cast<std::uint32_t>(i / 50),
                                      static_cast<std::uint8_t>(i % 50), 0});
  }
  std::uint32_t next = 1;
  const jet::PageAllocator allocate = [&next]() -> jet::Result<std::uint32_t> { return next++; };
  const jet::PageWriter write = [](std::uint32_t, std::span<const std::byte> page) {
    benchmark::DoNotOptimize(page.data());
    return jet::okStatus();
  };
  std::size_t pages = 0;
  for (auto _ : state) {
    next = 1;
    auto tree = jet::buildIndexTree(entries, 2, allocate, write);
    if (!tree) state.SkipWithError("build");
    pages = tree->pages.size();
  }
  state.SetItemsProcessed(state.iterations() * static_cast<std::int64_t>(entries.size()));
  state.counters["pages"] = static_cast<double>(pages);
}
BENCHMARK(BuildIndexTree);

// The whole structural check of every corpus file.
void CheckEveryCorpusFile(benchmark::State& state) {
  const auto files = corpus();
  if (files.empty()) {
    state.SkipWithError("no corpus");
    return;
  }
  std::int64_t entries = 0;
  for (auto _ : state) {
    for (const auto& file : files) {
      auto db = jet::Database::open(file);
      if (!db) {
        state.SkipWithError("cannot open");
        return;
      }
      auto report = jet::checkDatabase(**db);
      if (!report || !report->clean()) state.SkipWithError("not clean");
      entries += static_cast<std::int64_t>(report->indexEntries);
    }
  }
  state.counters["index_entries"] =
      benchmark::Counter(static_cast<double>(entries), benchmark::Counter::kIsRate);
}
BENCHMARK(CheckEveryCorpusFile)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
