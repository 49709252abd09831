// Checking a database image held in memory, and reading the findings, for the
// checker's damage tests.
#pragma once

#include <string>

#include "jet/check/checker.h"

namespace testing_support {

// Opens `image` and checks it; a failure to open or check fails the test.
jet::CheckReport checkImage(const std::string& image);

// Every finding kept, place included, one a line.
std::string findingsText(const jet::CheckReport& r);

// True iff some finding's text (place included) contains `text`.
bool hasFinding(const jet::CheckReport& r, const std::string& text);

}  // namespace testing_support
