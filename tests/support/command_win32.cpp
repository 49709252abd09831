// Running a command through the shell, on Windows: cmd.exe, with the
// command's UTF-8 text handed over as wide characters. The tests write
// "/dev/null" for the null device; here it is NUL.
#include <windows.h>

#include <cstdio>
#include <filesystem>
#include <string>

#include "tests/support/corpus.h"

namespace testing_support {

CommandOutput runCommand(const std::string& command) {
  std::string text = command;
  for (std::size_t at; (at = text.find("/dev/null")) != std::string::npos;) text.replace(at, 9, "NUL");
  CommandOutput result;
  // Under Wine, cmd now and then fails to start a program that is there, and
  // says it cannot find it (9009) with nothing run: a run of a program named
  // by its path (as jetdb is) that ends so is tried again.
  const std::size_t quote = text.find('"', 1);
  const bool named = text.starts_with('"') && quote != std::string::npos &&
                     std::filesystem::is_regular_file(jet::pathFromUtf8(text.substr(1, quote - 1)));
  for (int attempt = 0; attempt < 3 && (attempt == 0 || (named && result.status == 9009)); ++attempt) {
    result = {};
    // cmd /c drops the first and the last quote of a command that starts with
    // one: a pair around the whole keeps the command's own.
    // The UTF-8 text becomes wide characters as a path's does.
    FILE* pipe = ::_wpopen(jet::pathFromUtf8("\"" + text + "\"").c_str(), L"rb");
    if (!pipe) return result;
    char buf[65536];
    std::size_t n;
    while ((n = std::fread(buf, 1, sizeof buf, pipe)) > 0) result.out.append(buf, n);
    result.status = ::_pclose(pipe);
  }
  return result;
}

std::string shellQuote(const std::string& arg) { return "\"" + arg + "\""; }

}  // namespace testing_support
