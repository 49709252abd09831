#include "jet/format/header_page.h"

#include <algorithm>
#include <cstring>
#include <vector>

#include "jet/io/rc4.h"

namespace jet {

bool HeaderPage::hasPassword() const {
  return std::any_of(password.begin(), password.end(), [](std::uint8_t b) { return b != 0; });
}

void toggleHeaderMask(std::span<std::byte> page) {
  Rc4 rc4(header_page::kMaskKey);
  rc4.apply(page.subspan(header_page::kMaskedStart, header_page::kMaskedLength));
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
