#include "tests/support/check_image.h"

#include <gtest/gtest.h>

#include <algorithm>

namespace testing_support {

jet::CheckReport checkImage(const std::string& image, const std::string& password,
                            const jet::CheckOptions& options) {
  auto db = jet::Database::openBytes(image, "dañada", password);
  EXPECT_TRUE(db.ok()) << db.error().toString();
  if (!db) return jet::CheckReport(0);
  auto report = jet::checkDatabase(**db, options);
  EXPECT_TRUE(report.ok());
  return report ? std::move(report).value() : jet::CheckReport(0);
}

std::string findingsText(const jet::CheckReport& r) {
  std::string s;
  for (const jet::Finding& f : r.findings.findings()) s += f.toString() + "\n";
  for (const jet::Finding& f : r.notes.findings()) s += "(nota) " + f.toString() + "\n";
  return s;
}

namespace {
// True iff some finding of `list` (place and kind included) contains `text`.
bool has(const jet::FindingList& list, const std::string& text) {
  auto says = [&](const jet::Finding& f) { return f.toString().find(text) != std::string::npos; };
  return std::ranges::any_of(list.findings(), says);
}
}  // namespace

void expectSays(const jet::CheckReport& r, const std::vector<std::string>& texts) {
  for (const std::string& text : texts) {
    const bool absent = text.rfind('-', 0) == 0;
    const std::string wanted = text.substr(absent ? 1 : 0);
    const bool note = wanted.rfind("nota: ", 0) == 0;
    const bool said = note ? has(r.notes, wanted.substr(6)) : has(r.findings, wanted);
    EXPECT_NE(said, absent) << text << "\n" << findingsText(r);
  }
}

}  // namespace testing_support
