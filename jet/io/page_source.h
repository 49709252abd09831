// Pages of a Jet 3 database: 2048 bytes each, numbered from 0.
//
// PageSource reads whole pages from a ByteSource, checks every page number
// against the page count, decrypts the pages of an encrypted database, and
// keeps a small fixed cache so memory stays bounded whatever the file's size.
// Reads that go forward page after page (a table's data, a long value's
// chain) are served from runs of pages read at once, one system call a run.
// A file whose size is not a multiple of the page size ends with a partial
// page: it is not a page (pageCount() excludes it) and trailingBytes() says how
// long it is, for the caller to report as damage.
//
// Encryption (Access's "encrypt database" option): every page but page 0 is
// RC4-encrypted with a 4-byte key, the database key from the header XOR the
// page number (little-endian). Page 0 is returned as stored; its masked block
// is decoded by jet/format/header_page.h.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <memory>
#include <vector>

#include "jet/core/byte_view.h"
#include "jet/core/result.h"
#include "jet/io/byte_source.h"

namespace jet {

inline constexpr std::size_t kPageSize = 2048;

struct Page {
  std::uint32_t number = 0;
  std::array<std::byte, kPageSize> bytes{};

  ByteView view() const { return ByteView(bytes); }
  std::uint8_t type() const { return std::to_integer<std::uint8_t>(bytes[0]); }
};

using PageRef = std::shared_ptr<const Page>;

class PageSource {
 public:
  // Requires: `bytes` outlives the PageSource.
  static Result<PageSource> create(const ByteSource& bytes);
  // A source of no pages, to be assigned later.
  static PageSource empty();
  // Another reader of the same bytes, with the same key and pages, and a cache
  // of its own: a PageSource is not thread-safe, so each thread that reads a
  // file takes a sibling (ByteSource reads at an offset, which threads may
  // share). Requires: the bytes outlive the sibling.
  PageSource sibling() const;

  std::uint32_t pageCount() const { return pageCount_; }
  // Bytes after the last whole page (0 for a sound file).
  std::size_t trailingBytes() const { return trailingBytes_; }
  const ByteSource& bytes() const { return *bytes_; }

  // 0: pages are stored in clear.
  void setDatabaseKey(std::uint32_t key);
  std::uint32_t databaseKey() const { return key_; }

  // For salvage: the partial page at the end becomes the last page, its
  // missing bytes read as zeros; validBytes() says how many are real.
  void includePartialPage();
  // The bytes of page `number` that the file holds: kPageSize but for an
  // included partial page.
  std::size_t validBytes(std::uint32_t number) const;

  // Page `number`, decrypted. Fails with 3343 naming the page when it lies past
  // the last whole page, 3043 when the read fails.
  Result<PageRef> read(std::uint32_t number) const;

  // Applies the page cipher to `page` (its own inverse); a no-op for page 0 or
  // a zero key. Exposed for the writer and for tests that build encrypted files.
  static void applyCipher(std::uint32_t key, std::uint32_t number, std::span<std::byte> page);

 private:
  static constexpr std::size_t kCacheSlots = 256;
  // Pages read at once once reads go forward (a small part of kCacheSlots,
  // so that a run never evicts its own pages and several readers going
  // forward at once, rows and long values, seldom evict each other's).
  static constexpr std::uint32_t kRunPages = 32;
  // Readers going forward followed at once.
  static constexpr std::size_t kStreams = 4;

  // Pages by number modulo kCacheSlots. A slot's page is rewritten in place
  // when no caller holds it any more.
  struct Cache {
    std::array<std::shared_ptr<Page>, kCacheSlots> slots;
    // The last page read from the file by each reader going forward; the one
    // least recently continued gives way to a new one.
    std::array<std::uint32_t, kStreams> streamEnds;
    std::array<std::uint64_t, kStreams> streamUsed{};
    std::uint64_t clock = 0;
    std::vector<std::byte> run;
    Cache() { streamEnds.fill(0xFFFFFFFF); }
  };

  PageSource(const ByteSource* bytes, std::uint32_t count, std::size_t trailing)
      : bytes_(bytes), pageCount_(count), trailingBytes_(trailing),
        cache_(std::make_unique<Cache>()) {}

  // The cache slot for page `number`, holding a page no caller holds.
  Page& freshSlot(std::uint32_t number) const;

  const ByteSource* bytes_;
  std::uint32_t pageCount_;
  std::size_t trailingBytes_;
  bool partialIncluded_ = false;
  std::uint32_t key_ = 0;
  std::unique_ptr<Cache> cache_;
};

}  // namespace jet
