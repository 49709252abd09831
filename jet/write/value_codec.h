// Rows as bytes for the external sort (external_sorter.h): a row's values
// written out and read back exactly, Text and Binary byte for byte.
//
// Each value is a tag (its alternative in jet::Value) and its bytes: fixed
// sizes for numbers, dates and ids, a u32 length and the bytes for Text and
// Binary, nothing for NULL. Little-endian, as everything in the engine.
#pragma once

#include <span>
#include <vector>

#include "jet/core/result.h"
#include "jet/format/value.h"

namespace jet {

void encodeValues(std::span<const Value> values, std::vector<std::byte>& out);

// Reads values written by encodeValues into `out` (cleared first). Fails
// (3001) on bytes that encodeValues did not write.
Status decodeValues(std::span<const std::byte> bytes, std::vector<Value>& out);

}  // namespace jet
