// Where the tests find the real Access 97 files, and temporary folders.
#pragma once

#include <cstddef>
#include <filesystem>
#include <string>
#include <vector>

#include "jet/io/path_text.h"

namespace testing_support {

// The folder of real Access 97 files (outside the repository).
std::filesystem::path corpusDir();
// Every .mdb file at the top of the corpus folder (a library's test files),
// sorted by name; empty when the folder is missing.
std::vector<std::filesystem::path> corpusFiles();
// Every .mdb file of the corpus, its subfolders included (the real-world files
// in real/ and any added later), sorted by path; empty when the folder is missing.
std::vector<std::filesystem::path> allCorpusFiles();
// True in the build under the sanitizers, where the tests run about ten times
// slower: the longest corpus tests take a share of the corpus there.
#ifdef REPARADOR_SANITIZED
inline constexpr bool kSanitized = true;
#else
inline constexpr bool kSanitized = false;
#endif
// `files`, or under the sanitizers every other one of them from `first` (0
// or 1), so that two tests given 0 and 1 still see every file between them.
std::vector<std::filesystem::path> sanitizedShare(std::vector<std::filesystem::path> files,
                                                  std::size_t first);
// A test name for corpus file `file`: its path below the corpus folder with
// every character but letters and digits made '_'.
std::string corpusTestName(const std::filesystem::path& file);
// One corpus file by name.
std::filesystem::path corpusFile(const std::string& name);

// What a database file's header says of its text and its password: the code
// page, and the password in UTF-8 (empty when it has none), so that tests
// open every file without a list of which ones have a password.
struct FileSettings { int codePage = 1252; std::string password; };
FileSettings fileSettings(const std::filesystem::path& file);
// The folder of the published sort-code tables.
std::filesystem::path jet3Dir();
// The jetdb executable built with the tests.
std::filesystem::path jetdbPath();

// A fresh temporary folder, removed with everything in it when destroyed.
class TempDir {
 public:
  TempDir();
  ~TempDir();
  TempDir(const TempDir&) = delete;
  TempDir& operator=(const TempDir&) = delete;
  const std::filesystem::path& path() const { return path_; }
  // `name` is UTF-8, on Windows too.
  std::filesystem::path operator/(const std::string& name) const {
    return path_ / jet::pathFromUtf8(name);
  }

 private:
  std::filesystem::path path_;
};

// Reads or writes a whole file.
std::string readFile(const std::filesystem::path& path);
void writeFile(const std::filesystem::path& path, const std::string& bytes);
// The names in `folder`, hidden ones included, in byte order.
std::vector<std::string> folderEntries(const std::filesystem::path& folder);

// The error number of a Status or a Result, 0 for a success.
template <class R>
int errorNumber(const R& r) { return r.ok() ? 0 : r.error().number(); }

// Runs a shell command, returning its exit status and standard output.
struct CommandOutput { int status = -1; std::string out; };
CommandOutput runCommand(const std::string& command);
// Quotes one argument for /bin/sh.
std::string shellQuote(const std::string& arg);
// jetdb run with `arguments` (quoted as the shell needs them); its output
// holds its standard output and error together.
CommandOutput runJetdb(const std::string& arguments);

}  // namespace testing_support

// Skips the current test when the corpus folder is missing, saying why.
#define REQUIRE_CORPUS()                                                          \
  do {                                                                            \
    if (testing_support::corpusFiles().empty())                                   \
      GTEST_SKIP() << "no Access 97 corpus at " << testing_support::corpusDir(); \
  } while (false)
