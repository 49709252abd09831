#include "tests/support/check_image.h"

#include <gtest/gtest.h>

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
bool has(const jet::FindingList& list, const std::string& text) {
  for (const jet::Finding& f : list.findings()) {
    if (f.toString().find(text) != std::string::npos) return true;
  }
  return false;
}
}  // namespace

bool hasFinding(const jet::CheckReport& r, const std::string& text) { return has(r.findings, text); }
bool hasNote(const jet::CheckReport& r, const std::string& text) { return has(r.notes, text); }

}  // namespace testing_support
