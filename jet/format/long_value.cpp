#include "jet/format/long_value.h"

#include <algorithm>

#include <set>

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

}  // namespace

Result<std::vector<std::byte>> readLongValue(const PageSource& pages, const LongValueRef& ref,
                                             std::vector<RowLocation>* trail) {
  std::vector<std::byte> out;
  if (ref.form == kInline) {
    out.assign(ref.inlineData.data(), ref.inlineData.data() + ref.inlineData.size());
    return out;
  }
  if (ref.length == 0) return out;
  PageRef hold;
  if (ref.form == kOneRow) {
    RowLocation at = RowLocation::fromPointer(ref.pointer);
    JET_TRY(ByteView row, longValueRow(pages, at, hold, trail));
    if (row.size() < ref.length) return Error::corrupt(at.page, "valor largo truncado");
    out.assign(row.data(), row.data() + ref.length);
    return out;
  }
  std::set<std::uint32_t> seen;
  std::uint32_t pointer = ref.pointer;
  // The length is 3 bytes on disk, and no larger than the file can hold.
  out.reserve(std::min<std::uint64_t>(ref.length, std::uint64_t{pages.pageCount()} * kPageSize));
  while (out.size() < ref.length) {
    RowLocation at = RowLocation::fromPointer(pointer);
    if (pointer == 0) return Error::corrupt(-1, "la cadena de un valor largo termina antes de tiempo");
    if (!seen.insert(pointer).second) {
      return Error::corrupt(at.page, "la cadena de un valor largo forma un bucle");
    }
    JET_TRY(ByteView row, longValueRow(pages, at, hold, trail));
    if (row.size() < kChainedData) return Error::corrupt(at.page, "fila de valor largo incompleta");
    std::size_t take = std::min<std::size_t>(row.size() - kChainedData, ref.length - out.size());
    out.insert(out.end(), row.data() + kChainedData, row.data() + kChainedData + take);
    pointer = *row.u32(kNextPointer);
  }
  return out;
}

}  // namespace jet
