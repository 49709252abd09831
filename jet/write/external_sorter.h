// Sorting more records than memory holds: rows into primary-key order and
// index entries into key order, for a file of up to 1 GB in bounded memory.
//
// A record is a key and a payload, both bytes. Records come out in order of
// key, then payload, each compared as unsigned bytes with a prefix first, so
// equal keys keep a deterministic order when the payload starts with a
// sequence number or a row pointer. Records gather in memory up to the
// budget; beyond it each batch is sorted and written as a run to a scratch
// file in the given folder, made through the given file system (so that a
// test can fail it), and the runs are merged as they are read back.
// Records that come in order (an index on the key the rows are written in)
// cost one comparison each and no sort.
#pragma once

#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <memory>
#include <optional>
#include <span>
#include <vector>

#include "jet/core/result.h"
#include "jet/io/file_system.h"

namespace jet {

// Where a sort's runs go: a folder (the destination's, which has room for
// them), and the file system that makes the scratch file there.
struct ScratchSpace {
  std::filesystem::path folder;
  FileSystem* fileSystem = &localFileSystem();
};

class ExternalSorter {
 public:
  // `memory`: bytes of records held before a run is written (at least 64 KB
  // are used). Requires: scratch.fileSystem outlives the sorter.
  ExternalSorter(ScratchSpace scratch, std::size_t memory);

  Status add(std::span<const std::byte> key, std::span<const std::byte> payload);
  std::uint64_t count() const { return count_; }
  // True once records went to a scratch file.
  bool spilled() const { return !runs_.empty(); }

  // Ends the input. Then next() moves through the records in order.
  Status finish();
  Result<bool> next();
  std::span<const std::byte> key() const { return key_; }
  std::span<const std::byte> payload() const { return payload_; }

 private:
  struct Run {
    std::uint64_t offset = 0;   // in the scratch file
    std::uint64_t length = 0;
    std::uint64_t read = 0;     // bytes of the run consumed into `buffer`
    std::vector<std::byte> buffer;
    std::size_t at = 0;         // next record in `buffer`
  };
  void sortBatch();
  bool runAfter(std::size_t a, std::size_t b) const;
  Status spill();
  // Makes run.buffer hold at least one whole record at run.at; false at its end.
  Result<bool> fill(Run& run);
  std::span<const std::byte> recordAt(std::span<const std::byte> bytes, std::size_t at,
                                      std::span<const std::byte>& key,
                                      std::span<const std::byte>& payload) const;

  ScratchSpace scratch_;
  std::size_t memory_;
  std::uint64_t count_ = 0;
  std::vector<std::byte> batch_;
  // A record of batch_: where it starts, and its key's first eight bytes as a
  // big-endian number (zeros past its end), which order most records alone.
  struct Slot {
    std::uint64_t prefix = 0;
    std::uint32_t at = 0;
  };
  bool slotBefore(const Slot& a, const Slot& b) const;
  std::vector<Slot> offsets_;  // records of batch_, sorted by sortBatch
  bool batchInOrder_ = true;   // the records of batch_ came in order: no sort needed
  std::unique_ptr<ScratchFile> file_;  // made at the first spill
  std::uint64_t scratchSize_ = 0;
  std::vector<Run> runs_;
  std::vector<std::size_t> heap_;        // runs by their current record
  bool finished_ = false;
  std::size_t nextInBatch_ = 0;
  std::optional<std::size_t> current_;   // run of the current record
  std::span<const std::byte> key_;
  std::span<const std::byte> payload_;
};

}  // namespace jet
