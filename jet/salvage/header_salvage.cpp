#include "jet/salvage/header_salvage.h"

#include <array>
#include <cmath>
#include <map>
#include <utility>

#include "jet/format/table_definition.h"
#include "jet/io/page_source.h"
#include "jet/model/catalog.h"
#include "jet/model/text.h"

namespace jet {
namespace {

// Pages read to judge a key: enough to outvote a few damaged pages.
constexpr std::uint32_t kKeyProbePages = 64;
// Definitions read to infer the text settings.
constexpr std::size_t kDefinitionsToRead = 64;

// How many of the first pages look like Jet pages (a known type, then 0x01)
// when read under `key`.
std::uint32_t pagesThatReadUnder(PageSource& pages, std::uint32_t key) {
  pages.setDatabaseKey(key);
  std::uint32_t good = 0;
  for (std::uint32_t p = 1; p < pages.pageCount() && p <= kKeyProbePages; ++p) {
    auto page = pages.read(p);
    if (!page) continue;
    const std::uint8_t type = (*page)->type();
    if (type >= 0x01 && type <= 0x05 && (*page)->view().u8(1) == 0x01) ++good;
  }
  return good;
}

// The most common (sort order, code page) of the text and memo columns of
// the definitions found among the pages, or nullopt when there is none.
std::optional<std::pair<std::uint16_t, std::uint16_t>> textSettings(const PageSource& pages) {
  std::map<std::pair<std::uint16_t, std::uint16_t>, std::size_t> votes;
  std::size_t read = 0;
  for (std::uint32_t p = 1; p < pages.pageCount() && read < kDefinitionsToRead; ++p) {
    auto page = pages.read(p);
    if (!page || (*page)->type() != tdef::kPageType) continue;
    auto def = readTableDefinition(pages, p);
    if (!def) continue;
    ++read;
    for (const ColumnDef& c : def->columns) {
      if (c.type == ColumnType::kText || c.type == ColumnType::kMemo) {
        ++votes[{c.sortOrder, c.codePage}];
      }
    }
  }
  if (votes.empty()) return std::nullopt;
  auto best = votes.begin();
  for (auto it = votes.begin(); it != votes.end(); ++it) {
    if (it->second > best->second) best = it;
  }
  return best->first;
}

void restored(ProblemList& problems, const std::string& what) {
  problems.add(errc::kCorrupt, "", 0, -1, "cabecera dañada: " + what);
}

}  // namespace

Result<HeaderPage> salvageHeader(const ByteSource& bytes, ProblemList& problems,
                                 std::string_view password) {
  std::array<std::byte, kPageSize> first{};
  JET_TRY(std::size_t n, bytes.readAt(0, first));
  JET_TRY(PageSource pages, PageSource::create(bytes));
  auto decoded = decodeHeaderPage(ByteView(first.data(), n), bytes.name());
  bool rebuilt = false;
  if (!decoded && holdsCatalogDefinition(pages)) {
    decoded = decodeHeaderPage(ByteView(defaultHeaderPage()), bytes.name());
    restored(problems, "la página 0 no es una cabecera de Access 97; se rehace");
    rebuilt = true;
  }
  JET_TRY(HeaderPage h, std::move(decoded));
  if (rebuilt) {
    // Nothing of page 0 is left: the text settings are the columns'.
    h.sortOrder = 0;
    h.codePage = 0;
  }

  if (h.databaseKey != 0 && pages.pageCount() > 1) {
    const std::uint32_t stored = pagesThatReadUnder(pages, h.databaseKey);
    const std::uint32_t clear = pagesThatReadUnder(pages, 0);
    if (clear > stored) {
      restored(problems, "la clave de cifrado no corresponde a las páginas, que están sin cifrar");
      h.databaseKey = 0;
    }
  }
  pages.setDatabaseKey(h.databaseKey);

  if (h.hasPassword() && !h.passwordIs(fromUtf8(password, h.codePage))) {
    if (isPasswordShaped(h.password)) return Error(errc::kBadPassword, bytes.name());
    restored(problems, "la contraseña anotada no es válida; la base de datos queda sin contraseña");
    h.password.fill(0);
  }
  if (!isKnownCodePage(h.codePage) || !isKnownSortOrder(h.sortOrder)) {
    auto text = textSettings(pages);
    if (!isKnownSortOrder(h.sortOrder)) {
      const std::uint16_t was = h.sortOrder;
      h.sortOrder = text && isKnownSortOrder(text->first) ? text->first : 1033;
      restored(problems, "el orden de clasificación " + std::to_string(was) +
                             " no existe; se usa " + std::to_string(h.sortOrder));
    }
    if (!isKnownCodePage(h.codePage)) {
      const std::uint16_t was = h.codePage;
      h.codePage = text && isKnownCodePage(text->second) ? text->second : 1252;
      restored(problems, "la página de códigos " + std::to_string(was) + " no existe; se usa " +
                             std::to_string(h.codePage));
    }
  }
  if (h.created && !(std::isfinite(h.created->days) && h.created->days >= kFirstDay &&
                     h.created->days < kDayAfterLast)) {
    restored(problems, "la fecha de creación no es una fecha");
    h.created.reset();
  }
  return h;
}

}  // namespace jet
