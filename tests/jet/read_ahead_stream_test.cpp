// Rows read ahead on a thread come out as the stream gave them: same order,
// same values and fates, an error in its place, whatever the batch bounds.
#include <gtest/gtest.h>

#include "jet/write/read_ahead_stream.h"

namespace jet {
namespace {

// Row i: its number, and a text of `size(i)` bytes; fails at row `failAt`.
class NumberedRows final : public RowStream {
 public:
  NumberedRows(std::size_t count, std::size_t failAt, std::size_t (*size)(std::size_t))
      : count_(count), failAt_(failAt), size_(size) {}
  Result<bool> next() override {
    if (row_ == failAt_) return Error::corrupt(static_cast<std::int64_t>(row_), "fila dañada");
    if (row_ == count_) return false;
    values_ = {static_cast<std::int32_t>(row_), Text{std::string(size_(row_), char('a' + row_ % 26))}};
    ++row_;
    return true;
  }
  const std::vector<Value>& values() const override { return values_; }
  RowFate fate() const override { return row_ % 3 == 0 ? RowFate::kMoved : RowFate::kLive; }
  bool primaryKeyOrder() const override { return true; }

 private:
  std::size_t count_, failAt_, row_ = 0;
  std::size_t (*size_)(std::size_t);
  std::vector<Value> values_;
};

std::size_t small(std::size_t i) { return i % 7; }
std::size_t large(std::size_t i) { return i % 5 == 0 ? 300000 : 10; }  // batches end on bytes

TEST(ReadAheadStreamTest, RowsFatesAndErrorsComeInTheirOrder) {
  struct Case {
    std::size_t count, failAt;
    std::size_t (*size)(std::size_t);
  };
  const Case cases[] = {{0, SIZE_MAX, small},    {1, SIZE_MAX, small},
                        {256, SIZE_MAX, small},  {257, SIZE_MAX, small},
                        {2000, SIZE_MAX, small}, {40, SIZE_MAX, large},
                        {1000, 600, small},      {100, 0, small},  {60, 33, large}};
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::Message() << c.count << " rows, failing at " << c.failAt);
    ReadAheadStream stream(std::make_unique<NumberedRows>(c.count, c.failAt, c.size));
    EXPECT_TRUE(stream.primaryKeyOrder());
    std::size_t n = 0;
    for (;; ++n) {
      Result<bool> more = stream.next();
      if (!more) {
        EXPECT_EQ(n, c.failAt);
        EXPECT_EQ(more.error().number(), errc::kCorrupt);
        EXPECT_FALSE(stream.next());  // the stream ends at its error
        break;
      }
      if (!*more) {
        EXPECT_EQ(n, c.count);
        EXPECT_FALSE(*stream.next());
        break;
      }
      ASSERT_EQ(std::get<std::int32_t>(stream.values()[0]), static_cast<std::int32_t>(n));
      ASSERT_EQ(std::get<Text>(stream.values()[1]).bytes, std::string(c.size(n), char('a' + n % 26)));
      ASSERT_EQ(stream.fate(), (n + 1) % 3 == 0 ? RowFate::kMoved : RowFate::kLive);
    }
  }
}

TEST(ReadAheadStreamTest, LeftBeforeTheEndStopsItsThread) {
  for (std::size_t taken : {0u, 1u, 300u}) {
    ReadAheadStream stream(std::make_unique<NumberedRows>(100000, SIZE_MAX, small));
    for (std::size_t i = 0; i < taken; ++i) ASSERT_TRUE(*stream.next());
  }  // the destructor returns: the thread stopped
}

}  // namespace
}  // namespace jet
