#include "jet/format/long_value.h"

#include <algorithm>

#include <string>
#include <vector>

#include "jet/format/data_page.h"

namespace jet {

using namespace long_value;

Result<LongValueRef> decodeLongValueRef(ByteView field, std::uint32_t page) {
  if (field.size() < kReferenceSize) {
    return Error::corrupt(page, "referencia a valor largo incompleta");
  }
  LongValueRef r;
  const std::uint32_t head = *field.u32(kLengthAndForm);
  r.length = head & kLengthMask;
  r.form = static_cast<std::uint8_t>(head >> 24) & kFormMask;
  r.pointer = *field.u32(kPointer);
  if (r.form == kInline) {
    r.inlineData = *field.from(kInlineData);
    if (r.inlineData.size() != r.length) {
      return Error::corrupt(page, "valor largo en la fila con longitud errónea");
    }
  } else if (r.form != kOneRow && r.form != kChained) {
    return Error::corrupt(page, "forma de valor largo desconocida");
  }
  return r;
}

namespace {

Result<ByteView> longValueRow(const PageSource& pages, RowLocation at, PageRef& hold,
                              std::vector<RowLocation>* trail) {
  if (trail) trail->push_back(at);
  JET_TRY(hold, pages.read(at.page));
  JET_TRY(DataPage data, DataPage::decode(hold->view(), at.page));
  // A pointer into a table's data page would read one of its rows as the value.
  if (!data.isLongValuePage()) {
    return Error::corrupt(at.page,
                          "un valor largo apunta a una página que no es de valores largos");
  }
  return data.rowBytes(at.row);
}

// The row pointers of a chain seen so far, to find a loop at its first
// repeat: an open-addressed set (0, which ends a chain, marks a free slot),
// with no allocation per row.
class SeenPointers {
 public:
  // True iff `pointer` (not 0) was not seen yet.
  bool insert(std::uint32_t pointer) {
    if ((count_ + 1) * 2 > slots_.size()) grow();
    if (!place(slots_, pointer)) return false;
    ++count_;
    return true;
  }

 private:
  static bool place(std::vector<std::uint32_t>& slots, std::uint32_t pointer) {
    const std::size_t mask = slots.size() - 1;
    for (std::size_t i = (std::uint64_t{pointer} * 0x9E3779B97F4A7C15ull) >> 40 & mask;;
         i = (i + 1) & mask) {
      if (slots[i] == pointer) return false;
      if (slots[i] == 0) {
        slots[i] = pointer;
        return true;
      }
    }
  }
  void grow() {
    std::vector<std::uint32_t> bigger(slots_.empty() ? 32 : slots_.size() * 2, 0);
    for (std::uint32_t p : slots_) {
      if (p != 0) place(bigger, p);
    }
    slots_.swap(bigger);
  }

  std::vector<std::uint32_t> slots_;
  std::size_t count_ = 0;
};

// Follows the value's rows, handing its bytes to `take` piece by piece, in
// order; `reserve` hears the length first when the value is chained.
template <class Take, class Reserve>
Status walkValue(const PageSource& pages, const LongValueRef& ref,
                 std::vector<RowLocation>* trail, Take&& take, Reserve&& reserve) {
  if (ref.form == kInline) {
    take(ref.inlineData.data(), ref.inlineData.size());
    return okStatus();
  }
  if (ref.length == 0) return okStatus();
  PageRef hold;
  if (ref.form == kOneRow) {
    RowLocation at = RowLocation::fromPointer(ref.pointer);
    JET_TRY(ByteView row, longValueRow(pages, at, hold, trail));
    if (row.size() < ref.length) return Error::corrupt(at.page, "valor largo truncado");
    take(row.data(), ref.length);
    return okStatus();
  }
  SeenPointers seen;
  std::uint32_t pointer = ref.pointer;
  // The length is 3 bytes on disk, and no larger than the file can hold.
  reserve(std::min<std::uint64_t>(ref.length, std::uint64_t{pages.pageCount()} * kPageSize));
  std::size_t got = 0;
  while (got < ref.length) {
    RowLocation at = RowLocation::fromPointer(pointer);
    if (pointer == 0) return Error::corrupt(-1, "la cadena de un valor largo termina antes de tiempo");
    if (!seen.insert(pointer)) {
      return Error::corrupt(at.page, "la cadena de un valor largo forma un bucle");
    }
    JET_TRY(ByteView row, longValueRow(pages, at, hold, trail));
    if (row.size() < kChainedData) return Error::corrupt(at.page, "fila de valor largo incompleta");
    std::size_t piece = std::min<std::size_t>(row.size() - kChainedData, ref.length - got);
    take(row.data() + kChainedData, piece);
    got += piece;
    pointer = *row.u32(kNextPointer);
  }
  return okStatus();
}

}  // namespace

Result<std::vector<std::byte>> readLongValue(const PageSource& pages, const LongValueRef& ref,
                                             std::vector<RowLocation>* trail) {
  std::vector<std::byte> out;
  JET_CHECK(walkValue(
      pages, ref, trail, [&out](const std::byte* p, std::size_t n) { out.insert(out.end(), p, p + n); },
      [&out](std::uint64_t n) { out.reserve(n); }));
  return out;
}

Status readLongValueText(const PageSource& pages, const LongValueRef& ref, std::string& out,
                         std::vector<RowLocation>* trail) {
  out.clear();
  return walkValue(
      pages, ref, trail,
      [&out](const std::byte* p, std::size_t n) { out.append(reinterpret_cast<const char*>(p), n); },
      [&out](std::uint64_t n) { out.reserve(n); });
}

Status walkLongValue(const PageSource& pages, const LongValueRef& ref,
                     std::vector<RowLocation>* trail) {
  return walkValue(pages, ref, trail, [](const std::byte*, std::size_t) {}, [](std::uint64_t) {});
}

}  // namespace jet
