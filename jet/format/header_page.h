// Page 0: the database header.
//
// Integers are little-endian. Bytes 0x18..0x95 (126 bytes) are masked: XORed
// with the RC4 key stream of the fixed key C7 DA 39 6B. Offsets of the masked
// fields below are offsets in the page, valid once the mask is removed.
//
//   offset  size  meaning
//   0x00    1     page type, 0x00
//   0x01    3     01 00 00
//   0x04    16    "Standard Jet DB\0" (the magic)
//   0x14    4     format version: 0 = Jet 3 (Access 97), 1 = Jet 4, 2+ = later
//   -- masked --
//   0x3A    2     sort order of text (0x0409 = "General")
//   0x3C    2     code page of text (1252 = Western European)
//   0x3E    4     database key: 0, or the page key of an encrypted database
//   0x42    20    database password, zero-filled; all zero when none is set
//   0x72    8     creation date (double), where later versions keep it; the
//                 Jet 3 files we know hold zero here
//   0x600   512   not masked; Access 97 writes 01 01 nn 01 then 00 01 pairs
//
// The other bytes of the masked block hold values Access writes the same in
// every Jet 3 file we have (defaultHeaderPage() has them); the writer carries
// a source's header over and changes only the fields above.
#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "jet/core/byte_view.h"
#include "jet/core/result.h"
#include "jet/format/value.h"

namespace jet {

namespace header_page {
inline constexpr std::size_t kType = 0x00;
inline constexpr std::size_t kMagic = 0x04;
inline constexpr std::string_view kMagicText{"Standard Jet DB\0", 16};
inline constexpr std::size_t kVersion = 0x14;
inline constexpr std::size_t kMaskedStart = 0x18;
inline constexpr std::size_t kMaskedLength = 126;
inline constexpr std::array<std::uint8_t, 4> kMaskKey{0xC7, 0xDA, 0x39, 0x6B};
inline constexpr std::size_t kSortOrder = 0x3A;
inline constexpr std::size_t kCodePage = 0x3C;
inline constexpr std::size_t kDatabaseKey = 0x3E;
inline constexpr std::size_t kPassword = 0x42;
inline constexpr std::size_t kPasswordLength = 20;
inline constexpr std::size_t kCreated = 0x72;
inline constexpr std::size_t kTrailer = 0x600;
// The smallest header that holds every field above.
inline constexpr std::size_t kMinimumSize = kMaskedStart + kMaskedLength;

inline constexpr std::uint32_t kVersionJet3 = 0;
inline constexpr std::uint16_t kGeneralSortOrder = 0x0409;
inline constexpr std::uint16_t kWesternCodePage = 1252;
}  // namespace header_page

struct HeaderPage {
  std::uint32_t version = 0;
  std::uint16_t sortOrder = 0;
  std::uint16_t codePage = 0;
  std::uint32_t databaseKey = 0;  // 0: the pages are not encrypted
  std::array<std::uint8_t, header_page::kPasswordLength> password{};
  std::optional<DateTime> created;  // absent when the field is zero

  bool hasPassword() const;
  // True iff the password field holds `bytes` (in the header's code page),
  // compared as Access does: letter case counts. Every password matches a
  // field that holds none.
  bool passwordIs(std::string_view bytes) const;
  bool encrypted() const { return databaseKey != 0; }
};

// True iff `codePage` is a Windows ANSI code page that Jet 3 text can be in.
bool isKnownCodePage(std::uint16_t codePage);
// True iff `sortOrder` is one of the sort orders (locale ids) Jet 3 offers.
bool isKnownSortOrder(std::uint16_t sortOrder);
// True iff the password field looks like one Access wrote: 1 to 20 bytes of
// text, then zeros. Random damage rarely has that shape.
bool isPasswordShaped(const std::array<std::uint8_t, header_page::kPasswordLength>& password);

// Removes (or applies: the mask is its own inverse) the RC4 mask of the header
// block in place. Requires: page.size() >= header_page::kMinimumSize.
void toggleHeaderMask(std::span<std::byte> page);

// Page 0 of a new Access 97 database, as stored (masked): the values Access
// writes in every Jet 3 file we have, sort order General (0x0409), code page
// 1252, no key, no password.
std::vector<std::byte> defaultHeaderPage();

// Page 0 as stored for `header`: `stored` (a page 0 as stored, kPageSize
// bytes; defaultHeaderPage() for a new file) with the sort order, code page,
// database key, password and creation date of `header` written into its
// masked block. Fails (3001) when `stored` has the wrong size.
Result<std::vector<std::byte>> encodeHeaderPage(const HeaderPage& header,
                                                std::span<const std::byte> stored);

// Decodes page 0 as stored. Fails with 3049 naming `path` when the page is
// shorter than a header, the magic is wrong, or the version is not Jet 3.
Result<HeaderPage> decodeHeaderPage(ByteView page, std::string_view path);

}  // namespace jet
