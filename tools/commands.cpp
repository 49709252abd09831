#include "tools/commands.h"

namespace jetdb {

void registerInfo(CLI::App& app, Commands& commands);
void registerTables(CLI::App& app, Commands& commands);
void registerDump(CLI::App& app, Commands& commands);
void registerCheck(CLI::App& app, Commands& commands);
void registerCompact(CLI::App& app, Commands& commands);
void registerCreate(CLI::App& app, Commands& commands);
void registerGenerate(CLI::App& app, Commands& commands);
void registerRepair(CLI::App& app, Commands& commands);
void registerPage(CLI::App& app, Commands& commands);

void registerCommands(CLI::App& app, Commands& commands) {
  registerInfo(app, commands);
  registerTables(app, commands);
  registerDump(app, commands);
  registerCheck(app, commands);
  registerCompact(app, commands);
  registerCreate(app, commands);
  registerGenerate(app, commands);
  registerRepair(app, commands);
  registerPage(app, commands);
}

}  // namespace jetdb
