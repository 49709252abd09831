// Table definitions for a new file (table_definition.h): the bytes of a
// definition and the pages that hold them.
//
// The definition is written as Access writes it: header, index statistics,
// column blocks, names, real and logical index blocks, logical names, then
// the long-value column maps (in column order) and the end block. A
// definition longer than a page goes on over more pages, each after an
// 8-byte header whose next-page field chains them.
#pragma once

#include <cstdint>
#include <span>
#include <vector>

#include "jet/core/result.h"
#include "jet/format/table_definition.h"
#include "jet/write/page_output.h"

namespace jet {

// The definition's bytes, first page header included (next page 0). Uses
// every field of `t`: counts, pointers, statistics, columns as laid out.
std::vector<std::byte> encodeTableDefinition(const TableDefinition& t);

// Pages that `size` bytes of definition take.
std::size_t tableDefinitionPageCount(std::size_t size);

// Writes `bytes` over `pages` (tableDefinitionPageCount of them, in order).
Status writeTableDefinition(std::span<const std::byte> bytes,
                            std::span<const std::uint32_t> pages, PageOutput& out);

}  // namespace jet
