#include "jet/write/page_output.h"

#include "jet/io/page_source.h"

namespace jet {
namespace {

// Jet 3 files stop at 1 GB: 2^19 pages of 2048 bytes.
constexpr std::uint32_t kMaxPages = std::uint32_t{1} << 19;
// Late pages gathered before they are written.
constexpr std::size_t kLatePages = 64;

}  // namespace

PageOutput::PageOutput(OutputFile& file, std::uint32_t databaseKey)
    : file_(&file), key_(databaseKey) {}

Result<std::uint32_t> PageOutput::allocate() {
  if (count_ >= kMaxPages) return Error(errc::kTooLarge, "1 GB");
  written_.push_back(false);
  return count_++;
}

// Every run of held pages, each in one piece.
Status PageOutput::flushWindow() {
  if (!holding_) return okStatus();
  extents_.clear();
  for (std::uint32_t i = 0; i < kWindowPages;) {
    if (!held_[i]) {
      ++i;
      continue;
    }
    std::uint32_t end = i;
    while (end < kWindowPages && held_[end]) held_[end++] = false;
    extents_.push_back(WriteExtent{std::uint64_t{base_ + i} * kPageSize, i * kPageSize,
                                   (end - i) * kPageSize});
    i = end;
  }
  holding_ = false;
  return file_->write(window_, extents_);
}

Status PageOutput::flushLate() {
  if (lateExtents_.empty()) return okStatus();
  Status s = file_->write(late_, lateExtents_);
  late_.clear();
  lateExtents_.clear();
  return s;
}

Status PageOutput::write(std::uint32_t number, std::span<const std::byte> page) {
  if (number >= count_ || written_[number] || page.size() != kPageSize) {
    return Error(errc::kInvalidArgument);
  }
  written_[number] = true;
  if (number < base_) {
    const std::uint64_t offset = std::uint64_t{number} * kPageSize;
    if (!lateExtents_.empty() &&
        lateExtents_.back().offset + lateExtents_.back().length == offset) {
      lateExtents_.back().length += kPageSize;
    } else {
      if (lateExtents_.size() >= kLatePages) JET_CHECK(flushLate());
      lateExtents_.push_back(WriteExtent{offset, late_.size(), kPageSize});
    }
    const std::size_t at = late_.size();
    late_.insert(late_.end(), page.begin(), page.end());
    PageSource::applyCipher(key_, number, std::span<std::byte>(late_).subspan(at, kPageSize));
    return okStatus();
  }
  if (number - base_ >= kWindowPages) {
    JET_CHECK(flushWindow());
    base_ = number;
  }
  if (window_.size() != std::size_t{kWindowPages} * kPageSize) {
    window_.resize(std::size_t{kWindowPages} * kPageSize);
  }
  const std::size_t at = std::size_t{number - base_} * kPageSize;
  const std::span<std::byte> slot = std::span<std::byte>(window_).subspan(at, kPageSize);
  std::copy(page.begin(), page.end(), slot.begin());
  PageSource::applyCipher(key_, number, slot);
  held_[number - base_] = true;
  holding_ = true;
  return okStatus();
}

Status PageOutput::finish() {
  JET_CHECK(flushWindow());
  JET_CHECK(flushLate());
  for (std::uint32_t n = 0; n < count_; ++n) {
    if (!written_[n]) return Error::corrupt(n, "página reservada y no escrita");
  }
  return okStatus();
}

}  // namespace jet
