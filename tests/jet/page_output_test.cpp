// Writing pages through a thread: whatever the order pages are written in,
// each lands at its place, and a failed write is never reported as success.
#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <cstring>
#include <random>

#include "jet/io/background_writer.h"
#include "jet/io/output_file.h"
#include "jet/io/page_source.h"
#include "jet/write/page_output.h"
#include "tests/support/corpus.h"

namespace jet {
namespace {

using namespace testing_support;

// Records every write; the write numbered `failAt` (from 1) fails.
class RecordingFile final : public WritableFile {
 public:
  explicit RecordingFile(int failAt = 0) : failAt_(failAt) {}
  Status writeAt(std::uint64_t offset, std::span<const std::byte> bytes) override {
    if (++writes_ == failAt_) return Error(errc::kDiskFull);
    if (bytes_.size() < offset + bytes.size()) bytes_.resize(offset + bytes.size());
    std::copy(bytes.begin(), bytes.end(), bytes_.begin() + static_cast<std::ptrdiff_t>(offset));
    return okStatus();
  }
  Status sync() override { return okStatus(); }
  Status close() override { return okStatus(); }

  int writes() const { return writes_; }
  const std::vector<std::byte>& bytes() const { return bytes_; }

 private:
  int failAt_;
  std::atomic<int> writes_ = 0;
  std::vector<std::byte> bytes_;
};

// A failed write fails every write after it and the drain, and nothing is
// written after it. (That pieces land at their places: PageOutputTest.)
TEST(BackgroundWriterTest, AFailureStopsEverythingAfterIt) {
  RecordingFile file(3);
  BackgroundWriter writer(file);
  for (std::uint8_t round = 1; round <= 50; ++round) {
    std::vector<std::byte> buffer(4, std::byte(round));
    const WriteExtent piece{std::uint64_t{4} * round, 0, 4};
    Status s = writer.write(buffer, std::span(&piece, 1));
    if (!s) { EXPECT_EQ(s.error().number(), errc::kDiskFull); }
  }
  EXPECT_EQ(errorNumber(writer.drain()), errc::kDiskFull);
  EXPECT_EQ(writer.drain().error().number(), errc::kDiskFull);
  // Nothing was written after the failed third write.
  EXPECT_EQ(file.writes(), 3);
  EXPECT_EQ(file.bytes().size(), 12u);
}

// Pages written in about the order they were handed out, some held back
// (as a data page is while its long values go out), some long after their
// window went (definitions and usage maps), land each at its place, in clear
// or encrypted as asked.
TEST(PageOutputTest, PagesInAnyOrderLandAtTheirPlaces) {
  for (const std::uint32_t key : {0u, 0x5A17C3E1u}) {
    TempDir dir;
    const std::filesystem::path path = dir / "paginas.mdb";
    auto file = OutputFile::create(path);
    ASSERT_TRUE(file.ok()) << file.error().toString();
    constexpr std::uint32_t kPages = 9000;  // several windows
    std::vector<std::uint32_t> order;
    {
      PageOutput out(*file, key);
      std::mt19937 random(key + 7);
      std::vector<std::uint32_t> heldBack;
      std::vector<std::uint32_t> atTheEnd;
      for (std::uint32_t n = 0; n < kPages; ++n) {
        ASSERT_EQ(out.allocate().value(), n);
        const unsigned dice = random() % 100;
        if (n < 40 || dice < 2) {
          atTheEnd.push_back(n);
        } else if (dice < 12) {
          heldBack.push_back(n);
        } else {
          order.push_back(n);
        }
        // A held-back page goes out some pages later.
        if (heldBack.size() > 3 || (random() % 10 == 0 && !heldBack.empty())) {
          order.push_back(heldBack.front());
          heldBack.erase(heldBack.begin());
        }
      }
      order.insert(order.end(), heldBack.begin(), heldBack.end());
      std::shuffle(atTheEnd.begin(), atTheEnd.end(), random);
      order.insert(order.end(), atTheEnd.begin(), atTheEnd.end());
      ASSERT_EQ(order.size(), kPages);
      for (std::uint32_t n : order) {
        std::vector<std::byte> page(kPageSize);
        for (std::size_t i = 0; i < kPageSize; ++i) page[i] = std::byte((n * 31 + i) & 0xFF);
        ASSERT_TRUE(out.write(n, page).ok()) << n;
      }
      EXPECT_FALSE(out.write(order.front(), std::vector<std::byte>(kPageSize)).ok());
      ASSERT_TRUE(out.finish().ok());
    }
    ASSERT_TRUE(file->commit().ok());
    const std::string bytes = readFile(path);
    ASSERT_EQ(bytes.size(), std::size_t{kPages} * kPageSize);
    for (std::uint32_t n = 0; n < kPages; ++n) {
      std::vector<std::byte> page(kPageSize);
      std::memcpy(page.data(), bytes.data() + std::size_t{n} * kPageSize, kPageSize);
      PageSource::applyCipher(key, n, page);
      bool same = true;
      for (std::size_t i = 0; i < kPageSize; ++i) same = same && page[i] == std::byte((n * 31 + i) & 0xFF);
      ASSERT_TRUE(same) << "page " << n << " key " << key;
    }
  }
}

TEST(PageOutputTest, APageNeverWrittenFailsTheFile) {
  TempDir dir;
  auto file = OutputFile::create(dir / "hueco.mdb");
  ASSERT_TRUE(file.ok());
  PageOutput out(*file, 0);
  for (int i = 0; i < 3; ++i) ASSERT_TRUE(out.allocate().ok());
  ASSERT_TRUE(out.write(0, std::vector<std::byte>(kPageSize)).ok());
  ASSERT_TRUE(out.write(2, std::vector<std::byte>(kPageSize)).ok());
  EXPECT_EQ(errorNumber(out.finish()), errc::kCorrupt);
}

}  // namespace
}  // namespace jet
