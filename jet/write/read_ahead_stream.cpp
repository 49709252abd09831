#include "jet/write/read_ahead_stream.h"

namespace jet {
namespace {

// The bytes a value holds beyond its fixed size.
std::size_t heapBytes(const Value& v) {
  if (const Text* t = std::get_if<Text>(&v)) return t->bytes.size();
  if (const Binary* b = std::get_if<Binary>(&v)) return b->bytes.size();
  return 0;
}

}  // namespace

ReadAheadStream::ReadAheadStream(std::unique_ptr<RowStream> inner)
    : inner_(std::move(inner)), keyOrder_(inner_->primaryKeyOrder()), thread_([this] { run(); }) {}

ReadAheadStream::~ReadAheadStream() {
  {
    std::lock_guard lock(mutex_);
    stopping_ = true;
  }
  changed_.notify_all();
  thread_.join();
}

void ReadAheadStream::run() {
  for (;;) {
    Batch batch;
    {
      std::unique_lock lock(mutex_);
      if (!spare_.empty()) {
        batch = std::move(spare_.back());
        spare_.pop_back();
      }
    }
    batch.count = 0;
    batch.error.reset();
    batch.end = false;
    std::size_t bytes = 0;
    bool more = true;
    while (batch.count < kBatchRows && bytes < kBatchBytes) {
      Result<bool> r = inner_->next();
      if (!r) {
        batch.error = std::move(r).error();
        more = false;
        break;
      }
      if (!*r) {
        batch.end = true;
        more = false;
        break;
      }
      if (batch.rows.size() == batch.count) batch.rows.emplace_back();
      if (batch.fates.size() == batch.count) batch.fates.emplace_back();
      std::vector<Value>& row = batch.rows[batch.count];
      row = inner_->values();  // keeps the memory of the row it replaces
      batch.fates[batch.count] = inner_->fate();
      ++batch.count;
      for (const Value& v : row) bytes += heapBytes(v);
    }
    std::unique_lock lock(mutex_);
    changed_.wait(lock, [this] { return ready_.size() < kBatchesAhead || stopping_; });
    if (stopping_) return;
    ready_.push_back(std::move(batch));
    changed_.notify_all();
    if (!more) return;
  }
}

Result<bool> ReadAheadStream::next() {
  if (started_ && at_ + 1 < current_.count) {
    ++at_;
    return true;
  }
  for (;;) {
    if (started_) {
      if (current_.error) return *current_.error;
      if (current_.end) return false;
    }
    std::unique_lock lock(mutex_);
    if (started_) spare_.push_back(std::move(current_));
    changed_.wait(lock, [this] { return !ready_.empty(); });
    current_ = std::move(ready_.front());
    ready_.pop_front();
    started_ = true;
    lock.unlock();
    changed_.notify_all();
    at_ = 0;
    if (current_.count > 0) return true;
  }
}

}  // namespace jet
