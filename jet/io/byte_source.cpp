#include "jet/io/byte_source.h"

#include <algorithm>
#include <cstring>

namespace jet {

Result<std::size_t> MemoryBytes::readAt(std::uint64_t offset, std::span<std::byte> out) const {
  if (offset >= bytes_.size()) return std::size_t{0};
  std::size_t n = std::min<std::uint64_t>(out.size(), bytes_.size() - offset);
  std::memcpy(out.data(), bytes_.data() + offset, n);
  return n;
}

}  // namespace jet
