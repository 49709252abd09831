// PageSource: pages read forward come from runs read at once; a run must give
// every page its own bytes (decrypted with its own number), never rewrite a
// page a caller still holds, and stop at the last whole page.
#include <gtest/gtest.h>

#include <cstring>

#include "jet/io/byte_source.h"
#include "jet/io/page_source.h"

namespace {

using namespace jet;

std::uint32_t stamp(const Page& page) {
  std::uint32_t v;
  std::memcpy(&v, page.bytes.data() + 100, 4);
  return v;
}

TEST(PageSource, ForwardRunsKeepEachPageItsOwnAndHeldPagesIntact) {
  constexpr std::uint32_t kPages = 75;
  constexpr std::uint32_t kKey = 0x12345678;
  std::string image(kPages * kPageSize + 100, '\0');  // and a partial page
  for (std::uint32_t p = 0; p < kPages; ++p) {
    std::uint32_t v = p * 7 + 1;
    std::memcpy(image.data() + p * kPageSize + 100, &v, 4);
    auto bytes = std::as_writable_bytes(std::span(image.data() + p * kPageSize, kPageSize));
    PageSource::applyCipher(kKey, p, bytes);
  }
  MemoryBytes mem(image);
  auto pages = PageSource::create(mem);
  ASSERT_TRUE(pages);
  pages->setDatabaseKey(kKey);
  EXPECT_EQ(pages->pageCount(), kPages);
  auto held = pages->read(3);
  ASSERT_TRUE(held);
  for (int pass = 0; pass < 2; ++pass) {
    for (std::uint32_t p = 0; p < kPages; ++p) {
      auto page = pages->read(p);
      ASSERT_TRUE(page) << p;
      EXPECT_EQ((*page)->number, p);
      EXPECT_EQ(stamp(**page), p * 7 + 1) << p;
    }
  }
  EXPECT_EQ((*held)->number, 3u);
  EXPECT_EQ(stamp(**held), 22u);
  EXPECT_FALSE(pages->read(kPages));
}

}  // namespace
