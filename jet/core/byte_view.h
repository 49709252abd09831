// Bounds-checked little-endian access to bytes read from disk.
//
// Integers in a Jet 3 file are little-endian unless a format header says
// otherwise (index keys and a few page numbers are big-endian). A ByteView
// never reads past its end: every accessor returns std::nullopt instead, and the
// decoder turns that into a finding or an Error with the page it was reading.
// ByteWriter is the writer's counterpart over a mutable page.
#pragma once

#include <bit>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <optional>
#include <span>
#include <string_view>

namespace jet {

class ByteView {
 public:
  ByteView() = default;
  explicit ByteView(std::span<const std::byte> bytes) : bytes_(bytes) {}
  ByteView(const void* data, std::size_t size)
      : bytes_(static_cast<const std::byte*>(data), size) {}

  std::size_t size() const { return bytes_.size(); }
  bool empty() const { return bytes_.empty(); }
  const std::byte* data() const { return bytes_.data(); }
  std::span<const std::byte> span() const { return bytes_; }

  // True iff [offset, offset + length) lies inside the view (no overflow).
  bool has(std::size_t offset, std::size_t length) const {
    return offset <= bytes_.size() && length <= bytes_.size() - offset;
  }

  std::optional<std::uint8_t> u8(std::size_t offset) const {
    if (!has(offset, 1)) return std::nullopt;
    return std::to_integer<std::uint8_t>(bytes_[offset]);
  }
  std::optional<std::uint16_t> u16(std::size_t offset) const { return le<std::uint16_t>(offset); }
  std::optional<std::uint32_t> u24(std::size_t offset) const {
    if (!has(offset, 3)) return std::nullopt;
    return std::uint32_t(at(offset)) | std::uint32_t(at(offset + 1)) << 8 |
           std::uint32_t(at(offset + 2)) << 16;
  }
  std::optional<std::uint32_t> u32(std::size_t offset) const { return le<std::uint32_t>(offset); }
  std::optional<std::uint64_t> u64(std::size_t offset) const { return le<std::uint64_t>(offset); }
  std::optional<std::int16_t> i16(std::size_t offset) const { return le<std::int16_t>(offset); }
  std::optional<std::int32_t> i32(std::size_t offset) const { return le<std::int32_t>(offset); }
  std::optional<std::int64_t> i64(std::size_t offset) const { return le<std::int64_t>(offset); }
  std::optional<float> f32(std::size_t offset) const { return le<float>(offset); }
  std::optional<double> f64(std::size_t offset) const { return le<double>(offset); }
  // Big-endian 32-bit value (child pointers of intermediate index entries).
  std::optional<std::uint32_t> u32be(std::size_t offset) const {
    if (!has(offset, 4)) return std::nullopt;
    return std::uint32_t(at(offset)) << 24 | std::uint32_t(at(offset + 1)) << 16 |
           std::uint32_t(at(offset + 2)) << 8 | std::uint32_t(at(offset + 3));
  }
  std::optional<std::uint32_t> u24be(std::size_t offset) const {
    if (!has(offset, 3)) return std::nullopt;
    return std::uint32_t(at(offset)) << 16 | std::uint32_t(at(offset + 1)) << 8 |
           std::uint32_t(at(offset + 2));
  }

  // The sub-range [offset, offset + length), or nullopt when it leaves the view.
  std::optional<ByteView> sub(std::size_t offset, std::size_t length) const {
    if (!has(offset, length)) return std::nullopt;
    return ByteView(bytes_.subspan(offset, length));
  }
  // Everything from offset to the end (empty when offset == size()).
  std::optional<ByteView> from(std::size_t offset) const {
    if (offset > bytes_.size()) return std::nullopt;
    return ByteView(bytes_.subspan(offset));
  }

  std::string_view chars() const {
    return {reinterpret_cast<const char*>(bytes_.data()), bytes_.size()};
  }

 private:
  std::uint8_t at(std::size_t i) const { return std::to_integer<std::uint8_t>(bytes_[i]); }

  template <class T>
  std::optional<T> le(std::size_t offset) const {
    static_assert(std::endian::native == std::endian::little,
                  "the engine assumes a little-endian host");
    if (!has(offset, sizeof(T))) return std::nullopt;
    T value;
    std::memcpy(&value, bytes_.data() + offset, sizeof(T));
    return value;
  }

  std::span<const std::byte> bytes_;
};

// Little-endian stores into a mutable buffer. Writers compute their offsets
// from the layout constants and own the buffer's size, so a store outside it is
// a programming error: it is checked and reported through ok().
class ByteWriter {
 public:
  explicit ByteWriter(std::span<std::byte> bytes) : bytes_(bytes) {}

  std::size_t size() const { return bytes_.size(); }
  std::span<std::byte> span() const { return bytes_; }
  // False once any store fell outside the buffer (the store was dropped).
  bool ok() const { return ok_; }

  void u8(std::size_t offset, std::uint8_t v) { put(offset, v); }
  void u16(std::size_t offset, std::uint16_t v) { put(offset, v); }
  void u24(std::size_t offset, std::uint32_t v) {
    if (!fits(offset, 3)) return;
    for (int i = 0; i < 3; ++i) bytes_[offset + i] = std::byte((v >> (8 * i)) & 0xFF);
  }
  void u32(std::size_t offset, std::uint32_t v) { put(offset, v); }
  void u64(std::size_t offset, std::uint64_t v) { put(offset, v); }
  void i16(std::size_t offset, std::int16_t v) { put(offset, v); }
  void i32(std::size_t offset, std::int32_t v) { put(offset, v); }
  void i64(std::size_t offset, std::int64_t v) { put(offset, v); }
  void f32(std::size_t offset, float v) { put(offset, v); }
  void f64(std::size_t offset, double v) { put(offset, v); }
  void u32be(std::size_t offset, std::uint32_t v) {
    if (!fits(offset, 4)) return;
    for (int i = 0; i < 4; ++i) bytes_[offset + i] = std::byte((v >> (8 * (3 - i))) & 0xFF);
  }
  void u24be(std::size_t offset, std::uint32_t v) {
    if (!fits(offset, 3)) return;
    for (int i = 0; i < 3; ++i) bytes_[offset + i] = std::byte((v >> (8 * (2 - i))) & 0xFF);
  }
  void bytes(std::size_t offset, std::span<const std::byte> src) {
    if (!fits(offset, src.size())) return;
    if (!src.empty()) std::memcpy(bytes_.data() + offset, src.data(), src.size());
  }
  void fill(std::size_t offset, std::size_t length, std::byte value) {
    if (!fits(offset, length)) return;
    if (length != 0) std::memset(bytes_.data() + offset, std::to_integer<int>(value), length);
  }

 private:
  bool fits(std::size_t offset, std::size_t length) {
    if (offset <= bytes_.size() && length <= bytes_.size() - offset) return true;
    ok_ = false;
    return false;
  }
  template <class T>
  void put(std::size_t offset, T v) {
    if (!fits(offset, sizeof(T))) return;
    std::memcpy(bytes_.data() + offset, &v, sizeof(T));
  }

  std::span<std::byte> bytes_;
  bool ok_ = true;
};

}  // namespace jet
