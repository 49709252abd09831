// libFuzzer target: index pages and trees from arbitrary bytes.
//
// The input is cut into 2048-byte pages (a short tail is padded with zeros);
// every page is decoded, every page that decodes is rebuilt with the page
// builder and must decode back to the same entries, and the tree is walked
// from page 1 (or 0 for a one-page input). Nothing may crash, leak or read
// out of bounds; the walk must end.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>

#include "jet/format/index_page.h"
#include "jet/model/index_walker.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  using namespace jet;
  constexpr std::size_t kPage = kPageSize;
  if (size == 0 || size > 64 * kPage) return 0;
  std::string image(reinterpret_cast<const char*>(data), size);
  image.resize((size + kPage - 1) / kPage * kPage, '\0');
  const auto pages = static_cast<std::uint32_t>(image.size() / kPage);
  auto view = [&](std::uint32_t n) { return ByteView(image.data() + std::size_t(n) * kPage, kPage); };

  IgnoreDamage ignore;
  for (std::uint32_t n = 0; n < pages; ++n) {
    Result<IndexPage> page = decodeIndexPage(view(n), n, ignore);
    if (!page) continue;
    IndexPageBuilder builder(page->leaf, page->prefixLength > 0);
    bool fits = true;
    for (const IndexEntry& e : page->entries) {
      if (!builder.fits(e)) { fits = false; break; }
      builder.add(e);
    }
    if (!fits) continue;  // a damaged page may hold more than a sound one can
    std::string rebuilt(kPage, '\0');
    std::span<std::byte> out(reinterpret_cast<std::byte*>(rebuilt.data()), kPage);
    if (!builder.write(page->owner, page->prevPage, page->nextPage, page->tailPage, out).ok()) std::abort();
    Result<IndexPage> again = decodeIndexPage(ByteView(out), n, ignore);
    if (!again || again->entries != page->entries) std::abort();
    for (std::size_t i = 0; i < page->entries.size(); ++i) {
      if (again->entries[i].child != page->entries[i].child) std::abort();
    }
  }

  IndexWalkTarget target;
  target.fetch = [&](std::uint32_t n) -> Result<ByteView> { return view(n); };
  target.pageCount = pages;
  target.root = pages > 1 ? 1 : 0;
  std::uint64_t seen = 0;
  auto walked = walkIndex(target, ignore, [&](const IndexEntry&, std::uint32_t) { ++seen; });
  if (!walked || walked->entries != seen || walked->pages.size() > pages) std::abort();
  return 0;
}
