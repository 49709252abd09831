#include "tools/commands.h"

namespace jetdb {

void registerCommands(CLI::App& app, Commands& commands) {
  (void)app;
  (void)commands;
}

}  // namespace jetdb
