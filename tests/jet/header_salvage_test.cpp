// Restoring the settings of a damaged header page.
#include <gtest/gtest.h>

#include <functional>

#include "jet/format/header_page.h"
#include "jet/io/byte_source.h"
#include "jet/salvage/header_salvage.h"
#include "tests/support/corpus.h"
#include "tests/support/damage.h"
#include "tests/support/encrypt.h"

namespace jet {
namespace {

using namespace testing_support;
using namespace std::string_literals;

const char* const kFile = "testV1997.mdb";

// A copy of testV1997's header damaged one way, and what the salvage makes
// of it: an impossible code page and sort order come from the columns; a key
// in a file whose pages are not encrypted is dropped, an encrypted file keeps
// its own; a garbled password is cleared, one that reads as text refused
// (3031); a page 0 that is no Jet 3 header is rebuilt as Access writes one
// while page 2 still holds MSysObjects' definition, and without that either
// the file is not a database (3049). Each setting restored is one problem.
TEST(HeaderSalvageTest, DamagedSettingsAreRestoredOrRefused) {
  REQUIRE_CORPUS();
  struct Case {
    const char* what;
    std::function<void(std::string&)> damage;
    int error = 0;
    std::size_t problems = 0;
    std::uint32_t key = 0;
  };
  const Case cases[] = {
      {"sound", [](std::string&) {}},
      {"code page and sort order",
       [](std::string& image) {
         setMaskedBytes(image, header_page::kCodePage, "\x77\x77");
         setMaskedBytes(image, header_page::kSortOrder, "\x01\x00"s);
       },
       0, 2},
      {"key of a clear file",
       [](std::string& image) { setMaskedBytes(image, header_page::kDatabaseKey, "\x78\x56\x34\x12"); },
       0, 1},
      {"encrypted", [](std::string& image) { image = encryptImage(image, 0x0BADF00D); }, 0, 0,
       0x0BADF00D},
      {"garbled password",  // not text
       [](std::string& image) { setMaskedBytes(image, header_page::kPassword + 3, "\x07\x01"); }, 0, 1},
      {"real password",  // "Scor"
       [](std::string& image) { setMaskedBytes(image, header_page::kPassword, "Scor\0\0"s); },
       errc::kBadPassword},
      {"magic", [](std::string& image) { setByte(image, header_page::kMagic, 'X'); }, 0, 3},
      {"magic and catalog definition",
       [](std::string& image) {
         setByte(image, header_page::kMagic, 'X');
         setByte(image, at(2, 0), 0x01);  // page 2 no longer a definition
       },
       errc::kNotDatabase},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    std::string image = corpusImage(kFile);
    c.damage(image);
    MemoryBytes bytes(image);
    ProblemList problems;
    auto h = salvageHeader(bytes, problems);
    ASSERT_EQ(h.ok() ? 0 : h.error().number(), c.error);
    if (!h.ok()) continue;
    EXPECT_EQ(problems.total(), c.problems);
    EXPECT_EQ(h->codePage, header_page::kWesternCodePage);
    EXPECT_EQ(h->sortOrder, header_page::kGeneralSortOrder);
    EXPECT_EQ(h->databaseKey, c.key);
    EXPECT_FALSE(h->hasPassword());
  }
}

}  // namespace
}  // namespace jet
