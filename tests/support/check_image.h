// Checking a database image held in memory, and reading the findings, for the
// checker's damage tests.
#pragma once

#include <string>
#include <vector>

#include "jet/check/checker.h"

namespace testing_support {

// Opens `image` (with `password`, UTF-8, when it has one) and checks it; a
// failure to open or check fails the test.
jet::CheckReport checkImage(const std::string& image, const std::string& password = {},
                            const jet::CheckOptions& options = {});

// Every finding and note kept, place included, one a line.
std::string findingsText(const jet::CheckReport& r);

// Expects `r` to say each of `texts`: a finding that contains it, or a note
// for "nota: <text>"; a leading "-" expects the finding or note not said.
void expectSays(const jet::CheckReport& r, const std::vector<std::string>& texts);

}  // namespace testing_support
