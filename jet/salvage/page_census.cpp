#include "jet/salvage/page_census.h"

#include <unordered_set>

#include "jet/format/data_page.h"
#include "jet/format/index_page.h"
#include "jet/format/table_definition.h"
#include "jet/format/usage_map.h"

namespace jet {
namespace {

// The free-page map covers whole bitmaps, so it names pages past the end of
// the file; it is read until its first page beyond the file.
constexpr std::size_t kFreeMapErrorsBeforeGivingUp = 4;

void readFreeMap(const PageSource& pages, std::vector<bool>& free, bool& known,
                 ProblemList& problems) {
  auto cursor = UsageMapCursor::open(pages, usage_map::kFreePages);
  if (!cursor) {
    problems.add(errc::kCorrupt, "", 1, 0,
                 "el mapa de páginas libres no se puede leer: " + cursor.error().reasonAt(1, 0));
    return;
  }
  std::size_t errors = 0;
  while (true) {
    auto next = cursor->next();
    if (!next) {
      // Pages past the end of the file are free by construction; anything
      // else wrong with the map makes it unusable.
      if (++errors > kFreeMapErrorsBeforeGivingUp) break;
      continue;
    }
    if (!*next) break;
    if (**next < free.size()) free[**next] = true;
  }
  known = true;
}

}  // namespace

Result<PageCensus> PageCensus::take(const PageSource& pages, ProblemList& problems) {
  PageCensus c;
  c.pages_.resize(pages.pageCount());
  c.free_.assign(pages.pageCount(), false);
  for (std::uint32_t p = 1; p < pages.pageCount(); ++p) {
    JET_TRY(PageRef page, pages.read(p));
    Info& info = c.pages_[p];
    info.type = page->type();
    const ByteView v = page->view();
    if (info.type == data_page::kPageType || info.type == index_page::kTypeLeaf ||
        info.type == index_page::kTypeIntermediate) {
      info.link = *v.u32(data_page::kOwner);
    } else if (info.type == tdef::kPageType) {
      info.link = *v.u32(tdef::kNextPage);
    }
  }
  if (pages.trailingBytes() != 0) {
    Finding f;
    const bool kept = pages.validBytes(pages.pageCount() - 1) != kPageSize;
    f.page = kept ? pages.pageCount() - 1 : pages.pageCount();
    f.message = "el archivo termina con una página incompleta de " +
                std::to_string(pages.trailingBytes()) +
                (kept ? " bytes; solo se leen las filas que caben enteras en ellos"
                      : " bytes, que se pierde");
    f.bytesLost = static_cast<std::int64_t>(pages.trailingBytes());
    problems.add(errc::kCorrupt, std::move(f));
  }
  readFreeMap(pages, c.free_, c.freeMapKnown_, problems);
  for (std::uint32_t p = 1; p < c.pages_.size(); ++p) {
    const Info& info = c.pages_[p];
    if (info.type == data_page::kPageType && info.link != data_page::kLongValueOwner &&
        info.link != 0 && !c.isFree(p)) {
      c.byOwner_[info.link].push_back(p);
    }
  }
  return c;
}

bool PageCensus::isDataPageOf(std::uint32_t page, std::uint32_t tdef) const {
  return type(page) == data_page::kPageType && link(page) == tdef;
}

bool PageCensus::isLongValuePage(std::uint32_t page) const {
  return isDataPageOf(page, data_page::kLongValueOwner);
}

std::vector<std::uint32_t> PageCensus::dataPagesOf(std::uint32_t tdef) const {
  auto it = byOwner_.find(tdef);
  return it == byOwner_.end() ? std::vector<std::uint32_t>{} : it->second;
}

std::vector<std::uint32_t> PageCensus::definitionStarts() const {
  std::unordered_set<std::uint32_t> named;
  for (std::uint32_t p = 1; p < pages_.size(); ++p) {
    if (pages_[p].type == tdef::kPageType && !isFree(p)) named.insert(pages_[p].link);
  }
  std::vector<std::uint32_t> starts;
  for (std::uint32_t p = 1; p < pages_.size(); ++p) {
    if (pages_[p].type == tdef::kPageType && !isFree(p) && !named.count(p)) starts.push_back(p);
  }
  return starts;
}

}  // namespace jet
