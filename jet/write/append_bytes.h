// Appending little-endian values to a growing byte buffer (the writer's
// rows and scratch records; ByteWriter writes into fixed pages instead).
#pragma once

#include <cstddef>
#include <vector>

namespace jet {

template <class T>
void appendLittleEndian(const T& value, std::vector<std::byte>& out) {
  const auto* p = reinterpret_cast<const std::byte*>(&value);
  out.insert(out.end(), p, p + sizeof(T));
}

}  // namespace jet
