#include "jet/write/external_sorter.h"

#include <algorithm>
#include <cstring>

namespace jet {
namespace {

constexpr std::size_t kHeader = 8;  // u32 key length, u32 payload length
constexpr std::size_t kMinimumMemory = std::size_t{64} << 10;
// Sorted records go to a run's scratch file in pieces of this size.
constexpr std::size_t kSpillPiece = std::size_t{1} << 20;
// The merge reads its runs back through buffers of a quarter of the budget
// in all: reads from a scratch file just written are cheap, and the memory
// is then free for the sorts that fill while this one empties (the index
// entries of the rows that come out of the row sort).
constexpr std::size_t kMergeShare = 4;

std::uint32_t load32(const std::byte* p) {
  std::uint32_t v;
  std::memcpy(&v, p, 4);
  return v;
}

int compareBytes(std::span<const std::byte> a, std::span<const std::byte> b) {
  const std::size_t n = std::min(a.size(), b.size());
  if (n != 0) {
    if (int c = std::memcmp(a.data(), b.data(), n); c != 0) return c;
  }
  return a.size() < b.size() ? -1 : a.size() > b.size() ? 1 : 0;
}

// The key's first eight bytes as a big-endian number, zeros past its end:
// keys whose numbers differ compare as their numbers do.
std::uint64_t prefixOf(std::span<const std::byte> key) {
  std::uint64_t v = 0;
  for (std::size_t i = 0; i < 8; ++i) {
    v = v << 8 | (i < key.size() ? std::to_integer<std::uint64_t>(key[i]) : 0);
  }
  return v;
}

// Key, then payload.
bool before(std::span<const std::byte> ka, std::span<const std::byte> pa,
            std::span<const std::byte> kb, std::span<const std::byte> pb) {
  const int c = compareBytes(ka, kb);
  return c != 0 ? c < 0 : compareBytes(pa, pb) < 0;
}

}  // namespace

ExternalSorter::ExternalSorter(ScratchSpace scratch, std::size_t memory)
    : scratch_(std::move(scratch)), memory_(std::max(memory, kMinimumMemory)) {}

std::span<const std::byte> ExternalSorter::recordAt(std::span<const std::byte> bytes,
                                                    std::size_t at,
                                                    std::span<const std::byte>& key,
                                                    std::span<const std::byte>& payload) const {
  const std::uint32_t k = load32(bytes.data() + at);
  const std::uint32_t p = load32(bytes.data() + at + 4);
  key = bytes.subspan(at + kHeader, k);
  payload = bytes.subspan(at + kHeader + k, p);
  return bytes.subspan(at, kHeader + k + p);
}

Status ExternalSorter::add(std::span<const std::byte> key, std::span<const std::byte> payload) {
  if (finished_) return Error(errc::kInvalidArgument);
  const std::size_t size = kHeader + key.size() + payload.size();
  // The slots count as the vector will hold them once this one is in: a
  // vector that doubles would otherwise go past the budget.
  const std::size_t slots = offsets_.size() < offsets_.capacity()
                                ? offsets_.capacity()
                                : std::max<std::size_t>(2 * offsets_.capacity(), 1);
  if (!batch_.empty() && batch_.size() + size + slots * sizeof(Slot) > memory_) JET_CHECK(spill());
  if (batch_.capacity() == 0) batch_.reserve(memory_);
  const std::size_t at = batch_.size();
  batch_.resize(at + size);
  const auto k = static_cast<std::uint32_t>(key.size());
  const auto p = static_cast<std::uint32_t>(payload.size());
  std::memcpy(batch_.data() + at, &k, 4);
  std::memcpy(batch_.data() + at + 4, &p, 4);
  if (!key.empty()) std::memcpy(batch_.data() + at + kHeader, key.data(), key.size());
  if (!payload.empty()) std::memcpy(batch_.data() + at + kHeader + k, payload.data(), p);
  const Slot slot{prefixOf(key), static_cast<std::uint32_t>(at)};
  if (batchInOrder_ && !offsets_.empty() && slotBefore(slot, offsets_.back())) batchInOrder_ = false;
  offsets_.push_back(slot);
  ++count_;
  return okStatus();
}

bool ExternalSorter::slotBefore(const Slot& a, const Slot& b) const {
  if (a.prefix != b.prefix) return a.prefix < b.prefix;
  std::span<const std::byte> ka, pa, kb, pb;
  recordAt(batch_, a.at, ka, pa);
  recordAt(batch_, b.at, kb, pb);
  return before(ka, pa, kb, pb);
}

void ExternalSorter::sortBatch() {
  // Records that compare equal are equal byte for byte, so an unstable sort
  // (faster, no buffer) gives the same order.
  if (!batchInOrder_) {
    std::sort(offsets_.begin(), offsets_.end(),
              [this](const Slot& a, const Slot& b) { return slotBefore(a, b); });
  }
  batchInOrder_ = true;
}

Status ExternalSorter::spill() {
  if (offsets_.empty()) return okStatus();
  const bool cameInOrder = batchInOrder_;
  sortBatch();
  if (!file_) {
    JET_TRY(file_, scratch_.fileSystem->createScratch(scratch_.folder));
  }
  Run run;
  run.offset = scratchSize_;
  if (cameInOrder) {
    // Records that came in order are the run as they lie.
    JET_CHECK(file_->writeAt(run.offset, batch_));
    run.length = batch_.size();
  } else {
    // The sorted records go out a piece at a time: the batch is not held twice.
    std::vector<std::byte> piece;
    piece.reserve(std::min(batch_.size(), kSpillPiece));
    std::span<const std::byte> key, payload;
    for (const Slot& slot : offsets_) {
      std::span<const std::byte> record = recordAt(batch_, slot.at, key, payload);
      if (!piece.empty() && piece.size() + record.size() > kSpillPiece) {
        JET_CHECK(file_->writeAt(run.offset + run.length, piece));
        run.length += piece.size();
        piece.clear();
      }
      piece.insert(piece.end(), record.begin(), record.end());
    }
    JET_CHECK(file_->writeAt(run.offset + run.length, piece));
    run.length += piece.size();
  }
  scratchSize_ += run.length;
  runs_.push_back(std::move(run));
  batch_.clear();
  offsets_.clear();
  return okStatus();
}

Result<bool> ExternalSorter::fill(Run& run) {
  auto whole = [&]() {
    const std::size_t left = run.buffer.size() - run.at;
    if (left < kHeader) return false;
    const std::byte* p = run.buffer.data() + run.at;
    return left >= kHeader + load32(p) + std::size_t{load32(p + 4)};
  };
  if (whole()) return true;
  if (run.read == run.length) return false;
  // Keep the partial record, read on.
  run.buffer.erase(run.buffer.begin(), run.buffer.begin() + static_cast<std::ptrdiff_t>(run.at));
  run.at = 0;
  const std::size_t chunk =
      std::max<std::size_t>(memory_ / kMergeShare / runs_.size(), kMinimumMemory);
  while (!whole() && run.read < run.length) {
    std::size_t want = std::min<std::uint64_t>(chunk, run.length - run.read);
    if (run.buffer.size() >= kHeader) {
      const std::byte* p = run.buffer.data();
      const std::size_t need = kHeader + load32(p) + std::size_t{load32(p + 4)} - run.buffer.size();
      want = std::max(want, std::min<std::uint64_t>(need, run.length - run.read));
    }
    const std::size_t at = run.buffer.size();
    run.buffer.resize(at + want);
    JET_CHECK(file_->readAt(run.offset + run.read, std::span(run.buffer).subspan(at)));
    run.read += want;
  }
  return whole();
}

// True iff run a's current record comes after run b's (the heap's order).
// Equal records: the earlier run first, so the merge is stable.
bool ExternalSorter::runAfter(std::size_t a, std::size_t b) const {
  std::span<const std::byte> ka, pa, kb, pb;
  recordAt(runs_[a].buffer, runs_[a].at, ka, pa);
  recordAt(runs_[b].buffer, runs_[b].at, kb, pb);
  if (!before(ka, pa, kb, pb) && !before(kb, pb, ka, pa)) return a > b;
  return before(kb, pb, ka, pa);
}

Status ExternalSorter::finish() {
  if (finished_) return okStatus();
  finished_ = true;
  if (runs_.empty()) {
    sortBatch();
    return okStatus();
  }
  JET_CHECK(spill());
  batch_.shrink_to_fit();
  offsets_.shrink_to_fit();
  for (std::size_t i = 0; i < runs_.size(); ++i) {
    JET_TRY(bool any, fill(runs_[i]));
    if (any) heap_.push_back(i);
  }
  auto greater = [this](std::size_t a, std::size_t b) { return runAfter(a, b); };
  std::make_heap(heap_.begin(), heap_.end(), greater);
  return okStatus();
}

Result<bool> ExternalSorter::next() {
  if (!finished_) return Error(errc::kInvalidArgument);
  if (runs_.empty()) {
    if (nextInBatch_ >= offsets_.size()) return false;
    recordAt(batch_, offsets_[nextInBatch_++].at, key_, payload_);
    return true;
  }
  auto greater = [this](std::size_t a, std::size_t b) { return runAfter(a, b); };
  // Step past the record handed out last time.
  if (current_) {
    Run& run = runs_[*current_];
    std::span<const std::byte> k, p;
    run.at += recordAt(run.buffer, run.at, k, p).size();
    JET_TRY(bool more, fill(run));
    if (more) {
      heap_.push_back(*current_);
      std::push_heap(heap_.begin(), heap_.end(), greater);
    }
    current_.reset();
  }
  if (heap_.empty()) return false;
  std::pop_heap(heap_.begin(), heap_.end(), greater);
  current_ = heap_.back();
  heap_.pop_back();
  recordAt(runs_[*current_].buffer, runs_[*current_].at, key_, payload_);
  return true;
}

}  // namespace jet
