// The check reads its tables on several threads at once: its report must not
// depend on how many, nor on which table finishes first.
#include <gtest/gtest.h>

#include <algorithm>
#include <iterator>
#include <string>
#include <vector>

#include "jet/check/checker.h"
#include "tests/support/corpus.h"
#include "tests/support/damage_generator.h"

namespace jet {
namespace {

using testing_support::DamageKind;

// What a report says: findings and notes in order, what was dropped, and the counts.
struct Said {
  std::vector<std::string> findings;
  std::vector<std::string> notes;
  std::uint64_t dropped = 0;  // findings and notes
  std::string counts;
  bool operator==(const Said&) const = default;
};

Said check(const std::string& image, const std::string& password, std::size_t cap,
           unsigned threads) {
  Said said;
  auto db = Database::openBytes(image, "dañada", password);
  auto r = db ? checkDatabase(**db, {cap, threads}) : Result<CheckReport>(db.error());
  if (!r) {
    said.counts = r.error().toString();
    return said;
  }
  for (const Finding& f : r->findings.findings()) said.findings.push_back(f.toString());
  for (const Finding& f : r->notes.findings()) said.notes.push_back(f.toString());
  said.dropped = r->findings.dropped() + r->notes.dropped();
  for (std::uint64_t n : {r->findings.total(), r->notes.total(), r->tables, r->rows, r->indexes,
                          r->indexEntries}) {
    said.counts += std::to_string(n) + " ";
  }
  return said;
}

// The first `n` of `all`.
std::vector<std::string> first(const std::vector<std::string>& all, std::size_t n) {
  return {all.begin(), all.begin() + static_cast<std::ptrdiff_t>(std::min(n, all.size()))};
}

// Every corpus file, sound and with damage of one kind (each kind in turn),
// checked on one thread and on three; and with only two findings and notes
// kept, which must be the first two, the rest still counted.
TEST(CheckThreads, TheReportIsTheSameOnOneThreadAsOnSeveral) {
  const auto files = testing_support::allCorpusFiles();
  if (files.empty()) GTEST_SKIP() << "no corpus folder";
  std::size_t damaged = 0;
  for (std::size_t i = 0; i < files.size(); ++i) {
    const std::string password = testing_support::fileSettings(files[i]).password;
    std::string image = testing_support::readFile(files[i]);
    const auto kind = testing_support::kAllDamageKinds[i % std::size(testing_support::kAllDamageKinds)];
    for (bool damage : {false, true}) {
      // The damage generator reads the layout of files without a password.
      if (damage && (!password.empty() || !testing_support::applyDamage(image, kind, i).applied)) {
        continue;
      }
      SCOPED_TRACE(files[i].filename().string() + (damage ? " with damage" : ""));
      damaged += damage;
      const Said all = check(image, password, 500, 1);
      EXPECT_EQ(all, check(image, password, 500, 3));
      const Said two = check(image, password, 2, 3);
      EXPECT_EQ(two, check(image, password, 2, 1));
      EXPECT_EQ(two.findings, first(all.findings, 2));
      EXPECT_EQ(two.notes, first(all.notes, 2));
      EXPECT_EQ(two.counts, all.counts);
    }
  }
  EXPECT_GT(damaged, files.size() / 2);
}

}  // namespace
}  // namespace jet
