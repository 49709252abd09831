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
         const std::function<void(const IndexEntry&, std::uint32_t)>& visit)
      : t_(target), sink_(sink), visit_(visit) {}

  Result<IndexWalkSummary> run() {
    // The root has no parent entry to match; its own last entry is returned
    // and ignored.
    JET_TRY(auto last, descend(t_.root, 0, std::nullopt));
    (void)last;
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

  // Reads page `n` and walks below it. Returns the last entry of the subtree
  // (nullopt when the subtree is empty or unreadable). `separator`, when set,
  // is the parent entry above the subtree: no entry of the subtree passes it,
  // and the entries after the subtree all do. Access writes it as a copy of
  // the subtree's last entry but leaves it as it was when that entry is
  // deleted, so it may lie beyond the last entry, never before it.
  Result<std::optional<IndexEntry>> descend(std::uint32_t n, int depth,
                                            std::optional<IndexEntry> separator) {
    if (n == 0 || n >= t_.pageCount) {
      report(n, "puntero a una página de índice fuera del archivo");
      return std::optional<IndexEntry>{};
    }
    if (depth > t_.maxDepth) {
      report(n, "árbol de índice demasiado profundo");
      return std::optional<IndexEntry>{};
    }
    if (!seen_.insert(n).second) {
      report(n, "página de índice alcanzada dos veces");
      return std::optional<IndexEntry>{};
    }
    JET_TRY(ByteView bytes, t_.fetch(n));
    Result<IndexPage> decoded = decodeIndexPage(bytes, n, sink_);
    if (!decoded) {
      report(n, decoded.error().description());
      return std::optional<IndexEntry>{};
    }
    IndexPage page = std::move(decoded).value();
    summary_.pages.push_back(n);
    if (t_.owner != 0 && page.owner != t_.owner) {
      report(n, "la página de índice pertenece a la tabla de la página " +
                    std::to_string(page.owner));
    }
    std::optional<IndexEntry> last;
    if (page.leaf) {
      last = leaf(n, depth, page);
    } else {
      for (IndexEntry& entry : page.entries) {
        std::uint32_t child = entry.child;
        entry.child = 0;
        JET_TRY(auto sub, descend(child, depth + 1, entry));
        (void)sub;  // checked against `entry` below it
        last = std::move(entry);
      }
      if (page.tailPage != 0) {
        JET_TRY(auto sub, descend(page.tailPage, depth + 1, std::nullopt));
        if (sub) last = std::move(sub);
      } else if (!page.entries.empty()) {
        report(n, "página intermedia sin hijo final");
      }
    }
    if (separator) {
      if (!last) {
        report(n, "página de índice vacía bajo una entrada de la página padre");
      } else if (*separator < *last) {
        report(n, "la última entrada de esta página pasa de su entrada en la página padre");
      }
      if (!bound_ || *bound_ < *separator) bound_ = std::move(separator);
    }
    return last;
  }

  std::optional<IndexEntry> leaf(std::uint32_t n, int depth, IndexPage& page) {
    if (leafDepth_ < 0) {
      leafDepth_ = depth;
      summary_.depth = depth;
    } else if (depth != leafDepth_) {
      report(n, "hoja a una profundidad distinta de las demás");
    }
    // Leaves form a double-linked chain in key order (FACTS.md).
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
    for (const IndexEntry& entry : page.entries) {
      if (previous_ && !(*previous_ < entry)) {
        report(n, "entradas de índice fuera de orden");
      }
      if (bound_ && !(*bound_ < entry)) {
        report(n, "la primera entrada de esta página no pasa de la entrada que en la página "
                  "padre cierra la página anterior");
      }
      bound_.reset();
      ++summary_.entries;
      visit_(entry, n);
      previous_ = entry;
    }
    if (page.entries.empty()) return std::nullopt;
    return page.entries.back();
  }

  const IndexWalkTarget& t_;
  DamageSink& sink_;
  const std::function<void(const IndexEntry&, std::uint32_t)>& visit_;
  IndexWalkSummary summary_;
  std::unordered_set<std::uint32_t> seen_;
  std::optional<IndexEntry> previous_;
  // The highest separator above the subtrees walked so far: the next leaf
  // entry must pass it.
  std::optional<IndexEntry> bound_;
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
    const std::function<void(const IndexEntry& entry, std::uint32_t leafPage)>& visit) {
  return Walker(target, sink, visit).run();
}

}  // namespace jet
