// A value as the descriptions of repair problems show it: text in quotes
// (converted for display), binary in hex, numbers in full precision, dates as
// their day number. Problems that leave a value out carry it this way, so
// that nothing is lost without trace.
#pragma once

#include <string>
#include <vector>

#include "jet/format/value.h"
#include "jet/model/text.h"

namespace jet {

std::string describeValue(const Value& value, const TextDecoder& text);

// The values of a row, "(v1, v2, ...)".
std::string describeRow(const std::vector<Value>& values, const TextDecoder& text);

}  // namespace jet
