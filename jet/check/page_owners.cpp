#include "jet/check/page_owners.h"

namespace jet {

std::string pageUseName(PageUse use) {
  switch (use) {
    case PageUse::kNone: return "ninguno";
    case PageUse::kHeader: return "cabecera";
    case PageUse::kTableDefinition: return "definición de tabla";
    case PageUse::kTableData: return "datos de tabla";
    case PageUse::kIndex: return "índice";
    case PageUse::kUsageMap: return "mapa de uso";
    case PageUse::kMapBitmap: return "página de mapa de uso";
    case PageUse::kLongValue: return "valores largos";
  }
  return "?";
}

void PageOwners::report(std::int64_t page, const std::string& table, std::string message) {
  Finding f;
  f.page = page;
  f.table = table;
  f.message = std::move(message);
  sink_.report(std::move(f));
}

const std::string& PageOwners::nameOf(std::uint32_t owner) const {
  static const std::string kNone;
  auto it = names_.find(owner);
  return it == names_.end() ? kNone : it->second;
}

void PageOwners::claim(std::uint32_t page, PageUse use, std::uint32_t owner,
                       const std::string& name) {
  if (!name.empty()) names_.emplace(owner, name);
  if (page >= claims_.size()) {
    report(page, nameOf(owner), "una estructura de " + pageUseName(use) +
                                    " usa una página fuera del archivo");
    return;
  }
  Claim& c = claims_[page];
  if (c.use == PageUse::kNone) {
    c = Claim{use, owner};
    return;
  }
  // Map rows of many objects share a page; a table's long values share its own.
  const bool shared = use == c.use && (use == PageUse::kUsageMap ||
                                       (use == PageUse::kLongValue && owner == c.owner));
  if (shared) return;
  std::string first = pageUseName(c.use);
  if (!nameOf(c.owner).empty()) first += " de " + nameOf(c.owner);
  report(page, nameOf(owner),
         "página reclamada dos veces: como " + pageUseName(use) + " y como " + first);
}

std::vector<std::uint32_t> PageOwners::finish(const std::vector<bool>& freePages) {
  std::vector<std::uint32_t> unused;
  for (std::uint32_t page = 0; page < claims_.size(); ++page) {
    const bool isFree = page < freePages.size() && freePages[page];
    const Claim& c = claims_[page];
    if (c.use != PageUse::kNone && isFree) {
      report(page, nameOf(c.owner),
             "página en uso (" + pageUseName(c.use) + ") marcada como libre");
    } else if (c.use == PageUse::kNone && !isFree) {
      unused.push_back(page);
    }
  }
  return unused;
}

}  // namespace jet
