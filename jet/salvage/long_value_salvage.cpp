#include "jet/salvage/long_value_salvage.h"

#include <unordered_set>

#include "jet/format/data_page.h"

namespace jet {
namespace {

using namespace long_value;

// The bytes of the long-value row `pointer` names, or the reason it cannot
// be read. `hold` keeps its page alive.
Result<ByteView> longValueRow(const PageSource& pages, const PageCensus& census,
                              std::uint32_t pointer, PageRef& hold, std::string& why) {
  const RowLocation at = RowLocation::fromPointer(pointer);
  if (!census.isLongValuePage(at.page)) {
    why = "la página " + std::to_string(at.page) + " no es de valores largos";
    return ByteView();
  }
  JET_TRY(hold, pages.read(at.page));
  auto data = DataPage::decode(hold->view(), at.page);
  if (!data) {
    why = data.error().reasonAt(-1);
    return ByteView();
  }
  auto slot = data->slot(at.row);
  if (!slot || slot->kind != SlotKind::kLive) {
    why = "la fila " + std::to_string(at.row) + " de la página " + std::to_string(at.page) +
          " no está";
    return ByteView();
  }
  if (slot->end > pages.validBytes(at.page)) {
    why = "la página " + std::to_string(at.page) + " está cortada por el final del archivo";
    return ByteView();
  }
  return *data->rowBytes(at.row);
}

void append(std::vector<std::byte>& out, ByteView bytes) {
  out.insert(out.end(), bytes.data(), bytes.data() + bytes.size());
}

}  // namespace

Result<SalvagedLongValue> salvageLongValue(const PageSource& pages, const PageCensus& census,
                                           const LongValueRef& ref) {
  SalvagedLongValue v;
  if (ref.form == kInline) {
    append(v.bytes, ref.inlineData);
    v.complete = true;
    return v;
  }
  if (ref.length == 0) {
    v.complete = true;
    return v;
  }
  // No value is longer than the file that holds it.
  if (std::uint64_t{ref.length} > std::uint64_t{pages.pageCount()} * kPageSize) {
    v.damage = "longitud imposible (" + std::to_string(ref.length) + " bytes)";
    return v;
  }
  PageRef hold;
  if (ref.form == kOneRow) {
    JET_TRY(ByteView row, longValueRow(pages, census, ref.pointer, hold, v.damage));
    if (!v.damage.empty()) return v;
    append(v.bytes, *row.sub(0, std::min<std::size_t>(row.size(), ref.length)));
    v.complete = row.size() == ref.length;
    if (!v.complete) v.damage = "la fila del valor no tiene la longitud anotada";
    return v;
  }
  std::unordered_set<std::uint32_t> seen;
  std::uint32_t pointer = ref.pointer;
  while (v.bytes.size() < ref.length) {
    if (pointer == 0) {
      v.damage = "la cadena termina antes de tiempo";
      return v;
    }
    if (!seen.insert(pointer).second) {
      v.damage = "la cadena forma un bucle";
      return v;
    }
    JET_TRY(ByteView row, longValueRow(pages, census, pointer, hold, v.damage));
    if (!v.damage.empty()) return v;
    if (row.size() < kChainedData) {
      v.damage = "fila de la cadena incompleta";
      return v;
    }
    const std::size_t due = ref.length - v.bytes.size();
    const std::size_t has = row.size() - kChainedData;
    append(v.bytes, *row.sub(kChainedData, std::min(due, has)));
    pointer = *row.u32(kNextPointer);
    if (has >= due && (has != due || pointer != 0)) {
      v.damage = "la última fila de la cadena no acaba el valor";
      return v;
    }
  }
  v.complete = true;
  return v;
}

}  // namespace jet
