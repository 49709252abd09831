// Long values: the data of Memo and OLE Object columns.
//
// In the row, such a column holds a 12-byte reference (little-endian):
//
//   offset  size  meaning
//   0       4     bits 0-29: length of the value; bits 30-31: its form
//   4       4     row pointer (page << 8 | row) of the first long-value row
//   8       4     unused
//   12      ...   inline form: the value itself
//
// Forms (top byte of the first u32, masked with 0xC0):
//   0x80  inline: the value follows the reference in the row
//   0x40  one row: the value is the whole row named by the pointer
//   0x00  chained: each row starts with the 4-byte pointer of the next row
//         (0 on the last) followed by a part of the value
// Long-value rows live on data pages whose owner is "LVAL".
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "jet/core/byte_view.h"
#include "jet/core/result.h"
#include "jet/format/data_page.h"
#include "jet/io/page_source.h"

namespace jet {

namespace long_value {
inline constexpr std::size_t kLengthAndForm = 0;
inline constexpr std::size_t kPointer = 4;
inline constexpr std::size_t kInlineData = 12;
inline constexpr std::size_t kReferenceSize = 12;
inline constexpr std::uint32_t kLengthMask = 0x3FFFFFFF;
inline constexpr std::uint8_t kInline = 0x80;
inline constexpr std::uint8_t kOneRow = 0x40;
inline constexpr std::uint8_t kChained = 0x00;
inline constexpr std::uint8_t kFormMask = 0xC0;
inline constexpr std::size_t kNextPointer = 0;  // in a chained row
inline constexpr std::size_t kChainedData = 4;
}  // namespace long_value

struct LongValueRef {
  std::uint32_t length = 0;
  std::uint8_t form = 0;
  std::uint32_t pointer = 0;
  ByteView inlineData;  // the inline form's bytes
};

// Decodes the reference in a row field. Fails with 3343 naming `page` when the
// field is shorter than a reference, or an inline value's length disagrees
// with the bytes that follow.
Result<LongValueRef> decodeLongValueRef(ByteView field, std::uint32_t page);

// Reads the whole value. Every row of a chain is visited once; the value
// never grows past the length in the reference, so memory is bounded by the
// bytes the file really holds. Fails with 3343 at the first damaged row (a
// pointer past the file, a page that is not a long-value page, a loop, a
// chain that ends early). When `trail` is given, the place of each long-value
// row read is appended to it, in chain order, the failing one included.
Result<std::vector<std::byte>> readLongValue(const PageSource& pages, const LongValueRef& ref,
                                             std::vector<RowLocation>* trail = nullptr);
// The same, into `out` (replacing what it held): a Memo's bytes, with no copy
// from a byte vector into the text.
Status readLongValueText(const PageSource& pages, const LongValueRef& ref, std::string& out,
                         std::vector<RowLocation>* trail = nullptr);
// Follows the value's rows exactly as readLongValue does, failing where it
// fails and filling `trail` alike, without keeping the bytes.
Status walkLongValue(const PageSource& pages, const LongValueRef& ref,
                     std::vector<RowLocation>* trail = nullptr);

}  // namespace jet
