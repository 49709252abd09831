// ExternalSorter hands records back in order of key, then payload (unsigned
// bytes, a prefix first), whether they stayed in memory or went through runs
// in a scratch file. Keys share long prefixes, hold zero bytes and end at
// every length, the cases a sort on the keys' first bytes can get wrong.
#include <gtest/gtest.h>

#include <algorithm>
#include <random>

#include "jet/model/database.h"
#include "jet/write/compactor.h"
#include "jet/write/database_source.h"
#include "jet/write/external_sorter.h"
#include "jet/write/generator.h"
#include "tests/support/corpus.h"
#include "tests/support/faulty_file_system.h"

namespace {

using Bytes = std::vector<std::byte>;
// std::byte compares as unsigned: a Record's own order (key, then payload,
// a prefix first) is the order the sorter promises.
using Record = std::pair<Bytes, Bytes>;

std::vector<Record> randomRecords(std::size_t count, unsigned seed) {
  std::mt19937 random(seed);
  const Bytes alphabet{std::byte{0}, std::byte{1}, std::byte{0x7F}, std::byte{0x80}, std::byte{0xFF}};
  auto bytes = [&](std::size_t maxLength) {
    Bytes b(random() % (maxLength + 1));
    for (auto& x : b) x = alphabet[random() % alphabet.size()];
    return b;
  };
  std::vector<Record> records;
  for (std::size_t i = 0; i < count; ++i) {
    Bytes key = Bytes(random() % 10, std::byte{0x41});  // long shared prefixes
    const Bytes tail = bytes(6);
    key.insert(key.end(), tail.begin(), tail.end());
    records.emplace_back(std::move(key), bytes(3));
  }
  return records;
}

// How the records come: shuffled, already in order (no sort needed), or in
// order but for the first, which comes last.
enum class Arrival { kShuffled, kInOrder, kInOrderButOne };

void expectSorted(std::size_t count, std::size_t memory, bool spills, Arrival arrival = Arrival::kShuffled) {
  testing_support::TempDir dir;
  std::vector<Record> records = randomRecords(count, static_cast<unsigned>(count));
  if (arrival != Arrival::kShuffled) std::sort(records.begin(), records.end());
  if (arrival == Arrival::kInOrderButOne) std::rotate(records.begin(), records.begin() + 1, records.end());
  jet::ExternalSorter sorter({dir.path()}, memory);
  for (const auto& [key, payload] : records) ASSERT_TRUE(sorter.add(key, payload).ok());
  ASSERT_TRUE(sorter.finish().ok());
  EXPECT_EQ(sorter.spilled(), spills);
  std::sort(records.begin(), records.end());
  for (const auto& [key, payload] : records) {
    auto more = sorter.next();
    ASSERT_TRUE(more && *more);
    ASSERT_TRUE(std::equal(key.begin(), key.end(), sorter.key().begin(), sorter.key().end()));
    ASSERT_TRUE(std::equal(payload.begin(), payload.end(), sorter.payload().begin(), sorter.payload().end()));
  }
  auto more = sorter.next();
  ASSERT_TRUE(more);
  EXPECT_FALSE(*more);
}

TEST(ExternalSorter, InMemoryAndThroughRunsGiveKeyThenPayloadOrder) {
  for (Arrival arrival : {Arrival::kShuffled, Arrival::kInOrder, Arrival::kInOrderButOne}) {
    SCOPED_TRACE(static_cast<int>(arrival));
    expectSorted(2000, 1 << 20, false, arrival);
    expectSorted(40000, 64 << 10, true, arrival);
    expectSorted(200000, 3 << 20, true, arrival);  // runs written in several pieces
  }
}

// The runs go through the compaction's file system: a scratch file that
// cannot be made, written or read back fails the compaction with that error,
// and nothing is left in the destination's folder, published or scratch.
TEST(ExternalSorter, ScratchFaultFailsTheCompactionLeavingNothing) {
  testing_support::TempDir from, to;
  ASSERT_TRUE(jet::generateDatabase(from / "g.mdb", {8, 3, jet::DateTime{45000}}));
  auto compactThrough = [&](jet::FileSystem& fileSystem) -> jet::Status {
    JET_TRY(auto db, jet::Database::open(from / "g.mdb"));
    JET_TRY(auto source, jet::DatabaseSource::open(*db, {to.path(), &fileSystem, 64 << 10}));
    jet::CompactOptions options;
    options.sortMemory = 64 << 10;
    options.fileSystem = &fileSystem;
    return jet::compact(*source, to / "c.mdb", options);
  };
  for (const char* what : {"createScratch", "writeAt temporal", "readAt temporal"}) {
    SCOPED_TRACE(what);
    testing_support::FaultyFileSystem faulty(jet::localFileSystem(), 0);
    faulty.failFirst(what);
    const jet::Status compacted = compactThrough(faulty);
    ASSERT_TRUE(faulty.failed()) << "no run reached the scratch file";
    EXPECT_EQ(testing_support::errorNumber(compacted), jet::errc::kDiskFull);
    EXPECT_TRUE(std::filesystem::is_empty(to.path()));
  }
}

}  // namespace
