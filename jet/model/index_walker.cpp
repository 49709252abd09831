#include "jet/model/index_walker.h"

#include <memory>
#include <optional>
#include <string>
#include <unordered_set>

namespace jet {
namespace {

class Walker {
 public:
  Walker(const IndexWalkTarget& target, DamageSink& sink,
         const std::function<void(IndexEntry&, std::uint32_t)>& visit)
      : t_(target), sink_(sink), visit_(visit) {}

  Result<IndexWalkSummary> run() {
    JET_CHECK(descend(t_.root, 0, Bounds{}));
    if (lastLeaf_ && lastLeafNext_ != 0) {
      report(*lastLeaf_, "la última hoja apunta a una página siguiente (" +
                             std::to_string(lastLeafNext_) + ")");
    }
    return std::move(summary_);
  }

 private:
  void report(std::int64_t page, std::string message) {
    ++summary_.findings;
    Finding f;
    f.page = page;
    f.table = t_.table;
    f.index = t_.index;
    f.message = std::move(message);
    sink_.report(std::move(f));
  }

  // What the parents' entries say of the entries below a page: each is
  // greater than `above` and at most `atMost` (either absent: no bound).
  struct Bounds {
    const IndexEntry* above = nullptr;
    const IndexEntry* atMost = nullptr;
  };

  // Reads page `n` and walks below it.
  Status descend(std::uint32_t n, int depth, Bounds bounds) {
    if (n == 0 || n >= t_.pageCount) {
      report(n, "puntero a una página de índice fuera del archivo");
      return okStatus();
    }
    if (depth > t_.maxDepth) {
      report(n, "árbol de índice demasiado profundo");
      return okStatus();
    }
    if (!seen_.insert(n).second) {
      report(n, "página de índice alcanzada dos veces");
      return okStatus();
    }
    JET_TRY(ByteView bytes, t_.fetch(n));
    Result<IndexPage> decoded = decodeIndexPage(bytes, n, sink_);
    if (!decoded) {
      report(n, decoded.error().reasonAt(n));
      return okStatus();
    }
    IndexPage page = std::move(decoded).value();
    summary_.pages.push_back(n);
    if (t_.owner != 0 && page.owner != t_.owner) {
      report(n, "la página de índice pertenece a la tabla de la página " +
                    std::to_string(page.owner));
    }
    if (page.leaf) {
      leaf(n, depth, std::move(page), bounds);
      return okStatus();
    }
    // Each entry bounds its child from above and the next child from below;
    // the last child, which has no entry, keeps this page's upper bound.
    const IndexEntry* previous = bounds.above;
    for (const IndexEntry& entry : page.entries) {
      JET_CHECK(descend(entry.child, depth + 1, Bounds{previous, &entry}));
      previous = &entry;
    }
    if (page.tailPage != 0) {
      JET_CHECK(descend(page.tailPage, depth + 1, Bounds{previous, bounds.atMost}));
    } else if (!page.entries.empty()) {
      report(n, "página intermedia sin hijo final");
    }
    return okStatus();
  }

  // `page` is the leaf's, its entries handed to the visitor one by one.
  void leaf(std::uint32_t n, int depth, IndexPage page, Bounds bounds) {
    if (leafDepth_ < 0) {
      leafDepth_ = depth;
      summary_.depth = depth;
    } else if (depth != leafDepth_) {
      report(n, "hoja a una profundidad distinta de las demás");
    }
    // Leaves form a double-linked chain in key order (docs/format.md, "Index pages").
    const std::uint32_t before = lastLeaf_.value_or(0);
    if (page.prevPage != before) {
      report(n, "la hoja anterior anotada (" + std::to_string(page.prevPage) +
                    ") no es la anterior del árbol (" + std::to_string(before) + ")");
    }
    if (lastLeaf_ && lastLeafNext_ != n) {
      report(*lastLeaf_, "la hoja siguiente anotada (" + std::to_string(lastLeafNext_) +
                             ") no es la siguiente del árbol (" + std::to_string(n) + ")");
    }
    lastLeaf_ = n;
    lastLeafNext_ = page.nextPage;
    bool pastParent = false, beforeParent = false;
    for (IndexEntry& entry : page.entries) {
      if (previous_ && !(*previous_ < entry)) {
        report(n, "entradas de índice fuera de orden");
      }
      pastParent = pastParent || (bounds.atMost && *bounds.atMost < entry);
      beforeParent = beforeParent || (bounds.above && !(*bounds.above < entry));
      ++summary_.entries;
      previous_ = entry;
      visit_(entry, n);  // may take the entry's key
    }
    // The child page takes no part in the comparison (index_page.h).
    if (pastParent) report(n, "una entrada de la hoja pasa de la entrada de la página padre");
    if (beforeParent) {
      report(n, "una entrada de la hoja no pasa de la entrada anterior de la página padre");
    }
  }

  const IndexWalkTarget& t_;
  DamageSink& sink_;
  const std::function<void(IndexEntry&, std::uint32_t)>& visit_;
  IndexWalkSummary summary_;
  std::unordered_set<std::uint32_t> seen_;
  std::optional<IndexEntry> previous_;
  std::optional<std::uint32_t> lastLeaf_;
  std::uint32_t lastLeafNext_ = 0;
  int leafDepth_ = -1;
};

}  // namespace

PageFetch pageFetch(const PageSource& pages) {
  auto held = std::make_shared<PageRef>();
  return [&pages, held](std::uint32_t n) -> Result<ByteView> {
    JET_TRY(*held, pages.read(n));
    return (*held)->view();
  };
}

Result<IndexWalkSummary> walkIndex(
    const IndexWalkTarget& target, DamageSink& sink,
    const std::function<void(IndexEntry& entry, std::uint32_t leafPage)>& visit) {
  return Walker(target, sink, visit).run();
}

}  // namespace jet
