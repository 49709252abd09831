// RC4, the stream cipher Jet uses to mask the header page and to encrypt the
// pages of a database encrypted with Access's "encrypt" option. Encrypting and
// decrypting are the same operation.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <span>

namespace jet {

class Rc4 {
 public:
  // Requires: 1 <= key.size() <= 256.
  explicit Rc4(std::span<const std::uint8_t> key);
  // XORs `data` in place with the next data.size() bytes of the key stream.
  void apply(std::span<std::byte> data);

 private:
  std::array<std::uint8_t, 256> s_{};
  std::uint8_t i_ = 0;
  std::uint8_t j_ = 0;
};

}  // namespace jet
