#include "jet/io/background_writer.h"

namespace jet {

BackgroundWriter::BackgroundWriter(WritableFile& file)
    : file_(&file), thread_([this] { run(); }) {}

BackgroundWriter::~BackgroundWriter() {
  {
    std::lock_guard lock(mutex_);
    stopping_ = true;
  }
  changed_.notify_all();
  thread_.join();
}

Status BackgroundWriter::write(std::vector<std::byte>& bytes,
                               std::span<const WriteExtent> extents) {
  std::unique_lock lock(mutex_);
  changed_.wait(lock, [this] { return queue_.size() < kQueueLength || failure_; });
  if (failure_) return *failure_;
  queue_.push_back(Job{std::move(bytes), {extents.begin(), extents.end()}});
  bytes = {};
  if (!spare_.empty()) {
    bytes = std::move(spare_.back());
    spare_.pop_back();
  }
  lock.unlock();
  changed_.notify_all();
  return okStatus();
}

Status BackgroundWriter::drain() {
  std::unique_lock lock(mutex_);
  changed_.wait(lock, [this] { return (queue_.empty() && !writing_) || failure_; });
  // After a failure the thread may still be in a write: wait for it, since
  // the caller is about to use the file.
  changed_.wait(lock, [this] { return !writing_; });
  if (failure_) return *failure_;
  return okStatus();
}

void BackgroundWriter::run() {
  std::uint64_t unflushed = 0;
  std::unique_lock lock(mutex_);
  for (;;) {
    changed_.wait(lock, [this] { return !queue_.empty() || stopping_; });
    if (stopping_) return;
    Job job = std::move(queue_.front());
    queue_.pop_front();
    if (failure_) continue;  // dropped: nothing more is written after a failure
    writing_ = true;
    lock.unlock();
    Status s = okStatus();
    for (const WriteExtent& e : job.extents) {
      s = file_->writeAt(e.offset, std::span<const std::byte>(job.bytes).subspan(e.at, e.length));
      if (!s) break;
      unflushed += e.length;
    }
    if (s && unflushed >= kWritebackStep) {
      unflushed = 0;
      file_->startWriteback();
    }
    lock.lock();
    writing_ = false;
    if (!s && !failure_) failure_ = std::move(s).error();
    spare_.push_back(std::move(job.bytes));
    changed_.notify_all();
  }
}

}  // namespace jet
