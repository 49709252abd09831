// libFuzzer target: repair in place of a database file made of arbitrary
// bytes, in a temporary folder of its own.
//
// Whatever the bytes, the repair ends (libFuzzer's -timeout catches a hang)
// with a numbered error or a report, and:
//   - every file operation names a path inside the folder (aborts otherwise);
//   - after an error the file holds the bytes it was given, and nothing else
//     is left in the folder;
//   - after a repair that wrote, the folder holds the repaired file and the
//     damaged copy, which holds the bytes given;
//   - a healthy file is left as it was, alone.
// Flushes are skipped: they only cost time here.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>

#include "jet/rebuild/repair.h"
#include "tests/support/faulty_file_system.h"

namespace {

namespace fs = std::filesystem;

// Made at the first run, removed when the fuzzer exits normally. Never
// destroyed, so that the exit handler may still read it.
const fs::path& folder() {
  static const fs::path* const kFolder = [] {
    std::string name = (fs::temp_directory_path() / "repair_fuzz.XXXXXX").string();
    if (!::mkdtemp(name.data())) std::abort();
    auto* path = new fs::path(name);
    std::atexit([] {
      std::error_code ec;
      fs::remove_all(folder(), ec);
    });
    return path;
  }();
  return *kFolder;
}

std::string contents(const fs::path& path) {
  std::ifstream in(path, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), {});
}

std::size_t entries() {
  std::size_t n = 0;
  for ([[maybe_unused]] const auto& e : fs::directory_iterator(folder())) ++n;
  return n;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string bytes(reinterpret_cast<const char*>(data), size);
  const fs::path database = folder() / "base.mdb";
  fs::remove_all(folder());
  fs::create_directory(folder());
  std::ofstream(database, std::ios::binary).write(bytes.data(), static_cast<std::streamsize>(size));

  testing_support::FaultyFileSystem fileSystem(jet::localFileSystem(), 0);
  fileSystem.onPath = [](const fs::path& path) {
    if (path != folder() && path.parent_path() != folder()) std::abort();
  };
  fileSystem.skipFlushes = true;
  jet::RepairOptions options;
  options.fileSystem = &fileSystem;
  options.maxFindings = 50;
  auto report = jet::repair(database, options);
  if (!report || !report->written) {
    // An error or a healthy file: the file as given, alone.
    if (contents(database) != bytes || entries() != 1) std::abort();
    return 0;
  }
  if (contents(jet::damagedCopyName(database, 1)) != bytes || entries() != 2) std::abort();
  return 0;
}
