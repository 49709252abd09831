#include "tests/support/check_image.h"

#include <gtest/gtest.h>

namespace testing_support {

jet::CheckReport checkImage(const std::string& image) {
  auto db = jet::Database::openBytes(image, "dañada");
  EXPECT_TRUE(db.ok()) << db.error().toString();
  if (!db) return jet::CheckReport(0);
  auto report = jet::checkDatabase(**db);
  EXPECT_TRUE(report.ok());
  return report ? std::move(report).value() : jet::CheckReport(0);
}

std::string findingsText(const jet::CheckReport& r) {
  std::string s;
  for (const jet::Finding& f : r.findings.findings()) s += f.toString() + "\n";
  return s;
}

bool hasFinding(const jet::CheckReport& r, const std::string& text) {
  for (const jet::Finding& f : r.findings.findings()) {
    if (f.toString().find(text) != std::string::npos) return true;
  }
  return false;
}

}  // namespace testing_support
