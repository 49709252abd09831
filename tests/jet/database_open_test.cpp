// Opening a database: the numbered errors of a file that cannot be read as an
// Access 97 database or without its password (3031, as Jet answers), and
// what a sound one reports. (A missing file, 3044
// naming it, is among the compaction's refusals: compact_database_test.cpp.)
#include <gtest/gtest.h>

#ifndef _WIN32
#include <sys/stat.h>
#include <unistd.h>
#endif

#include "jet/format/header_page.h"
#include "jet/model/database.h"
#include "jet/model/text.h"
#include "tests/support/corpus.h"
#include "tests/support/damage.h"
#ifndef _WIN32
#include "tests/support/unprivileged.h"
#endif

namespace jet {
namespace {

using namespace testing_support;

int openError(const std::string& image, const std::string& password = {}) {
  return errorNumber(Database::openBytes(image, "memoria", password));
}

#ifndef _WIN32  // file modes and a child without root's rights are POSIX
// A file whose mode forbids reading it is 3051, under root too: the opening
// runs in a child without root's rights. A readable copy beside it opens
// there, so the refusal comes from the file's mode and not from the child.
TEST(DatabaseOpen, UnreadableFileIs3051) {
  REQUIRE_CORPUS();
  TempDir dir;
  ASSERT_EQ(::chmod(dir.path().c_str(), 0755), 0);  // "nobody" may look inside
  const std::string image = corpusImage("testV1997.mdb");
  writeFile(dir / "a.mdb", image);
  writeFile(dir / "b.mdb", image);
  ASSERT_EQ(::chmod((dir / "a.mdb").c_str(), 0), 0);
  ASSERT_EQ(::chmod((dir / "b.mdb").c_str(), 0644), 0);
  auto openUnprivileged = [&](const char* name) {
    return runUnprivileged([&] { return errorNumber(Database::open(dir / name)); });
  };
  const ChildOutcome denied = openUnprivileged("a.mdb");
  const ChildOutcome readable = openUnprivileged("b.mdb");
  ASSERT_TRUE(denied.ran) << denied.failure;
  ASSERT_TRUE(readable.ran) << readable.failure;
  EXPECT_EQ(denied.value, errc::kNoPermission);
  EXPECT_EQ(readable.value, 0);
}
#endif

TEST(DatabaseOpen, NotAnAccess97FileIs3049) {
  REQUIRE_CORPUS();
  const std::string good = corpusImage("testV1997.mdb");
  EXPECT_EQ(openError(good), 0);
  EXPECT_EQ(openError(""), errc::kNotDatabase);  // empty file
  std::string shortHeader = good;
  truncateTo(shortHeader, header_page::kMinimumSize - 1);
  EXPECT_EQ(openError(shortHeader), errc::kNotDatabase);
  shortHeader = good.substr(0, header_page::kMinimumSize);  // every field: a database cut short
  EXPECT_EQ(openError(shortHeader), 0);
  std::string magic = good;
  setByte(magic, header_page::kMagic + 9, 'X');  // "Standard Xet DB"
  EXPECT_EQ(openError(magic), errc::kNotDatabase);
  std::string jet4 = good;
  setU32(jet4, header_page::kVersion, 1);
  EXPECT_EQ(openError(jet4), errc::kNotDatabase);
  std::string notHeader = good;
  setByte(notHeader, header_page::kType, 0x01);
  EXPECT_EQ(openError(notHeader), errc::kNotDatabase);

  TempDir dir;  // a folder named like a database
  std::filesystem::create_directory(dir / "CARPETA.MDB");
  auto db = Database::open(dir / "CARPETA.MDB");
  ASSERT_FALSE(db);
  EXPECT_EQ(db.error().number(), errc::kNotDatabase);
}

// Bytes past the last whole page are a finding of the opening, at the page
// they would have been.
TEST(DatabaseOpen, TrailingPartialPageIsAFinding) {
  REQUIRE_CORPUS();
  std::string image = corpusImage("testV1997.mdb");
  const std::size_t pages = image.size() / kPageSize;
  image.append(100, '\0');
  auto db = Database::openBytes(image);
  ASSERT_TRUE(db);
  ASSERT_EQ((*db)->openFindings().findings().size(), 1u);
  EXPECT_EQ((*db)->openFindings().findings()[0].page, static_cast<std::int64_t>(pages));
  EXPECT_EQ((*db)->openFindings().findings()[0].bytesLost, 100);
}

TEST(DatabaseOpen, WithAPasswordOpensOnlyWithTheOneStoredLetterCaseIncluded) {
  REQUIRE_CORPUS();
  const std::string good = corpusImage("testV1997.mdb");
  const std::string locked = withPasswordBytes(good, fromUtf8("Año2", 1252));
  for (const char* wrong : {"", "año2", "AÑO2", "Año", "Año22", "Ano2"}) {
    EXPECT_EQ(openError(locked, wrong), errc::kBadPassword) << wrong;
  }
  EXPECT_EQ(openError(locked, "Año2"), 0);
  EXPECT_EQ(openError(good, "cualquiera"), 0);  // none set: any password opens it

  // Every byte of the 20 counts, the last one included; the byte after the
  // field is not part of it.
  const std::string full(header_page::kPasswordLength, 'z');
  EXPECT_EQ(openError(withPasswordBytes(good, full), full.substr(0, 19)), errc::kBadPassword);
  EXPECT_EQ(openError(withPasswordBytes(good, full), full), 0);
  std::string after = withPasswordBytes(good, std::string(header_page::kPasswordLength, '\0') + "z");
  EXPECT_EQ(openError(after), 0);
  // A field that holds no password's text (damage) opens for a repair only
  // (header_salvage.h).
  const std::string garbled = withPasswordBytes(good, std::string("\x01\x02", 2));
  EXPECT_EQ(openError(garbled), errc::kBadPassword);
}

}  // namespace
}  // namespace jet
