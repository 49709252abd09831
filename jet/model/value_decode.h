// Turning stored bytes into a jet::Value.
#pragma once

#include <cstdint>
#include <optional>

#include "jet/core/byte_view.h"
#include "jet/format/value.h"

namespace jet {

// The value of type `typeCode` held in `bytes`, for data stored whole (a row's
// fixed or variable field, a property value): Memo bytes give Text and OLE
// bytes Binary, as do unknown types. Yes/No, which rows keep in the null mask,
// is true iff a byte is non-zero. nullopt when the bytes are fewer than the
// type's size.
std::optional<Value> decodeValueBytes(std::uint8_t typeCode, ByteView bytes);

}  // namespace jet
