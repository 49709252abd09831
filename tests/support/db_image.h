// An in-memory copy of a database file seen as pages, for tests that read
// pages directly (index pages, trees) and damage them page by page; the byte
// helpers of damage.h do the writing.
#pragma once

#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <string>

#include "jet/core/byte_view.h"
#include "jet/core/result.h"
#include "jet/model/index_walker.h"

namespace testing_support {

class DbImage {
 public:
  static constexpr std::size_t kPageSize = 2048;

  // Reads the whole file; an unreadable file gives an empty image.
  static DbImage load(const std::filesystem::path& path);
  explicit DbImage(std::string bytes) : bytes_(std::move(bytes)) {}

  std::uint32_t pageCount() const { return static_cast<std::uint32_t>(bytes_.size() / kPageSize); }
  // Requires: page < pageCount().
  jet::ByteView page(std::uint32_t page) const;
  std::uint8_t pageType(std::uint32_t page) const;
  // A page source over the image for the engine's walkers.
  jet::PageFetch fetch() const;

  // Damage helpers: absolute byte offsets inside page `page`.
  void setByte(std::uint32_t page, std::size_t offset, std::uint8_t value);
  void setU16(std::uint32_t page, std::size_t offset, std::uint16_t value);
  void setU32(std::uint32_t page, std::size_t offset, std::uint32_t value);
  // Overwrites a whole page with `fill`.
  void wipePage(std::uint32_t page, std::byte fill = std::byte{0});
  // Cuts or extends (with zeros) the image to `pages` pages.
  void resize(std::uint32_t pages);

  const std::string& bytes() const { return bytes_; }
  void save(const std::filesystem::path& path) const;

 private:
  std::string bytes_;
};

}  // namespace testing_support
