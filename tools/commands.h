// The subcommands of jetdb. Each command file adds its subcommand to the parser
// and sets the function that runs it.
#pragma once

#include <CLI/CLI.hpp>

#include <functional>

namespace jetdb {

inline constexpr int kExitOk = 0;
inline constexpr int kExitFindings = 1;
inline constexpr int kExitError = 2;

struct Commands {
  std::function<int()> selected;
  int run() const { return selected ? selected() : kExitError; }
};

// Adds every subcommand to `app`; the one parsed is stored in `commands`.
void registerCommands(CLI::App& app, Commands& commands);

}  // namespace jetdb
