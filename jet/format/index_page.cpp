#include "jet/format/index_page.h"

#include <algorithm>
#include <string>

namespace jet {
namespace {

using namespace index_page;

// Offsets (from kFirstEntry) where entries end, in increasing order.
std::vector<std::size_t> entryEnds(ByteView page) {
  std::vector<std::size_t> ends;
  for (std::size_t byte = 0; byte < kEntryMaskSize; ++byte) {
    std::uint8_t bits = page.u8(kEntryMask + byte).value_or(0);
    for (int bit = 0; bits != 0 && bit < 8; ++bit) {
      if (bits & (1u << bit)) ends.push_back(byte * 8 + static_cast<std::size_t>(bit));
    }
  }
  return ends;
}

void putPointer(std::vector<std::byte>& out, std::uint32_t page, std::uint8_t row) {
  const auto bytes = index_page::encodeRowPointer(page, row);
  out.insert(out.end(), bytes.begin(), bytes.end());
}

std::size_t commonPrefix(std::span<const std::byte> a, std::span<const std::byte> b) {
  auto [ia, ib] = std::mismatch(a.begin(), a.end(), b.begin(), b.end());
  return static_cast<std::size_t>(ia - a.begin());
}

}  // namespace

std::strong_ordering compareKeys(std::span<const std::byte> a, std::span<const std::byte> b) {
  return std::lexicographical_compare_three_way(
      a.begin(), a.end(), b.begin(), b.end(), [](std::byte x, std::byte y) {
        return std::to_integer<unsigned>(x) <=> std::to_integer<unsigned>(y);
      });
}

std::strong_ordering IndexEntry::operator<=>(const IndexEntry& other) const {
  if (auto c = compareKeys(key, other.key); c != 0) return c;
  if (auto c = dataPage <=> other.dataPage; c != 0) return c;
  return dataRow <=> other.dataRow;
}

Result<IndexPage> decodeIndexPage(ByteView page, std::uint32_t pageNumber, DamageSink& sink) {
  const std::int64_t where = pageNumber;
  if (page.size() != kPageSize) return Error::corrupt(where, "página de índice de tamaño incorrecto");
  IndexPage out;
  const std::uint8_t type = *page.u8(kType);
  if (type != kTypeLeaf && type != kTypeIntermediate) {
    return Error::corrupt(where, "se esperaba una página de índice y es de tipo " + std::to_string(type));
  }
  out.leaf = type == kTypeLeaf;
  out.freeSpace = *page.u16(kFreeSpace);
  out.owner = *page.u32(kOwner);
  out.prevPage = *page.u32(kPrevPage);
  out.nextPage = *page.u32(kNextPage);
  out.tailPage = *page.u32(kTailPage);
  out.prefixLength = *page.u8(kPrefixLength);

  const std::size_t trailer = kRowPointerSize + (out.leaf ? 0 : kChildPointerSize);
  const std::vector<std::size_t> ends = entryEnds(page);
  // A mask bit past the entry area would put an entry beyond the page's end.
  if (!ends.empty() && ends.back() > kEntryArea) {
    return Error::corrupt(where, "la máscara de entradas sale de la página");
  }
  std::size_t start = 0;
  std::vector<std::byte> prefix;
  out.entries.reserve(ends.size());
  for (std::size_t i = 0; i < ends.size(); ++i) {
    const std::size_t end = ends[i];
    if (end == start) return Error::corrupt(where, "entrada de índice vacía");
    ByteView stored = *page.sub(kFirstEntry + start, end - start);
    std::vector<std::byte> full;
    if (i == 0) {
      if (out.prefixLength > stored.size()) {
        return Error::corrupt(where, "prefijo compartido más largo que la primera entrada");
      }
      prefix.assign(stored.data(), stored.data() + out.prefixLength);
      full.assign(stored.data(), stored.data() + stored.size());
    } else {
      full.reserve(prefix.size() + stored.size());
      full = prefix;
      full.insert(full.end(), stored.data(), stored.data() + stored.size());
    }
    if (full.size() < trailer) return Error::corrupt(where, "entrada de índice demasiado corta");
    ByteView v(full.data(), full.size());
    const std::size_t keyLength = full.size() - trailer;
    IndexEntry entry;
    entry.dataPage = *v.u24be(keyLength);
    entry.dataRow = *v.u8(keyLength + 3);
    if (!out.leaf) entry.child = *v.u32be(keyLength + kRowPointerSize);
    full.resize(keyLength);
    entry.key = std::move(full);
    out.entries.push_back(std::move(entry));
    start = end;
  }
  const std::size_t used = kFirstEntry + start;
  if (out.freeSpace != kPageSize - used) {
    Finding f;
    f.page = where;
    f.message = "el espacio libre anotado (" + std::to_string(out.freeSpace) +
                ") no coincide con las entradas (" + std::to_string(kPageSize - used) + ")";
    sink.report(std::move(f));
  }
  return out;
}

std::size_t IndexPageBuilder::entrySize(const IndexEntry& entry) const {
  return entry.key.size() + index_page::kRowPointerSize +
         (leaf_ ? 0 : index_page::kChildPointerSize);
}

void IndexPageBuilder::serialize(const IndexEntry& entry, std::vector<std::byte>& out) const {
  out.assign(entry.key.begin(), entry.key.end());
  putPointer(out, entry.dataPage, entry.dataRow);
  if (!leaf_) {
    for (int shift = 24; shift >= 0; shift -= 8) out.push_back(std::byte((entry.child >> shift) & 0xFF));
  }
}

// The prefix the page would share with `extra` added: the longest prefix
// common to every entry. Every entry after the first keeps at least one byte
// of its own, so the mask can tell them apart.
std::size_t IndexPageBuilder::prefixWith(const IndexEntry* extra) const {
  const std::size_t count = entries_.size() + (extra ? 1 : 0);
  if (!compress_ || count < 2) return 0;
  std::size_t prefix = entries_.size() >= 2 ? sharedPrefix_ : first_.size() - 1;
  if (extra) {
    serialize(*extra, trial_);
    prefix = std::min({prefix, commonPrefix(first_, trial_), trial_.size() - 1});
  }
  return prefix;
}

std::size_t IndexPageBuilder::totalSize(const IndexEntry* extra) const {
  const std::size_t count = entries_.size() + (extra ? 1 : 0);
  const std::size_t raw = rawTotal_ + (extra ? entrySize(*extra) : 0);
  return count < 2 ? raw : raw - (count - 1) * prefixWith(extra);
}

bool IndexPageBuilder::fits(const IndexEntry& entry) const {
  return totalSize(&entry) <= index_page::kEntryArea;
}

void IndexPageBuilder::add(IndexEntry entry) {
  if (entries_.empty()) {
    serialize(entry, first_);
  } else {
    sharedPrefix_ = prefixWith(&entry);
  }
  rawTotal_ += entrySize(entry);
  entries_.push_back(std::move(entry));
}

Status IndexPageBuilder::write(std::uint32_t owner, std::uint32_t prevPage,
                               std::uint32_t nextPage, std::uint32_t tailPage,
                               std::span<std::byte> out) const {
  using namespace index_page;
  if (out.size() != kPageSize || totalSize(nullptr) > kEntryArea) {
    return Error(errc::kInvalidArgument);
  }
  std::fill(out.begin(), out.end(), std::byte{0});
  ByteWriter w(out);
  w.u8(kType, leaf_ ? kTypeLeaf : kTypeIntermediate);
  w.u8(kAlwaysOne, 1);
  w.u32(kOwner, owner);
  w.u32(kPrevPage, prevPage);
  w.u32(kNextPage, nextPage);
  w.u32(kTailPage, leaf_ ? 0 : tailPage);
  const std::size_t prefix = prefixWith(nullptr);
  w.u8(kPrefixLength, static_cast<std::uint8_t>(prefix));
  w.u8(kLevelFlag, leaf_ ? 0 : 1);
  std::size_t at = 0;
  std::vector<std::byte> bytes;
  for (std::size_t i = 0; i < entries_.size(); ++i) {
    serialize(entries_[i], bytes);
    std::span<const std::byte> stored(bytes);
    if (i > 0) stored = stored.subspan(prefix);
    w.bytes(kFirstEntry + at, stored);
    at += stored.size();
    const std::size_t maskByte = kEntryMask + at / 8;
    w.u8(maskByte, static_cast<std::uint8_t>(std::to_integer<unsigned>(out[maskByte]) |
                                             (1u << (at % 8))));
  }
  w.u16(kFreeSpace, static_cast<std::uint16_t>(kPageSize - kFirstEntry - at));
  return w.ok() ? okStatus() : Status(Error(errc::kInvalidArgument));
}

std::array<std::byte, index_page::kRowPointerSize> index_page::encodeRowPointer(
    std::uint32_t page, std::uint8_t row) {
  return {std::byte((page >> 16) & 0xFF), std::byte((page >> 8) & 0xFF), std::byte(page & 0xFF),
          std::byte(row)};
}

RowLocation index_page::decodeRowPointer(std::span<const std::byte> bytes) {
  const std::uint32_t page = std::to_integer<std::uint32_t>(bytes[0]) << 16 |
                             std::to_integer<std::uint32_t>(bytes[1]) << 8 |
                             std::to_integer<std::uint32_t>(bytes[2]);
  return {page, std::to_integer<std::uint8_t>(bytes[3])};
}

}  // namespace jet
