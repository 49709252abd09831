#include "jet/format/header_page.h"

#include <algorithm>
#include <cstring>
#include <iterator>
#include <vector>

#include "jet/io/page_source.h"
#include "jet/io/rc4.h"

namespace jet {

bool HeaderPage::hasPassword() const {
  return std::any_of(password.begin(), password.end(), [](std::uint8_t b) { return b != 0; });
}

bool HeaderPage::passwordIs(std::string_view bytes) const {
  if (bytes.size() > password.size()) return !hasPassword();
  std::array<std::uint8_t, header_page::kPasswordLength> given{};
  std::memcpy(given.data(), bytes.data(), bytes.size());
  return !hasPassword() || given == password;
}

bool isKnownCodePage(std::uint16_t codePage) {
  constexpr std::uint16_t kKnown[] = {874,  932,  936,  949,  950,  1250, 1251,
                                      1252, 1253, 1254, 1255, 1256, 1257, 1258};
  return std::find(std::begin(kKnown), std::end(kKnown), codePage) != std::end(kKnown);
}

bool isKnownSortOrder(std::uint16_t sortOrder) {
  // General (1033), neutral (1024) and the national orders of Jet 3.
  constexpr std::uint16_t kKnown[] = {1024, 1025, 1028, 1029, 1030, 1032, 1033,
                                      1034, 1037, 1038, 1039, 1041, 1042, 1043,
                                      1045, 1049, 1053, 1054, 1055, 1060, 2052};
  return std::find(std::begin(kKnown), std::end(kKnown), sortOrder) != std::end(kKnown);
}

bool isPasswordShaped(const std::array<std::uint8_t, header_page::kPasswordLength>& password) {
  std::size_t length = 0;
  while (length < password.size() && password[length] != 0) ++length;
  if (length == 0) return false;
  for (std::size_t i = 0; i < length; ++i) {
    if (password[i] < 0x20) return false;
  }
  return std::all_of(password.begin() + static_cast<std::ptrdiff_t>(length), password.end(),
                     [](std::uint8_t b) { return b == 0; });
}

void toggleHeaderMask(std::span<std::byte> page) {
  Rc4 rc4(header_page::kMaskKey);
  rc4.apply(page.subspan(header_page::kMaskedStart, header_page::kMaskedLength));
}

std::vector<std::byte> defaultHeaderPage() {
  using namespace header_page;
  std::vector<std::byte> page(kPageSize, std::byte{0});
  ByteWriter w(page);
  w.u8(kType, 0);
  w.u8(0x01, 0x01);
  w.bytes(kMagic, std::as_bytes(std::span(kMagicText.data(), kMagicText.size())));
  w.u32(kVersion, kVersionJet3);
  // The masked block as Access 97 fills it (unmasked here): what the values
  // at 0x18..0x2F and 0x38, 0x56 mean is not known; they never vary.
  w.u32(0x18, 0x00000100);
  w.u32(0x1C, 0x00000101);
  w.u32(0x20, 2);
  w.u32(0x24, 3);
  w.u32(0x28, 4);
  w.u32(0x2C, 5);
  w.u16(0x38, 1);
  w.u16(kSortOrder, kGeneralSortOrder);
  w.u16(kCodePage, kWesternCodePage);
  w.u16(0x56, 0x251E);
  // Not masked: 01 01 09 01, then 00 01 to the end of the page.
  w.u32(kTrailer, 0x01090101);
  for (std::size_t at = kTrailer + 4; at < kPageSize; at += 2) w.u16(at, 0x0100);
  toggleHeaderMask(page);
  return page;
}

Result<std::vector<std::byte>> encodeHeaderPage(const HeaderPage& header,
                                                std::span<const std::byte> stored) {
  using namespace header_page;
  if (stored.size() != kPageSize) return Error(errc::kInvalidArgument);
  std::vector<std::byte> page(stored.begin(), stored.end());
  toggleHeaderMask(page);
  ByteWriter w(page);
  w.u16(kSortOrder, header.sortOrder);
  w.u16(kCodePage, header.codePage);
  w.u32(kDatabaseKey, header.databaseKey);
  w.bytes(kPassword, std::as_bytes(std::span(header.password)));
  w.f64(kCreated, header.created ? header.created->days : 0.0);
  toggleHeaderMask(page);
  return page;
}

Result<HeaderPage> decodeHeaderPage(ByteView page, std::string_view path) {
  using namespace header_page;
  if (page.size() < kMinimumSize) return Error::notADatabase(path);
  if (page.u8(kType) != 0 || page.sub(kMagic, kMagicText.size())->chars() != kMagicText) {
    return Error::notADatabase(path);
  }
  HeaderPage h;
  h.version = *page.u32(kVersion);
  if (h.version != kVersionJet3) return Error::notADatabase(path);

  std::vector<std::byte> clear(page.data(), page.data() + kMinimumSize);
  toggleHeaderMask(clear);
  ByteView v(clear);
  h.sortOrder = *v.u16(kSortOrder);
  h.codePage = *v.u16(kCodePage);
  h.databaseKey = *v.u32(kDatabaseKey);
  std::memcpy(h.password.data(), clear.data() + kPassword, kPasswordLength);
  double created = *v.f64(kCreated);
  if (created != 0) h.created = DateTime{created};
  return h;
}

}  // namespace jet
