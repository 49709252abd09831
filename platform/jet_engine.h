// The database engine of the repair procedure: our own Jet engine (jet/),
// given Linux paths resolved from the Windows names through the drive map.
#pragma once

#include "platform/db_engine.h"
#include "platform/drive_map.h"

namespace platform {

class JetEngine : public DbEngine {
 public:
  // `drives` must outlive this object.
  explicit JetEngine(const DriveMap& drives) : drives_(drives) {}

  RunStatus repairDatabase(std::string_view name) override;
  RunStatus compactDatabase(std::string_view source, std::string_view destination) override;

 private:
  const DriveMap& drives_;
};

}  // namespace platform
