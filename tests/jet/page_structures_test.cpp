// Usage maps and long values built page by page in memory: both forms of
// map, the three forms of long value, and the damage each can carry; and the
// pages of a file cut short while it is read.
#include <gtest/gtest.h>

#include "jet/format/data_page.h"
#include "jet/format/long_value.h"
#include "jet/format/usage_map.h"
#include "jet/io/byte_source.h"
#include "jet/io/page_source.h"
#include "jet/io/output_file.h"
#include "jet/write/usage_map_writer.h"
#include "tests/support/corpus.h"
#include "tests/support/damage.h"

namespace jet {
namespace {

using namespace testing_support;

// An image of `pages` zeroed pages with helpers to lay out data pages.
struct Image {
  explicit Image(std::uint32_t pages) : bytes(pages * kPageSize, '\0') {}
  // Makes `page` a data page of `owner` holding `rows` (slot 0 first).
  void dataPage(std::uint32_t page, std::uint32_t owner, const std::vector<std::string>& rows) {
    setByte(bytes, at(page, data_page::kType), data_page::kPageType);
    setU32(bytes, at(page, data_page::kOwner), owner);
    setU16(bytes, at(page, data_page::kRowCount), static_cast<std::uint16_t>(rows.size()));
    std::size_t end = kPageSize;
    for (std::size_t i = 0; i < rows.size(); ++i) {
      end -= rows[i].size();
      bytes.replace(at(page, end), rows[i].size(), rows[i]);
      setU16(bytes, at(page, data_page::kRowOffsets + 2 * i), static_cast<std::uint16_t>(end));
    }
  }
  std::string bytes;
};

std::string u32(std::uint32_t v) {
  std::string s(4, '\0');
  for (int i = 0; i < 4; ++i) s[static_cast<std::size_t>(i)] = static_cast<char>(v >> (8 * i));
  return s;
}

std::vector<std::uint32_t> walk(UsageMapCursor& map, int* errors = nullptr) {
  std::vector<std::uint32_t> pages;
  for (int guard = 0; guard < 100000; ++guard) {
    auto next = map.next();
    if (!next) {
      if (errors) ++*errors;
      continue;
    }
    if (!*next) break;
    pages.push_back(**next);
  }
  return pages;
}

// Maps written for sets of pages read back as those pages: inline below page
// 1024, inline from the first page, and page-referenced over three bitmap
// pages (pages past the file, the first of them included, are each
// reported, not returned). An inline map cut to its header names no pages.
// A bitmap page that is not one loses its pages with one report; an unknown
// map type, a missing map row and one shorter than its header do not open.
// The reader is held to Access's own maps by every corpus test.
TEST(UsageMap, WrittenMapsReadBackTheirPagesAndDamageIsReported) {
  constexpr std::uint32_t kSpan = usage_map::kPagesPerMapPage;
  const std::vector<std::vector<std::uint32_t>> sets = {
      {3, 9, 1023}, {5000, 5003, 6023}, {3, 2000, 4096, kSpan - 1, kSpan, kSpan + 7, 2 * kSpan + 1}};
  for (const std::vector<std::uint32_t>& pages : sets) {
    SCOPED_TRACE(pages.back());
    TempDir dir;
    auto file = OutputFile::create(dir / "mapa.mdb");
    ASSERT_TRUE(file.ok());
    std::string row(usage_map::kRowSize, '\0');
    {
      PageOutput out(*file, 0);
      for (int n = 0; n < 2; ++n) ASSERT_TRUE(out.write(out.allocate().value(), std::vector<std::byte>(kPageSize)).ok());
      ASSERT_TRUE(encodeUsageMap(pages, std::as_writable_bytes(std::span(row)), out).ok());
      ASSERT_TRUE(out.finish().ok());
    }
    ASSERT_TRUE(file->commit().ok());
    constexpr std::uint32_t kFilePages = 4096;
    Image img(kFilePages);
    const std::string written = readFile(dir / "mapa.mdb");
    img.bytes.replace(0, written.size(), written);
    img.dataPage(1, 0, {row});
    std::vector<std::uint32_t> inFile;
    for (std::uint32_t p : pages) if (p < kFilePages) inFile.push_back(p);
    auto read = [&](std::size_t expectedErrors) {
      MemoryBytes mem(img.bytes);
      auto source = PageSource::create(mem);
      ASSERT_TRUE(source);
      auto map = UsageMapCursor::open(*source, 1 << 8);
      ASSERT_TRUE(map);
      int errors = 0;
      EXPECT_EQ(walk(*map, &errors), inFile);
      EXPECT_EQ(std::size_t(errors), expectedErrors);
      EXPECT_FALSE(UsageMapCursor::open(*source, 1 << 8 | 5));
    };
    read(pages.size() - inFile.size());
    if (getByte(row, 0) != usage_map::kReferenced) {
      // Cut to its header an inline map names no pages; shorter, it does not open.
      for (std::size_t size : {usage_map::kInlineBitmap, usage_map::kInlineBitmap - 1}) {
        img.dataPage(1, 0, {row.substr(0, size)});
        MemoryBytes mem(img.bytes);
        auto source = PageSource::create(mem);
        auto map = UsageMapCursor::open(*source, 1 << 8);
        ASSERT_EQ(map.ok(), size == usage_map::kInlineBitmap);
        int errors = 0;
        if (map) { EXPECT_TRUE(walk(*map, &errors).empty() && errors == 0); }
      }
      continue;
    }
    const std::uint32_t firstBitmap = getU32(row, usage_map::kPagePointers);
    // Its header as Access writes it (real/036 to 038).
    ASSERT_EQ(img.bytes.substr(at(firstBitmap, 0), 4), std::string("\x05\x01\x00\x00", 4));
    setByte(img.bytes, at(firstBitmap, 0), data_page::kPageType);
    inFile.clear();
    read(1 + 3);  // the bitmap page, and the pages past the file in the others
    // A bitmap page named just past the file's last page: the map leaves the file.
    std::string past = row;
    setU32(past, usage_map::kPagePointers, kFilePages);
    img.dataPage(1, 0, {past});
    {
      MemoryBytes mem(img.bytes);
      auto source = PageSource::create(mem);
      auto map = UsageMapCursor::open(*source, 1 << 8);
      ASSERT_TRUE(map);
      EXPECT_FALSE(map->next());
      EXPECT_TRUE(map->leftTheFile());
    }
    img.dataPage(1, 0, {std::string(1, '\2') + row.substr(1)});
    MemoryBytes mem(img.bytes);
    auto source = PageSource::create(mem);
    EXPECT_FALSE(UsageMapCursor::open(*source, 1 << 8));
  }
}

std::string reference(std::uint32_t length, std::uint8_t form, std::uint32_t pointer) {
  return u32(length | std::uint32_t{form} << 24) + u32(pointer) + u32(0);
}

Result<std::string> readValue(const std::string& image, const std::string& field) {
  MemoryBytes mem(image);
  JET_TRY(PageSource pages, PageSource::create(mem));
  JET_TRY(LongValueRef ref, decodeLongValueRef(ByteView(field.data(), field.size()), 9));
  JET_TRY(std::vector<std::byte> bytes, readLongValue(pages, ref));
  return std::string(reinterpret_cast<const char*>(bytes.data()), bytes.size());
}

TEST(LongValue, TheThreeForms) {
  Image img(6);
  img.dataPage(2, data_page::kLongValueOwner, {"una fila entera", u32(3 << 8 | 0) + "prim"});
  img.dataPage(3, data_page::kLongValueOwner, {u32(0) + "era"});
  EXPECT_EQ(*readValue(img.bytes, reference(4, long_value::kInline, 0) + "hola"), "hola");
  EXPECT_EQ(*readValue(img.bytes, reference(15, long_value::kOneRow, 2 << 8)), "una fila entera");
  EXPECT_EQ(*readValue(img.bytes, reference(7, long_value::kChained, 2 << 8 | 1)), "primera");
  // A value stops at its declared length even when its rows hold more.
  EXPECT_EQ(*readValue(img.bytes, reference(5, long_value::kChained, 2 << 8 | 1)), "prime");
  EXPECT_EQ(*readValue(img.bytes, reference(8, long_value::kOneRow, 2 << 8)), "una fila");
}

TEST(LongValue, DamageIsAnErrorNotACrash) {
  Image img(6);
  img.dataPage(2, data_page::kLongValueOwner, {u32(2 << 8 | 0) + "bucle", "corta"});
  auto fails = [&](const std::string& field) {
    auto r = readValue(img.bytes, field);
    return !r && r.error().number() == errc::kCorrupt;
  };
  EXPECT_TRUE(fails(reference(50, long_value::kChained, 2 << 8 | 0)));     // loops on itself
  EXPECT_TRUE(fails(reference(6, long_value::kOneRow, 2 << 8 | 1)));       // row too short
  EXPECT_FALSE(fails(reference(5, long_value::kOneRow, 2 << 8 | 1)));      // exactly enough
  EXPECT_TRUE(fails(reference(5, long_value::kOneRow, 2 << 8 | 2)));       // no such row
  EXPECT_TRUE(fails(reference(5, long_value::kOneRow, 90 << 8)));          // past the file
  EXPECT_TRUE(fails(reference(5, long_value::kInline, 0) + "hola"));       // 4 bytes, not 5
  EXPECT_TRUE(fails(reference(5, 0xC0, 0)));                               // unknown form
  EXPECT_TRUE(fails(std::string(11, '\0')));                               // short reference
  img.dataPage(3, data_page::kLongValueOwner, {u32(0) + "fin"});
  EXPECT_TRUE(fails(reference(9, long_value::kChained, 3 << 8)));          // ends too early
  // A long loop is found at its first repeat: 40 rows of one byte, the last
  // back at the first, for a value of 41 bytes.
  std::vector<std::string> ring;
  for (std::uint32_t r = 0; r < 40; ++r) ring.push_back(u32(4 << 8 | (r + 1) % 40) + "x");
  img.dataPage(4, data_page::kLongValueOwner, ring);
  EXPECT_TRUE(fails(reference(41, long_value::kChained, 4 << 8)));
  // A page full of rows of one byte (679: a slot and a byte each) reads; one
  // that says it holds a row more does not.
  img.dataPage(5, data_page::kLongValueOwner, std::vector<std::string>(679, "x"));
  EXPECT_FALSE(fails(reference(1, long_value::kOneRow, 5 << 8 | 200)));
  setU16(img.bytes, at(5, data_page::kRowCount), 680);
  EXPECT_TRUE(fails(reference(1, long_value::kOneRow, 5 << 8 | 200)));
}

// A file cut short after it was opened (by another program): a page it no
// longer holds is an error, never the bytes of an earlier read. A read that
// goes on from none before is of its page alone.
TEST(PageSourceTest, APageCutOffAfterOpeningIsAnErrorNotAnEarlierRead) {
  class Shrinking final : public ByteSource {
   public:
    std::string bytes;
    mutable std::size_t asked = 0;  // by the last read
    Result<std::uint64_t> size() const override { return bytes.size(); }
    Result<std::size_t> readAt(std::uint64_t offset, std::span<std::byte> out) const override {
      asked = out.size();
      return MemoryBytes(bytes).readAt(offset, out);
    }
    std::string name() const override { return "menguante"; }
  };
  Shrinking file;
  for (int p = 0; p < 40; ++p) file.bytes += std::string(kPageSize, static_cast<char>('A' + p % 26));
  auto source = PageSource::create(file);
  ASSERT_TRUE(source);
  ASSERT_TRUE(source->read(0));  // and the pages after it, read ahead
  file.bytes.resize(34 * kPageSize);
  for (std::uint32_t page : {36u, 39u}) {
    auto cut = source->read(page);
    ASSERT_FALSE(cut) << page;
    EXPECT_EQ(cut.error().number(), errc::kCorrupt) << page;
  }
  auto kept = source->read(33);
  ASSERT_TRUE(kept);
  EXPECT_EQ((*kept)->bytes[5], std::byte{'A' + 33 % 26});
  EXPECT_EQ(file.asked, kPageSize);
}

}  // namespace
}  // namespace jet
