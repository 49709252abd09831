// Bytes spelled out in a test: bytes({0x7F, 1, 2}).
#pragma once

#include <cstddef>
#include <initializer_list>
#include <vector>

namespace testing_support {

inline std::vector<std::byte> bytes(std::initializer_list<int> values) {
  std::vector<std::byte> out;
  for (int v : values) out.push_back(std::byte(v));
  return out;
}

}  // namespace testing_support
