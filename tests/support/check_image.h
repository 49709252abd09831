// Checking a database image held in memory, and reading the findings, for the
// checker's damage tests.
#pragma once

#include <string>

#include "jet/check/checker.h"

namespace testing_support {

// Opens `image` (with `password`, UTF-8, when it has one) and checks it; a
// failure to open or check fails the test.
jet::CheckReport checkImage(const std::string& image, const std::string& password = {},
                            const jet::CheckOptions& options = {});

// Every finding and note kept, place included, one a line.
std::string findingsText(const jet::CheckReport& r);

// True iff some finding of damage (place included) contains `text`.
bool hasFinding(const jet::CheckReport& r, const std::string& text);
// True iff some note of what Access leaves (place and kind included)
// contains `text`.
bool hasNote(const jet::CheckReport& r, const std::string& text);

}  // namespace testing_support
