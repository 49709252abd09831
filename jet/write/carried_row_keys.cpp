#include "jet/write/carried_row_keys.h"

#include "jet/index/index_key.h"

namespace jet {

CarriedRowKeys::CarriedRowKeys(std::vector<IndexShape> shapes) : shapes_(std::move(shapes)) {
  for (const IndexShape& s : shapes_) any_ = any_ || s.carried;
  if (any_) keys_.resize(shapes_.size());
}

Status CarriedRowKeys::take(std::span<const std::optional<Key>> stored,
                            std::span<const Value> before, std::span<const Value> after) {
  if (!any_) return okStatus();
  if (stored.size() != shapes_.size()) {
    return Error::corrupt(-1, "un índice de texto en un orden de clasificación que este "
                              "programa no reproduce no trae sus claves");
  }
  for (std::size_t r = 0; r < shapes_.size(); ++r) {
    keys_[r].reset();
    if (!shapes_[r].carried || !stored[r]) continue;
    before_.clear();
    after_.clear();
    for (std::size_t p : shapes_[r].valuePositions) {
      if (p >= before.size() || p >= after.size()) return Error(errc::kInvalidArgument);
      before_.push_back(before[p]);
      after_.push_back(after[p]);
    }
    JET_TRY(keys_[r], carryKey(shapes_[r].columns, *stored[r], before_, after_));
  }
  return okStatus();
}

// Per index: one byte, 1 when a key follows, then its length (u16,
// big-endian) and its bytes.
void CarriedRowKeys::encode(std::vector<std::byte>& out) const {
  for (const std::optional<Key>& k : keys_) {
    out.push_back(std::byte(k ? 1 : 0));
    if (!k) continue;
    out.push_back(std::byte(k->size() >> 8));
    out.push_back(std::byte(k->size() & 0xFF));
    out.insert(out.end(), k->begin(), k->end());
  }
}

Result<std::size_t> CarriedRowKeys::decode(std::span<const std::byte> in) {
  std::size_t at = 0;
  for (std::optional<Key>& k : keys_) {
    if (at >= in.size()) return Error(errc::kInvalidArgument);
    const bool present = in[at++] != std::byte{0};
    k.reset();
    if (!present) continue;
    if (at + 2 > in.size()) return Error(errc::kInvalidArgument);
    const std::size_t n = std::to_integer<std::size_t>(in[at]) << 8 | std::to_integer<std::size_t>(in[at + 1]);
    at += 2;
    if (at + n > in.size()) return Error(errc::kInvalidArgument);
    k.emplace(in.begin() + static_cast<std::ptrdiff_t>(at), in.begin() + static_cast<std::ptrdiff_t>(at + n));
    at += n;
  }
  return at;
}

}  // namespace jet
