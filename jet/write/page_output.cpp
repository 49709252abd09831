#include "jet/write/page_output.h"

#include "jet/io/page_source.h"

namespace jet {
namespace {

// Jet 3 files stop at 1 GB: 2^19 pages of 2048 bytes.
constexpr std::uint32_t kMaxPages = std::uint32_t{1} << 19;
// Pages gathered before a run is written.
constexpr std::size_t kRunPages = 256;

}  // namespace

PageOutput::PageOutput(OutputFile& file, std::uint32_t databaseKey)
    : file_(&file), key_(databaseKey) {
  run_.reserve(kRunPages * kPageSize);
}

Result<std::uint32_t> PageOutput::allocate() {
  if (count_ >= kMaxPages) return Error(errc::kTooLarge, "1 GB");
  written_.push_back(false);
  return count_++;
}

Status PageOutput::flushRun() {
  if (run_.empty()) return okStatus();
  Status s = file_->writeAt(std::uint64_t{runStart_} * kPageSize, run_);
  run_.clear();
  return s;
}

Status PageOutput::write(std::uint32_t number, std::span<const std::byte> page) {
  if (number >= count_ || written_[number] || page.size() != kPageSize) {
    return Error(errc::kInvalidArgument);
  }
  written_[number] = true;
  const std::uint32_t runEnd = runStart_ + static_cast<std::uint32_t>(run_.size() / kPageSize);
  if (run_.empty() || number != runEnd || run_.size() >= kRunPages * kPageSize) {
    JET_CHECK(flushRun());
    runStart_ = number;
  }
  const std::size_t at = run_.size();
  run_.insert(run_.end(), page.begin(), page.end());
  PageSource::applyCipher(key_, number, std::span<std::byte>(run_).subspan(at, kPageSize));
  return okStatus();
}

Status PageOutput::finish() {
  JET_CHECK(flushRun());
  for (std::uint32_t n = 0; n < count_; ++n) {
    if (!written_[n]) return Error::corrupt(n, "página reservada y no escrita");
  }
  return okStatus();
}

}  // namespace jet
