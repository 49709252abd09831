#include "tests/support/corpus.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cctype>
#include <cstdlib>
#include <fstream>
#include <random>
#include <sstream>
#include <stdexcept>

#include "jet/core/ascii.h"
#include "jet/format/header_page.h"
#include "jet/io/page_source.h"
#include "jet/model/text.h"

namespace fs = std::filesystem;

namespace testing_support {

// REPARADOR_CORPUS names a copy of the corpus to read instead: the Windows
// programs under Wine read one of their own, since Wine's locks, seen from
// Linux, would make the files seem in use to the Linux tests beside them.
fs::path corpusDir() {
  const char* copy = std::getenv("REPARADOR_CORPUS");
  return fs::path(copy && *copy ? copy : REPARADOR_CORPUS_DIR);
}

std::vector<fs::path> allCorpusFiles() {
  std::vector<fs::path> files;
  std::error_code ec;
  for (fs::recursive_directory_iterator it(corpusDir(), ec), end; !ec && it != end; it.increment(ec)) {
    if (it->is_regular_file() && jet::equalsIgnoringAsciiCase(it->path().extension().string(), ".mdb")) {
      files.push_back(it->path());
    }
  }
  std::sort(files.begin(), files.end());
  return files;
}

std::vector<fs::path> sanitizedShare(std::vector<fs::path> files, std::size_t first) {
  if (!kSanitized) return files;
  std::vector<fs::path> share;
  for (std::size_t i = first; i < files.size(); i += 2) share.push_back(std::move(files[i]));
  return share;
}

std::vector<fs::path> corpusFiles() {
  std::vector<fs::path> files = allCorpusFiles();
  std::erase_if(files, [](const fs::path& f) {
    return f.lexically_relative(corpusDir()).has_parent_path();
  });
  return files;
}

fs::path corpusFile(const std::string& name) { return corpusDir() / name; }

std::string corpusTestName(const fs::path& file) {
  std::string name = file.lexically_relative(corpusDir()).replace_extension().string();
  for (char& c : name) if (!std::isalnum(static_cast<unsigned char>(c))) c = '_';
  return name;
}

FileSettings fileSettings(const fs::path& file) {
  FileSettings s;
  const std::string bytes = readFile(file).substr(0, jet::kPageSize);
  auto header = jet::decodeHeaderPage(jet::ByteView(bytes.data(), bytes.size()), file.string());
  if (!header) return s;
  s.codePage = header->codePage;
  const auto& p = header->password;
  const auto end = std::find(p.begin(), p.end(), std::uint8_t{0});
  s.password = jet::TextDecoder(s.codePage).toUtf8(std::string(p.begin(), end));
  return s;
}

fs::path jet3Dir() { return fs::path(REPARADOR_JET3_DIR); }
fs::path jetdbPath() { return fs::path(REPARADOR_JETDB); }

TempDir::TempDir() {
  std::random_device rd;
  for (int attempt = 0; attempt < 100; ++attempt) {
    fs::path p = fs::temp_directory_path() / ("reparador-" + std::to_string(rd()));
    std::error_code ec;
    if (fs::create_directory(p, ec)) {
      path_ = p;
      return;
    }
  }
  throw std::runtime_error("cannot create a temporary folder");
}

TempDir::~TempDir() {
  std::error_code ec;
  fs::permissions(path_, fs::perms::owner_all, fs::perm_options::add, ec);
  fs::remove_all(path_, ec);
}

std::string readFile(const fs::path& path) {
  std::ifstream in(path, std::ios::binary);
  std::ostringstream s;
  s << in.rdbuf();
  return s.str();
}

void writeFile(const fs::path& path, const std::string& bytes) {
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
}

std::vector<std::string> folderEntries(const fs::path& folder) {
  std::vector<std::string> names;
  for (const auto& e : fs::directory_iterator(folder)) names.push_back(e.path().filename().string());
  std::sort(names.begin(), names.end());
  return names;
}

CommandOutput runJetdb(const std::string& arguments) {
  return runCommand(shellQuote(jetdbPath().string()) + " " + arguments + " 2>&1");
}

}  // namespace testing_support
