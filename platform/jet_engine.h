// The database engine of the repair procedure: our own Jet engine (jet/),
// given Linux paths resolved from the Windows names through the drive map.
#pragma once

#include <filesystem>

#include "jet/core/result.h"
#include "platform/db_engine.h"
#include "platform/drive_map.h"

namespace platform {

class JetEngine : public DbEngine {
 public:
  using RepairFn = jet::Status (*)(const std::filesystem::path&);
  using CompactFn = jet::Status (*)(const std::filesystem::path&, const std::filesystem::path&);

  // `drives` must outlive this object. The two functions default to the
  // engine's; tests pass their own to see what reaches the engine.
  explicit JetEngine(const DriveMap& drives, RepairFn repair = nullptr,
                     CompactFn compact = nullptr);

  RunStatus repairDatabase(std::string_view name) override;
  RunStatus compactDatabase(std::string_view source, std::string_view destination) override;

 private:
  const DriveMap& drives_;
  RepairFn repair_;
  CompactFn compact_;
};

}  // namespace platform
