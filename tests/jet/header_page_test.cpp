// Page 0 for writers: Access 97's default header, and a source's header
// carried over with its settings changed.
#include <gtest/gtest.h>

#include "jet/format/header_page.h"
#include "jet/io/page_source.h"
#include "tests/support/corpus.h"

namespace jet {
namespace {

using namespace testing_support;

std::vector<std::byte> firstPage(const std::filesystem::path& file) {
  std::string bytes = readFile(file).substr(0, kPageSize);
  const auto* p = reinterpret_cast<const std::byte*>(bytes.data());
  return {p, p + bytes.size()};
}

// Every corpus header equals the default one but for the bytes at 0x600 and
// 0x602 (outside the masked block), which Access varies from file to file.
TEST(HeaderPageWriter, DefaultPageIsTheOneAccessWrites) {
  REQUIRE_CORPUS();
  std::vector<std::byte> ours = defaultHeaderPage();
  for (const auto& file : corpusFiles()) {
    std::vector<std::byte> theirs = firstPage(file);
    for (std::size_t i = 0; i < kPageSize; ++i) {
      if (i == 0x600 || i == 0x602) continue;
      ASSERT_EQ(ours[i], theirs[i]) << file.filename() << " byte " << i;
    }
  }
}

// Writing a header's own settings back gives the page as it was; changed
// settings read back changed, and nothing else moves.
TEST(HeaderPageWriter, CarriesASourceHeaderOver) {
  REQUIRE_CORPUS();
  std::vector<std::byte> stored = firstPage(corpusFile("testV1997.mdb"));
  auto header = decodeHeaderPage(ByteView(stored), "test");
  ASSERT_TRUE(header);
  auto same = encodeHeaderPage(*header, stored);
  ASSERT_TRUE(same);
  EXPECT_EQ(*same, stored);

  HeaderPage changed = *header;
  changed.databaseKey = 0x12345678;
  changed.codePage = 932;
  changed.created = DateTime{36000.25};
  auto encoded = encodeHeaderPage(changed, stored);
  ASSERT_TRUE(encoded);
  auto back = decodeHeaderPage(ByteView(*encoded), "test");
  ASSERT_TRUE(back);
  EXPECT_EQ(back->databaseKey, 0x12345678u);
  EXPECT_EQ(back->codePage, 932);
  EXPECT_EQ(back->sortOrder, header->sortOrder);
  ASSERT_TRUE(back->created);
  EXPECT_EQ(back->created->days, 36000.25);
  std::size_t differing = 0;
  for (std::size_t i = 0; i < kPageSize; ++i) differing += (*encoded)[i] != stored[i];
  EXPECT_LE(differing, 2u + 4u + 8u);  // code page, key, date

  EXPECT_FALSE(encodeHeaderPage(changed, std::span(stored).first(100)));
}

}  // namespace
}  // namespace jet
