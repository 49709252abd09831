// An in-memory copy of a database file seen as pages, for tests that read
// pages directly (index pages, trees).
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

 private:
  std::string bytes_;
};

}  // namespace testing_support
