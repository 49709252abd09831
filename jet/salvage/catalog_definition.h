// MSysObjects' definition when page 2 no longer holds it.
//
// Every Jet 3 database has the same MSysObjects: the same 17 columns (names,
// types, numbers, offsets, lengths) and the same two indexes (Id, the primary
// key; ParentId + Name, unique). Only what the file's settings and history
// give differs: the sort order and code page of its text columns (the
// header's), where its usage maps and index trees lie, and bytes Access leaves
// unset (checked on page 2 of all 66 corpus files). So a damaged definition on
// page 2 is judged against the one a new database gets, and replaced by it.
#pragma once

#include "jet/core/result.h"
#include "jet/format/header_page.h"
#include "jet/format/table_definition.h"
#include "jet/io/page_source.h"

namespace jet {

// The definition every Jet 3 MSysObjects has, for a database with `header`'s
// text settings, on page 2. Its usage map and free-space map pointers are
// those stored at their places on page 2 of `pages` (where salvage looks for
// the table's pages first), or 0 when that page cannot be read.
Result<TableDefinition> standardCatalogDefinition(const PageSource& pages, const HeaderPage& header);

// True iff `def` describes MSysObjects' columns and indexes exactly as
// standardCatalogDefinition() does (text settings, pointers and unset bytes
// aside).
bool isStandardCatalogDefinition(const TableDefinition& def);

}  // namespace jet
