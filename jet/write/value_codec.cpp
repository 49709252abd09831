#include "jet/write/value_codec.h"

#include <cstring>

#include "jet/write/append_bytes.h"

#include "jet/core/byte_view.h"

namespace jet {
namespace {

void putBytes(const void* data, std::size_t size, std::vector<std::byte>& out) {
  appendLittleEndian(static_cast<std::uint32_t>(size), out);
  const auto* p = static_cast<const std::byte*>(data);
  out.insert(out.end(), p, p + size);
}

template <class T>
bool get(ByteView in, std::size_t& at, T& v) {
  if (!in.has(at, sizeof(T))) return false;
  std::memcpy(&v, in.data() + at, sizeof(T));
  at += sizeof(T);
  return true;
}

}  // namespace

void encodeValues(std::span<const Value> values, std::vector<std::byte>& out) {
  for (const Value& v : values) {
    out.push_back(std::byte(v.index()));
    std::visit(
        [&](const auto& x) {
          using T = std::decay_t<decltype(x)>;
          if constexpr (std::is_same_v<T, std::monostate>) {
          } else if constexpr (std::is_same_v<T, bool>) {
            out.push_back(std::byte(x ? 1 : 0));
          } else if constexpr (std::is_same_v<T, Currency>) {
            appendLittleEndian(x.units, out);
          } else if constexpr (std::is_same_v<T, DateTime>) {
            appendLittleEndian(x.days, out);
          } else if constexpr (std::is_same_v<T, Guid>) {
            out.insert(out.end(), x.bytes.begin(), x.bytes.end());
          } else if constexpr (std::is_same_v<T, Text>) {
            putBytes(x.bytes.data(), x.bytes.size(), out);
          } else if constexpr (std::is_same_v<T, Binary>) {
            putBytes(x.bytes.data(), x.bytes.size(), out);
          } else {
            appendLittleEndian(x, out);
          }
        },
        v);
  }
}

Status decodeValues(std::span<const std::byte> bytes, std::vector<Value>& out) {
  out.clear();
  ByteView in(bytes);
  std::size_t at = 0;
  auto bad = [] { return Status(Error(errc::kInvalidArgument)); };
  while (at < in.size()) {
    const std::size_t tag = *in.u8(at++);
    bool ok = true;
    switch (tag) {
      case 0: out.emplace_back(); break;
      case 1: { std::uint8_t b = 0; ok = get(in, at, b); out.emplace_back(b != 0); break; }
      case 2: { std::uint8_t x = 0; ok = get(in, at, x); out.emplace_back(x); break; }
      case 3: { std::int16_t x = 0; ok = get(in, at, x); out.emplace_back(x); break; }
      case 4: { std::int32_t x = 0; ok = get(in, at, x); out.emplace_back(x); break; }
      case 5: { std::int64_t x = 0; ok = get(in, at, x); out.emplace_back(Currency{x}); break; }
      case 6: { float x = 0; ok = get(in, at, x); out.emplace_back(x); break; }
      case 7: { double x = 0; ok = get(in, at, x); out.emplace_back(x); break; }
      case 8: { double x = 0; ok = get(in, at, x); out.emplace_back(DateTime{x}); break; }
      case 9: {
        Guid g;
        ok = in.has(at, g.bytes.size());
        if (ok) std::memcpy(g.bytes.data(), in.data() + at, g.bytes.size());
        at += g.bytes.size();
        out.emplace_back(g);
        break;
      }
      case 10:
      case 11: {
        std::uint32_t n = 0;
        ok = get(in, at, n) && in.has(at, n);
        if (!ok) break;
        if (tag == 10) out.emplace_back(Text{std::string(in.sub(at, n)->chars())});
        else out.emplace_back(Binary{std::vector<std::byte>(in.data() + at, in.data() + at + n)});
        at += n;
        break;
      }
      default: ok = false;
    }
    if (!ok) return bad();
  }
  return okStatus();
}

}  // namespace jet

// The tags are the alternatives' positions in jet::Value.
static_assert(std::is_same_v<std::variant_alternative_t<4, jet::Value>, std::int32_t>);
static_assert(std::is_same_v<std::variant_alternative_t<9, jet::Value>, jet::Guid>);
static_assert(std::is_same_v<std::variant_alternative_t<10, jet::Value>, jet::Text>);
static_assert(std::is_same_v<std::variant_alternative_t<11, jet::Value>, jet::Binary>);
static_assert(std::variant_size_v<jet::Value> == 12);
