// The database engine of the repair procedure on Windows: our own Jet engine
// (jet/), given the Windows names as they are typed.
#pragma once

#include "platform/db_engine.h"

namespace platform {

class WindowsJetEngine : public DbEngine {
 public:
  RunStatus repairDatabase(std::string_view name) override;
  RunStatus compactDatabase(std::string_view source, std::string_view destination) override;
};

}  // namespace platform
