// Reading a table's rows ahead of the writer, on a thread of their own.
//
// ReadAheadStream runs another RowStream's next() on its thread and hands the
// rows over in batches, one or two batches ahead of the caller, so that
// reading and decoding the source overlap with encoding and storing the
// copy. The rows come in the same order, with the same fates; an error comes
// in its place among them, and the stream ends there.
//
// Requires: while a ReadAheadStream exists, nothing else uses what its inner
// stream reads (the Database and its page cache): DatabaseSource opens the
// next table's rows only after the last table's stream is gone.
#pragma once

#include <condition_variable>
#include <cstddef>
#include <deque>
#include <memory>
#include <mutex>
#include <optional>
#include <thread>
#include <vector>

#include "jet/write/compaction_source.h"

namespace jet {

class ReadAheadStream final : public RowStream {
 public:
  explicit ReadAheadStream(std::unique_ptr<RowStream> inner);
  // Stops the thread (after the row it is reading).
  ~ReadAheadStream() override;
  ReadAheadStream(const ReadAheadStream&) = delete;
  ReadAheadStream& operator=(const ReadAheadStream&) = delete;

  Result<bool> next() override;
  const std::vector<Value>& values() const override { return current_.rows[at_]; }
  RowFate fate() const override { return current_.fates[at_]; }
  bool primaryKeyOrder() const override { return keyOrder_; }

  // Rows, and bytes of text and binary values, that end a batch.
  static constexpr std::size_t kBatchRows = 256;
  static constexpr std::size_t kBatchBytes = std::size_t{1} << 20;
  // Batches read and not yet taken, at most.
  static constexpr std::size_t kBatchesAhead = 2;

 private:
  struct Batch {
    std::vector<std::vector<Value>> rows;  // the first `count` are this batch's
    std::vector<RowFate> fates;
    std::size_t count = 0;
    std::optional<Error> error;  // after the rows
    bool end = false;            // after the rows: no more
  };
  void run();

  std::unique_ptr<RowStream> inner_;
  bool keyOrder_;
  std::mutex mutex_;
  std::condition_variable changed_;
  std::deque<Batch> ready_;
  std::vector<Batch> spare_;  // taken batches, their memory reused
  bool stopping_ = false;
  Batch current_;
  std::size_t at_ = 0;
  bool started_ = false;  // next() was called: current_ holds a batch
  std::thread thread_;    // last: starts once the members above exist
};

}  // namespace jet
