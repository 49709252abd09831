// Writing a file on a thread of its own.
//
// The caller fills a buffer and hands it over with the offset where it goes;
// it gets back an empty buffer (the memory of one already written) and goes
// on with its work while the thread writes. A few buffers wait at most, so
// memory stays bounded: handing one over blocks while the queue is full.
// Every few megabytes the thread asks the system to start writing the file
// out to the disk (WritableFile::startWriteback), so that a final flush has
// little left to wait for.
//
// The first failed write is kept: later buffers are dropped unwritten, and
// the failure is returned by the next call. The file is used by one thread
// at a time: by the writer between construction and drain(), by the caller
// after drain() returns.
#pragma once

#include <condition_variable>
#include <cstddef>
#include <cstdint>
#include <deque>
#include <mutex>
#include <optional>
#include <span>
#include <thread>
#include <vector>

#include "jet/core/result.h"
#include "jet/io/file_system.h"

namespace jet {

// A piece of a buffer and the place in the file where it goes.
struct WriteExtent {
  std::uint64_t offset = 0;  // in the file
  std::size_t at = 0;        // in the buffer
  std::size_t length = 0;
};

class BackgroundWriter {
 public:
  // Requires: `file` outlives the writer, and nobody else writes to it until
  // drain() returns.
  explicit BackgroundWriter(WritableFile& file);
  // Drops the writes still queued (drain() first to have them) and waits for
  // the one under way.
  ~BackgroundWriter();
  BackgroundWriter(const BackgroundWriter&) = delete;
  BackgroundWriter& operator=(const BackgroundWriter&) = delete;

  // Queues the pieces `extents` of `bytes` to be written, in order, and gives
  // back in `bytes` the memory of a buffer already written (or none), its
  // contents and size unspecified. Returns the failure of an earlier write,
  // if any (then nothing is queued). Requires: each extent lies in `bytes`.
  Status write(std::vector<std::byte>& bytes, std::span<const WriteExtent> extents);
  // Returns once every queued write is done, with the first failure if any.
  Status drain();

  // Buffers waiting at most. Every buffer written is kept for the caller to
  // fill again, so that no more than kQueueLength + 2 are ever made: a
  // buffer made anew costs its first touch of every page.
  static constexpr std::size_t kQueueLength = 2;
  // Bytes written between two requests to start writing out to the disk.
  static constexpr std::uint64_t kWritebackStep = std::uint64_t{8} << 20;

 private:
  struct Job {
    std::vector<std::byte> bytes;
    std::vector<WriteExtent> extents;
  };
  void run();

  WritableFile* file_;
  std::mutex mutex_;
  std::condition_variable changed_;
  std::deque<Job> queue_;
  std::vector<std::vector<std::byte>> spare_;  // written buffers, to be filled again
  bool writing_ = false;                        // the thread holds a job
  bool stopping_ = false;
  std::optional<Error> failure_;
  std::thread thread_;  // last: starts once the members above exist
};

}  // namespace jet
